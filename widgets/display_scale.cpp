#include "widgets/display_scale.h"

#include <cmath>
#include <initializer_list>

#include "win/module_function.h"

namespace {

// The per-DPI functions came with Windows 10 (1607); the program also runs on older systems,
// so they are looked up rather than imported.
template <typename Function>
Function User32Function(const char* name) {
    static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return FunctionFrom<Function>(user32, name);
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForSystemFunction = UINT(WINAPI*)();
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : DisplayScale::kDesignDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
}

void ScaleFont(LOGFONTW& font, const DisplayScale& from, const DisplayScale& to) {
    font.lfHeight = MulDiv(font.lfHeight, to.Dpi(), from.Dpi());
}

}  // namespace

DisplayScale DisplayScale::ForWindow(HWND window) {
    static const auto forWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (forWindow && window) {
        if (const UINT dpi = forWindow(window)) return DisplayScale(static_cast<int>(dpi));
    }
    return ForSystem();
}

DisplayScale DisplayScale::ForSystem() {
    static const auto forSystem = User32Function<GetDpiForSystemFunction>("GetDpiForSystem");
    if (forSystem) {
        if (const UINT dpi = forSystem()) return DisplayScale(static_cast<int>(dpi));
    }
    return DisplayScale(ScreenDpi());
}

float DisplayScale::Px(float design) const {
    if (IsDesign()) return design;
    return static_cast<float>(std::round(design * Factor()));
}

RECT DisplayScale::Rect(int x, int y, int width, int height) const {
    return RECT{Px(x), Px(y), Px(x + width), Px(y + height)};
}

RectF DisplayScale::Bounds(const RectF& design) const {
    if (IsDesign()) return design;
    const float left = Px(design.X), top = Px(design.Y);
    return RectF(left, top, Px(design.X + design.Width) - left, Px(design.Y + design.Height) - top);
}

int SystemMetricForScale(int index, const DisplayScale& scale) {
    static const auto forDpi =
        User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(scale.Dpi()));
    return MulDiv(GetSystemMetrics(index), scale.Dpi(), DisplayScale::ForSystem().Dpi());
}

bool NonClientMetricsForScale(NONCLIENTMETRICSW& metrics, const DisplayScale& scale) {
    metrics = NONCLIENTMETRICSW{};
    metrics.cbSize = sizeof(metrics);
    static const auto forDpi =
        User32Function<SystemParametersInfoForDpiFunction>("SystemParametersInfoForDpi");
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0,
                         static_cast<UINT>(scale.Dpi()))) {
        return true;
    }
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        return false;
    }
    // The system DPI's fonts, grown or shrunk to this one.
    const DisplayScale system = DisplayScale::ForSystem();
    if (system == scale) return true;
    for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                           &metrics.lfStatusFont, &metrics.lfMessageFont}) {
        ScaleFont(*font, system, scale);
    }
    return true;
}
