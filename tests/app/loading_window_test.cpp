// The modal loading window: the main window is disabled while the work runs on another thread,
// the user cannot close the window halfway, and the result comes back on the window thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "app/loading_window.h"

namespace {

HWND CreateMainStandIn() {
    return CreateWindowExW(0, L"STATIC", L"main", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

HWND FindLoadingWindow() {
    return FindWindowW(L"ZentoriLoadingWindow", nullptr);
}

TEST(LoadingWindow, ShowsItsTextAndSizeWhileMainIsDisabledAndReturnsTheResult) {
    HWND main = CreateMainStandIn();
    ASSERT_NE(main, nullptr);
    const DWORD windowThread = GetCurrentThreadId();
    std::atomic<bool> mainDisabledDuringWork{false};
    std::atomic<DWORD> workThread{0};
    std::atomic<bool> closeIgnored{false};
    RECT rect{};
    wchar_t text[128] = L"";

    auto result = LoadingWindow::Run(GetModuleHandleW(nullptr), main, [&] {
        workThread = GetCurrentThreadId();
        mainDisabledDuringWork = !IsWindowEnabled(main);
        HWND loading = FindLoadingWindow();
        GetWindowRect(loading, &rect);
        GetWindowTextW(GetWindow(loading, GW_CHILD), text, 128);
        // Alt+F4 and a close request while the work runs change nothing.
        SendMessageW(loading, WM_SYSCOMMAND, SC_CLOSE, 0);
        SendMessageW(loading, WM_CLOSE, 0, 0);
        closeIgnored = IsWindow(loading) != FALSE;
        FetchResult fetched;
        fetched.pageText = "第3页";
        fetched.records.push_back({"1", "name", "intro", "http://x/1"});
        return std::optional<FetchResult>(fetched);
    });

    EXPECT_EQ(rect.left, 50);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(rect.right - rect.left, 370);
    EXPECT_EQ(rect.bottom - rect.top, 30);
    EXPECT_STREQ(text, L" 加载中！网速不同加载速度也不同            loading...");
    EXPECT_TRUE(mainDisabledDuringWork);
    EXPECT_TRUE(closeIgnored);
    EXPECT_NE(workThread.load(), windowThread);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(FindLoadingWindow(), nullptr);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->pageText, "第3页");
    ASSERT_EQ(result->records.size(), 1u);
    EXPECT_EQ(result->records[0].link, "http://x/1");
    DestroyWindow(main);
}

TEST(LoadingWindow, WorkWithoutResultStillClosesTheWindow) {
    HWND main = CreateMainStandIn();
    auto result = LoadingWindow::Run(GetModuleHandleW(nullptr), main,
                                     [] { return std::optional<FetchResult>(); });
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(FindLoadingWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(main));
    DestroyWindow(main);
}

TEST(LoadingWindow, QuitDuringTheWaitEndsItAndIsPostedAgain) {
    HWND main = CreateMainStandIn();
    const DWORD windowThread = GetCurrentThreadId();
    auto result = LoadingWindow::Run(GetModuleHandleW(nullptr), main, [windowThread] {
        PostThreadMessageW(windowThread, WM_QUIT, 7, 0);
        Sleep(300);  // still working when the quit arrives
        return std::optional<FetchResult>(FetchResult{});
    });
    EXPECT_FALSE(result.has_value());
    EXPECT_TRUE(IsWindowEnabled(main));
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
    DestroyWindow(main);
    Sleep(500);  // let the abandoned worker finish before the process tears down
}

}  // namespace
