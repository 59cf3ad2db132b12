// The floor of the start-up measurement (scripts/measure-startup.sh): the least a GDI+ window
// program does before its first text is on screen. It starts GDI+, shows a window, draws one
// string with the face of the system menu font at 12 pixels (as the toolkit's default font),
// and closes itself once the string is drawn. Exit code 0 when the string was drawn.
// With the argument --park it stays open instead, in a corner of the screen: the measurement
// keeps Wine's desktop process running that way, as a Windows shell always is.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cwchar>
#include <memory>

using namespace Gdiplus::DllExports;

namespace {

constexpr wchar_t kClassName[] = L"ZentoriGdiplusFloor";
constexpr wchar_t kTitle[] = L"GDI+ floor";
constexpr wchar_t kText[] = L"Zentori网页游戏盒子";

template <auto Delete>
struct Deleter {
    template <typename T>
    void operator()(T* handle) const {
        Delete(handle);
    }
};
using UniqueGraphics = std::unique_ptr<Gdiplus::GpGraphics, Deleter<GdipDeleteGraphics>>;
using UniqueFamily = std::unique_ptr<Gdiplus::GpFontFamily, Deleter<GdipDeleteFontFamily>>;
using UniqueFont = std::unique_ptr<Gdiplus::GpFont, Deleter<GdipDeleteFont>>;
using UniqueBrush = std::unique_ptr<Gdiplus::GpBrush, Deleter<GdipDeleteBrush>>;

class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (started_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Started() const { return started_; }

private:
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

bool drawn = false;
bool parked = false;

// The toolkit's default font: the system menu font's face, 12 pixels, regular.
UniqueFont CreateDefaultFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return {};
    Gdiplus::GpFontFamily* family = nullptr;
    if (GdipCreateFontFamilyFromName(metrics.lfMenuFont.lfFaceName, nullptr, &family) !=
        Gdiplus::Ok) {
        return {};
    }
    UniqueFamily ownedFamily(family);
    Gdiplus::GpFont* font = nullptr;
    if (GdipCreateFont(family, 12, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel, &font) !=
        Gdiplus::Ok) {
        return {};
    }
    return UniqueFont(font);
}

bool DrawText(HDC dc) {
    Gdiplus::GpGraphics* graphics = nullptr;
    if (GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok) return false;
    UniqueGraphics ownedGraphics(graphics);
    UniqueFont font = CreateDefaultFont();
    Gdiplus::GpSolidFill* fill = nullptr;
    if (!font || GdipCreateSolidFill(0xFF000000, &fill) != Gdiplus::Ok) return false;
    UniqueBrush brush(fill);
    const Gdiplus::RectF layout(10, 10, 300, 30);
    return GdipDrawString(graphics, kText, -1, font.get(), &layout, nullptr, brush.get()) ==
           Gdiplus::Ok;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            drawn = DrawText(dc);
            EndPaint(window, &paint);
            // The first picture is on screen: that is all this program measures.
            if (!parked) PostMessageW(window, WM_CLOSE, 0, 0);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    parked = commandLine && wcscmp(commandLine, L"--park") == 0;
    GdiplusSession gdiplus;
    if (!gdiplus.Started()) return 1;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass)) return 1;
    // Parked bottom right, clear of the main window the measurement watches at (50, 50).
    const int x = parked ? 1000 : 50, y = parked ? 850 : 50;
    HWND window = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, x, y, 250, 120,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return drawn ? 0 : 1;
}
