// The program directory and GBK paths for files whose names GBK cannot hold.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/process/program_directory.h"
#include "win/wide_text.h"

namespace {

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

TEST(GbkPathFor, KeepsPathsGbkCanHoldAndGivesNoneForOthersWithoutAShortName) {
    EXPECT_EQ(GbkPathFor(L"C:\\games\\skin\\2.jpg"), "C:\\games\\skin\\2.jpg");
    EXPECT_EQ(GbkPathFor(L"C:\\游戏\\皮肤.jpg"), "C:\\游戏\\皮肤.jpg");
    EXPECT_EQ(GbkPathFor(L""), "");
    // Hangul: no GBK form and, for a file that does not exist, no short name either.
    EXPECT_EQ(GbkPathFor(L"C:\\no\\such\\배경.jpg"), "");
    // An existing file of that kind is opened by its short name: SkinMenu's custom-skin test.
}

}  // namespace
