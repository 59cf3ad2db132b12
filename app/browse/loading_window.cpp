#include "app/browse/loading_window.h"

#include <algorithm>

#include "app/browse/busy_accessible.h"
#include "app/control_font.h"
#include "app/process/boss_key.h"
#include "text/text_utils.h"
#include "widgets/widget_tables.h"

namespace {

constexpr wchar_t kClassName[] = L"ZentoriLoadingWindow";
constexpr UINT_PTR kHintTimer = 1;
// How often the wait checks that no other window of the program has come in front.
constexpr UINT_PTR kFrontTimer = 2;
constexpr UINT kFrontCheckMs = 250;
constexpr UINT_PTR kShowTimer = 3;

void SetGbkText(HWND window, const char* text) {
    const std::u16string wide = AnsiToWide(text);
    SetWindowTextW(window, reinterpret_cast<const wchar_t*>(wide.c_str()));
}

FetchResult FailedResult() {
    FetchResult result;
    result.outcome.status = FetchStatus::kFailed;
    return result;
}

bool OnThisThread(HWND window) {
    return window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

}  // namespace

const char LoadingWindow::kText[] = " 加载中！网速不同加载速度也不同            loading...";
const char LoadingWindow::kHintText[] = " 加载中！网速不同加载速度也不同      按 Esc 键取消加载";

FetchResult LoadingWindow::Run(HINSTANCE instance, HWND mainWindow, std::shared_ptr<FetchJob> job,
                               Work work, std::initializer_list<HWND> alsoDisabled) {
    if (!job) return FailedResult();
    // The worker starts once the window is up, as it always has: the work may look for it.
    return RunWith(
        instance, mainWindow, [&] { return FetchThread(std::move(job), std::move(work)); },
        alsoDisabled, 0);
}

FetchResult LoadingWindow::Run(HINSTANCE instance, HWND mainWindow, FetchThread fetch,
                               std::initializer_list<HWND> alsoDisabled) {
    return RunWith(
        instance, mainWindow, [&] { return std::move(fetch); }, alsoDisabled, kShowAfterMs);
}

FetchResult LoadingWindow::RunWith(HINSTANCE instance, HWND mainWindow,
                                   const std::function<FetchThread()>& start,
                                   std::initializer_list<HWND> alsoDisabled, UINT showAfterMs) {
    if (waiting_ || !EnsureWindows(instance, mainWindow)) return FailedResult();
    FollowOwnerScale();
    waiting_ = true;
    cancelled_ = false;
    quitting_ = false;
    if (hintShown_ && label_) SetGbkText(label_, kText);
    hintShown_ = false;

    // Where the keyboard focus was (the list, or the search box after an Enter there) goes back
    // there afterwards: disabling the main window takes the focus away, and the main window,
    // activated again after a loading window that showed, would take the focus itself.
    const HWND focus = GetFocus();
    std::vector<HWND> disabled{mainWindow};
    disabled.insert(disabled.end(), alsoDisabled);
    // Only what this wait disabled is enabled again afterwards.
    std::erase_if(disabled, [](HWND window) { return !window || EnableWindow(window, FALSE); });
    if (showAfterMs == 0 && ShowOverOwner()) {
        UpdateWindow(window_);
    } else {
        SetTimer(window_, kShowTimer, std::max<UINT>(showAfterMs, USER_TIMER_MINIMUM), nullptr);
    }
    SetTimer(window_, kHintTimer, kHintDelayMs, nullptr);
    SetTimer(window_, kFrontTimer, kFrontCheckMs, nullptr);

    FetchThread fetch = start();
    FetchResult result = FailedResult();
    const WaitEnd end =
        fetch.Started() ? Wait(fetch.Handle(), fetch.Job()->Deadline()) : WaitEnd::kFailed;
    if (end == WaitEnd::kWorkerEnded) {
        result = fetch.TakeResult();
    } else {
        fetch.Abandon();
        result.outcome.status = end == WaitEnd::kTimedOut    ? FetchStatus::kTimedOut
                                : end == WaitEnd::kCancelled ? FetchStatus::kCancelled
                                                             : FetchStatus::kFailed;
    }

    // Re-enable the windows before the loading window goes, so activation returns to the main
    // window.
    for (HWND window : disabled) {
        if (IsWindow(window)) EnableWindow(window, TRUE);
    }
    if (window_) {
        KillTimer(window_, kShowTimer);
        KillTimer(window_, kHintTimer);
        KillTimer(window_, kFrontTimer);
        HideOwnWindow(window_);  // also when the boss key hid it: the wait is over
    }
    waiting_ = false;
    if (focus && GetActiveWindow() == mainWindow &&
        (focus == mainWindow || IsChild(mainWindow, focus))) {
        SetFocus(focus);
    }
    if (quitting_) PostQuitMessage(static_cast<int>(quitCode_));
    return result;
}

bool LoadingWindow::ShowOverOwner() {
    if (!IsWindowVisible(owner_)) return false;
    ShowWindow(window_, SW_SHOWNORMAL);
    return true;
}

LoadingWindow::~LoadingWindow() {
    // Owned by the main window, it has gone with it, unless the owner outlived this object.
    if (window_) DestroyWindow(window_);
}

// Owned by the main window: it stays above it, and a click on the disabled main window (or its
// taskbar button) brings it forward, as with any modal dialog. Destroyed with its owner.
bool LoadingWindow::EnsureWindows(HINSTANCE instance, HWND owner) {
    if (window_ && owner_ == owner && IsWindow(window_)) return true;
    if (window_) DestroyWindow(window_);
    if (!CreateNativeWindow({.name = kClassName,
                             .instance = instance,
                             .cursor = IDC_WAIT,
                             .background = GetSysColorBrush(COLOR_BTNFACE)},
                            {.exStyle = WS_EX_TOOLWINDOW,
                             .style = WS_POPUP | WS_BORDER,
                             .left = kLeft,
                             .top = kTop,
                             .width = kWidth,
                             .height = kHeight,
                             .parent = owner})) {
        return false;
    }
    owner_ = owner;
    label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, 0,
                             0, kWidth, kHeight, window_, nullptr, instance, nullptr);
    if (label_) SetGbkText(label_, kText);
    return true;
}

// Sized and lettered for the DPI of the window it waits over. Kept between fetches, the window
// follows a main window that moved to a monitor of another DPI meanwhile when it next shows.
void LoadingWindow::FollowOwnerScale() {
    const DisplayScale scale = WindowScale(owner_);
    if (placedFor_ == scale) return;
    placedFor_ = scale;
    const RECT place = scale.Rect(kLeft, kTop, kWidth, kHeight);
    SetWindowPos(window_, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!label_) return;
    RECT client{};
    GetClientRect(window_, &client);
    SetWindowPos(label_, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    UniqueFontGdi font = CreateControlFont(0, scale);
    if (!font) return;
    SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);  // the old one once the label has let go of it
}

LoadingWindow::WaitEnd LoadingWindow::Wait(HANDLE thread, ULONGLONG deadline) {
    for (;;) {
        if (cancelled_) return WaitEnd::kCancelled;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return WaitEnd::kTimedOut;
        const auto timeout = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 0x7FFFFFFF));
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &thread, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return WaitEnd::kWorkerEnded;
        if (woke == WAIT_FAILED) return WaitEnd::kFailed;
        MSG message;
        while (!cancelled_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitting_ = true;
                quitCode_ = message.wParam;
                return WaitEnd::kCancelled;
            }
            if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE &&
                (message.hwnd == window_ || IsChild(window_, message.hwnd))) {
                return WaitEnd::kCancelled;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// While the program is the one the user works with, nothing of it may cover the loading window:
// a click on the game window (disabled, but a window manager may still raise it) or the
// taskbar must not hide the wait behind a maximised game.
void LoadingWindow::KeepInFront() const {
    if (!IsWindowVisible(window_)) return;  // not shown yet, or hidden with the rest
    const HWND active = GetForegroundWindow();
    if (!OnThisThread(active)) return;
    if (active != window_) {
        SetForegroundWindow(window_);
        return;
    }
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT LoadingWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kHintTimer) {
                KillTimer(window, kHintTimer);
                if (label_) SetGbkText(label_, kHintText);
                hintShown_ = true;
            } else if (wParam == kFrontTimer) {
                KeepInFront();
            } else if (wParam == kShowTimer && waiting_ && ShowOverOwner()) {
                KillTimer(window, kShowTimer);
            }
            return 0;
        case WM_CLOSE:  // Alt+F4, or a close request from outside: the wait ends, cancelled
            // Between waits the window only hides: it is kept for the next fetch. Should it show
            // without a wait, it still goes as the user asks.
            if (waiting_) {
                cancelled_ = true;
            } else {
                HideOwnWindow(window);
            }
            return 0;
        case WM_KEYDOWN:  // Esc outside a wait (during one, the wait takes it first)
            if (wParam == VK_ESCAPE) {
                SendMessageW(window, WM_CLOSE, 0, 0);
                return 0;
            }
            break;
        case WM_GETOBJECT:
            // A reader hears that the program is busy while the window shows.
            if (const LRESULT object = AnswerBusyGetObject(window, wParam, lParam)) return object;
            break;
        case WM_NCDESTROY:
            label_ = nullptr;
            owner_ = nullptr;
            placedFor_.reset();
            font_.reset();  // after its last user, the label, has gone
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
