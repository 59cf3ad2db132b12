// GradientPicture: a band's gradient shown from its kept column gives the pixels filling the band
// with GDI+ gives, over any background, at whole-pixel places; another size or colour shows the
// new gradient.
#include "widgets/gradient_picture.h"

#include <gtest/gtest.h>

#include "tests/support/toolkit/images.h"

namespace {

constexpr int kWidth = 300, kHeight = 80;
// The kept column is premultiplied, which may round one level apart from blending the colour
// straight onto the background.
constexpr int kTolerance = 1;

TEST(GradientPictureTest, ShowsThePixelsFillingTheBandGives) {
    test::EnsureGraphics();
    Canvas filled, shown;
    for (Canvas* canvas : {&filled, &shown})
        ASSERT_TRUE(canvas->Create(nullptr, kWidth, kHeight));
    GradientPicture picture;
    const struct {
        const char* what;
        RectF band;
        COLORREF colour;
        int top, bottom;
    } cases[] = {
        {"the list's header at 96 dpi", RectF(10, 5, 250, 24), 0xFFFFFF, 120, 40},
        {"the same band elsewhere", RectF(30, 40, 250, 24), 0xFFFFFF, 120, 40},
        {"at 200 %", RectF(2, 2, 296, 48), 0xFFFFFF, 120, 40},
        {"another colour", RectF(2, 2, 296, 48), 0x3C7F20, 200, 10},
        {"off whole pixels, filled directly", RectF(2.5f, 2, 200, 30), 0x3C7F20, 200, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::PaintManyColours(filled);
        test::PaintManyColours(shown);
        FillAlphaGradient(filled.Graphics(), c.band, c.colour, c.top, c.bottom);
        picture.Paint(shown.Dc(), shown.Graphics(), c.band, c.colour, c.top, c.bottom);
        const test::PixelDifference difference =
            test::LargestDifference(filled, shown, RECT{0, 0, kWidth, kHeight});
        EXPECT_LE(difference.largest, kTolerance)
            << "at (" << difference.at.x << ", " << difference.at.y << ")";
    }
}

}  // namespace
