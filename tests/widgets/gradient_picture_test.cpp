// GradientPicture: a band's gradient shown from its kept line gives the pixels filling the band
// (or a part of it) with GDI+ gives, over any background, at whole-pixel places, down and across;
// another size or colour shows the new gradient.
#include "widgets/gradient_picture.h"

#include <gtest/gtest.h>

#include "tests/support/toolkit/images.h"

namespace {

constexpr int kWidth = 300, kHeight = 80;
// The kept column is premultiplied, which may round one level apart from blending the colour
// straight onto the background.
constexpr int kTolerance = 1;

TEST(GradientPictureTest, ShowsThePixelsFillingTheBandGives) {
    test::DrawnAndShown both;
    ASSERT_TRUE(both.Create(kWidth, kHeight));
    GradientPicture picture;
    const RectF rightEnd(200, 0, 100, kHeight), lowerPart(230, 50, 70, 30);
    const RectF bottomEnd(0, 40, kWidth, 40), leftPart(0, 40, 120, 40);
    const struct {
        const char* what;
        RectF band;
        COLORREF colour;
        int from, to, mode;
        const RectF* part;
    } cases[] = {
        {"the list's header at 96 dpi", RectF(10, 5, 250, 24), 0xFFFFFF, 120, 40, 1, nullptr},
        {"the same band elsewhere", RectF(30, 40, 250, 24), 0xFFFFFF, 120, 40, 1, nullptr},
        {"at 200 %", RectF(2, 2, 296, 48), 0xFFFFFF, 120, 40, 1, nullptr},
        {"another colour", RectF(2, 2, 296, 48), 0x3C7F20, 200, 10, 1, nullptr},
        {"off whole pixels, filled directly", RectF(2.5f, 2, 200, 30), 0x3C7F20, 200, 10, 1,
         nullptr},
        {"a skin's right end fading across", rightEnd, 0x3C7F20, 0, 255, 0, nullptr},
        {"only its lower part", rightEnd, 0x3C7F20, 0, 255, 0, &lowerPart},
        {"a skin's bottom end fading down, its left part", bottomEnd, 0x203C7F, 0, 255, 1,
         &leftPart},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        both.Repaint();
        FillAlphaGradient(both.drawn.Graphics(), c.band, c.colour, c.from, c.to, c.mode, c.part);
        picture.Paint(both.shown.Dc(), both.shown.Graphics(), c.band, c.colour, c.from, c.to,
                      c.mode, c.part);
        const test::PixelDifference difference = both.Difference();
        EXPECT_LE(difference.largest, kTolerance)
            << "at (" << difference.at.x << ", " << difference.at.y << ")";
    }
}

}  // namespace
