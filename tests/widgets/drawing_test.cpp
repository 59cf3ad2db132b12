// Drawing helpers: colour and text conversions, text geometry and effects, frames, rounded
// outlines, gradients, fonts and the string-format wrapper. Pixels are read back from a canvas.
#include "widgets/drawing.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/toolkit/images.h"
#include "widgets/canvas.h"
#include "widgets/gdi_handles.h"
#include "widgets/installed_fonts.h"
#include "widgets/text_format.h"

namespace {

using test::CanvasPixels;
using test::ColourText;
using test::CountPixels;
using test::DiffersFrom;
using test::FindPixels;
using test::NearColour;

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureGraphics();
        ASSERT_TRUE(canvas_.Create(nullptr, kSize, kSize));
        Clear(0xFFFFFF);
    }
    void Clear(COLORREF colour) { GdipGraphicsClear(canvas_.Graphics(), MakeArgb(colour)); }
    COLORREF At(int x, int y) const { return test::PixelToColorref(canvas_.Pixel(x, y)); }
    int Changed(COLORREF background) const {
        return CountPixels(CanvasPixels(canvas_), RECT{0, 0, kSize, kSize},
                           DiffersFrom(background, 0));
    }

    static constexpr int kSize = 120;
    Canvas canvas_;
};

TEST(MakeArgbTest, MovesRedToTheHighByteAndAddsAlpha) {
    struct Case {
        COLORREF colour;
        int alpha;
        ARGB expected;
    };
    const Case cases[] = {
        {0x000000, 255, 0xFF000000}, {0x0000FF, 128, 0x80FF0000},   {0xFFFFFF, 255, 0xFFFFFFFF},
        {0x123456, 255, 0xFF563412}, {0xAB123456, 255, 0xFF563412},  // top byte ignored
        {0x00FF00, 0, 0x0000FF00},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeArgb(c.colour, c.alpha), c.expected) << std::hex << c.colour;
    }
    EXPECT_EQ(MakeArgb(0x000000), 0xFF000000u) << "alpha defaults to opaque";
}

TEST(MakeArgbTest, SplitRgbReadsTheChannelsBack) {
    int red = 0, green = 0, blue = 0;
    SplitRgb(MakeArgb(0x336699, 10), red, green, blue);
    EXPECT_EQ(red, 0x99);
    EXPECT_EQ(green, 0x66);
    EXPECT_EQ(blue, 0x33);
}

TEST(TextConversionTest, ToWideKeepsTheTerminatingNul) {
    EXPECT_EQ(ToWide(""), std::wstring(1, L'\0'));
    EXPECT_EQ(ToWide("共"), (std::wstring{L'\x5171', L'\0'}));
    EXPECT_EQ(ToWide(std::string_view("ab\0cd", 5)), (std::wstring{L'a', L'b', L'\0'}));
}

TEST(TextConversionTest, FromWideWritesGbkWhateverTheLocale) {
    EXPECT_EQ(FromWide(L"\x5171"), "\xB9\xB2");
    EXPECT_EQ(FromWide(ToWide("游戏盒子")), "游戏盒子");
    EXPECT_EQ(FromWide(std::wstring_view(L"a\0b", 3)), "a");
    EXPECT_EQ(FromWide(L""), "");
}

TEST(RectangleTest, ConversionsTruncateTowardZero) {
    RECT rect;
    BoundsToRect(RectF(1.9f, 2.5f, 10.6f, 3.2f), rect);
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.top, 2);
    EXPECT_EQ(rect.right, 12);  // 12.5
    EXPECT_EQ(rect.bottom, 5);  // 5.7
    MakeRect(3, 4, 10, 20, rect);
    EXPECT_EQ(rect.right, 13);
    EXPECT_EQ(rect.bottom, 24);
    RectF bounds;
    SetBounds(1, 2, 3, 4, bounds);
    OffsetRectF(2, 2, -4, -4, bounds);
    EXPECT_FLOAT_EQ(bounds.X, 3);
    EXPECT_FLOAT_EQ(bounds.Height, 0);
    EXPECT_EQ(LoWord(0xFFFF0010), 0x10);
    EXPECT_EQ(HiWord(0xFFFF0010), -1) << "the high word is signed";
}

TEST(TextGeometryTest, CentredAlignmentsUseOneLineOfWholePixels) {
    const RectF rect(5, 100, 200, 40);
    const RectF band = TextLineRect(rect, 16.7f);
    EXPECT_FLOAT_EQ(band.X, rect.X);
    EXPECT_FLOAT_EQ(band.Width, rect.Width);
    EXPECT_FLOAT_EQ(band.Height, 16) << "a line of the font's whole pixels";
    EXPECT_FLOAT_EQ(band.Y, std::floor(band.Y)) << "on a pixel row";
    // Centred, then raised by one pixel: the gap below is two pixels more than the gap above.
    EXPECT_FLOAT_EQ(rect.GetBottom() - band.GetBottom(), band.Y - rect.Y + 2);
}

TEST(TextGeometryTest, ContrastColourFollowsTheLightChannelCount) {
    struct Case {
        COLORREF text;
        COLORREF contrast;
    };
    const Case cases[] = {
        {0xC0C0C0, 0x000000}, {0x808080, 0x000000}, {0x7E7E7E, 0x000000},
        {0x7D7D7D, 0xFFFFFF}, {0x0000FF, 0xFFFFFF}, {0x00FFFF, 0x000000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ContrastColour(MakeArgb(c.text)), c.contrast) << ColourText(c.text);
    }
}

TEST_F(DrawingTest, CentredTextSitsInTheMiddleOfItsRectangle) {
    TextStyle style;
    style.alignment = 4;
    PaintText(RectF(0, 0, kSize, 40), canvas_.Graphics(), std::string("共ABC"), style);
    const RECT ink =
        FindPixels(CanvasPixels(canvas_), RECT{0, 0, kSize, kSize}, DiffersFrom(0xFFFFFF, 60));
    ASSERT_GT(ink.bottom, ink.top) << "no text drawn";
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 19.0, 4.0);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, kSize / 2.0, 4.0);

    Clear(0xFFFFFF);
    style.alignment = 0;
    PaintText(RectF(0, 0, kSize, 40), canvas_.Graphics(), std::string("共ABC"), style);
    const RECT top =
        FindPixels(CanvasPixels(canvas_), RECT{0, 0, kSize, kSize}, DiffersFrom(0xFFFFFF, 60));
    EXPECT_LT(top.top, ink.top - 5) << "alignment 0 draws at the top";
    EXPECT_LT(top.left, 4) << "alignment 0 draws at the left";
}

TEST_F(DrawingTest, ShadowIsBlackUnderLightTextAndWhiteOtherwise) {
    struct Case {
        COLORREF text;
        bool blackShadow;
    };
    const Case cases[] = {{0xC0C0C0, true}, {0x808080, true}, {0x7D7D7D, false}, {0x0000FF, false}};
    const COLORREF background = 0xA0A0A0;
    const RECT all{0, 0, kSize, kSize};
    auto dark = [](COLORREF c) { return GetRValue(c) < 0x60 && GetGValue(c) < 0x60; };
    auto light = [](COLORREF c) {
        return GetRValue(c) > 0xC8 && GetGValue(c) > 0xC8 && GetBValue(c) > 0xC8;
    };
    for (const Case& c : cases) {
        Clear(background);
        TextStyle style;
        style.colour = c.text;
        style.effect = kEffectShadowUpLeft;
        PaintText(RectF(10, 10, 100, 40), canvas_.Graphics(), std::string("囗囗"), style);
        const int darkPixels = CountPixels(CanvasPixels(canvas_), all, dark);
        const int lightPixels = CountPixels(CanvasPixels(canvas_), all, light);
        if (c.blackShadow) {
            EXPECT_GT(darkPixels, 5) << ColourText(c.text);
            EXPECT_EQ(lightPixels, 0) << ColourText(c.text);
        } else {
            EXPECT_GT(lightPixels, 5) << ColourText(c.text);
            EXPECT_EQ(darkPixels, 0) << ColourText(c.text);
        }
    }
}

TEST_F(DrawingTest, GlowAndDownRightShadowDrawAroundTheText) {
    for (int effect : {kEffectShadowDownRight, kEffectGlow}) {
        Clear(0x000000);
        TextStyle style;
        style.colour = 0x202020;  // dark text: the shadow or glow is white
        style.effect = effect;
        PaintText(RectF(10, 10, 100, 40), canvas_.Graphics(), std::string("囗囗"), style);
        EXPECT_GT(Changed(0x000000), 20) << "effect " << effect;
    }
}

TEST_F(DrawingTest, UnknownFrameStylesDrawNothing) {
    for (int style : {0, 1, 5, -1}) {
        Clear(0xFFFFFF);
        DrawFrame(canvas_.Graphics(), RectF(10, 10, 50, 30), style, 0x0000FF);
        EXPECT_EQ(Changed(0xFFFFFF), 0) << "style " << style;
    }
}

TEST_F(DrawingTest, FlatFrameOutlinesTheRectangleInItsColour) {
    DrawFrame(canvas_.Graphics(), RectF(10, 10, 50, 30), kFrameFlat, 0x0000FF);
    for (auto [x, y] : {std::pair{10, 10}, {59, 10}, {10, 39}, {59, 39}, {30, 10}, {10, 20}}) {
        EXPECT_TRUE(NearColour(At(x, y), 0x0000FF)) << x << "," << y << " " << ColourText(At(x, y));
    }
    EXPECT_TRUE(NearColour(At(30, 20), 0xFFFFFF)) << "inside stays untouched";
    EXPECT_TRUE(NearColour(At(60, 20), 0xFFFFFF)) << "nothing right of the rectangle";
}

// Whatever way the outline is drawn, it has the pixels of a one-pixel pen round the rectangle,
// translucent ones included (each pixel blended once, the corners too).
TEST_F(DrawingTest, FlatFramesHaveThePixelsOfAOnePixelPen) {
    const RectF rects[] = {RectF(10, 10, 50, 30), RectF(0, 0, kSize, kSize), RectF(5, 7, 2, 2),
                           RectF(20, 30, 1, 40), RectF(12.5f, 8.25f, 40, 20)};
    for (const RectF& rect : rects) {
        for (int alpha : {255, 120}) {
            Canvas pen;
            ASSERT_TRUE(pen.Create(nullptr, kSize, kSize));
            for (GpGraphics* graphics : {canvas_.Graphics(), pen.Graphics()}) {
                GdipGraphicsClear(graphics, MakeArgb(0x30A040));
            }
            DrawFrame(canvas_.Graphics(), rect, kFrameFlat, 0x0000FF, alpha);
            UniquePen line(MakePen(MakeArgb(0x0000FF, alpha), 1.0f));
            GdipDrawRectangle(pen.Graphics(), line.get(), rect.X, rect.Y, rect.Width - 1,
                              rect.Height - 1);
            GdiFlush();
            int differing = 0;
            for (int y = 0; y < kSize; ++y) {
                for (int x = 0; x < kSize; ++x)
                    differing += canvas_.Pixel(x, y) != pen.Pixel(x, y);
            }
            EXPECT_EQ(differing, 0) << rect.X << "," << rect.Y << " " << rect.Width << "x"
                                    << rect.Height << " alpha " << alpha;
        }
    }
}

TEST_F(DrawingTest, RaisedAndSunkenFramesSwapTheirEdgeColours) {
    Clear(0x000000);
    DrawFrame(canvas_.Graphics(), RectF(10, 10, 50, 30), kFrameSunken);
    EXPECT_TRUE(NearColour(At(30, 10), 0xA0A0A0)) << ColourText(At(30, 10));
    EXPECT_TRUE(NearColour(At(30, 39), 0xFFFFFF, 40)) << ColourText(At(30, 39));
    Clear(0x000000);
    DrawFrame(canvas_.Graphics(), RectF(10, 10, 50, 30), kFrameRaised);
    EXPECT_TRUE(NearColour(At(30, 10), 0xFFFFFF, 40)) << ColourText(At(30, 10));
    EXPECT_TRUE(NearColour(At(30, 39), 0xA0A0A0)) << ColourText(At(30, 39));
}

TEST_F(DrawingTest, RoundRectOutlinesTheEdgesButNotTheCorners) {
    DrawRoundRect(canvas_.Graphics(), RectF(10, 10, 60, 40), 12, 0x000000, 255);
    const RECT box =
        FindPixels(CanvasPixels(canvas_), RECT{0, 0, kSize, kSize}, DiffersFrom(0xFFFFFF));
    EXPECT_GE(box.left, 9);
    EXPECT_GE(box.top, 9);
    EXPECT_LE(box.right, 71);
    EXPECT_LE(box.bottom, 51);
    for (auto [x, y] : {std::pair{40, 10}, {10, 30}, {69, 30}, {40, 49}}) {
        EXPECT_FALSE(NearColour(At(x, y), 0xFFFFFF, 60)) << "edge " << x << "," << y;
    }
    for (auto [x, y] : {std::pair{10, 10}, {69, 10}, {10, 49}, {69, 49}}) {
        EXPECT_TRUE(NearColour(At(x, y), 0xFFFFFF, 60)) << "corner " << x << "," << y;
    }
    EXPECT_TRUE(NearColour(At(40, 30), 0xFFFFFF, 0)) << "an outline, not a fill";
}

TEST_F(DrawingTest, AlphaGradientRunsAlongItsAxis) {
    Clear(0x000000);
    FillAlphaGradient(canvas_.Graphics(), RectF(0, 0, 100, 100), 0xFFFFFF, 0, 255, 1);
    int previous = -1;
    for (int y : {1, 20, 40, 60, 80, 98}) {
        const int level = GetRValue(At(50, y));
        EXPECT_GT(level, previous) << "row " << y;
        previous = level;
    }
    EXPECT_LT(GetRValue(At(50, 1)), 20);
    EXPECT_GT(GetRValue(At(50, 98)), 235);
    EXPECT_NEAR(GetRValue(At(5, 50)), GetRValue(At(95, 50)), 2) << "vertical: rows are even";
    EXPECT_TRUE(NearColour(At(105, 50), 0x000000, 0)) << "nothing outside the rectangle";

    Clear(0x000000);
    FillAlphaGradient(canvas_.Graphics(), RectF(0, 0, 100, 100), 0x0000FF, 255, 0, 0);
    EXPECT_GT(GetRValue(At(2, 50)), 235);
    EXPECT_LT(GetRValue(At(97, 50)), 20);
}

TEST_F(DrawingTest, ClipLimitsDrawingUntilReset) {
    UniqueBrush black(MakeBrush(MakeArgb(0)));
    SetClip(canvas_.Graphics(), RectF(10, 10, 20, 20));
    FillRectF(canvas_.Graphics(), black.get(), 0, 0, kSize, kSize);
    EXPECT_EQ(Changed(0xFFFFFF), 400);
    ResetClip(canvas_.Graphics());
    EXPECT_TRUE(FillRectF(canvas_.Graphics(), black.get(), 0, 0, kSize, kSize));
    EXPECT_EQ(Changed(0xFFFFFF), kSize * kSize);
}

TEST(FontTest, DefaultFontExistsAndUsesTheMenuFace) {
    test::EnsureGraphics();
    ASSERT_NE(DefaultFont, nullptr);
    const std::string menuFace = SystemFontFace(1);
    ASSERT_FALSE(menuFace.empty());
    UniqueFont menuFont(MakeFont(menuFace, 12, 0));
    ASSERT_TRUE(menuFont) << "the test prefix sets a menu face GDI+ knows";
    EXPECT_EQ(FontFace(DefaultFont), FontFace(menuFont.get()));
    float size = 0;
    GdipGetFontSize(DefaultFont, &size);
    EXPECT_FLOAT_EQ(size, 12);
    for (int which : {1, 2, 3})
        EXPECT_FALSE(SystemFontFace(which).empty()) << which;
    EXPECT_TRUE(SystemFontFace(0).empty());
    EXPECT_TRUE(SystemFontFace(4).empty());
}

TEST(FontTest, UnknownFaceFallsBackToAFaceGdiplusCanCreate) {
    test::EnsureGraphics();
    EXPECT_EQ(MakeFont("No Such Face Anywhere", 12, 0), nullptr);
    EXPECT_EQ(MakeFont("", 12, 0), nullptr);
    UniqueFont fallback(MakeFontWithFallback("No Such Face Anywhere", 14, 1));
    ASSERT_NE(fallback.get(), nullptr);
    EXPECT_EQ(FontFace(fallback.get()), FontFace(DefaultFont));
    int style = 0;
    GdipGetFontStyle(fallback.get(), &style);
    EXPECT_EQ(style, 1);
}

TEST(TextFormatTest, SettersNeedACreatedFormat) {
    test::EnsureGraphics();
    TextFormat format;
    format.Delete();  // nothing to delete: no effect
    EXPECT_EQ(format.GetHandle(), nullptr);
    EXPECT_FALSE(format.SetAlign(1));
    EXPECT_FALSE(format.SetTrimming(3));
    EXPECT_FALSE(format.SetHotkeyPrefix(1));
    EXPECT_FALSE(format.SetFlags(0x1000));
    ASSERT_TRUE(format.CreateTypographic());
    EXPECT_TRUE(format.SetAlign(1));
    EXPECT_TRUE(format.SetTrimming(3));
    EXPECT_TRUE(format.SetHotkeyPrefix(1));
    EXPECT_TRUE(format.SetFlags(0x1000));
    Gdiplus::StringAlignment align{};
    GdipGetStringFormatAlign(format.GetHandle(), &align);
    EXPECT_EQ(align, Gdiplus::StringAlignmentCenter);
    format.Delete();
    EXPECT_EQ(format.GetHandle(), nullptr);
}

TEST(TextFormatTest, EachFormatIsItsOwnCopy) {
    test::EnsureGraphics();
    TextFormat first, second;
    ASSERT_TRUE(first.CreateTypographic());
    ASSERT_TRUE(second.CreateTypographic());
    EXPECT_NE(first.GetHandle(), second.GetHandle());
    first.SetAlign(2);
    Gdiplus::StringAlignment align{};
    GdipGetStringFormatAlign(second.GetHandle(), &align);
    EXPECT_EQ(align, Gdiplus::StringAlignmentNear) << "changing one format changed another";
}

// Which face the program draws in, for installed sets with and without the faces it prefers.
class MadeUpFonts : public FontInventory {
public:
    // Each entry: a family name, then '+' when it has Chinese glyphs.
    MadeUpFonts(std::initializer_list<std::wstring> entries) {  // NOLINT: rows of a table
        for (std::wstring entry : entries) {
            const bool chinese = entry.ends_with(L'+');
            if (chinese) entry.pop_back();
            families_.push_back(entry);
            if (chinese) chinese_.push_back(entry);
        }
    }
    bool Has(std::wstring_view face) const override { return Contains(families_, face); }
    std::vector<std::wstring> Families() const override {
        ++listed;
        return families_;
    }
    bool DrawsChinese(std::wstring_view face) const override { return Contains(chinese_, face); }
    mutable int listed = 0;

private:
    static bool Contains(const std::vector<std::wstring>& names, std::wstring_view face) {
        return std::find(names.begin(), names.end(), face) != names.end();
    }
    std::vector<std::wstring> families_, chinese_;
};

TEST(FontTest, TheProgramFaceIsChosenFromWhatIsInstalled) {
    struct Row {
        const char* what;
        std::wstring asked;
        MadeUpFonts installed;
        std::wstring chosen;
        bool listsEveryFamily;
    };
    const Row rows[] = {
        {"asked face installed",
         L"Segoe UI",
         {L"Arial", L"Segoe UI", L"SimSun+"},
         L"Segoe UI",
         false},
        {"asked face missing: well-known Chinese face, in preference order",
         L"MS Shell Dlg",
         {L"Tahoma", L"SimSun+", L"Microsoft YaHei+"},
         L"Microsoft YaHei",
         false},
        {"Wine without replacements",
         L"MS Shell Dlg",
         {L"Tahoma", L"Wine Tahoma", L"WenQuanYi Micro Hei+"},
         L"WenQuanYi Micro Hei",
         false},
        {"no known face: any family with Chinese glyphs",
         L"MS Shell Dlg",
         {L"Tahoma", L"AR PL UMing CN+", L"Unifont+"},
         L"AR PL UMing CN",
         true},
        {"no Chinese at all: any family, Latin still shows",
         L"MS Shell Dlg",
         {L"DejaVu Sans", L"Tahoma"},
         L"DejaVu Sans",
         true},
        {"no asked face", L"", {L"Arial", L"SimHei+"}, L"SimHei", false},
        {"nothing installed", L"Tahoma", {}, L"", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(ChooseInstalledFace(std::span(&row.asked, 1), row.installed), row.chosen);
        EXPECT_EQ(row.installed.listed > 0, row.listsEveryFamily);
    }
}

TEST(FontTest, TheSystemInventoryTellsChineseFacesFromLatinOnes) {
    test::EnsureGraphics();
    const SystemFontInventory system;
    EXPECT_TRUE(system.Has(L"WenQuanYi Micro Hei"));
    EXPECT_FALSE(system.Has(L"No Such Face Anywhere"));
    EXPECT_TRUE(system.DrawsChinese(L"WenQuanYi Micro Hei"));
    EXPECT_FALSE(system.DrawsChinese(L"Tahoma"));  // Wine's own, Latin only
    EXPECT_FALSE(system.DrawsChinese(L"No Such Face Anywhere"));
    // Names come as the system lists them, localised ones included (文泉驿微米黑 here).
    const std::vector<std::wstring> families = system.Families();
    EXPECT_TRUE(std::any_of(families.begin(), families.end(),
                            [&](const std::wstring& face) { return system.DrawsChinese(face); }));
}

}  // namespace
