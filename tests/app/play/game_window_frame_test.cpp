// The game window around the page: the keyboard going to the page whenever the window becomes
// active, the full-screen hint that comes and goes, what part 1 of the status bar says after a
// command and for how long, and the pressed look of the toolbar's checked buttons.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>

#include "app/play/game_window.h"
#include "tests/support/program/game_window_probe.h"
#include "tests/support/program/ole_window_test.h"
#include "tests/support/program/recording_audio.h"
#include "tests/support/toolkit/images.h"
#include "tests/support/toolkit/test_form.h"

namespace {

// Generous: the timers run for a few seconds, and a busy machine delays them.
constexpr int kDeadlineMs = 20000;

class GameWindowFrameTest : public test::OpenGameTest {
protected:
    bool KeyboardInPage() {
        const HWND control = game.Browser().ControlWindow();
        const HWND focus = GetFocus();
        return control && focus && (focus == control || IsChild(control, focus));
    }
    std::wstring PartOne() { return test::StatusPartText(game.StatusBar(), 0); }
};

// However the window comes back to the player, the arrow keys and space reach the game at once.
TEST_F(GameWindowFrameTest, EachActivationGivesTheKeyboardToThePage) {
    const HWND window = game.Handle();
    test::TestWindow other(test::TestWindow::Options{});  // the main window, clicked into
    const struct Row {
        const char* what;
        std::function<void()> leave;
        std::function<void()> comeBack;
    } rows[] = {
        {"switched back (taskbar, Alt+Tab)",
         [&] {
             SetForegroundWindow(other.Handle());
             SetFocus(other.Handle());
         },
         [&] { SetForegroundWindow(window); }},
        {"restored from the taskbar",
         [&] {
             SetForegroundWindow(other.Handle());
             SetFocus(other.Handle());
             ShowWindow(window, SW_MINIMIZE);
         },
         [&] { ShowWindow(window, SW_RESTORE); }},
        {"brought back by the boss key",
         [&] {
             ShowWindow(window, SW_HIDE);
             SetForegroundWindow(other.Handle());
             SetFocus(other.Handle());
         },
         [&] {
             ShowWindow(window, SW_SHOWNA);
             SetForegroundWindow(window);
         }},
    };
    test::PumpMessages(500);  // the window manager's answers to the opening
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.leave();
        // The window manager takes its time to agree; the game must be left for good first.
        ASSERT_TRUE(test::PumpUntil(
            [&] { return GetActiveWindow() != window && !KeyboardInPage(); }, kDeadlineMs))
            << "active " << GetActiveWindow() << ", focus " << GetFocus() << ", game " << window;
        test::PumpMessages(300);
        ASSERT_FALSE(KeyboardInPage());
        row.comeBack();
        EXPECT_TRUE(test::PumpUntil([&] { return KeyboardInPage(); }, kDeadlineMs))
            << "focus " << GetFocus();
    }
}

TEST_F(GameWindowFrameTest, FullScreenShowsHowToLeaveItForAMoment) {
    const auto hint = [] { return FindWindowW(L"ZentoriFullScreenHint", nullptr); };
    game.SetFullScreen(true);
    ASSERT_NE(hint(), nullptr);
    EXPECT_TRUE(IsWindowVisible(hint()));
    EXPECT_EQ(GetWindow(hint(), GW_OWNER), game.Handle());
    wchar_t text[64] = {};
    GetWindowTextW(hint(), text, 64);
    EXPECT_STREQ(text, L"按 F11 或 Esc 退出全屏");
    RECT place{}, monitor{};
    GetWindowRect(hint(), &place);
    GetWindowRect(game.Handle(), &monitor);
    EXPECT_TRUE(place.left > monitor.left && place.right < monitor.right &&
                place.top > monitor.top && place.bottom < (monitor.top + monitor.bottom) / 2)
        << "near the top, in the middle";
    EXPECT_EQ(GetForegroundWindow(), game.Handle()) << "the keys stay with the game";
    EXPECT_TRUE(test::PumpUntil([&] { return !IsWindowVisible(hint()); }, kDeadlineMs));
    EXPECT_TRUE(game.FullScreen());

    // Leaving full screen at once takes the hint along.
    game.SetFullScreen(false);
    game.SetFullScreen(true);
    ASSERT_TRUE(IsWindowVisible(hint()));
    game.SetFullScreen(false);
    EXPECT_FALSE(IsWindowVisible(hint()));
}

// What a command did shows for a moment, then the page's own status text comes back; what it
// could not do stays until the next command.
TEST_F(GameWindowFrameTest, PartOneSaysWhatTheLastCommandDidAndForgetsIt) {
    bool favourite = false;
    game.SetFavouriteHandler([&] {
        favourite = !favourite;
        game.ShowFavourite(favourite);
    });
    test::RecordingAudio audio(false);
    game.SetAudio(&audio);
    const HWND toolbar = game.Toolbar();

    test::ClickToolbarButton(toolbar, GameWindow::kFavouriteButton);
    EXPECT_EQ(PartOne(), L"已加入收藏");
    test::ClickToolbarButton(toolbar, GameWindow::kFavouriteButton);
    EXPECT_EQ(PartOne(), L"已取消收藏");
    test::ClickToolbarButton(toolbar, GameWindow::kMuteButton);
    EXPECT_EQ(PartOne(), L"已静音");
    EXPECT_TRUE(test::PumpUntil([&] { return PartOne().empty(); }, kDeadlineMs));

    test::RecordingAudio none(std::nullopt);
    game.SetAudio(&none);
    test::ClickToolbarButton(toolbar, GameWindow::kMuteButton);
    EXPECT_EQ(PartOne(), L"没有可用的音频设备，无法静音");
    test::PumpMessages(GameStatusLine::kPassingMilliseconds + 1000);
    EXPECT_EQ(PartOne(), L"没有可用的音频设备，无法静音") << "a failure stays";
    test::ClickToolbarButton(toolbar, GameWindow::kRefreshButton);
    EXPECT_EQ(PartOne(), L"") << "until the next command";
}

TEST_F(GameWindowFrameTest, ACheckedButtonLooksPressedNotHovered) {
    const HWND toolbar = game.Toolbar();
    SendMessageW(toolbar, TB_CHECKBUTTON, GameWindow::kMuteButton, TRUE);
    const int hotIndex = static_cast<int>(
        SendMessageW(toolbar, TB_COMMANDTOINDEX, GameWindow::kScreenshotButton, 0));
    SendMessageW(toolbar, TB_SETHOTITEM, hotIndex, 0);
    const test::PixelSource pixels = test::PrintedPixels(toolbar);
    // The mean brightness of a line across the button's face, above its text (a toolbar prints
    // no background of its own: only hovered and checked faces are drawn).
    const auto face = [&](int command) {
        RECT button{};
        SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&button));
        int sum = 0, count = 0;
        for (int x = button.left + 3; x < button.right - 3; ++x, ++count) {
            const COLORREF colour = pixels(x, button.top + 3);
            sum += GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
        }
        return count ? sum / (3 * count) : -1;
    };
    const int checked = face(GameWindow::kMuteButton);
    const int hovered = face(GameWindow::kScreenshotButton);
    EXPECT_GT(hovered - checked, 30) << "checked " << checked << ", hovered " << hovered;
}

}  // namespace
