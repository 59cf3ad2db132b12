// PlatePictures: a plate shown from its kept picture gives the pixels drawing it there gives,
// over any background and at any whole-pixel place; another look or size shows the new plate,
// never a kept one.
#include "widgets/plate_picture.h"

#include <gtest/gtest.h>

#include "tests/support/toolkit/images.h"

namespace {

constexpr int kWidth = 240, kHeight = 90;
// The outlines cross at the corners: there the picture's premultiplied blend may round one
// level apart from drawing the outlines one over the other.
constexpr int kTolerance = 2;

constexpr PlateLook kNormal{{0x000000, 50}, {0xFFFFFF, 180}, 0xFFFFFF, 150, 150};
constexpr PlateLook kHover{{0xC06000, 120}, {0xC06000, 80}, 0xFFFFFF, 200, 130};
constexpr Outline kHighlight{0xFFFFFF, 200};

class PlatePictureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(both_.Create(kWidth, kHeight)); }

    struct Plate {
        RectF rect;
        float outer, inner;
        PlateLook look;
        const Outline* highlight = nullptr;
        const RECT* clip = nullptr;  // both canvases' graphics are clipped to it as well
    };
    // The plate drawn on one fresh background and shown through `pictures` on the other.
    void ExpectSame(const Plate& plate, const char* what) {
        both_.Repaint();
        if (const RECT* c = plate.clip) {
            for (const Canvas* canvas : {&both_.drawn, &both_.shown}) {
                GdipSetClipRectI(canvas->Graphics(), c->left, c->top, c->right - c->left,
                                 c->bottom - c->top, Gdiplus::CombineModeReplace);
            }
        }
        const RectF drawnFill = DrawPlate(both_.drawn.Graphics(), plate.rect, plate.outer,
                                          plate.inner, plate.look, plate.highlight);
        const RectF shownFill =
            pictures_.Paint(both_.shown.Dc(), both_.shown.Graphics(), plate.rect, plate.outer,
                            plate.inner, plate.look, plate.highlight, plate.clip);
        for (const Canvas* canvas : {&both_.drawn, &both_.shown})
            GdipResetClip(canvas->Graphics());
        const test::PixelDifference difference = both_.Difference();
        EXPECT_LE(difference.largest, kTolerance)
            << what << " at (" << difference.at.x << ", " << difference.at.y << ")";
        EXPECT_TRUE(drawnFill.Equals(shownFill)) << what;
    }

    test::DrawnAndShown both_;
    PlatePictures pictures_;
};

TEST_F(PlatePictureTest, ShowsThePixelsDrawingThePlateGivesForEveryLookAndScale) {
    constexpr PlateLook kListRow{{0x3C7F20, 90}, {0x3C7F20, 160}, 0x3C7F20, 120, 60};
    constexpr RECT kListContent{0, 25, kWidth, kHeight};
    const struct {
        const char* what;
        Plate plate;
    } cases[] = {
        {"a genre button at 96 dpi", {RectF(10, 20, 60, 20), 6, 4, kNormal}},
        {"hovered, with its highlight", {RectF(10, 20, 60, 20), 6, 4, kHover, &kHighlight}},
        {"at 150 %", {RectF(15, 30, 90, 30), 9, 6, kNormal}},
        {"a list row's plate in the skin's colour", {RectF(4, 40, 220, 27), 6, 4, kListRow}},
        {"a row half scrolled out of the list, nothing shown above it",
         {RectF(4, 10, 220, 27), 6, 4, kListRow, nullptr, &kListContent}},
        {"off whole pixels, drawn directly", {RectF(10.5f, 20.5f, 60, 20), 6, 4, kNormal}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectSame(c.plate, "drawn the first time");
        Plate moved = c.plate;
        moved.rect.X += 97;
        moved.rect.Y += 3;
        ExpectSame(moved, "shown again elsewhere");
    }
}

TEST_F(PlatePictureTest, AnotherLookOrSizeShowsTheNewPlateEvenAfterManyOthers) {
    const RectF place(20, 30, 60, 20);
    ExpectSame({place, 6, 4, kNormal}, "normal");
    ExpectSame({place, 6, 4, kNormal, &kHighlight}, "the same with a highlight");
    ExpectSame({place, 6, 4, kHover, &kHighlight}, "hovered");
    ExpectSame({RectF(20, 30, 59, 20), 6, 4, kHover, &kHighlight}, "a pixel narrower");
    ExpectSame({place, 9, 6, kHover, &kHighlight}, "larger corners");
    // More looks than the pictures kept, then the first again.
    for (int alpha = 10; alpha <= 250; alpha += 16) {
        PlateLook look = kNormal;
        look.fillAlphaTop = alpha;
        ExpectSame({place, 6, 4, look}, "one of many fills");
    }
    ExpectSame({place, 6, 4, kNormal}, "normal again");
}

}  // namespace
