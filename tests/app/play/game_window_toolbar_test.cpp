// The game window in the running program: its 收藏 button makes the game being played a
// favourite and takes it back, shows which by its pressed state, and follows a change made from
// the main window; the page's zoom, changed by its keys, is the game's again after a restart.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/support/program/running_program.h"
#include "tests/support/toolkit/test_form.h"

namespace {

TEST(PlayToolbar, TheFavouriteButtonTogglesTheGameBeingPlayed) {
    test::RunningProgram program;
    ASSERT_TRUE(program.Started());
    ListControl& list = program.Objects().GameList();
    ASSERT_GE(list.RowCount(), 1);
    list.SelectedRow(1);
    const std::string link = list.GetCellText(1, 4);
    SendMessageW(program.Window(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(20, 520));
    GameWindow& game = program.App().Game();
    ASSERT_TRUE(game.IsOpen());
    const HWND toolbar = game.Toolbar();
    const auto pressed = [&] {
        return SendMessageW(toolbar, TB_ISBUTTONCHECKED, GameWindow::kFavouriteButton, 0) != 0;
    };
    const auto favourite = [&] { return program.App().Library().Library().IsFavourite(link); };
    RECT button{};
    SendMessageW(toolbar, TB_GETRECT, GameWindow::kFavouriteButton,
                 reinterpret_cast<LPARAM>(&button));
    ASSERT_FALSE(favourite());
    ASSERT_FALSE(pressed());

    for (const bool expected : {true, false}) {
        test::Click(toolbar, (button.left + button.right) / 2, (button.top + button.bottom) / 2);
        EXPECT_EQ(favourite(), expected);
        EXPECT_EQ(pressed(), expected);
    }

    // Toggled from the main window (Ctrl+D, the game menu): the button follows.
    program.App().Library().ToggleFavourite(1);
    EXPECT_TRUE(favourite());
    EXPECT_TRUE(pressed());
}

TEST(PlayToolbar, TheZoomKeysZoomIsTheGamesAgainAfterARestart) {
    std::string link;
    {
        test::RunningProgram program;
        ASSERT_TRUE(program.Started());
        ListControl& list = program.Objects().GameList();
        ASSERT_GE(list.RowCount(), 1);
        list.SelectedRow(1);
        link = list.GetCellText(1, 4);
        SendMessageW(program.Window(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(20, 520));
        GameWindow& game = program.App().Game();
        ASSERT_TRUE(game.IsOpen());
        ASSERT_TRUE(test::PumpUntil([&] { return GetForegroundWindow() == game.Handle(); }));
        program.Press(VK_OEM_PLUS, {VK_CONTROL});
        program.Press(VK_OEM_PLUS, {VK_CONTROL});
        EXPECT_EQ(game.Zoom().Percent(), 125);
        EXPECT_EQ(program.App().Library().Library().Get().GameZoom(link), 125);
    }
    test::RunningProgram again;
    ASSERT_TRUE(again.Started());
    EXPECT_EQ(again.App().Library().Library().Get().GameZoom(link), 125);
    ListControl& list = again.Objects().GameList();
    list.SelectedRow(1);
    SendMessageW(again.Window(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(20, 520));
    ASSERT_TRUE(again.App().Game().IsOpen());
    EXPECT_EQ(again.App().Game().Zoom().Percent(), 125);
    again.App().Library().Library().SetGameZoom(link, 100);  // the next test's library as before
}

}  // namespace
