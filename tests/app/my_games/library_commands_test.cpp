// The player's library in the running program, as its notices tell it: a library file of a later
// version is left as it is, byte for byte, with saving off, and the notice says so; every change
// that cannot be saved says so, briefly, over the lasting notices, which come back after it; and
// the lasting notices of the start (the boss key taken, the library file) are all kept.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/process/boss_key.h"
#include "app/my_games/library_commands.h"
#include "win/wide_text.h"
#include "tests/support/program/running_program.h"
#include "tests/support/toolkit/test_form.h"

namespace {

std::string ReadLibraryFile() {
    std::ifstream file(test::LibraryFile(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(LibraryCommands, ALaterVersionsLibraryIsLeftAsItIsAndEachChangeSaysItIsNotKept) {
    const std::string later = R"({"version": 2, "favourites": {"kept": "in a later shape"}})";
    std::ofstream(test::LibraryFile(), std::ios::binary | std::ios::trunc) << later;
    // Another program holds the boss key while the program starts.
    ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'B'));
    test::RunningProgram program;
    UnregisterHotKey(nullptr, 7);
    ASSERT_TRUE(program.Started());
    const NoticeBar& notices = program.App().Notices();
    std::vector<std::string> lasting;
    for (const std::wstring& text : notices.LastingTexts())
        lasting.push_back(WideToGbk(text));
    EXPECT_EQ(lasting, (std::vector<std::string>{std::string(BossKey::kTakenNotice) + "Ctrl+Alt+B" +
                                                     BossKey::kTakenNoticeEnd,
                                                 LibraryCommands::kNewerNotice}));

    for (int change = 1; change <= 2; ++change) {
        SCOPED_TRACE(change);
        program.App().Library().ToggleFavourite(1);
        EXPECT_EQ(test::ShownNotice(notices), LibraryCommands::kSaveFailedNotice);
        test::Click(notices.Handle(), 20, 10);  // clicked away: the lasting notice is back
        EXPECT_EQ(test::ShownNotice(notices), LibraryCommands::kNewerNotice);
    }
    EXPECT_EQ(ReadLibraryFile(), later);
}

}  // namespace
