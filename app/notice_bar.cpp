#include "app/notice_bar.h"

#include "app/control_font.h"
#include "app/wide_text.h"
#include "app/window_class.h"

namespace {

constexpr wchar_t kClassName[] = L"ZentoriNoticeBar";
constexpr UINT_PTR kCloseTimer = 1;
constexpr int kTextInset = 8;
constexpr int kScrollBarWidth = 17;  // the list's scroll bar column, with its gap

}  // namespace

NoticeBar::~NoticeBar() {
    Close();
}

bool NoticeBar::Show(HWND parent, const RECT& place, std::string_view text, bool lasting,
                     std::function<void()> onClick) {
    if (window_ && lasting_ && !lasting) return false;
    text_ = GbkToWide(text);
    lasting_ = lasting;
    onClick_ = std::move(onClick);
    if (!window_) {
        const auto instance =
            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
        if (!RegisterWindowClassOnce({.name = kClassName,
                                      .procedure = WindowProc,
                                      .instance = instance,
                                      .cursor = IDC_HAND})) {
            return false;
        }
        if (!font_) font_ = CreateControlFont(kFontHeight);
        CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, place.left, place.top,
                        place.right - place.left, place.bottom - place.top, parent, nullptr,
                        instance, this);
        if (!window_) return false;
    }
    SetWindowTextW(window_, text_.c_str());  // for accessibility tools and tests
    if (lasting) {
        KillTimer(window_, kCloseTimer);
    } else {
        SetTimer(window_, kCloseTimer, kPassingMilliseconds, nullptr);
    }
    InvalidateRect(window_, nullptr, TRUE);
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    // A reader says the notice at once, wherever the user is.
    NotifyWinEvent(EVENT_SYSTEM_ALERT, window_, OBJID_CLIENT, CHILDID_SELF);
    return true;
}

void NoticeBar::Close() {
    if (window_) DestroyWindow(window_);
}

LRESULT CALLBACK NoticeBar::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowOwner<NoticeBar>(window, message, lParam);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(window, message, wParam, lParam);
}

LRESULT NoticeBar::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            window_ = window;
            return 0;
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills everything
        case WM_LBUTTONUP:
            if (onClick_) {
                // A copy: the command may show another notice here, or close this one.
                const std::function<void()> command = onClick_;
                command();
                return 0;
            }
            DestroyWindow(window);
            return 0;
        case WM_TIMER:
            DestroyWindow(window);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window_ = nullptr;
            lasting_ = false;
            onClick_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void NoticeBar::Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area{};
    GetClientRect(window, &area);
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc, kFillColour);
    FillRect(dc, &area, brush);
    SetDCBrushColor(dc, kFrameColour);
    FrameRect(dc, &area, brush);

    SelectGuard font(dc, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextColour);
    RECT text = area;
    InflateRect(&text, -kTextInset, 0);
    DrawTextW(dc, text_.c_str(), -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    EndPaint(window, &paint);
}

RECT NoticePlace(const ListControl& list) {
    const int left = static_cast<int>(list.GetLeft()) + 1;
    const int right = static_cast<int>(list.GetLeft() + list.GetWidth()) - 1 - kScrollBarWidth;
    const int bottom = static_cast<int>(list.GetTop() + list.GetHeight()) - 1;
    return RECT{left, bottom - NoticeBar::kHeight, right, bottom};
}
