// LoadingWindow: the small window shown while one catalogue fetch runs on a worker thread.
//
// Run() is modal: it disables the main window (and the other windows it is given), opens the
// window owned by the main window and in front of the program's other windows, runs the work on
// a worker thread (FetchThread) and returns the work's result once that thread has ended. A
// fetch started earlier shows the window only once the wait has lasted kShowAfterMs: one that
// ends sooner (a near catalogue) does not flash it up and down, though the main window is
// disabled all the same. Esc and closing the window (Alt+F4) cancel; so do Cancel() (the main
// window being closed) and WM_QUIT. The whole wait ends at the job's deadline whatever the worker
// does. A wait that ends before the worker abandons the job: the worker runs on by itself, its
// result is dropped, and it frees what it shares with the window thread when it ends.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "app/browse/catalogue_fetch.h"
#include "app/control_font.h"
#include "app/browse/fetch_thread.h"
#include "win/native_window.h"

class LoadingWindow : public NativeWindow<LoadingWindow> {
public:
    static constexpr int kLeft = 50;
    static constexpr int kTop = 50;
    static constexpr int kWidth = 370;
    static constexpr int kHeight = 30;
    static const char kText[];  // GBK
    // After this long the text also says that Esc cancels (kHintText).
    static constexpr UINT kHintDelayMs = 2000;
    static const char kHintText[];  // GBK
    // A wait shorter than this reads as instant; showing the window for it would only flicker.
    static constexpr UINT kShowAfterMs = 100;

    using Work = FetchThread::Work;

    LoadingWindow() = default;
    LoadingWindow(const LoadingWindow&) = delete;
    LoadingWindow& operator=(const LoadingWindow&) = delete;
    ~LoadingWindow();

    // Returns the work's result; an outcome of kCancelled when the wait was cancelled, kTimedOut
    // when the worker was still running at the job's deadline, kFailed when the work threw or
    // the window or the thread could not be created. `alsoDisabled` (null handles ignored) are
    // disabled during the wait like `mainWindow`. Window thread only; not re-entrant.
    FetchResult Run(HINSTANCE instance, HWND mainWindow, std::shared_ptr<FetchJob> job, Work work,
                    std::initializer_list<HWND> alsoDisabled = {});
    // The same for a fetch that was started earlier (and may have ended meanwhile), showing the
    // window after kShowAfterMs.
    FetchResult Run(HINSTANCE instance, HWND mainWindow, FetchThread fetch,
                    std::initializer_list<HWND> alsoDisabled = {});

    bool Waiting() const { return waiting_; }
    // Ends the wait under way as cancelled (nothing happens without one).
    void Cancel() { cancelled_ = true; }

private:
    enum class WaitEnd { kWorkerEnded, kCancelled, kTimedOut, kFailed };

    friend class NativeWindow<LoadingWindow>;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The window, made once for `owner` and kept hidden between fetches: making and destroying
    // a window costs more under Wine than the whole of a fetch from a near server.
    bool EnsureWindows(HINSTANCE instance, HWND owner);
    void FollowOwnerScale();
    // Run's body: `start` gives the fetch; the window shows after `showAfterMs` (at once, before
    // `start`, for 0).
    FetchResult RunWith(HINSTANCE instance, HWND mainWindow,
                        const std::function<FetchThread()>& start,
                        std::initializer_list<HWND> alsoDisabled, UINT showAfterMs);
    // Shows the window unless its owner is hidden (the boss key): it then shows when the owner
    // is back, at a later tick of the show timer.
    bool ShowOverOwner();
    // Waits until the thread ends, the wait is cancelled or the deadline passes.
    WaitEnd Wait(HANDLE thread, ULONGLONG deadline);
    void KeepInFront() const;

    HWND label_ = nullptr;
    HWND owner_ = nullptr;
    UniqueFontGdi font_;
    std::optional<DisplayScale> placedFor_;  // the scale the window and its font were made for
    bool hintShown_ = false;
    bool waiting_ = false;
    bool cancelled_ = false;
    bool quitting_ = false;
    WPARAM quitCode_ = 0;
};
