// Starts the real zentori.exe (built beside this test) and checks what a user sees first: the
// main window with its title and size, and a clean exit when it is closed; then the
// program in this process, closed while its first page is still on its way, and left to go
// idle.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/application.h"
#include "tests/support/program/running_program.h"
#include "tests/support/toolkit/window_manager.h"

namespace {

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"zentori.exe";
}

struct Program {
    PROCESS_INFORMATION process{};

    bool Start() {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring command = L"\"" + ProgramPath() + L"\"";
        return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process) != 0;
    }
    ~Program() {
        if (!process.hProcess) return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 99);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
};

HWND WaitForWindow(const wchar_t* title, DWORD processId, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < deadline) {
        HWND window = FindWindowW(nullptr, title);
        DWORD owner = 0;
        if (window) GetWindowThreadProcessId(window, &owner);
        if (window && owner == processId && IsWindowVisible(window)) return window;
        Sleep(50);
    }
    return nullptr;
}

TEST(Startup, MainWindowHasItsTitleAndSizeAndClosesCleanly) {
    Program program;
    ASSERT_TRUE(program.Start()) << "cannot start zentori.exe beside the test";

    HWND window = WaitForWindow(L"Zentori网页游戏盒子", program.process.dwProcessId, 30000);
    ASSERT_NE(window, nullptr) << "no visible window titled Zentori网页游戏盒子";

    // (Where it opens is checked below, as the program asks: a window manager may move it.)
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 715);
    EXPECT_EQ(rect.bottom - rect.top, 552);

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(program.process.hProcess, 10000), WAIT_OBJECT_0)
        << "the program did not end after its main window was closed";
    DWORD exitCode = 1;
    GetExitCodeProcess(program.process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

// The window asks to open at (50, 50). The close is only posted while the first fetch is
// cancelled, so the window is still there when start-up goes on: nothing more may start then
// (the hidden browser would load the homepage).
TEST(Startup, TheWindowAsksForItsPlaceAndClosingDuringTheFirstFetchStartsNothingMore) {
    const test::CreationPlace place(MainWindow::kClassName);
    ASSERT_TRUE(test::SetCatalogueMode("stall"));
    std::thread closer([] {
        const ULONGLONG deadline = GetTickCount64() + 30000;
        while (!test::FindLoadingWindow() && GetTickCount64() < deadline)
            Sleep(20);
        PostMessageW(FindWindowW(MainWindow::kClassName, nullptr), WM_CLOSE, 0, 0);
    });
    Application program(GetModuleHandleW(nullptr));
    const bool started = program.Start(SW_SHOWNORMAL);
    closer.join();
    EXPECT_TRUE(started);
    EXPECT_EQ(place.Place().left, 50);
    EXPECT_EQ(place.Place().top, 50);
    // (Asking the catalogue dispatches the messages waiting, the close among them.)
    EXPECT_TRUE(test::SetCatalogueMode("normal"));
    EXPECT_EQ(program.RunMessageLoop(), 0) << "the close posted ends the program";
    EXPECT_FALSE(program.Hidden().Host().Created());
    program.Shutdown();
}

// The search box and the hidden browser would keep the first page from the screen: they come
// once the window has had nothing else to do, the box first and the browser at a later idle
// moment, so the box is on the screen before the browser's creation holds the thread.
TEST(Startup, TheSearchBoxAndThenTheHiddenBrowserComeOnceTheWindowIsIdle) {
    ASSERT_TRUE(test::SetCatalogueMode("normal"));
    Application program(GetModuleHandleW(nullptr));
    ASSERT_TRUE(program.Start(SW_SHOWNORMAL));
    EXPECT_TRUE(IsWindowVisible(program.Main().Handle()));
    EXPECT_EQ(program.Main().SearchBox(), nullptr);
    EXPECT_FALSE(program.Hidden().Host().Created());
    bool browserBeforeBox = false;
    const auto pumpUntil = [&](const auto& done) {
        const ULONGLONG deadline = GetTickCount64() + 10000;
        MSG message;
        while (!done() && GetTickCount64() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
                if (!program.Main().SearchBox() && program.Hidden().Host().Created()) {
                    browserBeforeBox = true;
                }
            }
        }
    };
    pumpUntil([&] { return program.Main().SearchBox() != nullptr; });
    EXPECT_NE(program.Main().SearchBox(), nullptr);
    pumpUntil([&] { return program.Hidden().Host().Created(); });
    EXPECT_TRUE(program.Hidden().Host().Created());
    EXPECT_FALSE(browserBeforeBox);
    DestroyWindow(program.Main().Handle());
    EXPECT_EQ(program.RunMessageLoop(), 0);
    program.Shutdown();
}

}  // namespace
