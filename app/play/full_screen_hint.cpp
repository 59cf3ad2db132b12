#include "app/play/full_screen_hint.h"

#include <algorithm>

#include "app/control_font.h"
#include "app/main_window/notice_bar.h"
#include "win/wide_text.h"

namespace {

constexpr wchar_t kClassName[] = L"ZentoriFullScreenHint";
constexpr UINT_PTR kHideTimerId = 1;
// 96-dpi design values: the text's size, the space around it, and the gap above the line.
constexpr int kFontHeight = 16;
constexpr int kPaddingX = 20;
constexpr int kPaddingY = 10;
constexpr int kTopGap = 40;

}  // namespace

const char FullScreenHint::kText[] = "按 F11 或 Esc 退出全屏";

FullScreenHint::~FullScreenHint() {
    if (window_) DestroyWindow(window_);
}

void FullScreenHint::Show(HWND owner, const RECT& monitor) {
    if (window_ && GetWindow(window_, GW_OWNER) != owner) DestroyWindow(window_);
    if (!window_) {
        text_ = GbkToWide(kText);
        const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
        if (!CreateNativeWindow({.name = kClassName, .instance = instance},
                                {.exStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                 .style = WS_POPUP,
                                 .title = text_.c_str(),
                                 .parent = owner})) {
            return;
        }
    }
    const DisplayScale scale = DisplayScale::ForWindow(owner);
    if (!font_ || scale != scale_) {
        scale_ = scale;
        font_ = CreateControlFont(kFontHeight, scale_);
    }
    SIZE size{};
    if (HDC dc = GetDC(window_)) {
        SelectGuard font(dc, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(dc, text_.c_str(), static_cast<int>(text_.size()), &size);
        ReleaseDC(window_, dc);
    }
    const int width =
        std::min<int>(size.cx + 2 * scale_.Px(kPaddingX), monitor.right - monitor.left);
    const int height = size.cy + 2 * scale_.Px(kPaddingY);
    const int left = monitor.left + (monitor.right - monitor.left - width) / 2;
    SetWindowPos(window_, HWND_TOP, left, monitor.top + scale_.Px(kTopGap), width, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(window_, nullptr, TRUE);
    SetTimer(window_, kHideTimerId, kShowMilliseconds, nullptr);
}

void FullScreenHint::Hide() {
    if (!window_) return;
    KillTimer(window_, kHideTimerId);
    ShowWindow(window_, SW_HIDE);
}

LRESULT FullScreenHint::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kHideTimerId) {
                Hide();
                return 0;
            }
            break;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills everything
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// As the main window's notices: a pale yellow fill, a golden frame and dark text.
void FullScreenHint::Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area{};
    GetClientRect(window, &area);
    NoticeBar::PaintPlate(dc, area);
    SelectGuard font(dc, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, NoticeBar::kTextColour);
    DrawTextW(dc, text_.c_str(), -1, &area, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    EndPaint(window, &paint);
}
