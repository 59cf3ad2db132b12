// Demonstration: the game list on a window of the main window's size and place in it, filled
// with sample rows and driven with real input (SendInput: the pointer moves, the button and the
// wheel go through the system's input queue as a user's would). It hovers, clicks, scrolls with
// the wheel and drags the thumb, checks each step on the list's state and the rows' looks on the
// window, and saves a screenshot of it to %TEMP%\zentori-list-demo.png for a person to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/toolkit/real_input.h"
#include "tests/support/toolkit/list_control_fixture.h"
#include "tests/support/toolkit/window_manager.h"

namespace {

class ListDemoTest : public list_test::ListFixture {};

TEST_F(ListDemoTest, SampleRowsCanBeHoveredClickedScrolledAndDragged) {
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    std::vector<int> activations;
    list.SetOnActivate([&](int row) { activations.push_back(row); });
    list_test::FillRows(list, 60);
    ASSERT_TRUE(test::BringToFront(Window()));
    test::RealInput user(Window());

    // Hover the third row, then click the second.
    const POINT third = list_test::PointOnRow(list, 3);
    user.MoveTo(third.x, third.y);
    ASSERT_TRUE(test::PumpUntil([&] { return list.HoverSlot() == 3; }, 2000))
        << "hover slot " << list.HoverSlot();
    const POINT second = list_test::PointOnRow(list, 2);
    user.Click(second.x, second.y);
    ASSERT_TRUE(test::PumpUntil([&] { return list.SelectedRow() == 2; }, 2000));
    EXPECT_EQ(activations, std::vector<int>{2});

    // Two wheel notches towards the user: six rows further down.
    for (int notch = 0; notch < 2; ++notch)
        user.WheelNotch(-WHEEL_DELTA);
    ASSERT_TRUE(test::PumpUntil([&] { return list.VisibleItems().front().row >= 7; }, 2000))
        << "first row " << list.VisibleItems().front().row;

    // Drag the thumb: the first move with the button held takes hold of it, the thumb then
    // follows the pointer.
    const RECT& bar = list.ScrollBarRect();
    const int barX = (bar.left + bar.right) / 2;
    const int grabY = static_cast<int>(list.Scroll().thumbPosition) + 5;
    user.MoveTo(barX, grabY);
    user.Button(true);
    user.MoveTo(barX, grabY + 1);
    ASSERT_TRUE(list.Dragging());
    const double grabbed = list.Scroll().thumbPosition;
    for (int step = 10; step <= 60; step += 10)
        user.MoveTo(barX, grabY + 1 + step);
    user.Button(false);
    EXPECT_EQ(list.Scroll().thumbPosition, grabbed + 60);
    EXPECT_FALSE(list.Dragging());
    EXPECT_EQ(list.SelectedRow(), 2) << "letting go of the thumb is no click";

    // Select a row on the new page and leave the pointer over another, so the screenshot shows
    // a selected and a hovered row.
    const int chosen = list.VisibleItems().at(3).row;
    const POINT target = list_test::PointOnRow(list, chosen);
    user.Click(target.x, target.y);
    ASSERT_TRUE(test::PumpUntil([&] { return list.SelectedRow() == chosen; }, 2000));
    EXPECT_EQ(activations, (std::vector<int>{2, chosen}));
    const POINT other = list_test::PointOnRow(list, chosen + 3);
    user.MoveTo(other.x - 200, other.y);
    test::PumpMessages(200);
    EXPECT_EQ(list.HoverSlot(), 7);

    // What the screenshot shows: the selected and the hovered row, each in a look of its own.
    const list_test::Snapshot shown = OnWindow();
    const auto rowColour = [&](int slot) {
        return shown.At(list_test::kListLeft + 480, list_test::ItemMiddleY(list, slot));
    };
    const COLORREF plain = rowColour(1), selected = rowColour(4), hovered = rowColour(7);
    EXPECT_FALSE(test::NearColour(selected, plain)) << test::ColourText(selected);
    EXPECT_FALSE(test::NearColour(hovered, plain)) << test::ColourText(hovered);
    EXPECT_FALSE(test::NearColour(hovered, selected)) << test::ColourText(hovered);

    const std::wstring path = test::SaveWindowScreenshot(Window(), L"zentori-list-demo.png");
    if (!path.empty()) printf("screenshot: %ls\n", path.c_str());
}

}  // namespace
