// The font of the main window's native controls (the search box, the notice bar): the system's
// message font, which can show Chinese on every locale, at the toolkit's 12 pixels.
#pragma once

#include <windows.h>

#include "widgets/gdi_handles.h"

inline UniqueFontGdi CreateMessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return {};
    metrics.lfMessageFont.lfHeight = -12;
    return UniqueFontGdi(CreateFontIndirectW(&metrics.lfMessageFont));
}
