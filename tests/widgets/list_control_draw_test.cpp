// ListControl drawing, read back from the form's screen buffer and the window: the header band
// of the application's list, the scroll bar only when needed, hover and selection looks that
// stop short of the scroll bar, images kept inside the content area, hiding, moving, a new skin
// behind the list, a single item repaint, and a new page in the places of the old one.
#include <gtest/gtest.h>

#include "tests/support/toolkit/list_control_fixture.h"

namespace {

using list_test::BlockImages;
using list_test::kListHeight;
using list_test::kListLeft;
using list_test::kListTop;
using list_test::kListWidth;
using list_test::kSkinColour;
using list_test::Snapshot;
using test::Blend;
using test::Brightness;
using test::NearColour;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

bool IsRed(COLORREF c) {
    return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
}

class ListDrawTest : public list_test::ListFixture {
protected:
    const COLORREF listBackground_ = Blend(0xFFFFFF, kSkinColour, 80);
};

TEST_F(ListDrawTest, TheApplicationListDrawsItsHeaderBandInsideTheFrame) {
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    const int h = list.HeaderHeight();
    ASSERT_GE(h, 14);
    const RectF& content = list.ContentArea();
    EXPECT_EQ(content.X, 151);
    EXPECT_EQ(content.Y, 96 + h);
    EXPECT_EQ(content.Width, 558);
    EXPECT_EQ(content.Height, 398 - h);

    const Snapshot screen = Screen(RECT{140, 85, 720, 505});
    // The band spans x 151..708 and y 96..96+H-1, lighter at the top than at the bottom.
    for (int x : {151, 600, 708}) {
        const COLORREF top = screen.At(x, 96);
        EXPECT_TRUE(NearColour(top, Blend(0xFFFFFF, kSkinColour, 120), 12))
            << x << ": " << test::ColourText(top);
        EXPECT_GT(Brightness(top), Brightness(screen.At(x, 96 + h - 3)) + 60) << x;
        EXPECT_LT(Brightness(screen.At(x, 96 + h - 1)), Brightness(screen.At(x, 96 + h - 2)))
            << "bottom line at " << x;
    }
    for (int x : {150, 709}) {
        EXPECT_TRUE(NearColour(screen.At(x, 100), 0x646464, 6)) << "frame at " << x;
    }
    EXPECT_TRUE(NearColour(screen.At(711, 100), kSkinColour, 2)) << "nothing right of the frame";
    EXPECT_TRUE(NearColour(screen.At(600, 96 + h + 40), listBackground_, 4))
        << "content background " << test::ColourText(screen.At(600, 96 + h + 40));

    // Separators end columns 1, 2 and 3 (x = 151 + width - 1); the link column has none.
    const int middle = 96 + h / 2;
    for (int x : {190, 370, 690}) {
        EXPECT_LT(Brightness(screen.At(x, middle)), Brightness(screen.At(x + 3, middle)) - 30)
            << "separator at " << x;
    }
    // "索引" is centred in its 40 pixels; "游戏名称" starts at the left of column 2.
    auto ink = [&](int left, int right) {
        return test::FindPixels([&](int x, int y) { return screen.At(x, y); },
                                RECT{left, 97, right, 96 + h - 2},
                                [](COLORREF c) { return Brightness(c) < 3 * 70; });
    };
    const RECT index = ink(152, 189), name = ink(192, 369);
    ASSERT_LT(index.left, index.right);
    ASSERT_LT(name.left, name.right);
    EXPECT_NEAR((index.left + index.right) / 2.0, 151 + 20, 3);
    EXPECT_LE(name.left, 151 + 40 + 5);
}

TEST_F(ListDrawTest, AScrollBarShowsOnlyWhileTheRowsDoNotFit) {
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    const RECT barColumn{692, static_cast<LONG>(list.ContentArea().Y), 709, 494};
    auto darkPixels = [&] {
        return Screen().Count(barColumn, [&](COLORREF c) {
            return Brightness(c) + 30 < Brightness(listBackground_);
        });
    };
    EXPECT_EQ(darkPixels(), 0) << "an empty list";
    list_test::FillRows(list, 10);
    EXPECT_FALSE(list.Scroll().enabled);
    EXPECT_EQ(darkPixels(), 0) << "ten rows fit";

    list_test::FillRows(list, 50);
    ASSERT_TRUE(list.Scroll().enabled);
    const RECT thumb{694, static_cast<LONG>(list.ContentArea().Y) + 3, 707,
                     static_cast<LONG>(list.ContentArea().Y) + list.Scroll().thumbLength - 3};
    EXPECT_GT(
        Screen().Count(
            thumb, [&](COLORREF c) { return Brightness(c) + 30 < Brightness(listBackground_); }),
        (thumb.right - thumb.left) * (thumb.bottom - thumb.top) / 2)
        << "the thumb at the top of the track";

    list.Clear();
    EXPECT_EQ(darkPixels(), 0) << "cleared";
}

TEST_F(ListDrawTest, TheScrollBarFollowsTheThumbAndSurvivesRowRepaints) {
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    list_test::FillRows(list, 200);
    const RECT& bar = list.ScrollBarRect();
    const RECT column{bar.left, bar.top, bar.right, bar.bottom};
    auto thumbRows = [&](const Snapshot& shot) {
        // Rows of the bar whose middle pixel is the dark thumb.
        RECT rows = test::FindPixels(
            [&](int x, int y) { return shot.At(x, y); },
            RECT{bar.left + 8, bar.top, bar.left + 9, bar.bottom},
            [&](COLORREF c) { return Brightness(c) + 60 < Brightness(listBackground_); });
        return std::pair{rows.top, rows.bottom};
    };
    const Snapshot atTop = Screen();
    const auto [top, bottom] = thumbRows(atTop);
    EXPECT_EQ(top, bar.top) << "the thumb starts one pixel below the content top, as the bar";
    EXPECT_NEAR(bottom - top, list.Scroll().thumbLength - 2, 1);

    // Rows drawn over the bar leave it as it was.
    const POINT row = list_test::PointOnRow(list, 3);
    list_test::MoveTo(Window(), row.x, row.y);
    list.SetCell(4, 3, "改");
    EXPECT_EQ(Screen().CountChanged(atTop, column), 0);

    list_test::Wheel(Window(), row.x, row.y, -120);
    const Snapshot moved = Screen();
    EXPECT_NEAR(thumbRows(moved).first, list.Scroll().thumbPosition + 1, 1)
        << "the thumb moved down";
    EXPECT_EQ(OnWindow().CountChanged(moved, column), 0) << "and shows";

    // A new skin colour repaints the track in it.
    auto skin = list_test::MakeSkin(RGB(20, 110, 40), L"list-skin-green.png");
    ASSERT_TRUE(form_.Form().SetSkin(skin->GbkPath(), 0));
    const POINT other = list_test::PointOnRow(list, list.VisibleItems().at(5).row);
    list_test::MoveTo(Window(), other.x, other.y);
    const COLORREF track = Screen().At(bar.left + 8, bar.bottom - 3);
    EXPECT_GT(GetGValue(track), GetBValue(track)) << test::ColourText(track);

    // A skin of the same colour where it is sampled (below the list) but white behind the list:
    // the track shows the new background through it.
    test::TempFile lighter(L"list-skin-green-white.png");
    lighter.Write(
        test::EncodeImage(list_test::kFormWidth, list_test::kFormHeight, test::ImageFormat::kPng,
                          [](GpGraphics* graphics) {
                              UniqueBrush white(MakeBrush(MakeArgb(0xFFFFFF)));
                              UniqueBrush green(MakeBrush(MakeArgb(RGB(20, 110, 40))));
                              FillRectF(graphics, white.get(), 0, 0, list_test::kFormWidth, 496);
                              FillRectF(graphics, green.get(), 0, 496, list_test::kFormWidth, 60);
                          }));
    ASSERT_TRUE(form_.Form().SetSkin(lighter.GbkPath(), 0));
    ASSERT_EQ(form_.Form().Record().backgroundColour, RGB(20, 110, 40));
    list_test::MoveTo(Window(), row.x, row.y);
    const COLORREF lighterTrack = Screen().At(bar.left + 8, bar.bottom - 3);
    EXPECT_GT(Brightness(lighterTrack), Brightness(track) + 30)
        << test::ColourText(lighterTrack) << " after " << test::ColourText(track);
}

// Hover and selection looks of one row: what changed against the row at rest.
struct LookCase {
    const char* name;
    int rows;
    bool select;
    int right;  // exclusive right end of the look
};

class ListLookTest : public ListDrawTest, public ::testing::WithParamInterface<LookCase> {};

TEST_P(ListLookTest, StateBackgroundsStopShortOfTheScrollBar) {
    const LookCase& c = GetParam();
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    list_test::FillRows(list, c.rows);
    const Snapshot before = Screen();
    const POINT point = list_test::PointOnRow(list, 3);
    if (c.select) {
        list_test::ClickAt(Window(), point.x, point.y);
        list_test::MoveTo(Window(), 20, 20);  // off the list: the row shows only its selection
        SetFocus(nullptr);                    // and no focus ring (which has its own test)
        test::PumpMessages(0);
        ASSERT_EQ(list.SelectedRow(), 3);
    } else {
        list_test::MoveTo(Window(), point.x, point.y);
        ASSERT_EQ(list.HoverSlot(), 3);
    }
    const Snapshot after = Screen();
    const RECT item = list_test::ItemRect(list, 3);
    const RECT changed = after.Changed(before, list_test::ListBounds());
    EXPECT_EQ(changed.left, item.left);
    EXPECT_EQ(changed.top, item.top);
    EXPECT_EQ(changed.bottom, item.bottom);
    EXPECT_EQ(changed.right, c.right);
    // The look is darker (the form colour) and on the window as well.
    EXPECT_LT(Brightness(after.At(item.left + 300, item.bottom - 3)),
              Brightness(before.At(item.left + 300, item.bottom - 3)));
    const Snapshot window = OnWindow();
    EXPECT_EQ(window.CountChanged(after, item), 0) << "presented";
}

// Items are 556 pixels wide from x = 152.
INSTANTIATE_TEST_SUITE_P(Looks, ListLookTest,
                         ::testing::Values(LookCase{"HoverScrollable", 50, false, 152 + 556 - 18},
                                           LookCase{"SelectedScrollable", 50, true, 152 + 556 - 18},
                                           LookCase{"HoverWithoutScrollBar", 8, false, 152 + 556},
                                           LookCase{"SelectedWithoutScrollBar", 8, true,
                                                    152 + 556}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListDrawTest, ImagesAreDrawnByTheProvidersAndNeverOutsideTheContentArea) {
    auto headerImages = std::make_shared<BlockImages>(10, 10, kBlue);
    auto itemImages = std::make_shared<BlockImages>(12, 12, kRed);
    ListControl list;
    ListViewOptions view = list_test::ApplicationView();
    view.headerImages = headerImages;
    view.itemImages = itemImages;
    auto columns = list_test::ApplicationColumns();
    columns[1].headerImage = 5;
    list.Create(Window(), kListLeft, kListTop, kListWidth, kListHeight,
                ListCreateOptions{.backgroundColour = 0xFFFFFF,
                                  .backgroundAlpha = 80,
                                  .font = {},
                                  .textEffect = 0,
                                  .borderStyle = kFrameFlat,
                                  .visible = true});
    list.SetColumns(columns, view);
    list.Clear();
    for (int row = 1; row <= 60; ++row) {
        list.AddRow(row, std::to_string(row), 7);
        list.SetCell(row, 4, list_test::Link(row), 9);  // a hidden column: never drawn
    }
    list.Redraw();

    const int h = list.HeaderHeight();
    ASSERT_GE(h, 20) << "header image height + 10";
    ASSERT_GE(list.ItemHeight(), 20) << "item image height + 8";
    // The header image of column 2 at its left, centred in the band.
    ASSERT_FALSE(headerImages->calls.empty());
    EXPECT_EQ(headerImages->calls.back().value, 5);
    EXPECT_EQ(headerImages->calls.back().x, 151 + 40 + 2);
    EXPECT_EQ(headerImages->calls.back().y, 96 + (h - 10) / 2);
    for (const auto& call : itemImages->calls) {
        EXPECT_EQ(call.value, 7) << "only column 1 has images";
        EXPECT_EQ(call.x, 152 + 2);
    }

    const RECT headerBand{151, 96, 709, 96 + h};
    const Snapshot header = Screen();

    // Drag the thumb until the first row's image is cut by the content top.
    const RECT& bar = list.ScrollBarRect();
    const int barX = (bar.left + bar.right) / 2;
    int y = static_cast<int>(list.Scroll().thumbPosition) + 4;
    list_test::MoveTo(Window(), barX, y);
    list_test::Press(Window(), barX, y);
    list_test::MoveTo(Window(), barX, y);
    ASSERT_TRUE(list.Dragging());
    const int top = static_cast<int>(list.ContentArea().Y);
    bool cut = false;
    for (int step = 0; step < 60 && !cut; ++step) {
        list_test::MoveTo(Window(), barX, ++y);
        const RectF& first = list.VisibleItems().front().rect;
        const int iconTop = static_cast<int>(first.Y + (first.Height - 12) / 2);
        cut = iconTop < top - 2 && iconTop + 12 > top + 2;
    }
    list_test::Release(Window(), barX, y);
    ASSERT_TRUE(cut) << "no thumb position cut an image";
    SetFocus(nullptr);  // the press gave the list the keyboard; its ring has a test of its own
    test::PumpMessages(0);

    const Snapshot screen = Screen(RECT{140, 85, 720, 520});
    const int bottom = static_cast<int>(list.ContentArea().Y + list.ContentArea().Height);
    EXPECT_EQ(screen.Count(RECT{150, 85, 720, top}, IsRed), 0) << "above the content";
    EXPECT_EQ(screen.Count(RECT{150, bottom, 720, 520}, IsRed), 0) << "below the content";
    EXPECT_GT(screen.Count(RECT{154, top, 166, top + 2}, IsRed), 12) << "the cut image's rest";
    EXPECT_EQ(screen.CountChanged(header, headerBand), 0) << "a cut row leaves the header alone";
    EXPECT_GT(screen.Count(RECT{151 + 40, 97, 151 + 60, 96 + h - 1},
                           [](COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 60; }),
              50)
        << "the header image survived the scrolling";
}

TEST_F(ListDrawTest, NarrowColumnsAndANarrowListDrawNothingBesideThem) {
    // Column 1 is 6 pixels wide: its text rectangle has no width at all, which GDI+ would take
    // as "no limit". Column 3 starts right of the 100-pixel list and has images.
    auto itemImages = std::make_shared<BlockImages>(12, 12, kRed);
    ListControl list;
    ListViewOptions view;
    view.itemImages = itemImages;
    list.Create(Window(), 20, 100, 100, 120);
    list.SetColumns({{"a", 0, 6}, {"b", 0, 88}, {"c", 0, 60}}, view);
    list.AddRow(std::nullopt, "WWWWWWWWWWWWWWWWWWWW", 3);
    list.SetCell(1, 3, "", 4);
    list.Redraw();

    const RECT area{0, 90, 300, 240};
    const Snapshot screen = Screen(area), background = Background(area);
    EXPECT_EQ(screen.CountChanged(background, RECT{120, 90, 300, 240}), 0)
        << "nothing right of the list";
    const RectF& item = list.VisibleItems().front().rect;
    const RECT nameColumn{26, static_cast<LONG>(item.Y), 100,
                          static_cast<LONG>(item.Y + item.Height)};
    EXPECT_EQ(screen.Count(nameColumn, [](COLORREF c) { return Brightness(c) < 3 * 60; }), 0)
        << "column 1's text stays out of column 2";
}

TEST_F(ListDrawTest, AHiddenListIsErasedAndIgnoresPaintRequests) {
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    list_test::FillRows(list, 12);
    const Snapshot shown = Screen();

    EXPECT_TRUE(list.Hidden(true));
    const RECT bounds = list_test::ListBounds();
    const Snapshot background = Background();
    EXPECT_EQ(Screen().CountChanged(background, bounds), 0) << "erased from the screen buffer";
    EXPECT_EQ(OnWindow().CountChanged(background, bounds), 0) << "and from the window";

    const RECT marker{300, 200, 340, 220};
    test::Scribble(form_, marker);
    const Snapshot scribbled = Screen();
    EXPECT_TRUE(list.Redraw()) << "still registered as visible";
    list.SetCell(3, 2, "改了");
    list.DrawRows(true);
    list.DrawHeader(true);
    EXPECT_EQ(Screen().CountChanged(scribbled, bounds), 0) << "a hidden list draws nothing";

    EXPECT_FALSE(list.Hidden(false));
    const Snapshot again = Screen();
    EXPECT_EQ(again.Count(marker, [](COLORREF c) { return NearColour(c, RGB(255, 0, 255), 0); }), 0)
        << "shown again";
    const RECT header{151, 96, 709, 96 + list.HeaderHeight()};
    EXPECT_EQ(again.CountChanged(shown, header), 0);
}

TEST_F(ListDrawTest, MovingErasesTheOldPlaceAndRebuildsTheBuffer) {
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    list_test::FillRows(list, 30);
    list.Move(100.0f, std::nullopt, 500.0f, 300.0f);
    EXPECT_EQ(list.GetLeft(), 100);
    EXPECT_EQ(list.GetTop(), kListTop);
    EXPECT_EQ(list.GetWidth(), 500);
    EXPECT_EQ(list.GetHeight(), 300);
    EXPECT_EQ(list.ContentArea().Width, 498);

    // Up to the form's own frame at its right edge.
    const RECT area{90, 85, 710, 505};
    const Snapshot screen = Screen(area), background = Background(area);
    EXPECT_EQ(screen.CountChanged(background, RECT{600, 85, 710, 505}), 0)
        << "old place, right; and no column beyond the new width drawn beside the list";
    EXPECT_EQ(screen.CountChanged(background, RECT{90, 395, 710, 505}), 0) << "old place, bottom";
    EXPECT_EQ(OnWindow(area).CountChanged(screen, area), 0) << "the window shows the same";
    EXPECT_TRUE(NearColour(screen.At(101, 96), Blend(0xFFFFFF, kSkinColour, 120), 12));
    EXPECT_TRUE(NearColour(screen.At(100, 200), 0x646464, 6)) << "frame at the new left";
    EXPECT_TRUE(NearColour(screen.At(599, 200), 0x646464, 6)) << "frame at the new right";
    const RECT& bar = list.ScrollBarRect();
    EXPECT_EQ(bar.left, 101 + 498 - 17) << "the scroll bar moved along";
    EXPECT_TRUE(NearColour(screen.At(150, 380), listBackground_, 40))
        << "buffer rebuilt at the new size";
}

TEST_F(ListDrawTest, ANewSkinBehindTheListIsTakenIntoItsBuffer) {
    constexpr COLORREF kDarkRed = RGB(120, 20, 20);
    auto skin = list_test::MakeSkin(kDarkRed, L"list-skin-red.png");
    for (const bool hiddenMeanwhile : {false, true}) {
        SCOPED_TRACE(hiddenMeanwhile ? "hidden during the change, then shown" : "shown");
        ASSERT_TRUE(form_.Form().SetSkin(skin_->GbkPath(), 0));
        ListControl list;
        list_test::CreateApplicationList(list, Window());
        list_test::FillRows(list, 30);
        const int y = static_cast<int>(list.ContentArea().Y) + 150;
        ASSERT_TRUE(NearColour(Screen().At(600, y), listBackground_, 4));

        if (hiddenMeanwhile) list.Hidden(true);
        ASSERT_TRUE(form_.Form().SetSkin(skin->GbkPath(), 0));
        if (hiddenMeanwhile) list.Hidden(false);
        EXPECT_TRUE(NearColour(Screen().At(600, y), Blend(0xFFFFFF, kDarkRed, 80), 4))
            << test::ColourText(Screen().At(600, y));
        // A single row repainted later erases from the rebuilt buffer too.
        list.SetCell(5, 3, "新的介绍");
        EXPECT_TRUE(NearColour(Screen().At(600, list_test::ItemMiddleY(list, 5)),
                               Blend(0xFFFFFF, kDarkRed, 80), 4));
    }
}

// The list's tinted backdrop is kept in the form's background (no copy of its own): it is there
// while the list shows, tinted once however the background is composed again, and the skin
// alone is back once the list is hidden or gone.
TEST_F(ListDrawTest, TheBackdropLivesInTheFormsBackgroundWhileTheListShows) {
    int y = 0;
    {
        ListControl list;
        list_test::CreateApplicationList(list, Window());
        y = static_cast<int>(list.ContentArea().Y) + 150;
        EXPECT_TRUE(NearColour(Background().At(600, y), listBackground_, 4));
        // A growing window composes only the strips it gains: the backdrop is tinted once.
        RECT place{};
        GetWindowRect(Window(), &place);
        SetWindowPos(Window(), nullptr, 0, 0, place.right - place.left + 20,
                     place.bottom - place.top + 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(NearColour(Background().At(600, y), listBackground_, 4)) << "grown";
        list.Hidden(true);
        EXPECT_TRUE(NearColour(Background().At(600, y), kSkinColour, 2)) << "hidden";
        EXPECT_TRUE(NearColour(Screen().At(600, y), kSkinColour, 2)) << "hidden";
        list.Hidden(false);
        EXPECT_TRUE(NearColour(Screen().At(600, y), listBackground_, 4)) << "shown again";
    }
    EXPECT_TRUE(NearColour(Background().At(600, y), kSkinColour, 2)) << "gone";
}

TEST_F(ListDrawTest, SetCellRepaintsOnlyItsRowAtOnce) {
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    list_test::FillRows(list, 30);
    const int slot = list_test::SlotOfRow(list, 4);
    const RECT item = list_test::ItemRect(list, slot);
    const Snapshot before = Screen();
    list.SetCell(4, 3, "一段长得多的新介绍文字");
    const Snapshot after = Screen();
    const RECT changed = after.Changed(before, list_test::ListBounds());
    ASSERT_LT(changed.left, changed.right) << "the row was repainted";
    EXPECT_GE(changed.top, item.top);
    EXPECT_LE(changed.bottom, item.bottom);
    EXPECT_GE(changed.left, 151 + 220) << "only the introduction changed";
    EXPECT_EQ(OnWindow().CountChanged(after, item), 0) << "and shown";

    list.SetCell(45, 3, "off screen");  // not laid out: nothing drawn
    EXPECT_EQ(Screen().CountChanged(after, list_test::ListBounds()), 0);
}

TEST_F(ListDrawTest, ANewPageShowsWhatTheSamePageDrawnFromScratchShows) {
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    const auto fill = [&list](int page) {
        for (int row = 1; row <= 20; ++row) {
            const std::string number = std::to_string(page * 100 + row);
            list.AddRow(row, number);
            list.SetCell(row, 2, page == 1 ? "一个名字很长很长的游戏" + number : "游戏" + number);
            list.SetCell(
                row, 3,
                page == 1 ? "第" + number + "个游戏的介绍，写得很长很长很长很长很长" : number);
        }
        list.Redraw();
    };
    fill(1);
    list.Clear(false);  // as a click shows its page: the old rows' places take the new ones
    fill(2);
    const Snapshot next = Screen();
    list.Clear();
    fill(2);
    EXPECT_EQ(Screen().CountChanged(next, list_test::ListBounds(), 0), 0);
    EXPECT_EQ(OnWindow().CountChanged(next, list_test::ListBounds()), 0) << "and shown";
}

}  // namespace
