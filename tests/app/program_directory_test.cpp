// The program directory and GBK paths for files whose names GBK cannot hold.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/program_directory.h"
#include "app/wide_text.h"

namespace {

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring TempPath(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"zentori-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           name;
}

TEST(ProgramDirectory, IsTheExecutablesFolderWithoutATrailingSeparator) {
    const std::wstring folder = ProgramDirectoryWide();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_NE(folder.back(), L'/');
    EXPECT_EQ(ExecutableFileName(), L"app_program_directory_test.exe");
    EXPECT_TRUE(Exists(folder + L"\\" + ExecutableFileName()));
    EXPECT_EQ(ExecutablePath(), folder + L"\\" + ExecutableFileName());
    EXPECT_EQ(ProgramDirectory(), WideToGbk(folder));
}

TEST(GbkPathFor, KeepsPathsGbkCanHoldAndOtherwiseUsesTheShortName) {
    EXPECT_EQ(GbkPathFor(L"C:\\games\\skin\\2.jpg"), "C:\\games\\skin\\2.jpg");
    EXPECT_EQ(GbkPathFor(L"C:\\游戏\\皮肤.jpg"), "C:\\游戏\\皮肤.jpg");
    EXPECT_EQ(GbkPathFor(L""), "");
    // Hangul: no GBK form and, for a file that does not exist, no short name either.
    EXPECT_EQ(GbkPathFor(L"C:\\no\\such\\배경.jpg"), "");

    const std::wstring file = TempPath(L"배경.jpg");
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    const std::string gbk = GbkPathFor(file);
    wchar_t shortPath[MAX_PATH] = {};
    const bool hasShortName = GetShortPathNameW(file.c_str(), shortPath, MAX_PATH) != 0 &&
                              GbkToWide(WideToGbk(shortPath)) == shortPath;
    if (hasShortName) {
        EXPECT_EQ(gbk, WideToGbk(shortPath));
        EXPECT_TRUE(Exists(GbkToWide(gbk))) << "the GBK path names the file";
    } else {
        EXPECT_EQ(gbk, "") << "without a short name there is no GBK path";
    }
    DeleteFileW(file.c_str());
}

}  // namespace
