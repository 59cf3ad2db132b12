// The running program told that its main window moved to a monitor of another DPI
// (WM_DPICHANGED, as Windows sends it; under Wine no window ever changes DPI by itself): the
// window takes the suggested rectangle and everything in it is laid out and drawn for the new DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/program/running_program.h"
#include "widgets/skin_form.h"

namespace {

TEST(DisplayScale, MovingToAMonitorOfAnotherDpiLaysTheMainWindowOutAgain) {
    test::RunningProgram program;
    ASSERT_TRUE(program.Started());
    const HWND window = program.Window();
    ListControl& list = program.Objects().GameList();
    const int itemHeight = list.ItemHeight();
    RECT before{};
    GetWindowRect(window, &before);

    // 715 x 552 at 150 %.
    const RECT suggested{before.left, before.top, before.left + 1073, before.top + 828};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

    RECT after{};
    GetWindowRect(window, &after);
    EXPECT_TRUE(EqualRect(&after, &suggested));
    // The list at (150, 95), 560 x 400 by its scaled edges; rows for the larger font.
    const Bounds& bounds = list.GetBounds();
    EXPECT_EQ(bounds.X, 225);
    EXPECT_EQ(bounds.Y, 143);
    EXPECT_EQ(bounds.Width, 840);
    EXPECT_EQ(bounds.Height, 600);
    EXPECT_GE(list.ItemHeight(), itemHeight * 3 / 2 - 1);
    // The search box at (208, 501), 120 x 18.
    RECT box{};
    GetWindowRect(program.App().Main().SearchBox(), &box);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, 312);
    EXPECT_EQ(box.top, 752);
    EXPECT_EQ(box.right - box.left, 180);
    EXPECT_EQ(box.bottom - box.top, 27);
    // Drawn there: down the list's new right edge, beyond the old window, its frame or (while
    // the list has the keyboard) the white line of its focus ring.
    const Canvas& screen = program.Objects().MainSkin().ScreenBuffer();
    const ARGB edge = screen.Pixel(225 + 840 - 1, 500) & 0xFFFFFF;
    EXPECT_TRUE(edge == 0x646464 || (list.KeyboardFocus() && edge == 0xFFFFFF)) << edge;
    // And the system is to show it: nothing of the window is left unpainted.
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
}

}  // namespace
