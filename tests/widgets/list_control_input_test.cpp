// ListControl interaction through the form's real message routing (the cursor is placed first,
// since the list reads it): hover, press and release, clicks, selection and deselection with the
// activation handler, the wheel, thumb dragging with its clamp rule, the hidden state, and the
// keyboard (row keys, the focus ring on any skin).
#include <gtest/gtest.h>

#include "tests/support/toolkit/list_control_fixture.h"

namespace {

using list_test::ClickAt;
using list_test::ItemRect;
using list_test::kListLeft;
using list_test::MoveTo;
using list_test::PointOnRow;
using list_test::Press;
using list_test::Release;
using list_test::Snapshot;
using list_test::Wheel;

class ListInputTest : public list_test::ListFixture {
protected:
    void SetUp() override {
        list_test::CreateApplicationList(list_, Window());
        list_.SetOnActivate([this](int row) { activations_.push_back(row); });
    }
    // A point on the item of `slot`, in the introduction column past its text.
    POINT OnSlot(int slot) const {
        return POINT{kListLeft + 480, list_test::ItemMiddleY(list_, slot)};
    }
    void Click(POINT point) { ClickAt(Window(), point.x, point.y); }
    int FirstRow() const { return list_.VisibleItems().front().row; }
    int Top() const { return static_cast<int>(list_.ContentArea().Y); }
    int ThumbEnd() const {
        return Top() + static_cast<int>(list_.ContentArea().Height) - list_.Scroll().thumbLength;
    }

    ListControl list_;
    std::vector<int> activations_;
};

TEST_F(ListInputTest, HoverFollowsThePointerAndLeavesForTheScrollBar) {
    list_test::FillRows(list_, 50);
    const Snapshot rest = Screen();
    MoveTo(Window(), OnSlot(2).x, OnSlot(2).y);
    EXPECT_EQ(list_.HoverSlot(), 2);
    const Snapshot two = Screen();
    EXPECT_GT(two.CountChanged(rest, ItemRect(list_, 2)), 500) << "row 2 hovered";

    // Moving within the row draws nothing.
    const RECT marker{kListLeft + 300, OnSlot(2).y - 2, kListLeft + 310, OnSlot(2).y + 2};
    test::Scribble(form_, marker);
    MoveTo(Window(), OnSlot(2).x + 30, OnSlot(2).y + 1);
    EXPECT_EQ(Screen().Count(marker, [](COLORREF c) { return c == RGB(255, 0, 255); }), 40);

    MoveTo(Window(), OnSlot(5).x, OnSlot(5).y);
    EXPECT_EQ(list_.HoverSlot(), 5);
    const Snapshot five = Screen();
    EXPECT_EQ(five.CountChanged(rest, ItemRect(list_, 2)), 0) << "row 2 back at rest";
    EXPECT_GT(five.CountChanged(rest, ItemRect(list_, 5)), 500);

    const RECT& bar = list_.ScrollBarRect();
    MoveTo(Window(), (bar.left + bar.right) / 2, OnSlot(5).y);
    EXPECT_EQ(list_.HoverSlot(), 0) << "over the scroll bar";
    EXPECT_EQ(Screen().CountChanged(rest, list_test::ListBounds()), 0);
    EXPECT_EQ(OnWindow().CountChanged(rest, list_test::ListBounds()), 0) << "shown at once";
}

TEST_F(ListInputTest, LeavingAndComingBackShowsTheRowHoveredAgain) {
    list_test::FillRows(list_, 10);
    const Snapshot rest = Screen();
    MoveTo(Window(), OnSlot(3).x, OnSlot(3).y);
    ASSERT_EQ(list_.HoverSlot(), 3);
    SendMessageW(Window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(list_.HoverSlot(), 0);
    EXPECT_EQ(Screen().CountChanged(rest, list_test::ListBounds()), 0);
    MoveTo(Window(), OnSlot(3).x, OnSlot(3).y);
    EXPECT_EQ(list_.HoverSlot(), 3);
    EXPECT_GT(Screen().CountChanged(rest, ItemRect(list_, 3)), 500);
}

TEST_F(ListInputTest, PressAndReleaseOnOneRowSelectsItAndActivatesOnce) {
    list_test::FillRows(list_, 30);
    const Snapshot rest = Screen();
    MoveTo(Window(), OnSlot(4).x, OnSlot(4).y);
    const Snapshot hovered = Screen();
    Press(Window(), OnSlot(4).x, OnSlot(4).y);
    EXPECT_EQ(list_.PressedSlot(), 4);
    const Snapshot pressed = Screen();
    EXPECT_GT(pressed.CountChanged(hovered, ItemRect(list_, 4)), 500) << "pressed look";
    EXPECT_TRUE(activations_.empty());
    Release(Window(), OnSlot(4).x, OnSlot(4).y);
    EXPECT_EQ(list_.SelectedRow(), 4);
    EXPECT_EQ(activations_, std::vector<int>{4});
    EXPECT_EQ(list_.GetCellText(list_.SelectedRow(), 4), list_test::Link(4));
    EXPECT_GT(Screen().CountChanged(pressed, ItemRect(list_, 4)), 500) << "selected look";

    // Selecting another row puts the first back at rest.
    Click(OnSlot(7));
    EXPECT_EQ(list_.SelectedRow(), 7);
    EXPECT_EQ(activations_, (std::vector<int>{4, 7}));
    EXPECT_EQ(Screen().CountChanged(rest, ItemRect(list_, 4)), 0);
}

TEST_F(ListInputTest, PressOnOneRowAndReleaseOnAnotherDoesNothing) {
    list_test::FillRows(list_, 30);
    Click(OnSlot(2));
    activations_.clear();
    MoveTo(Window(), OnSlot(5).x, OnSlot(5).y);
    Press(Window(), OnSlot(5).x, OnSlot(5).y);
    MoveTo(Window(), OnSlot(8).x, OnSlot(8).y);  // captured: no hover changes
    EXPECT_EQ(list_.HoverSlot(), 5);
    Release(Window(), OnSlot(8).x, OnSlot(8).y);
    EXPECT_EQ(list_.SelectedRow(), 2);
    EXPECT_TRUE(activations_.empty());
    EXPECT_EQ(list_.HoverSlot(), 8) << "the row under the pointer shows hovered";
}

// Releases outside every row after a press outside every row deselect.
struct EmptySpotCase {
    const char* name;
    int (*y)(const ListControl& list);
};

class ListDeselectTest : public ListInputTest,
                         public ::testing::WithParamInterface<EmptySpotCase> {};

TEST_P(ListDeselectTest, AClickOutsideEveryRowDeselects) {
    list_test::FillRows(list_, 5);
    Click(OnSlot(2));
    ASSERT_EQ(list_.SelectedRow(), 2);
    const Snapshot selected = Screen();
    const int y = GetParam().y(list_);
    Click(POINT{kListLeft + 300, y});
    EXPECT_EQ(list_.SelectedRow(), 0);
    EXPECT_EQ(activations_, (std::vector<int>{2, 0}));
    EXPECT_GT(Screen().CountChanged(selected, ItemRect(list_, 2)), 500) << "drawn at rest";

    // With nothing selected, another such click changes nothing.
    Click(POINT{kListLeft + 300, y});
    EXPECT_EQ(activations_, (std::vector<int>{2, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    EmptySpots, ListDeselectTest,
    ::testing::Values(
        EmptySpotCase{"BelowTheLastRow",
                      [](const ListControl& list) {
                          return static_cast<int>(list.VisibleItems().back().rect.Y) + 40;
                      }},
        // Items are inset by one pixel: the two pixels between rows 3 and 4 are empty.
        EmptySpotCase{"GapBetweenRows",
                      [](const ListControl& list) {
                          const RectF& third = list.VisibleItems().at(2).rect;
                          return static_cast<int>(third.Y + third.Height);
                      }},
        EmptySpotCase{"Header", [](const ListControl&) { return list_test::kListTop + 5; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListInputTest, ClickingTheSelectedRowAgainActivatesAgain) {
    list_test::FillRows(list_, 30);
    Click(OnSlot(3));
    Click(OnSlot(3));
    EXPECT_EQ(list_.SelectedRow(), 3);
    EXPECT_EQ(activations_, (std::vector<int>{3, 3}));
}

TEST_F(ListInputTest, AReleaseWithoutANewPressOverThePressedRowIsAnotherClick) {
    list_test::FillRows(list_, 30);
    Click(OnSlot(6));
    // The second release of a double click reaches the list without capture or press.
    Release(Window(), OnSlot(6).x, OnSlot(6).y);
    EXPECT_EQ(activations_, (std::vector<int>{6, 6}));
    EXPECT_EQ(list_.SelectedRow(), 6);
}

TEST_F(ListInputTest, WithoutSelectionAClickShowsHoverAndIsForgottenAtTheNextPaint) {
    ListControl plain;
    ListViewOptions view = list_test::ApplicationView();
    view.selectionEnabled = false;
    list_.Move(std::nullopt, std::nullopt, std::nullopt, 10.0f);  // out of the way
    list_test::CreateApplicationList(plain, Window(), view);
    plain.SetOnActivate([this](int row) { activations_.push_back(row); });
    list_test::FillRows(plain, 10);
    const POINT point{kListLeft + 480, list_test::ItemMiddleY(plain, 2)};
    MoveTo(Window(), point.x, point.y);
    const Snapshot hovered = Screen();
    Press(Window(), point.x, point.y);
    Release(Window(), point.x, point.y);
    EXPECT_EQ(activations_, std::vector<int>{2});
    EXPECT_EQ(plain.SelectedRow(), 2);
    EXPECT_EQ(Screen().CountChanged(hovered, ItemRect(plain, 2)), 0) << "the hover look";
    plain.Redraw();
    EXPECT_EQ(plain.SelectedRow(), 0);
}

TEST_F(ListInputTest, OneWheelNotchMovesThreeRowsWhateverTheDelta) {
    list_test::FillRows(list_, 100);
    const int x = kListLeft + 300, y = OnSlot(5).y;
    int expectedFirst = 1;
    for (int delta : {-120, -1, -360, 0, -1200}) {
        Wheel(Window(), x, y, delta);
        expectedFirst += 3;
        EXPECT_EQ(FirstRow(), expectedFirst) << "delta " << delta;
        EXPECT_EQ(list_.VisibleItems().front().rect.Y, Top() + 1) << "whole rows";
    }
    for (int delta : {120, 1, 480}) {
        Wheel(Window(), x, y, delta);
        expectedFirst -= 3;
        EXPECT_EQ(FirstRow(), expectedFirst) << "delta " << delta;
    }
    EXPECT_EQ(list_.HoverSlot(), 0);
}

TEST_F(ListInputTest, TheWheelStopsTheThumbAtBothEnds) {
    list_test::FillRows(list_, 40);
    const int x = kListLeft + 300, y = OnSlot(5).y;
    Wheel(Window(), x, y, 120);
    EXPECT_EQ(list_.Scroll().thumbPosition, Top()) << "already at the top";
    EXPECT_EQ(FirstRow(), 1);
    for (int notch = 0; notch < 20; ++notch)
        Wheel(Window(), x, y, -120);
    EXPECT_EQ(list_.Scroll().thumbPosition, ThumbEnd());
    EXPECT_EQ(list_.VisibleItems().back().row, 40) << "the last row shows";
    for (int notch = 0; notch < 20; ++notch)
        Wheel(Window(), x, y, 120);
    EXPECT_EQ(list_.Scroll().thumbPosition, Top());
    EXPECT_EQ(FirstRow(), 1);
}

TEST_F(ListInputTest, MovingTheListKeepsItsScrollPosition) {
    list_test::FillRows(list_, 60);
    Wheel(Window(), kListLeft + 300, OnSlot(5).y, -120);
    Wheel(Window(), kListLeft + 300, OnSlot(5).y, -120);
    ASSERT_EQ(FirstRow(), 7);
    for (float top : {40.0f, 120.0f}) {
        list_.Move(std::nullopt, top);
        EXPECT_EQ(FirstRow(), 7) << top;
        EXPECT_EQ(list_.VisibleItems().front().rect.Y, Top() + 1) << top;
    }
}

TEST_F(ListInputTest, AClickRightAfterTheWheelHitsTheRowUnderThePointer) {
    list_test::FillRows(list_, 60);
    MoveTo(Window(), OnSlot(5).x, OnSlot(5).y);
    Wheel(Window(), OnSlot(5).x, OnSlot(5).y, -120);
    ASSERT_EQ(list_.HoverSlot(), 0);
    const int row = list_.VisibleItems().at(4).row;
    Press(Window(), OnSlot(5).x, OnSlot(5).y);  // the pointer did not move
    Release(Window(), OnSlot(5).x, OnSlot(5).y);
    EXPECT_EQ(list_.SelectedRow(), row);
    EXPECT_EQ(activations_, std::vector<int>{row});
}

TEST_F(ListInputTest, DraggingTheThumbFollowsThePointerAndStopsAtTheEnds) {
    list_test::FillRows(list_, 200);
    Click(OnSlot(2));
    activations_.clear();
    const RECT& bar = list_.ScrollBarRect();
    const int x = (bar.left + bar.right) / 2;
    const int grab = Top() + 6;
    MoveTo(Window(), x, grab);
    Press(Window(), x, grab);
    EXPECT_EQ(list_.PressedSlot(), 0) << "the scroll bar is no row";
    MoveTo(Window(), x, grab);  // the first move with the button held takes the thumb
    ASSERT_TRUE(list_.Dragging());

    for (int step : {10, 37, 120}) {
        MoveTo(Window(), x, grab + step);
        EXPECT_EQ(list_.Scroll().thumbPosition, Top() + step);
        EXPECT_EQ(list_.ClampCount(), 0);
    }
    const int first = FirstRow();
    EXPECT_GT(first, 1);

    // Past the bottom: the thumb stops at the end; only the first move there redraws.
    MoveTo(Window(), x, grab + 1000);
    EXPECT_EQ(list_.Scroll().thumbPosition, ThumbEnd());
    EXPECT_EQ(list_.ClampCount(), 1);
    EXPECT_EQ(list_.VisibleItems().back().row, 200);
    const RECT marker{kListLeft + 300, Top() + 40, kListLeft + 320, Top() + 50};
    test::Scribble(form_, marker);
    MoveTo(Window(), x, grab + 1100);
    EXPECT_EQ(list_.ClampCount(), 2);
    EXPECT_EQ(Screen().Count(marker, [](COLORREF c) { return c == RGB(255, 0, 255); }), 200)
        << "held against the end: nothing redrawn";

    // Up past the top.
    MoveTo(Window(), x, 10);
    EXPECT_EQ(list_.Scroll().thumbPosition, Top());
    EXPECT_EQ(FirstRow(), 1);
    MoveTo(Window(), x, grab + 50);
    EXPECT_EQ(list_.ClampCount(), 0);

    // Letting go ends the drag, wherever it happens; the selection stays.
    Release(Window(), 5, 5);
    EXPECT_FALSE(list_.Dragging());
    EXPECT_EQ(list_.SelectedRow(), 2);
    EXPECT_TRUE(activations_.empty());
    MoveTo(Window(), x, grab + 80);
    EXPECT_EQ(list_.Scroll().thumbPosition, Top() + 50) << "no drag without the button";
}

// A drag whose release never reaches the list is over all the same: the next click selects.
TEST_F(ListInputTest, ADragThatLosesItsReleaseEnds) {
    using Cut = void (*)(ListControl&, HWND, POINT pointer);  // mid-drag, until the button is up
    const std::pair<const char*, Cut> cuts[] = {
        // Another window took the capture (a menu, a dialog): the release goes there.
        {"capture lost",
         [](ListControl&, HWND window, POINT) {
             SendMessageW(window, WM_CAPTURECHANGED, 0, 0);
             ReleaseCapture();
         }},
        // Hidden while dragged: the release comes while the list ignores releases.
        {"hidden", [](ListControl& list, HWND window, POINT pointer) {
             list.Hidden(true);
             Release(window, pointer.x, pointer.y);
             list.Hidden(false);
         }}};
    for (const auto& [name, cut] : cuts) {
        list_test::FillRows(list_, 200);
        Click(OnSlot(2));
        activations_.clear();
        const RECT& bar = list_.ScrollBarRect();
        const int x = (bar.left + bar.right) / 2, grab = Top() + 6;
        MoveTo(Window(), x, grab);
        Press(Window(), x, grab);
        MoveTo(Window(), x, grab + 30);
        MoveTo(Window(), x, grab + 40);
        ASSERT_TRUE(list_.Dragging()) << name;

        cut(list_, Window(), POINT{x, grab + 40});
        EXPECT_FALSE(list_.Dragging()) << name;
        const double thumb = list_.Scroll().thumbPosition;
        const POINT row = OnSlot(5);
        const int expected = list_.VisibleItems().at(4).row;
        MoveTo(Window(), row.x, row.y);
        Press(Window(), row.x, row.y);
        MoveTo(Window(), row.x, row.y + 3);
        EXPECT_EQ(list_.Scroll().thumbPosition, thumb) << name << ": a row press moves no thumb";
        Release(Window(), row.x, row.y + 3);
        EXPECT_EQ(activations_, std::vector<int>{expected}) << name;
    }
}

TEST_F(ListInputTest, PressingARowNeverDragsTheThumb) {
    list_test::FillRows(list_, 200);
    MoveTo(Window(), OnSlot(3).x, OnSlot(3).y);
    Press(Window(), OnSlot(3).x, OnSlot(3).y);
    const RECT& bar = list_.ScrollBarRect();
    MoveTo(Window(), (bar.left + bar.right) / 2, Top() + 5);
    MoveTo(Window(), (bar.left + bar.right) / 2, Top() + 80);
    EXPECT_FALSE(list_.Dragging());
    EXPECT_EQ(list_.Scroll().thumbPosition, Top());
    Release(Window(), (bar.left + bar.right) / 2, Top() + 80);
}

TEST_F(ListInputTest, WhileHiddenHoverAndClicksDoNothingButTheWheelScrolls) {
    list_test::FillRows(list_, 60);
    list_.Hidden(true);
    const Snapshot hidden = Screen();
    const POINT point{kListLeft + 480, list_test::ItemMiddleY(list_, 3)};
    MoveTo(Window(), point.x, point.y);
    EXPECT_EQ(list_.HoverSlot(), 0);
    Press(Window(), point.x, point.y);
    Release(Window(), point.x, point.y);
    EXPECT_EQ(list_.SelectedRow(), 0);
    EXPECT_TRUE(activations_.empty());

    const double before = list_.Scroll().thumbPosition;
    Wheel(Window(), point.x, point.y, -120);
    EXPECT_GT(list_.Scroll().thumbPosition, before) << "the wheel still scrolls";
    EXPECT_EQ(Screen().CountChanged(hidden, list_test::ListBounds()), 0) << "but draws nothing";

    list_.Hidden(false);
    EXPECT_EQ(FirstRow(), 4) << "shown at the scrolled position";
}

// The slot showing `row` lies whole inside the content area.
bool ShowsWhole(const ListControl& list, int row) {
    const int slot = list_test::SlotOfRow(list, row);
    if (slot == 0) return false;
    const RectF& item = list.VisibleItems()[slot - 1].rect;
    const RectF& content = list.ContentArea();
    return item.Y >= content.Y && item.GetBottom() <= content.GetBottom();
}

TEST_F(ListInputTest, RowKeysMoveTheSelectionAndScrollItIntoView) {
    list_test::FillRows(list_, 40);
    // A press takes the keys, and the keyboard from wherever it was.
    SetFocus(nullptr);
    Click(OnSlot(2));
    EXPECT_EQ(GetFocus(), Window());
    ASSERT_TRUE(list_.KeyboardFocus());
    list_.SelectedRow(0);
    const int page = static_cast<int>(list_.ContentArea().Height) / list_.ItemHeight();
    const struct {
        UINT key;
        int row;
    } rows[] = {
        {VK_UP, 1},  // none selected: the rows start before the first
        {VK_DOWN, 2}, {VK_NEXT, 2 + page}, {VK_END, 40}, {VK_DOWN, 40}, {VK_PRIOR, 40 - page},
        {VK_HOME, 1}, {VK_UP, 1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SendMessageW(Window(), WM_KEYDOWN, row.key, 1), 0);
        EXPECT_EQ(list_.SelectedRow(), row.row) << "key " << row.key;
        EXPECT_TRUE(ShowsWhole(list_, row.row)) << "key " << row.key;
    }
    // A key the list has no use for is the window's; a hidden list takes none.
    EXPECT_FALSE(list_.OnKey(VK_RETURN));
    list_.Hidden(true);
    EXPECT_FALSE(list_.OnKey(VK_DOWN));
}

// Whatever the skin, the ring around the list and around the selected row has a white and a
// black line; it comes with the keyboard focus, stays through a scroll and goes with the focus.
TEST(ListFocusLook, ShowsOnEverySkin) {
    test::CursorAway cursorAway;
    for (const COLORREF skinColour : {RGB(255, 255, 255), RGB(0, 0, 0), RGB(128, 128, 128),
                                      RGB(220, 40, 40), RGB(30, 60, 120)}) {
        const auto skin = list_test::MakeSkin(skinColour, L"focus-skin.png");
        test::TestForm form(list_test::MainWindowOptions(*skin));
        ListControl list;
        list_test::CreateApplicationList(list, form.Handle());
        list_test::FillRows(list, 40);
        list.SelectedRow(3);
        form.Form().SetKeyWidget(list.GetId());
        SetFocus(nullptr);
        list.Redraw();
        const Snapshot without = Snapshot::OfScreen(form, list_test::ListBounds());

        SetFocus(form.Handle());
        test::PumpMessages(0);  // the ring comes in a posted repaint
        Wheel(form.Handle(), kListLeft + 300, list_test::ItemMiddleY(list, 2), 120);
        const Snapshot with = Snapshot::OfWindow(form.Handle(), list_test::ListBounds());
        const int middle = list_test::kListTop + list_test::kListHeight / 2;
        const RECT row = ItemRect(list, list_test::SlotOfRow(list, 3));
        const int rowMiddle = (row.top + row.bottom) / 2;
        for (const POINT white : {POINT{kListLeft, middle}, POINT{row.left, rowMiddle}}) {
            EXPECT_TRUE(test::NearColour(with.At(white.x, white.y), RGB(255, 255, 255)))
                << test::ColourText(skinColour) << " "
                << test::ColourText(with.At(white.x, white.y));
            EXPECT_TRUE(test::NearColour(with.At(white.x + 1, white.y), RGB(0, 0, 0)))
                << test::ColourText(skinColour);
        }

        // The keyboard leaving and coming back before the list has heard of it (a fetch's
        // loading window) repaints nothing; leaving for good takes the ring away.
        const RECT spot{kListLeft + 100, middle, kListLeft + 110, middle + 10};
        test::Scribble(form, spot);
        SetFocus(nullptr);
        SetFocus(form.Handle());
        test::PumpMessages(0);
        EXPECT_TRUE(test::HasMarker(form.Screen(), spot)) << test::ColourText(skinColour);
        SetFocus(nullptr);
        test::PumpMessages(0);
        const Snapshot after = Snapshot::OfScreen(form, list_test::ListBounds());
        EXPECT_EQ(after.CountChanged(without, list_test::ListBounds()), 0)
            << test::ColourText(skinColour);
    }
}

}  // namespace
