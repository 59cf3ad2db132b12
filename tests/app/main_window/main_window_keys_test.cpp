// The main window's keys against the running program, typed on the system's keyboard input and
// read through the program's own message loop steps: the search box's keys and Tab, the row keys
// and Enter on the list, and the paging keys, checked against the focus, the search box, the
// list's selection, the game window and the catalogue's request log.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/program/running_program.h"
#include "tests/support/program/shared_program_test.h"
#include "tests/support/toolkit/test_form.h"
#include "tests/support/toolkit/window_manager.h"

namespace {

using Targets = std::vector<std::string>;
using test::HotListTarget;

using test::BringToFront;

class MainWindowKeysTest : public test::SharedProgramTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(program_->Started());
        if (program_->App().Game().IsOpen()) program_->App().Game().Close();
        ASSERT_TRUE(BringToFront(Window()));
        // The box's text as the program starts with it, whatever an earlier test typed.
        SetWindowTextW(Box(), L"搜索游戏");
        log_.Take();
    }

    HWND Window() { return program_->Window(); }
    HWND Box() { return program_->App().Main().SearchBox(); }
    ListControl& List() { return program_->Objects().GameList(); }

    std::wstring BoxText() {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Box())) + 1, L'\0');
        text.resize(GetWindowTextW(Box(), text.data(), static_cast<int>(text.size())));
        return text;
    }
    bool BoxTextAllSelected() {
        DWORD first = 1, last = 0;
        SendMessageW(Box(), EM_GETSEL, reinterpret_cast<WPARAM>(&first),
                     reinterpret_cast<LPARAM>(&last));
        return first == 0 && last == BoxText().size();
    }

    void Press(UINT key, std::vector<UINT> held = {}) { program_->Press(key, std::move(held)); }

    test::CatalogueLog log_;
};

TEST_F(MainWindowKeysTest, TheSearchBoxTakesTheCaretByKeyAndTabGoesBetweenItAndTheList) {
    SetFocus(Window());
    const UINT slash = LOBYTE(VkKeyScanW(L'/'));
    enum Stop { kBox, kList };
    const struct Step {
        const char* what;
        UINT key;
        std::vector<UINT> held;
        Stop focus;
        const wchar_t* text;  // nullptr: as it was
        bool allSelected;
    } steps[] = {
        {"Ctrl+F", 'F', {VK_CONTROL}, kBox, L"搜索游戏", true},
        {"Esc clears", VK_ESCAPE, {}, kBox, L"", false},
        {"typing", 'A', {}, kBox, L"a", false},
        {"/ is text in the box", slash, {}, kBox, L"a/", false},
        {"Tab to the list", VK_TAB, {}, kList, nullptr, false},
        {"/ from the list", slash, {}, kBox, L"a/", true},
        {"Shift+Tab to the list", VK_TAB, {VK_SHIFT}, kList, nullptr, false},
        {"Ctrl+F from the list", 'F', {VK_CONTROL}, kBox, L"a/", true},
        {"Tab back", VK_TAB, {}, kList, nullptr, false},
        {"Tab to the box", VK_TAB, {}, kBox, L"a/", false},
    };
    for (const Step& step : steps) {
        Press(step.key, step.held);
        const HWND expected = step.focus == kBox ? Box() : Window();
        EXPECT_EQ(GetFocus(), expected) << step.what;
        EXPECT_EQ(List().KeyboardFocus(), step.focus == kList) << step.what;
        if (step.text) {
            EXPECT_EQ(BoxText(), step.text) << step.what;
        }
        if (step.allSelected) {
            EXPECT_TRUE(BoxTextAllSelected()) << step.what;
        }
    }
    EXPECT_TRUE(log_.Take().empty()) << "none of these keys fetches";
}

// Away to another program's window and back, the keyboard is where it was.
TEST_F(MainWindowKeysTest, ActivatedAgainTheWindowGivesTheKeyboardBackWhereItWas) {
    const HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 100,
                                       100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    const auto switchAwayAndBack = [&] {
        EXPECT_TRUE(BringToFront(other));
        EXPECT_FALSE(List().KeyboardFocus());
        EXPECT_TRUE(BringToFront(Window()));
    };
    program_->App().Keys().FocusSearchBox();
    switchAwayAndBack();
    EXPECT_EQ(GetFocus(), Box());
    EXPECT_FALSE(List().KeyboardFocus());

    program_->App().Keys().FocusList();
    switchAwayAndBack();
    EXPECT_EQ(GetFocus(), Window());
    EXPECT_TRUE(List().KeyboardFocus());
    DestroyWindow(other);
}

TEST_F(MainWindowKeysTest, RowKeysSelectAndEnterOpensTheSelectedGame) {
    program_->App().Keys().FocusList();
    ASSERT_GE(List().RowCount(), 3);
    List().SelectedRow(0);
    const int last = List().RowCount();
    const int page = static_cast<int>(List().ContentArea().Height) / List().ItemHeight();
    const int pageDown = std::min(last, 1 + page);
    const struct {
        UINT key;
        int row;
    } rows[] = {{VK_DOWN, 1}, {VK_DOWN, 2},        {VK_END, last}, {VK_UP, last - 1},
                {VK_HOME, 1}, {VK_NEXT, pageDown}, {VK_PRIOR, 1},  {VK_DOWN, 2}};
    for (const auto& row : rows) {
        Press(row.key);
        EXPECT_EQ(List().SelectedRow(), row.row) << "key " << row.key;
    }
    EXPECT_TRUE(log_.Take().empty());

    // The menu keys open the selected game's menu; the watcher sees it open and closes it.
    {
        const test::MenuWatcher watcher([](HWND) { EndMenu(); });
        int menus = 0;
        for (const auto& [key, held] : {std::pair{VK_F10, VK_SHIFT}, std::pair{VK_APPS, 0}}) {
            Press(key, held ? std::vector<UINT>{static_cast<UINT>(held)} : std::vector<UINT>{});
            ++menus;
            EXPECT_TRUE(test::PumpUntil([&] { return watcher.MenusSeen() == menus; }))
                << "key " << key;
        }
    }
    EXPECT_EQ(List().SelectedRow(), 2);

    Press(VK_RETURN);
    ASSERT_TRUE(program_->App().Game().IsOpen());
    EXPECT_EQ(program_->App().Game().GameLink(), List().GetCellText(2, 4));

    // Enter in the search box searches rather than opening a game.
    program_->App().Game().Close();
    ASSERT_TRUE(BringToFront(Window()));
    program_->App().Keys().FocusSearchBox();
    Press(VK_RETURN);
    EXPECT_FALSE(program_->App().Game().IsOpen());
    // The log may hold the game's page too, asked for by its browser.
    int searches = 0;
    for (const std::string& target : log_.Take()) {
        searches += target.starts_with("/appweb/search?");
    }
    EXPECT_EQ(searches, 1);
}

TEST_F(MainWindowKeysTest, AltArrowsAndAltHomeEndPageFromTheListAndTheSearchBox) {
    test::ClickWidget(Window(), program_->Objects().SectionButtons(kWebGamesButton));  // 共2页
    EXPECT_EQ(log_.Take(), Targets{HotListTarget("8", "1", 1)});
    const struct {
        bool fromBox;
        UINT key;
        Targets requested;
    } steps[] = {
        {false, VK_RIGHT, {HotListTarget("8", "1", 2)}},
        {false, VK_RIGHT, {}},  // on the last page
        {true, VK_LEFT, {HotListTarget("8", "1", 1)}},
        {true, VK_END, {HotListTarget("8", "1", 2)}},
        {false, VK_HOME, {HotListTarget("8", "1", 1)}},
    };
    for (const auto& step : steps) {
        if (step.fromBox) {
            program_->App().Keys().FocusSearchBox();
        } else {
            program_->App().Keys().FocusList();
        }
        const int selected = List().SelectedRow();
        Press(step.key, {VK_MENU});
        const std::string where = step.fromBox ? " in the box" : " on the list";
        EXPECT_EQ(log_.Take(), step.requested) << step.key << where;
        // The next key goes where this one went.
        EXPECT_EQ(GetFocus(), step.fromBox ? Box() : Window()) << step.key << where;
        EXPECT_EQ(List().KeyboardFocus(), !step.fromBox) << step.key << where;
        if (step.requested.empty()) {
            EXPECT_EQ(List().SelectedRow(), selected) << "not a row key";
        }
    }
}

}  // namespace
