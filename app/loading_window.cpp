#include "app/loading_window.h"

#include <process.h>

#include <algorithm>

#include "app/control_font.h"
#include "app/window_class.h"
#include "text/text_utils.h"

namespace {

constexpr wchar_t kClassName[] = L"ZentoriLoadingWindow";
constexpr UINT_PTR kHintTimer = 1;
// How often the wait checks that no other window of the program has come in front.
constexpr UINT_PTR kFrontTimer = 2;
constexpr UINT kFrontCheckMs = 250;

// What the window thread and the worker share. The worker fills in the result and ends; the
// window thread reads the result only once the thread has ended, or never.
struct Worker {
    std::shared_ptr<FetchJob> job;
    LoadingWindow::Work work;
    FetchResult result;
};

unsigned __stdcall WorkerProc(void* parameter) {
    auto* handed = static_cast<std::shared_ptr<Worker>*>(parameter);
    const std::shared_ptr<Worker> worker = std::move(*handed);
    delete handed;
    try {
        worker->result = worker->work(*worker->job);
    } catch (...) {
        // Out of memory included: the fetch failed, and nothing of it is shown.
        worker->result.records.clear();
        worker->result.outcome = FetchOutcome{FetchStatus::kFailed};
    }
    return 0;
}

void SetGbkText(HWND window, const char* text) {
    const std::u16string wide = AnsiToWide(text);
    SetWindowTextW(window, reinterpret_cast<const wchar_t*>(wide.c_str()));
}

bool OnThisThread(HWND window) {
    return window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

}  // namespace

const char LoadingWindow::kText[] = " 加载中！网速不同加载速度也不同            loading...";
const char LoadingWindow::kHintText[] = " 加载中！网速不同加载速度也不同      按 Esc 键取消加载";

FetchResult LoadingWindow::Run(HINSTANCE instance, HWND mainWindow, std::shared_ptr<FetchJob> job,
                               Work work, std::initializer_list<HWND> alsoDisabled) {
    FetchResult result;
    result.outcome.status = FetchStatus::kFailed;
    if (window_ || !job) return result;
    cancelled_ = false;
    quitting_ = false;
    if (!CreateWindows(instance, mainWindow)) return result;
    const UniqueFontGdi font = CreateControlFont();
    if (label_ && font) SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), 0);

    // Where the keyboard focus was (the search box after an Enter there): the main window takes
    // the focus itself when it is activated again, and the user would have to click back in.
    const HWND focus = GetFocus();
    std::vector<HWND> disabled{mainWindow};
    disabled.insert(disabled.end(), alsoDisabled);
    // Only what this wait disabled is enabled again afterwards.
    std::erase_if(disabled, [](HWND window) { return !window || EnableWindow(window, FALSE); });
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    SetTimer(window_, kHintTimer, kHintDelayMs, nullptr);
    SetTimer(window_, kFrontTimer, kFrontCheckMs, nullptr);

    const auto worker = std::make_shared<Worker>(Worker{job, std::move(work), {}});
    auto* handed = new std::shared_ptr<Worker>(worker);
    const auto thread =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WorkerProc, handed, 0, nullptr));
    WaitEnd end = WaitEnd::kFailed;
    if (thread) {
        end = Wait(thread, job->Deadline());
        CloseHandle(thread);
    } else {
        delete handed;
    }
    if (end == WaitEnd::kWorkerEnded) {
        result = std::move(worker->result);
    } else {
        // The worker may run on for a while (Wine lets a blocked WinINet call finish); from
        // now on it touches nothing but what it shares with this wait.
        job->Abandon();
        result.outcome.status = end == WaitEnd::kTimedOut    ? FetchStatus::kTimedOut
                                : end == WaitEnd::kCancelled ? FetchStatus::kCancelled
                                                             : FetchStatus::kFailed;
    }

    // Re-enable the windows before the loading window goes, so activation returns to the main
    // window.
    for (HWND window : disabled) {
        if (IsWindow(window)) EnableWindow(window, TRUE);
    }
    DestroyWindow(window_);
    if (focus && GetActiveWindow() == mainWindow && IsChild(mainWindow, focus)) SetFocus(focus);
    if (quitting_) PostQuitMessage(static_cast<int>(quitCode_));
    return result;
}

// Owned by the main window: it stays above it, and a click on the disabled main window (or its
// taskbar button) brings it forward, as with any modal dialog.
HWND LoadingWindow::CreateWindows(HINSTANCE instance, HWND owner) {
    if (!RegisterWindowClassOnce({.name = kClassName,
                                  .procedure = WindowProc,
                                  .instance = instance,
                                  .cursor = IDC_WAIT,
                                  .background = GetSysColorBrush(COLOR_BTNFACE)})) {
        return nullptr;
    }
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP | WS_BORDER, kLeft,
                                  kTop, kWidth, kHeight, owner, nullptr, instance, this);
    if (!window) return nullptr;
    RECT client{};
    GetClientRect(window, &client);
    label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, 0,
                             0, client.right, client.bottom, window, nullptr, instance, nullptr);
    if (label_) SetGbkText(label_, kText);
    return window;
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
    const HWND active = GetForegroundWindow();
    if (!OnThisThread(active)) return;
    if (active != window_) {
        SetForegroundWindow(window_);
        return;
    }
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CALLBACK LoadingWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* self = WindowOwner<LoadingWindow>(window, message, lParam);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_NCCREATE:
            self->window_ = window;
            break;
        case WM_TIMER:
            if (wParam == kHintTimer) {
                KillTimer(window, kHintTimer);
                if (self->label_) SetGbkText(self->label_, kHintText);
            } else if (wParam == kFrontTimer) {
                self->KeepInFront();
            }
            return 0;
        case WM_CLOSE:  // Alt+F4, or a close request from outside: the wait ends, cancelled
            self->cancelled_ = true;
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
            self->label_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
