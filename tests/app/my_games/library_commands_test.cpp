// The player's library in the running program: a library file of a later version is left as it
// is, byte for byte, with saving off, and the notice says so; every change that cannot be saved
// says so, briefly, over the lasting notices, which come back after it, and holds for the run;
// the lasting notices of the start (the boss key taken, the library file) are all kept; a row's
// game menu copies the link and starts the game; and the game window and a custom skin are
// remembered across restarts.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/process/boss_key.h"
#include "app/my_games/game_context_menu.h"
#include "app/my_games/library_commands.h"
#include "win/wide_text.h"
#include "tests/support/program/running_program.h"
#include "tests/support/toolkit/images.h"
#include "tests/support/toolkit/test_form.h"

namespace {

// The open game window, restored and sized to `width` x `height` (its frame). The window
// manager may answer the restore after the new size and undo it: the size is set until it holds.
bool SizeGameWindow(HWND window, int width, int height) {
    ShowWindow(window, SW_RESTORE);
    return test::PumpUntil(
        [&] {
            RECT frame{};
            GetWindowRect(window, &frame);
            if (!IsZoomed(window) && frame.right - frame.left == width &&
                frame.bottom - frame.top == height) {
                return true;
            }
            SetWindowPos(window, nullptr, 0, 0, width, height,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            return false;
        },
        10000);
}

// Chooses item `item` (from 1) of the pop-up menu that `open` shows, with keys posted to the
// menu once a timer finds it. False when no menu came (after about five seconds).
bool ChooseFromMenu(int item, const std::function<void()>& open) {
    static int downs;
    static int ticks;
    static bool found;
    downs = item;
    ticks = 0;
    found = false;
    const auto choose = [](HWND, UINT, UINT_PTR, DWORD) {
        const HWND menu = FindWindowW(L"#32768", nullptr);
        if (++ticks > 100) EndMenu();
        if (found || !menu || !IsWindowVisible(menu)) return;
        found = true;
        for (int i = 0; i < downs; ++i)
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, choose);
    open();
    KillTimer(nullptr, timer);
    return found;
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

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

// A library file that cannot be replaced (another program holds it open): each change says it
// is not kept and still holds for the run; once the file is free again, the next change keeps
// them all.
TEST(LibraryCommands, AChangeTheFileCannotTakeSaysSoAndHoldsForTheRun) {
    const std::string saved = R"({"version": 1})";
    std::ofstream(test::LibraryFile(), std::ios::binary | std::ios::trunc) << saved;
    test::RunningProgram program;
    ASSERT_TRUE(program.Started());
    const NoticeBar& notices = program.App().Notices();
    LibraryCommands& library = program.App().Library();
    const ListControl& list = program.Objects().GameList();
    ASSERT_GE(list.RowCount(), 2);
    HANDLE held = CreateFileW(test::LibraryFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    library.ToggleFavourite(1);
    EXPECT_EQ(test::ShownNotice(notices), LibraryCommands::kSaveFailedNotice);
    EXPECT_TRUE(library.Library().IsFavourite(list.GetCellText(1, 4)));
    CloseHandle(held);
    EXPECT_EQ(ReadLibraryFile(), saved);

    library.ToggleFavourite(2);
    EXPECT_EQ(test::ShownNotice(notices), LibraryCommands::kAddedNotice + list.GetCellText(2, 2));
    const std::string written = ReadLibraryFile();
    for (int row : {1, 2}) {
        EXPECT_NE(written.find(list.GetCellText(row, 4)), std::string::npos) << written;
    }
}

// The game menu of a row, as a right-click on it opens it: 复制游戏链接 puts the game's link on
// the clipboard, and 开始游戏 opens the game in the game window.
TEST(LibraryCommands, TheGameMenuCopiesTheLinkAndStartsTheGame) {
    test::RunningProgram program;
    ASSERT_TRUE(program.Started());
    const HWND window = program.Window();
    const ListControl& list = program.Objects().GameList();
    const ListVisibleItem& third = list.VisibleItems().at(2);
    RECT frame{};
    GetWindowRect(window, &frame);
    const POINT point{frame.left + static_cast<LONG>(third.rect.X + 100),
                      frame.top + static_cast<LONG>(third.rect.Y + third.rect.Height / 2)};
    const auto rightClick = [&] {
        SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                     MAKELPARAM(point.x, point.y));
    };
    const std::string link = list.GetCellText(3, 4);
    ASSERT_FALSE(link.empty());
    ASSERT_TRUE(CopyTextToClipboard(nullptr, "not the link"));

    ASSERT_TRUE(ChooseFromMenu(3, rightClick));
    EXPECT_EQ(ClipboardText(), GbkToWide(link));
    EXPECT_EQ(test::ShownNotice(program.App().Notices()), LibraryCommands::kLinkCopiedNotice);
    EXPECT_FALSE(program.App().Game().IsOpen());

    ASSERT_TRUE(ChooseFromMenu(1, rightClick));
    ASSERT_TRUE(program.App().Game().IsOpen());
    EXPECT_EQ(program.App().Game().GameLink(), link);
}

// What the player chose comes back at the next start: the game window as it was last closed
// (sized, or maximised), and a picture of the player's own as the skin, the standard skin while
// that picture is gone (the choice is kept for when it is back).
TEST(LibraryCommands, TheGameWindowAndACustomSkinComeBackAfterARestart) {
    const std::filesystem::path picture = test::LibraryFile().parent_path() / L"my skin.png";
    const std::string pictureBytes =
        test::EncodeSolidImage(400, 300, RGB(30, 160, 90), test::ImageFormat::kPng);
    const auto putPicture = [&] {
        std::ofstream(picture, std::ios::binary | std::ios::trunc) << pictureBytes;
    };
    std::string escaped;  // the path as the file's JSON string holds it (UTF-8)
    for (const char8_t c : picture.u8string())
        escaped += c == u8'\\' ? std::string("\\\\") : std::string(1, static_cast<char>(c));
    std::ofstream(test::LibraryFile(), std::ios::binary | std::ios::trunc)
        << R"({"version": 1, "settings": {"skin": {"file": ")" << escaped << R"("}}})";

    const struct {
        bool pictureThere;
        bool openedMaximised;  // as the last run closed it (a fresh library: maximised)
        bool closeMaximised;
    } runs[] = {{true, true, false}, {false, false, true}, {true, true, true}};
    constexpr int kWidth = 820, kHeight = 560;
    for (const auto& run : runs) {
        SCOPED_TRACE(&run - runs);
        if (run.pictureThere) {
            putPicture();
        } else {
            std::filesystem::remove(picture);
        }
        test::RunningProgram program;
        ASSERT_TRUE(program.Started());
        const std::string skin = program.Objects().MainSkin().CurrentSkinPath();
        if (run.pictureThere) {
            EXPECT_EQ(skin, WideToGbk(picture.wstring()));
        } else {
            EXPECT_TRUE(skin.ends_with("\\skin\\1.jpg")) << skin;
        }

        ASSERT_TRUE(program.App().Library().PlayRow(1));
        const HWND game = program.App().Game().Handle();
        EXPECT_EQ(IsZoomed(game) != FALSE, run.openedMaximised);
        if (!run.openedMaximised) {
            RECT frame{};
            GetWindowRect(game, &frame);
            EXPECT_EQ(frame.right - frame.left, kWidth);
            EXPECT_EQ(frame.bottom - frame.top, kHeight);
        }
        ASSERT_TRUE(SizeGameWindow(game, kWidth, kHeight));
        if (run.closeMaximised) ShowWindow(game, SW_MAXIMIZE);
        SendMessageW(game, WM_CLOSE, 0, 0);
    }
}

}  // namespace
