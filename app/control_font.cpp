#include "app/control_font.h"

#include <cwchar>

#include "widgets/drawing.h"

UniqueFontGdi CreateControlFont(int pixelHeight) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        font = metrics.lfMessageFont;
    } else {
        font.lfHeight = -12;
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
    }
    if (pixelHeight) font.lfHeight = -pixelHeight;
    const std::wstring& face = DefaultFontFace();
    if (!face.empty() && face.size() < LF_FACESIZE) {
        wmemset(font.lfFaceName, L'\0', LF_FACESIZE);
        face.copy(font.lfFaceName, face.size());
    }
    return UniqueFontGdi(CreateFontIndirectW(&font));
}
