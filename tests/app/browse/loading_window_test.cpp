// The modal loading window: the main window (and the other windows given) are disabled while
// the work runs on another thread, the result comes back on the window thread, and every way of
// ending the wait early (Esc, Alt+F4, the main window closing, WM_QUIT, the time limit, a
// throwing work) gives control back at once, abandons the job and leaks nothing. That it stays
// in front of the program's other windows is checked on screen by the end-to-end tests.
#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <utility>

#include "app/browse/loading_window.h"
#include "tests/support/program/running_program.h"
#include "tests/support/toolkit/test_form.h"
#include "tests/support/toolkit/window_manager.h"
#include "win/window_class.h"

namespace {

using test::FindLoadingWindow;

LoadingWindow* gLoading = nullptr;  // the wait the main stand-in cancels on WM_CLOSE

// The main window as the application makes it: a close request during a fetch cancels it.
LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE && gLoading && gLoading->Waiting()) {
        gLoading->Cancel();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateTopLevel(const wchar_t* title, int width, int height) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    constexpr wchar_t kClassName[] = L"LoadingWindowTestMain";
    RegisterWindowClassOnce({.name = kClassName, .procedure = MainProc, .instance = instance});
    return CreateWindowExW(0, kClassName, title, WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                           nullptr, nullptr, instance, nullptr);
}

FetchResult Page(const char* pageText) {
    FetchResult result;
    result.pageText = pageText;
    result.records.push_back({"1", "name", "intro", "http://x/1"});
    return result;
}

class LoadingWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        main_ = CreateTopLevel(L"main", 200, 200);
        ASSERT_NE(main_, nullptr);
        gLoading = &loading_;
    }
    void TearDown() override {
        gLoading = nullptr;
        DestroyWindow(main_);
    }

    // The wait ended by itself and left everything as before it.
    void ExpectClosedAndEnabled() {
        EXPECT_EQ(FindLoadingWindow(), nullptr);
        EXPECT_FALSE(loading_.Waiting());
        EXPECT_TRUE(IsWindowEnabled(main_));
    }

    HWND main_ = nullptr;
    LoadingWindow loading_;
};

TEST_F(LoadingWindowTest, ShowsItsTextOverTheDisabledWindowsAndReturnsTheResultOnThisThread) {
    const HWND game = CreateTopLevel(L"game", 100, 100);
    const DWORD windowThread = GetCurrentThreadId();
    std::atomic<bool> disabledDuringWork{false};
    std::atomic<DWORD> workThread{0};
    RECT rect{};
    HWND owner = nullptr;
    wchar_t text[128] = L"";

    // Where the window asks to be; a window manager may place it elsewhere.
    const test::CreationPlace place(L"ZentoriLoadingWindow");
    auto job = std::make_shared<FetchJob>(nullptr);
    const FetchResult result =
        loading_.Run(GetModuleHandleW(nullptr), main_, job,
                     [&](FetchJob&) {
                         workThread = GetCurrentThreadId();
                         disabledDuringWork = !IsWindowEnabled(main_) && !IsWindowEnabled(game);
                         const HWND window = FindLoadingWindow();
                         GetWindowRect(window, &rect);
                         owner = GetWindow(window, GW_OWNER);
                         GetWindowTextW(GetWindow(window, GW_CHILD), text, 128);
                         return Page("第3页");
                     },
                     {game, nullptr});

    EXPECT_EQ(place.Place().left, 50);
    EXPECT_EQ(place.Place().top, 50);
    EXPECT_EQ(rect.right - rect.left, 370);
    EXPECT_EQ(rect.bottom - rect.top, 30);
    EXPECT_EQ(owner, main_);
    EXPECT_STREQ(text, L" 加载中！网速不同加载速度也不同            loading...");
    EXPECT_TRUE(disabledDuringWork);
    EXPECT_NE(workThread.load(), windowThread);
    ExpectClosedAndEnabled();
    EXPECT_TRUE(IsWindowEnabled(game));
    EXPECT_FALSE(job->Abandoned());
    EXPECT_TRUE(result.outcome.Succeeded());
    EXPECT_EQ(result.pageText, "第3页");
    ASSERT_EQ(result.records.size(), 1u);
    EXPECT_EQ(result.records[0].link, "http://x/1");
    DestroyWindow(game);
}

// Each way of ending the wait early, done while the work is still busy: control comes back while
// the work is still blocked (as a WinINet call Wine does not abort would be), with the outcome
// named, the job is abandoned, the work's late result is dropped, and everything the wait shared
// with the worker is freed once the worker ends. How soon control comes back is printed by the
// fetch benchmark.
TEST_F(LoadingWindowTest, EndingTheWaitEarlyGivesControlBackAtOnceAndDropsTheLateResult) {
    struct Case {
        const char* name;
        void (*end)(HWND loading, HWND main, DWORD windowThread);
        FetchStatus status;
        unsigned timeLimitMs;
    };
    const Case cases[] = {
        {"Esc", [](HWND w, HWND, DWORD) { PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 1); },
         FetchStatus::kCancelled, kFetchTimeLimitMs},
        {"Alt+F4", [](HWND w, HWND, DWORD) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); },
         FetchStatus::kCancelled, kFetchTimeLimitMs},
        {"main window closed", [](HWND, HWND main, DWORD) { PostMessageW(main, WM_CLOSE, 0, 0); },
         FetchStatus::kCancelled, kFetchTimeLimitMs},
        {"WM_QUIT", [](HWND, HWND, DWORD t) { PostThreadMessageW(t, WM_QUIT, 7, 0); },
         FetchStatus::kCancelled, kFetchTimeLimitMs},
        {"time limit", [](HWND, HWND, DWORD) {}, FetchStatus::kTimedOut, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        auto job = std::make_shared<FetchJob>(std::make_shared<boost::regex>(), c.timeLimitMs);
        const std::weak_ptr<FetchJob> shared = job;
        std::atomic<bool> workEnded{false};
        const HWND main = main_;
        const DWORD windowThread = GetCurrentThreadId();

        const FetchResult result = loading_.Run(GetModuleHandleW(nullptr), main_, std::move(job),
                                                [&, release](FetchJob& work) {
                                                    c.end(FindLoadingWindow(), main, windowThread);
                                                    // Released once the wait has returned; the cap
                                                    // only ends a wait that never does.
                                                    WaitForSingleObject(release, 20000);
                                                    EXPECT_FALSE(work.Parse([](boost::regex&) {}));
                                                    workEnded = true;
                                                    return Page("late");
                                                });

        EXPECT_FALSE(workEnded) << "the wait waited for the work";
        EXPECT_EQ(result.outcome.status, c.status);
        EXPECT_TRUE(result.records.empty());
        ExpectClosedAndEnabled();
        if (c.status == FetchStatus::kCancelled && std::string(c.name) == "WM_QUIT") {
            MSG quit;
            ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
            EXPECT_EQ(quit.wParam, 7u);
        }
        SetEvent(release);
        EXPECT_TRUE(test::PumpUntil([&] { return shared.expired(); }, 20000)) << "job leaked";
        CloseHandle(release);
    }
}

int gShowings = 0;  // the loading window's showings, seen by CountShowings

LRESULT CALLBACK CountShowings(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_SHOWWINDOW && call->wParam &&
        call->hwnd == FindWindowW(L"ZentoriLoadingWindow", nullptr)) {
        ++gShowings;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A fetch started before anyone waits for it (the first screen's): its result is taken as it is
// once it has ended; one that ends within a moment of the wait's start is waited for with the
// main window disabled but without showing the window; a wait for one still running ends like
// any other, abandoning it.
TEST_F(LoadingWindowTest, AFetchStartedEarlierIsWaitedForOrAbandonedLikeAnyOther) {
    FetchThread done(std::make_shared<FetchJob>(nullptr), [](FetchJob&) { return Page("第1页"); });
    ASSERT_TRUE(test::PumpUntil([&] { return done.Ended(); }));
    FetchResult result = loading_.Run(GetModuleHandleW(nullptr), main_, std::move(done));
    EXPECT_EQ(result.pageText, "第1页");
    ExpectClosedAndEnabled();

    gShowings = 0;
    const HHOOK hook =
        SetWindowsHookExW(WH_CALLWNDPROC, CountShowings, nullptr, GetCurrentThreadId());
    std::atomic<bool> disabled{false};
    FetchThread quick(std::make_shared<FetchJob>(nullptr), [&](FetchJob&) {
        Sleep(10);  // still running when the wait starts
        disabled = !IsWindowEnabled(main_);
        return Page("第2页");
    });
    result = loading_.Run(GetModuleHandleW(nullptr), main_, std::move(quick));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(result.pageText, "第2页");
    EXPECT_TRUE(disabled);
    EXPECT_EQ(gShowings, 0) << "flashed up for a fetch of a moment";
    ExpectClosedAndEnabled();

    const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto job = std::make_shared<FetchJob>(std::make_shared<boost::regex>());
    const std::weak_ptr<FetchJob> shared = job;
    FetchThread running(std::move(job), [release](FetchJob& work) {
        WaitForSingleObject(release, 20000);
        EXPECT_FALSE(work.Parse([](boost::regex&) {}));
        return Page("late");
    });
    // Esc once the loading window is there.
    SetTimer(main_, 1, 50, [](HWND main, UINT, UINT_PTR id, DWORD) {
        if (const HWND loading = FindLoadingWindow()) {
            KillTimer(main, id);
            PostMessageW(loading, WM_KEYDOWN, VK_ESCAPE, 1);
        }
    });
    result = loading_.Run(GetModuleHandleW(nullptr), main_, std::move(running));
    EXPECT_EQ(result.outcome.status, FetchStatus::kCancelled);
    EXPECT_TRUE(result.records.empty());
    ExpectClosedAndEnabled();
    SetEvent(release);
    EXPECT_TRUE(test::PumpUntil([&] { return shared.expired(); }, 20000)) << "job leaked";
    CloseHandle(release);
}

// Kept between fetches, the window may still be shown without a wait (a restore that brings
// back too much): Esc and Alt+F4 then hide it, as they end a wait.
TEST_F(LoadingWindowTest, AnIdleWindowShownByMistakeGoesOnEscOrAltF4) {
    loading_.Run(GetModuleHandleW(nullptr), main_, std::make_shared<FetchJob>(nullptr),
                 [](FetchJob&) { return FetchResult{}; });
    const HWND window = FindWindowW(L"ZentoriLoadingWindow", nullptr);
    ASSERT_NE(window, nullptr);
    for (const auto& [key, message, wParam] :
         {std::tuple{"Esc", WM_KEYDOWN, WPARAM{VK_ESCAPE}},
          std::tuple{"Alt+F4", WM_SYSCOMMAND, WPARAM{SC_CLOSE}}}) {
        SCOPED_TRACE(key);
        ShowWindow(window, SW_SHOWNORMAL);
        PostMessageW(window, message, wParam, 0);
        EXPECT_TRUE(test::PumpUntil([] { return !FindLoadingWindow(); }));
        EXPECT_TRUE(IsWindow(window)) << "kept for the next fetch";
    }
}

TEST_F(LoadingWindowTest, WorkThatThrowsIsAFailureNotACrash) {
    const FetchResult result =
        loading_.Run(GetModuleHandleW(nullptr), main_, std::make_shared<FetchJob>(nullptr),
                     [](FetchJob&) -> FetchResult { throw std::bad_alloc(); });
    EXPECT_EQ(result.outcome.status, FetchStatus::kFailed);
    ExpectClosedAndEnabled();
}

// After two seconds the window also says that Esc cancels, inside its 370 x 30.
TEST_F(LoadingWindowTest, SaysAfterTwoSecondsThatEscCancels) {
    std::wstring before, after;
    SIZE hintSize{};
    RECT client{};
    loading_.Run(
        GetModuleHandleW(nullptr), main_, std::make_shared<FetchJob>(nullptr), [&](FetchJob&) {
            const HWND label = GetWindow(FindLoadingWindow(), GW_CHILD);
            wchar_t text[128] = L"";
            GetWindowTextW(label, text, 128);
            before = text;
            // The hint comes on the window thread's timer; the deadline is for a busy machine.
            const ULONGLONG deadline = GetTickCount64() + LoadingWindow::kHintDelayMs + 20000;
            do {
                Sleep(50);
                GetWindowTextW(label, text, 128);
                after = text;
            } while (after == before && GetTickCount64() < deadline);

            GetClientRect(label, &client);
            const HDC dc = GetDC(label);
            const HGDIOBJ old =
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
            GetTextExtentPoint32W(dc, text, static_cast<int>(after.size()), &hintSize);
            SelectObject(dc, old);
            ReleaseDC(label, dc);
            return FetchResult{};
        });

    EXPECT_EQ(before, L" 加载中！网速不同加载速度也不同            loading...");
    EXPECT_EQ(after, L" 加载中！网速不同加载速度也不同      按 Esc 键取消加载");
    EXPECT_LE(hintSize.cx, client.right);
    EXPECT_LE(hintSize.cy, client.bottom);
    ExpectClosedAndEnabled();

    // The window is kept for the next fetch, which starts with the first text again.
    std::wstring next;
    loading_.Run(GetModuleHandleW(nullptr), main_, std::make_shared<FetchJob>(nullptr),
                 [&](FetchJob&) {
                     wchar_t text[128] = L"";
                     GetWindowTextW(GetWindow(FindLoadingWindow(), GW_CHILD), text, 128);
                     next = text;
                     return FetchResult{};
                 });
    EXPECT_EQ(next, before);
}

// Kept between fetches, the window follows the main window to a monitor of another DPI: at the
// next fetch it has the new scale's place, size and font.
TEST(LoadingWindowScaleTest, FollowsTheMainWindowToAnotherDpiAtTheNextFetch) {
    test::TestForm main;
    LoadingWindow loading;
    auto measure = [&] {
        std::pair<RECT, LONG> seen{};
        loading.Run(GetModuleHandleW(nullptr), main.Handle(), std::make_shared<FetchJob>(nullptr),
                    [&](FetchJob&) {
                        const HWND window = FindLoadingWindow();
                        GetWindowRect(window, &seen.first);
                        LOGFONTW font{};
                        GetObjectW(reinterpret_cast<HFONT>(
                                       SendMessageW(GetWindow(window, GW_CHILD), WM_GETFONT, 0, 0)),
                                   sizeof(font), &font);
                        seen.second = std::abs(font.lfHeight);
                        return FetchResult{};
                    });
        return seen;
    };
    const auto [before, fontBefore] = measure();
    EXPECT_EQ(before.right - before.left, 370);
    RECT place{};
    GetWindowRect(main.Handle(), &place);
    SendMessageW(main.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&place));

    const auto [after, fontAfter] = measure();
    EXPECT_EQ(after.left, 75);
    EXPECT_EQ(after.top, 75);
    EXPECT_EQ(after.right - after.left, 555);
    EXPECT_EQ(after.bottom - after.top, 45);
    EXPECT_GE(fontAfter, fontBefore * 3 / 2 - 1);
}

// A screen reader meeting the window hears what it says and that the program is busy.
TEST_F(LoadingWindowTest, ReadersHearTheWindowAsBusy) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    static long state;
    static std::wstring name;
    state = 0;
    name.clear();
    // Asked from this thread while the wait runs, as a reader's call would arrive; then Esc.
    SetTimer(main_, 1, 50, [](HWND main, UINT, UINT_PTR id, DWORD) {
        const HWND loading = FindLoadingWindow();
        if (!loading) return;
        KillTimer(main, id);
        IAccessible* object = nullptr;
        if (SUCCEEDED(AccessibleObjectFromWindow(loading, OBJID_CLIENT, __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&object)))) {
            VARIANT self{};
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            VARIANT value{};
            if (SUCCEEDED(object->get_accState(self, &value)) && value.vt == VT_I4) {
                state = value.lVal;
            }
            BSTR text = nullptr;
            if (SUCCEEDED(object->get_accName(self, &text)) && text) name = text;
            SysFreeString(text);
            object->Release();
        }
        PostMessageW(loading, WM_KEYDOWN, VK_ESCAPE, 1);
    });
    const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    loading_.Run(GetModuleHandleW(nullptr), main_, std::make_shared<FetchJob>(nullptr),
                 [release](FetchJob&) {
                     WaitForSingleObject(release, 10000);
                     return FetchResult{};
                 });
    SetEvent(release);
    CloseHandle(release);
    EXPECT_TRUE(state & STATE_SYSTEM_BUSY) << state;
    EXPECT_EQ(name, L" 加载中！网速不同加载速度也不同            loading...");
    OleUninitialize();
}

}  // namespace
