// Starts the real zentori.exe (built beside this test) and checks what a user sees first: the
// main window with its title, position and size, and a clean exit when it is closed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

TEST(Startup, MainWindowHasItsTitlePositionAndSizeAndClosesCleanly) {
    Program program;
    ASSERT_TRUE(program.Start()) << "cannot start zentori.exe beside the test";

    HWND window = WaitForWindow(L"Zentori网页游戏盒子", program.process.dwProcessId, 30000);
    ASSERT_NE(window, nullptr) << "no visible window titled Zentori网页游戏盒子";

    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 50);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(rect.right - rect.left, 715);
    EXPECT_EQ(rect.bottom - rect.top, 552);

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(program.process.hProcess, 10000), WAIT_OBJECT_0)
        << "the program did not end after its main window was closed";
    DWORD exitCode = 1;
    GetExitCodeProcess(program.process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
