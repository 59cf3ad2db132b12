// The scale rule (96-dpi design rectangles by their edges) and the choice of artwork size.
#include "widgets/display_scale.h"

#include <gtest/gtest.h>

#include "widgets/artwork.h"

namespace {

// Two design rectangles side by side (a's right edge is b's left at 96 dpi, or they stand a
// gap apart) keep meeting, or keep their scaled gap, at any scale: no pixel between them and
// none of both.
TEST(DisplayScaleRule, NeighboursNeitherGapNorOverlap) {
    struct Case {
        const char* name;
        int dpi;
        RECT a, b;  // design x, y, width, height
        RECT scaledA, scaledB;
    };
    const Case cases[] = {
        {"columns 40 and 180 at 125 %",
         120,
         {0, 0, 40, 20},
         {40, 0, 180, 20},
         {0, 0, 50, 25},
         {50, 0, 275, 25}},
        {"columns 40 and 180 at 175 %",
         168,
         {0, 0, 40, 20},
         {40, 0, 180, 20},
         {0, 0, 70, 35},
         {70, 0, 385, 35}},
        {"genre buttons at 125 %",
         120,
         {10, 95, 60, 20},
         {80, 95, 60, 20},
         {13, 119, 88, 144},
         {100, 119, 175, 144}},
        {"genre buttons at 175 %",
         168,
         {10, 95, 60, 20},
         {80, 95, 60, 20},
         {18, 166, 123, 201},
         {140, 166, 245, 201}},
        {"rows of 25 at 175 %",
         168,
         {10, 95, 60, 25},
         {10, 120, 60, 25},
         {18, 166, 123, 210},
         {18, 210, 123, 254}},
    };
    for (const Case& c : cases) {
        const DisplayScale scale(c.dpi);
        const RECT a = scale.Rect(c.a.left, c.a.top, c.a.right, c.a.bottom);
        const RECT b = scale.Rect(c.b.left, c.b.top, c.b.right, c.b.bottom);
        EXPECT_TRUE(EqualRect(&a, &c.scaledA)) << c.name;
        EXPECT_TRUE(EqualRect(&b, &c.scaledB)) << c.name;
        EXPECT_EQ(scale.Span(c.a.left, c.a.right), a.right - a.left) << c.name;
    }
    const DisplayScale design;
    EXPECT_EQ(design.Px(715), 715);
    EXPECT_EQ(DisplayScale(144).Px(715), 1073);
    EXPECT_EQ(DisplayScale(144).Design(1073), 715);
    EXPECT_EQ(DisplayScale(192).Font(12.0f), 24.0f);
}

TEST(DisplayScaleRule, ArtworkIsTheSmallestSizeAtOrAboveTheScale) {
    struct Case {
        int dpi;
        std::array<bool, 3> available;  // 1x, 1.5x, 2x
        int chosen;
    };
    const Case cases[] = {
        {96, {true, true, true}, 0},    {120, {true, true, true}, 1},
        {144, {true, true, true}, 1},   {168, {true, true, true}, 2},
        {192, {true, true, true}, 2},   {240, {true, true, true}, 2},
        {120, {true, false, true}, 2},  {168, {true, true, false}, 1},
        {144, {true, false, false}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseArtworkSize(DisplayScale(c.dpi), c.available), c.chosen) << c.dpi;
    }
    EXPECT_EQ(ArtworkFile("C:\\skin\\ico\\home.png", 1), "C:\\skin\\ico\\home@1.5x.png");
    EXPECT_EQ(ArtworkFile("C:\\skin.d\\logo", 2), "C:\\skin.d\\logo@2x");
}

}  // namespace
