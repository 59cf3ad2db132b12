// TextPicture: a text shown from its kept picture gives the pixels drawing it there gives, over
// any background, at any whole-pixel place, within the clip; a changed text or style shows the
// new one, never the old, also when it is drawn into the pixels of the one before.
#include "widgets/text_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "tests/support/toolkit/images.h"

namespace {

constexpr int kWidth = 360, kHeight = 80;

using test::LargestDifference;

class TextPictureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(both_.Create(kWidth, kHeight)); }

    // The text drawn straight onto one canvas (clipped as `clip`) and shown from `picture` on
    // the other.
    void DrawBoth(TextPicture& picture, const RectF& rect, std::string_view text,
                  const TextStyle& style, const RECT& clip) {
        SetClip(both_.drawn.Graphics(),
                RectF(static_cast<float>(clip.left), static_cast<float>(clip.top),
                      static_cast<float>(clip.right - clip.left),
                      static_cast<float>(clip.bottom - clip.top)));
        PaintText(rect, both_.drawn.Graphics(), text, style);
        ResetClip(both_.drawn.Graphics());
        picture.Paint(both_.shown.Dc(), both_.shown.Graphics(), rect, text, style, clip);
    }
    // Black text blends exactly; coloured text may round its premultiplied colour by one, and
    // a glow, blended under the text inside the picture first, by one more.
    void ExpectSame(const char* what, int tolerance = 1) {
        const test::PixelDifference difference = both_.Difference();
        EXPECT_LE(difference.largest, tolerance)
            << what << " at (" << difference.at.x << ", " << difference.at.y << ")";
    }
    int Inked(const Canvas& canvas) const {
        Canvas background;
        background.Create(nullptr, kWidth, kHeight);
        test::PaintManyColours(background);
        return LargestDifference(canvas, background, RECT{0, 0, kWidth, kHeight}).largest;
    }

    test::DrawnAndShown both_;
    static constexpr RECT kAll{0, 0, kWidth, kHeight};
};

TEST_F(TextPictureTest, ShowsThePixelsDrawingTheTextGivesForEveryKindOfText) {
    GpFont* bold = MakeFontWithFallback("", 15, 1);
    struct Case {
        const char* what;
        std::string text;
        RectF rect;
        TextStyle style;
        RECT clip;
        int tolerance = 1;
    };
    const Case cases[] = {
        {"list cell, cut with an ellipsis",
         "这是一段很长的游戏介绍文字，说明玩法和规则，一直写到格子外面",
         RectF(12, 10, 174, 16),
         {.colour = 0x000000, .alpha = 230, .alignment = 3, .trimming = 3, .formatFlags = 0x1000},
         kAll},
        {"centred both ways on half pixels",
         "索引 1024",
         RectF(40.5f, 20.5f, 60, 30),
         {.alpha = 230, .alignment = 4, .trimming = 3, .formatFlags = 0x1000},
         kAll},
        {"label in colour, right",
         "共644页 Zentori",
         RectF(100, 4, 200, 20),
         {.colour = 0x2060C0, .alignment = 5, .formatFlags = 0x1000},
         kAll},
        {"button caption with a hotkey prefix",
         "&Play 开始游戏",
         RectF(20, 40, 120, 20),
         {.colour = 0x203040,
          .alpha = 200,
          .alignment = 4,
          .trimming = 3,
          .hotkeyPrefix = 1,
          .formatFlags = 0x1000},
         kAll},
        {"shadow down-right, bold",
         "热门游戏",
         RectF(200, 30, 120, 24),
         {.font = bold,
          .colour = 0xFFFFFF,
          .alignment = 1,
          .formatFlags = 0x1000,
          .effect = kEffectShadowDownRight},
         kAll},
        {"glow, as the caption title",
         "Zentori网页游戏盒子",
         RectF(26, 5, 200, 17),
         {.colour = 0xFFFFFF, .alpha = 240, .formatFlags = 0x1000, .effect = kEffectGlow},
         kAll,
         2},
        {"clipped through the middle",
         "第12345页 游戏名称",
         RectF(150, 50, 180, 20),
         {.alpha = 230, .formatFlags = 0x1000},
         RECT{150, 50, 230, 58}},
        {"text that may wrap is drawn directly",
         "一行 two lines 两行 of text wrapped",
         RectF(10, 45, 70, 34),
         {.alignment = 0},
         kAll},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        TextPicture picture;
        DrawBoth(picture, c.rect, c.text, c.style, c.clip);
        ExpectSame("drawn the first time", c.tolerance);
        ASSERT_GT(Inked(both_.shown), 40) << "no text shown";
        // Shown again from the kept picture, over a fresh background.
        test::PaintManyColours(both_.shown);
        picture.Paint(both_.shown.Dc(), both_.shown.Graphics(), c.rect, c.text, c.style, c.clip);
        ExpectSame("shown again", c.tolerance);
    }
    GdipDeleteFont(bold);
}

TEST_F(TextPictureTest, AMovedOrChangedTextShowsWhatDrawingItThereGives) {
    TextPicture picture;
    const TextStyle style{.alpha = 230, .alignment = 3, .trimming = 3, .formatFlags = 0x1000};
    picture.Paint(both_.shown.Dc(), both_.shown.Graphics(), RectF(10, 10, 180, 18), "游戏1", style,
                  kAll);

    struct Step {
        const char* what;
        RectF rect;
        std::string text;
        TextStyle style;
    };
    TextStyle lighter = style;
    lighter.alpha = 120;
    const Step steps[] = {
        {"moved by whole pixels", RectF(150, 47, 180, 18), "游戏1", style},
        {"moved by half a pixel", RectF(150.5f, 47, 180, 18), "游戏1", style},
        {"another text", RectF(150, 47, 180, 18), "第二个游戏的名字", style},
        {"another alpha", RectF(150, 47, 180, 18), "第二个游戏的名字", lighter},
        {"a narrower box cuts it", RectF(150, 47, 60, 18), "第二个游戏的名字", lighter},
        {"nothing", RectF(150, 47, 60, 18), "", lighter},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        both_.Repaint();
        DrawBoth(picture, step.rect, step.text, step.style, kAll);
        ExpectSame(step.what);
    }
}

TEST_F(TextPictureTest, EachNewTextInTheSamePlaceGivesThePixelsDrawingItGives) {
    // One picture per cell takes every text in turn, long ones before short ones, so that any
    // pixel left over from the text before shows.
    const std::string texts[] = {
        "这是一段很长的游戏介绍文字，说明玩法和规则，一直写到格子外面还有很多很多字",
        "A long introduction in Latin letters that runs far beyond the end of the cell",
        "混合 mixed 文字 text, 一直 running 到外面 beyond the cell",
        "十二个字正好放满这一格子",
        "短",
        "",
        "2048",
    };
    struct Look {
        const char* what;
        TextStyle style;
        int tolerance = 1;  // a shadow, like a glow, is blended under the text in the picture
    };
    const Look looks[] = {
        {"near, ellipsis", {.alpha = 230, .alignment = 3, .trimming = 3, .formatFlags = 0x1000}},
        {"centre, ellipsis", {.alpha = 230, .alignment = 4, .trimming = 3, .formatFlags = 0x1000}},
        {"far, character",
         {.colour = 0x2060C0, .alignment = 5, .trimming = 1, .formatFlags = 0x1000}},
        {"top near, no trimming", {.alignment = 0, .formatFlags = 0x1000}},
        {"word ellipsis, shadow",
         {.colour = 0xFFFFFF,
          .alignment = 3,
          .trimming = 5,
          .formatFlags = 0x1000,
          .effect = kEffectShadowUpLeft},
         2},
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(look.what);
        TextPicture picture;
        for (const RectF& cell : {RectF(12, 10, 144, 20), RectF(200.5f, 40, 144, 20)}) {
            for (const std::string& text : texts) {
                SCOPED_TRACE(text);
                both_.Repaint();
                DrawBoth(picture, cell, text, look.style, kAll);
                ExpectSame("a new text", look.tolerance);
            }
        }
    }
}

// Text is greyscale and fitted to the pixel grid on every graphics it is drawn on, whatever the
// system's default (ClearType, where the user has it on, would blend to dark fringes from a
// transparent picture). Wine's GDI+ draws the same pixels for every hint: the hint is what shows.
TEST(WidgetTextRendering, IsInForceOnEveryGraphicsTextIsDrawnOn) {
    test::EnsureGraphics();
    const auto hint = [](GpGraphics* graphics) {
        Gdiplus::TextRenderingHint hint = Gdiplus::TextRenderingHintSystemDefault;
        GdipGetTextRenderingHint(graphics, &hint);
        return hint;
    };
    Canvas canvas, picture;
    ASSERT_TRUE(canvas.Create(nullptr, kWidth, kHeight));
    ASSERT_TRUE(picture.Create(nullptr, kWidth, kHeight, true, Canvas::Drawing::kPremultiplied));
    EXPECT_EQ(hint(canvas.Graphics()), kWidgetTextRendering);
    EXPECT_EQ(hint(picture.Graphics()), kWidgetTextRendering);
    EXPECT_EQ(kWidgetTextRendering, Gdiplus::TextRenderingHintAntiAliasGridFit);
}

}  // namespace
