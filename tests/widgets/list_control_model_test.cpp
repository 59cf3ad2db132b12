// ListControl model and geometry: adding and inserting rows, cells, numbers out of range, the
// hidden link column, columns changed after rows exist, the scroll arithmetic of the worked
// examples (including the minimum thumb), Clear, and teardown with the form.
#include <gtest/gtest.h>

#include "tests/support/toolkit/list_control_fixture.h"

namespace {

using list_test::BlockImages;
using list_test::ListFixture;

class ListModelTest : public ListFixture {
protected:
    // A list with columns "a", "b", "c" and no drawing to speak of (hidden header, no frame).
    void MakeList(ListControl& list, int height = 200) {
        list.Create(Window(), 10, 10, 300, height);
        list.SetColumns({{"a", 0, 100}, {"b", 0, 100}, {"c", 0, 100}});
    }
    std::vector<std::string> FirstCells(const ListControl& list) {
        std::vector<std::string> cells;
        for (int row = 1; row <= list.RowCount(); ++row)
            cells.push_back(list.GetCellText(row));
        return cells;
    }
};

TEST_F(ListModelTest, AddRowAppendsInsertsAndRefusesPositionsOutOfRange) {
    ListControl list;
    MakeList(list);
    EXPECT_EQ(list.AddRow(std::nullopt, "r1"), 1) << "append on an empty list";
    EXPECT_EQ(list.AddRow(3, "never"), 0) << "position 3 on a list of 1 row";
    EXPECT_EQ(list.RowCount(), 1);
    for (const char* text : {"r2", "r3", "r4", "r5"})
        list.AddRow(std::nullopt, text);

    EXPECT_EQ(list.AddRow(1, "new"), 1);
    EXPECT_EQ(FirstCells(list), (std::vector<std::string>{"new", "r1", "r2", "r3", "r4", "r5"}));
    EXPECT_EQ(list.AddRow(4, "mid"), 4);
    EXPECT_EQ(list.GetCellText(4), "mid");
    EXPECT_EQ(list.GetCellText(5), "r3");
    EXPECT_EQ(list.AddRow(list.RowCount() + 1, "end"), 8) << "count + 1 appends";
    for (int position : {0, -1, 10}) {
        EXPECT_EQ(list.AddRow(position, "x"), 0) << position;
    }
    EXPECT_EQ(list.RowCount(), 8);
}

TEST_F(ListModelTest, RowsKeepTheirDataTagAndTheSelectionFollowsItsRow) {
    ListControl list;
    MakeList(list);
    list.AddRow(std::nullopt, "one", 0, 11, "tag-one");
    list.AddRow(std::nullopt, "two", 0, 22, "tag-two");
    list.SelectedRow(2);
    list.AddRow(1, "zero", 0, 5);
    EXPECT_EQ(list.GetRowData(1), 5);
    EXPECT_EQ(list.GetRowData(3), 22);
    EXPECT_EQ(list.GetRowTag(2), "tag-one");
    EXPECT_EQ(list.GetRowTag(1), "");
    EXPECT_EQ(list.SelectedRow(), 3) << "the row selected as 2 is row 3 now";
    list.AddRow(std::nullopt, "last");
    EXPECT_EQ(list.SelectedRow(), 3);
    // A row beyond the list is kept as given, and moves with the rows inserted above it.
    list.SelectedRow(99);
    list.AddRow(1, "first");
    EXPECT_EQ(list.SelectedRow(), 100);
}

TEST_F(ListModelTest, CellsDefaultToEmptyAndNumbersOutOfRangeReadNothing) {
    ListControl list;
    MakeList(list);
    list.AddRow(std::nullopt, "first");
    EXPECT_EQ(list.GetCellText(1), "first") << "column 1 when omitted";
    EXPECT_EQ(list.GetCellText(1, 2), "") << "never set";
    list.SetCell(1, 2, "second");
    EXPECT_EQ(list.GetCellText(1, 2), "second");
    list.SetCell(1, 2);
    EXPECT_EQ(list.GetCellText(1, 2), "") << "SetCell without text empties the cell";

    struct Case {
        int row, column;
    };
    for (const Case c : {Case{0, 1}, {2, 1}, {-1, 1}, {1, 0}, {1, 4}, {1, -3}}) {
        list.SetCell(c.row, c.column, "ghost");
        EXPECT_EQ(list.GetCellText(c.row, c.column), "") << c.row << "," << c.column;
    }
    EXPECT_EQ(list.GetRowData(0), 0);
    EXPECT_EQ(list.GetRowData(2), 0);
    EXPECT_EQ(list.GetColumnWidth(2), 100);
    EXPECT_EQ(list.GetColumnWidth(0), 0);
    EXPECT_EQ(list.GetColumnWidth(4), 0);
    list.SetColumnWidth(4, 50);  // ignored
    list.SetColumnWidth(3, 70);
    EXPECT_EQ(list.GetColumnWidth(3), 70);
    EXPECT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.GetCellText(1), "first");
}

TEST_F(ListModelTest, MoreColumnsLaterGiveOlderRowsEmptyCells) {
    ListControl list;
    list.Create(Window(), 10, 10, 300, 200);
    list.SetColumns({{"a", 0, 100}, {"b", 0, 100}});
    list.AddRow(std::nullopt, "old");
    list.SetCell(1, 3, "no third column yet");
    EXPECT_EQ(list.GetCellText(1, 3), "");

    list.SetColumns({{"a", 0, 100}, {"b", 0, 100}, {"c", 0, 100}, {"d", 0, 0}});
    EXPECT_EQ(list.GetCellText(1), "old");
    EXPECT_EQ(list.GetCellText(1, 4), "");
    list.SetCell(1, 4, "link");
    EXPECT_EQ(list.GetCellText(1, 4), "link");
    list.AddRow(std::nullopt, "new");
    list.SetCell(2, 4, "link2");
    EXPECT_EQ(list.GetCellText(2, 4), "link2");
}

TEST_F(ListModelTest, TheLinkColumnHoldsItsTextButIsNeverDrawn) {
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    list_test::FillRows(list, 3);
    ASSERT_FALSE(list.Scroll().enabled);
    EXPECT_EQ(list.GetCellText(2, 4), list_test::Link(2));
    EXPECT_EQ(list.GetColumnWidth(4), 0);

    // Column 4 starts at 540 pixels into the content; only the list's background is there.
    const RectF& content = list.ContentArea();
    const int linkLeft = static_cast<int>(content.X) + 540;
    const RECT linkArea{linkLeft, static_cast<LONG>(content.Y), linkLeft + 15,
                        static_cast<LONG>(content.Y + content.Height)};
    const list_test::Snapshot screen = Screen();
    const COLORREF background = screen.At(linkLeft + 5, static_cast<int>(content.Y) + 200);
    EXPECT_EQ(screen.Count(linkArea, test::DiffersFrom(background, 12)), 0)
        << "no link text at the right end of the rows";
    // Nor a title in the header beyond the last separator.
    const RECT titleArea{linkLeft + 1, list_test::kListTop + 3, linkLeft + 15,
                         list_test::kListTop + list.HeaderHeight() - 2};
    EXPECT_EQ(screen.Count(titleArea, [](COLORREF c) { return test::Brightness(c) < 3 * 60; }), 0);
}

// Scroll arithmetic. Row heights come from the item image provider (its height + 8), the content
// height from a list without frame or header.
struct ScrollCase {
    const char* name;
    int rows, imageHeight, contentHeight;
    float fontSize;
    int expectedItemHeight, expectedContent, expectedThumb;
    double expectedRatio;
};

class ListScrollTest : public ListModelTest, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(ListScrollTest, ThumbLengthAndRatio) {
    const ScrollCase& c = GetParam();
    ListControl list;
    ListCreateOptions options;
    options.font.size = c.fontSize;
    list.Create(Window(), 20, 30, 300, c.contentHeight, options);
    ListViewOptions view;
    view.headerHidden = true;
    view.itemImages = std::make_shared<BlockImages>(10, c.imageHeight, RGB(255, 0, 0));
    list.SetColumns({{"a", 0, 200}}, view);
    for (int row = 0; row < c.rows; ++row)
        list.AddRow();

    ASSERT_EQ(list.ItemHeight(), c.expectedItemHeight);
    ASSERT_EQ(list.ContentArea().Height, c.contentHeight);
    const ListScrollState& scroll = list.Scroll();
    EXPECT_TRUE(scroll.enabled);
    EXPECT_EQ(scroll.contentHeight, c.expectedContent);
    EXPECT_EQ(scroll.visibleHeight, c.contentHeight);
    EXPECT_EQ(scroll.thumbLength, c.expectedThumb);
    EXPECT_NEAR(scroll.ratio, c.expectedRatio, 1e-4);
    const RECT& bar = list.ScrollBarRect();
    EXPECT_EQ(bar.left, 20 + 300 - 17);
    EXPECT_EQ(bar.right - bar.left, 16);
    EXPECT_EQ(bar.top, 31);
    EXPECT_EQ(bar.bottom - bar.top, c.contentHeight - 2);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, ListScrollTest,
    ::testing::Values(ScrollCase{"TwentyRowsOf26In370", 20, 18, 370, 12, 26, 520, 263, 1.40541},
                      // So many rows that the thumb keeps its minimum length.
                      ScrollCase{"ThousandRowsOf20In400", 1000, 12, 400, 9, 20, 20000, 15, 50.9087},
                      ScrollCase{"TwentyFiveRowsOf20In378", 25, 12, 378, 9, 20, 500, 285, 1.32275}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListModelTest, ThumbAtTheEndSkipsRowsAboveTheViewArithmetically) {
    ListControl list;
    ListCreateOptions options;
    options.font.size = 9;
    list.Create(Window(), 20, 30, 300, 378, options);
    ListViewOptions view;
    view.headerHidden = true;
    view.itemImages = std::make_shared<BlockImages>(10, 12, RGB(255, 0, 0));
    list.SetColumns({{"a", 0, 200}}, view);
    for (int row = 1; row <= 25; ++row)
        list.AddRow(std::nullopt, std::to_string(row));
    ASSERT_EQ(list.ItemHeight(), 20);
    list.Redraw();

    // With the thumb at the content top, row 1 is at the top, its rectangle one pixel lower.
    const float top = list.ContentArea().Y;
    ASSERT_FALSE(list.VisibleItems().empty());
    EXPECT_EQ(list.VisibleItems().front().row, 1);
    EXPECT_EQ(list.VisibleItems().front().rect.Y, top + 1);
    EXPECT_EQ(list.Scroll().thumbPosition, top);

    for (int notch = 0; notch < 10; ++notch)
        list_test::Wheel(Window(), 100, 100, -120);
    EXPECT_EQ(list.Scroll().thumbPosition, top + 93) << "the end of the track";
    const auto& items = list.VisibleItems();
    ASSERT_EQ(items.size(), 19u);
    EXPECT_EQ(items.front().row, 7) << "rows 1 to 6 skipped";
    EXPECT_EQ(items.front().rect.Y, top - 3 + 1) << "row 7 at content top - 3";
    EXPECT_EQ(items.back().row, 25);
    EXPECT_EQ(items.back().rect.Y, top + 357 + 1) << "row 25 at content top + 357";
}

TEST_F(ListModelTest, TileViewLaysOutSeventyBySixtyTilesAndKeepsReportOptions) {
    ListControl list;
    ListCreateOptions framed;
    framed.borderStyle = kFrameFlat;
    list.Create(Window(), 10, 40, 300, 200, framed);
    ListViewOptions report;
    report.headerHidden = true;
    list.SetColumns({{"a", 0, 100}}, report);
    ListViewOptions tiles;
    tiles.viewMode = kTileView;
    list.SetColumns({{"a", 0, 100}}, tiles);
    EXPECT_EQ(list.ContentArea().Y, 41) << "the header stays hidden";
    EXPECT_EQ(list.ItemWidth(), 70);
    EXPECT_EQ(list.ItemHeight(), 60);
    for (int row = 1; row <= 10; ++row)
        list.AddRow(std::nullopt, std::to_string(row));
    EXPECT_FALSE(list.Scroll().enabled) << "4 per line: 3 lines of 60 fit in 198";
    list.Redraw();
    const auto& items = list.VisibleItems();
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(items[0].rect.X, 12);
    EXPECT_EQ(items[3].rect.X, 12 + 3 * 70);
    EXPECT_EQ(items[4].rect.X, 12) << "a new line after 4 tiles";
    EXPECT_EQ(items[4].rect.Y, 42 + 60);
}

TEST_F(ListModelTest, ClearForgetsRowsSelectionAndScrolling) {
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    list_test::FillRows(list, 40);
    list.SelectedRow(5);
    list_test::Wheel(Window(), 400, 300, -120);
    ASSERT_TRUE(list.Scroll().enabled);
    ASSERT_GT(list.Scroll().thumbPosition, list.ContentArea().Y);

    list.Clear();
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.SelectedRow(), 0);
    EXPECT_FALSE(list.Scroll().enabled);
    EXPECT_TRUE(list.VisibleItems().empty());
    EXPECT_EQ(list.GetCellText(1), "");
    list_test::FillRows(list, 40);
    EXPECT_EQ(list.VisibleItems().front().row, 1) << "back at the top";
}

TEST_F(ListModelTest, DestroyingTheFormReleasesProvidersOnceAndStopsDrawing) {
    auto headerImages = std::make_shared<BlockImages>(8, 8, RGB(0, 0, 255));
    auto itemImages = std::make_shared<BlockImages>(8, 8, RGB(255, 0, 0));
    ListControl list;
    {
        ListViewOptions view = list_test::ApplicationView();
        view.headerImages = headerImages;
        view.itemImages = itemImages;
        ListCreateOptions options;
        options.font.size = 14;
        list.Create(Window(), 150, 95, 560, 400, options);
        list.SetColumns(list_test::ApplicationColumns(), view);
    }
    list_test::FillRows(list, 5);

    form_.DestroyWindow();
    EXPECT_EQ(headerImages->releases, 1);
    EXPECT_EQ(itemImages->releases, 1);
    EXPECT_EQ(headerImages.use_count(), 1) << "the list let go of the provider";
    EXPECT_EQ(list.GetId(), 0);
    EXPECT_FALSE(list.Redraw());
    // The rows are still there for a reader; changing them draws nothing.
    EXPECT_EQ(list.GetCellText(2, 2), "游戏2");
    list.SetCell(2, 2, "x", 3);
    list.Clear();
    EXPECT_EQ(list.RowCount(), 0);
}

}  // namespace
