#include "app/main_window/main_window.h"

#include <commctrl.h>

#include <utility>

#include "app/control_font.h"
#include "win/wide_text.h"
#include "text/text_utils.h"
#include "widgets/widget_tables.h"

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW;
// A timer's message comes only once the queue holds nothing else. The widgets' timers on this
// window carry the widgets' ids, small numbers: this one is far from them.
constexpr UINT_PTR kIdleTimer = 0x1D1E0001;

}  // namespace

const char MainWindow::kTitle[] = "Zentori网页游戏盒子";
const char MainWindow::kSearchBoxText[] = "搜索游戏";

UINT MainWindow::ShowRequestMessage() {
    static const UINT message = RegisterWindowMessageW(L"Zentori-ShowMainWindow");
    return message;
}

std::string MainWindow::SearchText() const {
    if (!searchBox_) return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(searchBox_)) + 1, L'\0');
    text.resize(GetWindowTextW(searchBox_, text.data(), static_cast<int>(text.size())));
    return WideToGbk(text);
}

// The edit box uses the program's control font, the face the widgets draw in.
void MainWindow::CreateSearchBox() {
    if (searchBox_ || !window_) return;
    const std::wstring text = GbkToWide(kSearchBoxText);
    searchBox_ = CreateWindowExW(0, L"EDIT", text.c_str(),
                                 WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                                 kSearchBoxLeft, kSearchBoxTop, kSearchBoxWidth, kSearchBoxHeight,
                                 window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!searchBox_) return;
    PlaceSearchBox(window_);
    SetWindowSubclass(searchBox_, SearchBoxProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

void MainWindow::PlaceSearchBox(HWND window) {
    if (!searchBox_) return;
    const DisplayScale scale = WindowScale(window);
    const RECT place = scale.Rect(kSearchBoxLeft, kSearchBoxTop, kSearchBoxWidth, kSearchBoxHeight);
    SetWindowPos(searchBox_, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    UniqueFontGdi font = CreateControlFont(kSearchFontHeight, scale);
    if (!font) return;
    SendMessageW(searchBox_, WM_SETFONT, WPARAM(font.get()), TRUE);
    searchFont_ = std::move(font);  // the old one goes once the box no longer uses it
}

LRESULT CALLBACK MainWindow::SearchBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
    auto* owner = reinterpret_cast<MainWindow*>(self);
    switch (message) {
        case WM_KEYDOWN:
            if (owner->handlers_.searchKeyDown) {
                // The handler may run a modal fetch; let the box finish its own key handling
                // first so its state is consistent while that runs.
                LRESULT result = DefSubclassProc(box, message, wParam, lParam);
                owner->handlers_.searchKeyDown(static_cast<UINT>(wParam));
                return result;
            }
            break;
        case WM_CHAR:
            // Enter searches; a single-line edit box would only beep at it.
            if (wParam == '\r' || wParam == '\n') return 0;
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(box, SearchBoxProc, 1);
            owner->searchBox_ = nullptr;
            break;
        default:
            break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

bool MainWindow::Create(HINSTANCE instance, Handlers handlers) {
    handlers_ = std::move(handlers);
    const std::wstring title = GbkToWide(kTitle);
    // The primary monitor's DPI (where the window opens) is the system's; should the window's
    // differ, it is sized for its own before it shows.
    const RECT place = DisplayScale::ForSystem().Rect(kLeft, kTop, kWidth, kHeight);
    if (!CreateNativeWindow({.name = kClassName,
                             .instance = instance,
                             // A double-click anywhere in the client area opens the selected
                             // game.
                             .style = CS_DBLCLKS,
                             .programIcon = true},
                            {.exStyle = kExStyle,
                             .style = kStyle,
                             .title = title.c_str(),
                             .left = place.left,
                             .top = place.top,
                             .width = place.right - place.left,
                             .height = place.bottom - place.top})) {
        return false;
    }
    if (const DisplayScale own = DisplayScale::ForWindow(window_);
        own != DisplayScale::ForSystem()) {
        const RECT ownPlace = own.Rect(kLeft, kTop, kWidth, kHeight);
        SetWindowPos(window_, nullptr, 0, 0, ownPlace.right - ownPlace.left,
                     ownPlace.bottom - ownPlace.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

void MainWindow::RunWhenIdle(std::function<void()> work) {
    idleWork_.push_back(std::move(work));
    SetTimer(window_, kIdleTimer, USER_TIMER_MINIMUM, nullptr);
}

void MainWindow::Show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

LRESULT MainWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            if (handlers_.created) handlers_.created(window);
            return 0;
        case WM_ACTIVATE:
            // The window would take the keyboard for itself on activation, and a term half
            // typed in the search box would lose its caret to a switch to another program.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                lastFocus_ = focus == window || IsChild(window, focus) ? focus : nullptr;
                return 0;
            }
            if (HIWORD(wParam) == 0 && lastFocus_ && IsWindow(lastFocus_)) {
                SetFocus(lastFocus_);
                return 0;
            }
            break;
        case WM_TIMER:
            if (wParam != kIdleTimer) break;
            KillTimer(window, kIdleTimer);
            if (!idleWork_.empty()) {
                const std::function<void()> work = std::move(idleWork_.front());
                idleWork_.pop_front();
                if (work) work();
            }
            // The next piece waits for the thread to go idle again after this one.
            if (!idleWork_.empty()) SetTimer(window, kIdleTimer, USER_TIMER_MINIMUM, nullptr);
            return 0;
        case WM_LBUTTONDBLCLK:
            if (handlers_.doubleClicked) handlers_.doubleClicked();
            return 0;
        case WM_DPICHANGED:
            // The skinned form has resized the window and laid its widgets out already.
            PlaceSearchBox(window);
            if (handlers_.scaleChanged) handlers_.scaleChanged();
            return 0;
        case WM_CONTEXTMENU:
            // The search box shows its own menu; this one is for the window's own area.
            if (reinterpret_cast<HWND>(wParam) != window || !handlers_.contextMenu) break;
            handlers_.contextMenu(
                POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return 0;
        case WM_ENDSESSION:
            // The session ends after this returns: leave as a close would, at once or as soon
            // as a fetch under way has given control back.
            if (wParam) SendMessageW(window, WM_CLOSE, 0, 0);
            return 0;
        case WM_CLOSE:
            if (handlers_.closing && !handlers_.closing()) return 0;
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            if (handlers_.destroying) handlers_.destroying();
            PostQuitMessage(0);
            return 0;
        default:
            if (message == ShowRequestMessage() && message != 0) {
                if (handlers_.showRequested) handlers_.showRequested();
                return 0;
            }
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
