// SkinForm: composing the skin in its three background modes, the caption colour, the fade,
// pictures that are missing or broken or huge, the caption double-click zone, sizing, the
// region, opacity and the form's life cycle. Pixels come from the form's buffers and the window.
#include "widgets/skin_form.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/toolkit/recording_widget.h"
#include "tests/support/toolkit/test_form.h"
#include "widgets/artwork.h"
#include "widgets/caption_buttons.h"
#include "widgets/drawing.h"
#include "widgets/form_surface.h"
#include "widgets/label.h"

namespace {

using test::EncodeImage;
using test::ImageFormat;
using test::NearColour;
using test::TempFile;
using test::TestForm;

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kNoSkin = 0xF0F0F0;

void Fill(GpGraphics* graphics, COLORREF colour, float x, float y, float w, float h) {
    UniqueBrush brush(MakeBrush(MakeArgb(colour)));
    FillRectF(graphics, brush.get(), x, y, w, h);
}

// A 200 x 150 red picture with a 60 x 60 blue block in its bottom-right corner, so the colour
// sampled 50 pixels in from that corner (blue) differs from the picture's edges (red).
std::string SmallSkin() {
    return EncodeImage(200, 150, ImageFormat::kPng, [](GpGraphics* graphics) {
        Fill(graphics, kRed, 0, 0, 200, 150);
        Fill(graphics, kBlue, 140, 90, 60, 60);
    });
}

std::string SolidSkin(int width, int height, COLORREF colour, ImageFormat format) {
    return test::EncodeSolidImage(width, height, colour, format);
}

TestForm::Options FormOptions(const std::string& skinPath, int width = 400, int height = 300) {
    TestForm::Options options;
    options.window.width = width;
    options.window.height = height;
    options.skinPath = skinPath;
    return options;
}

class SkinFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureGraphics();
        ASSERT_TRUE(small_.Write(SmallSkin()));
    }
    // All pixels of `area` in the screen buffer are exactly `colour`.
    static int Differing(const TestForm& form, const RECT& area, COLORREF colour, int tolerance) {
        return test::CountPixels(form.Screen(), area, test::DiffersFrom(colour, tolerance));
    }

    test::CursorAway cursorAway_;
    TempFile small_{L"small-skin.png"};
};

TEST_F(SkinFormTest, ASmallSkinFadesIntoItsSampledColour) {
    TestForm form(FormOptions(small_.GbkPath()));
    EXPECT_EQ(form.Form().Record().backgroundColour, kBlue);
    // Beyond the picture: the sampled colour.
    for (auto [x, y] : {std::pair{300, 200}, {250, 50}, {50, 250}, {390, 290}}) {
        EXPECT_TRUE(NearColour(form.ScreenPixel(x, y), kBlue, 2)) << x << "," << y;
    }
    EXPECT_TRUE(NearColour(form.ScreenPixel(30, 30), kRed, 2)) << "the picture itself";
    // The last 100 columns blend from red into blue, left to right ...
    int previousBlue = -1;
    for (int x : {102, 120, 150, 180, 197}) {
        const COLORREF pixel = form.ScreenPixel(x, 40);
        EXPECT_GT(GetBValue(pixel), previousBlue) << "column " << x;
        previousBlue = GetBValue(pixel);
    }
    EXPECT_GT(GetRValue(form.ScreenPixel(102, 40)), 230);
    EXPECT_LT(GetRValue(form.ScreenPixel(197, 40)), 25);
    EXPECT_TRUE(NearColour(form.ScreenPixel(98, 40), kRed, 2)) << "no fade before the last 100";
    // ... and the last 100 rows from top to bottom.
    int previous = -1;
    for (int y : {52, 80, 110, 147}) {
        const COLORREF pixel = form.ScreenPixel(40, y);
        EXPECT_GT(GetBValue(pixel), previous) << "row " << y;
        previous = GetBValue(pixel);
    }
    EXPECT_TRUE(NearColour(form.BackgroundPixel(30, 30), kRed, 2)) << "background buffer";
    EXPECT_TRUE(NearColour(form.WindowPixel(300, 200), kBlue, 2)) << "shown on the window";
}

TEST_F(SkinFormTest, StretchedAndColourOnlyModes) {
    TestForm form(FormOptions(small_.GbkPath()));
    EXPECT_EQ(form.Form().BackgroundMode(1), 1);
    EXPECT_TRUE(NearColour(form.ScreenPixel(200, 60), kRed, 8)) << "stretched over the window";
    EXPECT_TRUE(NearColour(form.ScreenPixel(380, 280), kBlue, 8));
    EXPECT_EQ(form.Form().BackgroundMode(2), 2);
    EXPECT_EQ(Differing(form, RECT{3, 3, 397, 297}, kBlue, 0), 0) << "the colour alone";
}

// Also on a fixed-size form, which lets the decoded picture go and decodes its bytes again.
TEST_F(SkinFormTest, StretchedSkinsAreRecomposedFromTheSkinSetNotReadAgain) {
    for (const int fixedSize : {0, 1}) {
        SCOPED_TRACE(fixedSize);
        TempFile skin(L"stretched-skin.png");
        ASSERT_TRUE(skin.Write(SolidSkin(200, 150, kRed, ImageFormat::kPng)));
        TestForm::Options options = FormOptions(skin.GbkPath());
        options.form.backgroundMode = 1;
        options.form.fixedSize = fixedSize;
        TestForm form(options);
        ASSERT_TRUE(NearColour(form.ScreenPixel(300, 200), kRed, 8));
        // The file changes under the form (and is not held open by it).
        ASSERT_TRUE(skin.Write(SolidSkin(200, 150, kBlue, ImageFormat::kPng)));

        SetWindowPos(form.Handle(), nullptr, 0, 0, 360, 260, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_TRUE(NearColour(form.ScreenPixel(340, 240), kRed, 8)) << "stretched to the new size";
        EXPECT_EQ(form.Form().BackgroundMode(0), 0);
        EXPECT_TRUE(NearColour(form.ScreenPixel(50, 50), kRed, 8)) << "recomposed for a new mode";
    }
}

TEST_F(SkinFormTest, TitleColourFollowsTheTopRowOfTheSkin) {
    struct Case {
        const char* name;
        COLORREF middleSample;  // the picture at (W / 2, 10); elsewhere dark
        COLORREF title;
    };
    // The dark parts are dark grey, clearly apart from both title colours.
    const Case cases[] = {{"all dark", 0x505050, 0xFFFFFF}, {"one light", 0xE0E0E0, 0x000000}};
    for (const Case& c : cases) {
        TempFile skin(L"title-skin.png");
        ASSERT_TRUE(skin.Write(EncodeImage(400, 300, ImageFormat::kPng, [&](GpGraphics* g) {
            Fill(g, 0x505050, 0, 0, 400, 300);
            Fill(g, c.middleSample, 195, 5, 10, 10);
        })));
        TestForm::Options options = FormOptions(skin.GbkPath());
        options.form.captionMode = 1;
        TestForm form(options);
        EXPECT_EQ(form.Form().CaptionColour(), c.title) << c.name;
        // The title "测试窗口" is drawn in the caption colour (with a glow around it).
        const RECT title{26, 5, 26 + 150, 22};
        const int inTitleColour = test::CountPixels(
            form.Screen(), title, [&](COLORREF p) { return NearColour(p, c.title, 40); });
        EXPECT_GT(inTitleColour, 15) << c.name;
    }
}

TEST_F(SkinFormTest, CaptionModesDecideIconTitleAndButtons) {
    TempFile dark(L"dark.png");
    ASSERT_TRUE(dark.Write(SolidSkin(400, 300, 0x303030, ImageFormat::kPng)));
    struct Case {
        int mode;
        int buttons;
        bool title;
        bool closeDisabled;
    };
    const Case cases[] = {{0, 0, false, false}, {1, 0, true, false}, {2, 3, true, false},
                          {3, 3, true, true},   {4, 1, true, false}, {5, 1, true, true},
                          {9, 1, true, false}};
    for (const Case& c : cases) {
        TestForm::Options options = FormOptions(dark.GbkPath());
        options.form.captionMode = c.mode;
        TestForm form(options);
        EXPECT_EQ(form.Form().CaptionButtonCount(), c.buttons) << "mode " << c.mode;
        EXPECT_EQ(GetPropW(form.Handle(), SysButton::kStripProperty) != nullptr, c.buttons > 0)
            << "mode " << c.mode;
        const int titlePixels = Differing(form, RECT{26, 5, 200, 22}, 0x303030, 30);
        EXPECT_EQ(titlePixels > 10, c.title) << "mode " << c.mode;
        if (c.buttons) {
            EXPECT_EQ(form.Form().CaptionButton(1)->Disabled(), c.closeDisabled)
                << "mode " << c.mode;
        }
    }
}

TEST_F(SkinFormTest, ASkinChangeFadesInOverThreeTicks) {
    TempFile red(L"red.png"), blue(L"blue.png");
    ASSERT_TRUE(red.Write(SolidSkin(400, 300, kRed, ImageFormat::kPng)));
    ASSERT_TRUE(blue.Write(SolidSkin(400, 300, kBlue, ImageFormat::kPng)));
    TestForm form(FormOptions(red.GbkPath()));
    SkinForm& skin = form.Form();
    ASSERT_TRUE(NearColour(form.WindowPixel(100, 100), kRed, 2));

    ASSERT_TRUE(skin.SetSkin(blue.GbkPath(), 1));
    EXPECT_EQ(skin.FadeAlpha(), 0);
    EXPECT_TRUE(NearColour(form.WindowPixel(100, 100), kRed, 2)) << "the fade has not begun";
    EXPECT_TRUE(NearColour(form.ScreenPixel(100, 100), kBlue, 2)) << "the new skin is ready";

    // Ticks by hand (sent, so the real timer cannot interleave): three steps from the old
    // picture to the new one, each nearer to it.
    std::vector<int> shownRed, shownBlue;
    for (int tick = 0; tick < 3; ++tick) {
        SendMessageW(form.Handle(), WM_TIMER, kSkinFadeTimerId, 0);
        EXPECT_GT(skin.FadeAlpha(), 0) << "tick " << tick + 1;
        shownRed.push_back(GetRValue(form.WindowPixel(100, 100)));
        shownBlue.push_back(GetBValue(form.WindowPixel(100, 100)));
    }
    EXPECT_TRUE(test::Approaches(255, shownRed, 0));
    EXPECT_TRUE(test::Approaches(0, shownBlue, 255));
    EXPECT_GT(shownRed[0], 40) << "blended, not swapped at once";
    SendMessageW(form.Handle(), WM_TIMER, kSkinFadeTimerId, 0);
    EXPECT_EQ(skin.FadeAlpha(), 0) << "the fade is over";
    EXPECT_TRUE(NearColour(form.WindowPixel(100, 100), kBlue, 2));
    EXPECT_FALSE(KillTimer(form.Handle(), kSkinFadeTimerId)) << "the timer is gone";

    // With the real timer the fade finishes by itself.
    ASSERT_TRUE(skin.SetSkin(red.GbkPath(), 1));
    EXPECT_TRUE(test::PumpUntil([&] { return skin.FadeAlpha() == 255; }, 20000));
    EXPECT_TRUE(test::PumpUntil([&] { return skin.FadeAlpha() == 0; }, 20000));
    EXPECT_TRUE(NearColour(form.WindowPixel(100, 100), kRed, 2));
}

TEST_F(SkinFormTest, MissingBrokenOrHugePicturesLeaveAClearForm) {
    const RECT inside{3, 3, 397, 297};
    TestForm missing(FormOptions("C:\\no\\such\\folder\\skin.jpg"));
    EXPECT_TRUE(missing.Form().Attached());
    EXPECT_EQ(Differing(missing, inside, kNoSkin, 0), 0) << "the background colour only";
    EXPECT_EQ(missing.Form().CaptionColour(), 0x000000u) << "a light colour: black title";

    TempFile broken(L"broken.jpg");
    ASSERT_TRUE(broken.Write("this is not a picture"));
    TestForm form(FormOptions(small_.GbkPath()));
    EXPECT_TRUE(form.Form().SetSkin(broken.GbkPath(), 0));
    EXPECT_EQ(form.Form().CurrentSkinPath(), broken.GbkPath());
    EXPECT_EQ(Differing(form, inside, kBlue, 0), 0) << "the last sampled colour only";

    TempFile empty(L"empty.png");
    ASSERT_TRUE(empty.Write(""));
    EXPECT_TRUE(form.Form().SetSkin(empty.GbkPath(), 1));
    EXPECT_EQ(Differing(form, inside, kBlue, 0), 0);

    // Larger than the buffers in both directions.
    const int bufferWidth = form.Form().ScreenBuffer().Width();
    const int bufferHeight = form.Form().ScreenBuffer().Height();
    TempFile huge(L"huge.jpg");
    ASSERT_TRUE(
        huge.Write(SolidSkin(bufferWidth + 600, bufferHeight + 400, 0x30A040, ImageFormat::kJpeg)));
    EXPECT_TRUE(form.Form().SetSkin(huge.GbkPath(), 0));
    EXPECT_EQ(Differing(form, inside, 0x30A040, 6), 0);
    EXPECT_TRUE(NearColour(form.WindowPixel(200, 150), 0x30A040, 6));
}

// A picture larger than the window shows at its natural size wherever the window may grow
// to, and fades out at its own far edges, not the window's.
TEST_F(SkinFormTest, ALargeSkinShowsAtItsNaturalSizeWhereverTheWindowGrows) {
    constexpr int kWidth = 900, kHeight = 400;
    TempFile large(L"large-skin.png");
    ASSERT_TRUE(large.Write(EncodeImage(kWidth, kHeight, ImageFormat::kPng, [](GpGraphics* g) {
        Fill(g, kRed, 0, 0, kWidth, kHeight);
        Fill(g, 0x00C000, 600, 100, 100, 100);  // beyond the window until it grows
        Fill(g, kBlue, 780, 280, 120, 120);     // sampled 50 in from the corner
    })));
    TestForm form(FormOptions(large.GbkPath(), 400, 250));
    EXPECT_TRUE(NearColour(form.ScreenPixel(390, 240), kRed, 0)) << "no fade at the window's edge";
    SetWindowPos(form.Handle(), nullptr, 0, 0, 880, 390, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(form.Form().Width(), 880);
    EXPECT_TRUE(NearColour(form.ScreenPixel(650, 150), 0x00C000, 0)) << "the grown part";
    EXPECT_TRUE(NearColour(form.ScreenPixel(500, 250), kRed, 0));
    // The picture's last 100 rows and columns blend into the sampled blue.
    EXPECT_GT(GetBValue(form.ScreenPixel(500, 380)), 150) << "bottom fade";
    EXPECT_GT(GetBValue(form.ScreenPixel(875, 150)), 150) << "right fade";
    EXPECT_TRUE(NearColour(form.ScreenPixel(500, 295), kRed, 2)) << "no fade above it";
}

// At a display scale a photograph is drawn at its scaled size, smooth where two colours meet
// (not pixel-doubled) and sharp elsewhere; the window beyond it takes the sampled colour.
TEST_F(SkinFormTest, APhotographAtADisplayScaleIsResampledSmoothlyInPlace) {
    TempFile photo(L"scaled-skin.jpg");
    ASSERT_TRUE(photo.Write(EncodeImage(320, 200, ImageFormat::kJpeg, [](GpGraphics* g) {
        Fill(g, kRed, 0, 0, 160, 200);
        Fill(g, kBlue, 160, 0, 160, 200);
    })));
    for (const int dpi : {144, 192}) {
        SCOPED_TRACE(dpi);
        TestForm form(FormOptions(photo.GbkPath()));
        const DisplayScale scale(dpi);
        const RECT place{0, 0, scale.Px(400), scale.Px(300)};
        SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&place));
        const int y = scale.Px(40), edge = scale.Px(160);
        EXPECT_TRUE(NearColour(form.BackgroundPixel(edge - 4, y), kRed, 24));
        EXPECT_TRUE(NearColour(form.BackgroundPixel(edge + 4, y), kBlue, 24));
        int between = 0;
        for (int x = edge - 3; x <= edge + 3; ++x) {
            const COLORREF pixel = form.BackgroundPixel(x, y);
            between += GetRValue(pixel) > 40 && GetBValue(pixel) > 40 ? 1 : 0;
        }
        EXPECT_GE(between, 1) << "a blend where the colours meet";
        EXPECT_TRUE(NearColour(form.BackgroundPixel(scale.Px(350), y), kBlue, 24)) << "beyond";

        // The same photograph resampled ahead (as the start-up preload does) is drawn pixel for
        // pixel, and looks the same.
        std::vector<COLORREF> stretched;
        for (int x = 0; x < scale.Px(400); ++x)
            stretched.push_back(form.BackgroundPixel(x, y));
        Picture prepared;
        ASSERT_NE(prepared.LoadFromFile(photo.GbkPath()), nullptr);
        ASSERT_TRUE(PreparePhoto(prepared, scale));
        ASSERT_EQ(prepared.GetWidth(), scale.Px(320));
        ASSERT_TRUE(form.Form().SetSkin(photo.GbkPath(), std::move(prepared), 0));
        int differing = 0;
        for (int x = 0; x < scale.Px(400); ++x)
            differing += NearColour(form.BackgroundPixel(x, y), stretched[x], 8) ? 0 : 1;
        EXPECT_EQ(differing, 0) << "resampled ahead and when drawn";
    }
}

// The frame, shown from pictures of its strips, is a dark outline with a faint light line inside
// it along every edge, at the first size and after sizing; inside it the skin is untouched.
TEST_F(SkinFormTest, TheFrameIsADarkOutlineWithALightLineInside) {
    TestForm::Options options = FormOptions(small_.GbkPath(), 300, 200);
    options.form.captionMode = 0;  // nothing but the skin under the frame
    TestForm form(options);
    for (auto [width, height] : {std::pair{300, 200}, {420, 330}, {260, 160}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        SetWindowPos(form.Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        ASSERT_EQ(form.Form().Width(), width);
        const int w = width, h = height;
        // The middle of each edge: the outline, then the line one pixel in.
        const POINT edges[][2] = {{{w / 2, 0}, {w / 2, 1}},
                                  {{0, h / 2}, {1, h / 2}},
                                  {{w - 1, h / 2}, {w - 2, h / 2}},
                                  {{w / 2, h - 1}, {w / 2, h - 2}}};
        for (const auto& [outline, inner] : edges) {
            using test::Brightness;
            EXPECT_LT(Brightness(form.ScreenPixel(outline.x, outline.y)),
                      Brightness(form.BackgroundPixel(outline.x, outline.y)) - 40)
                << outline.x << "," << outline.y;
            EXPECT_GT(Brightness(form.ScreenPixel(inner.x, inner.y)),
                      Brightness(form.BackgroundPixel(inner.x, inner.y)) + 10)
                << inner.x << "," << inner.y;
        }
        int changedInside = 0;
        for (int y = 3; y < h - 3; ++y) {
            for (int x = 3; x < w - 3; ++x)
                changedInside +=
                    NearColour(form.ScreenPixel(x, y), form.BackgroundPixel(x, y), 1) ? 0 : 1;
        }
        EXPECT_EQ(changedInside, 0);
    }
}

TEST_F(SkinFormTest, TinyPicturesAreSampledInside) {
    TempFile tiny(L"tiny.png");
    ASSERT_TRUE(tiny.Write(SolidSkin(3, 2, 0x40C080, ImageFormat::kPng)));
    TestForm form(FormOptions(tiny.GbkPath()));
    EXPECT_EQ(form.Form().Record().backgroundColour, 0x40C080u);
    EXPECT_TRUE(NearColour(form.ScreenPixel(200, 150), 0x40C080, 0));
}

TEST_F(SkinFormTest, CaptionDoubleClickZoneTogglesMaximise) {
    TestForm::Options options = FormOptions(small_.GbkPath());
    options.window.style = WS_POPUP | WS_MAXIMIZEBOX | WS_MINIMIZEBOX;
    options.form.captionMode = 2;
    TestForm form(options);
    const int w = form.Form().Width();
    struct Case {
        int x, y;
        bool toggles;
    };
    const Case cases[] = {
        {w - 101, 19, true}, {w - 100, 19, false}, {w - 101, 20, false}, {5, 0, true}};
    for (const Case& c : cases) {
        form.Window().ClearSeen();
        SendMessageW(form.Handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(c.x, c.y));
        test::PumpMessages(30);
        EXPECT_EQ(form.Window().CountSeen(WM_SYSCOMMAND, SC_MAXIMIZE), c.toggles ? 1 : 0)
            << c.x << "," << c.y;
    }

    ShowWindow(form.Handle(), SW_MAXIMIZE);
    test::PumpMessages(30);
    ASSERT_TRUE(IsZoomed(form.Handle()));
    form.Window().ClearSeen();
    SendMessageW(form.Handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
    test::PumpMessages(30);
    EXPECT_EQ(form.Window().CountSeen(WM_SYSCOMMAND, SC_RESTORE), 1);
}

TEST_F(SkinFormTest, NoDoubleClickMaximiseWithoutTheMaximiseBox) {
    TestForm::Options options = FormOptions(small_.GbkPath());
    options.form.captionMode = 2;
    TestForm form(options);
    SendMessageW(form.Handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
    test::PumpMessages(30);
    EXPECT_EQ(form.Window().CountSeen(WM_SYSCOMMAND), 0);
    EXPECT_EQ(form.Window().CountSeen(WM_LBUTTONDBLCLK), 1) << "still passed on";
}

TEST_F(SkinFormTest, TheRegionRoundsEveryCorner) {
    TestForm form(FormOptions(small_.GbkPath()));
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(form.Handle(), region.get()), ERROR);
    for (auto [x, y] : {std::pair{0, 0}, {399, 0}, {0, 299}, {399, 299}}) {
        EXPECT_FALSE(PtInRegion(region.get(), x, y)) << "corner " << x << "," << y;
    }
    for (auto [x, y] : {std::pair{200, 0}, {0, 150}, {399, 150}, {200, 299}, {3, 3}}) {
        EXPECT_TRUE(PtInRegion(region.get(), x, y)) << x << "," << y;
    }
    EXPECT_FALSE(PtInRegion(region.get(), 400, 150));
}

TEST_F(SkinFormTest, OpacityMakesALayeredWindow) {
    TestForm plain(FormOptions(small_.GbkPath()));
    EXPECT_FALSE(GetWindowLongPtrW(plain.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    TestForm::Options options = FormOptions(small_.GbkPath());
    options.form.opacity = 200;
    TestForm translucent(options);
    ASSERT_TRUE(GetWindowLongPtrW(translucent.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(translucent.Handle(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 200);
    EXPECT_TRUE(flags & LWA_ALPHA);
}

TEST_F(SkinFormTest, SizingRepaintsTheNewStripsAndTheFrame) {
    TestForm::Options options = FormOptions(small_.GbkPath(), 300, 200);
    options.form.captionMode = 2;
    TestForm form(options);
    test::RecordingWidget inStrip, inside;
    inStrip.Register(form.Handle(), {.x = 20, .y = 205, .width = 50, .height = 20});
    inside.Register(form.Handle(), {.x = 20, .y = 60, .width = 50, .height = 20});
    inStrip.Clear();
    inside.Clear();
    const Canvas& buffer = form.Form().ScreenBuffer();
    ASSERT_EQ(std::pair(buffer.Width(), buffer.Height()), std::pair(300, 200)) << "window-sized";
    const RECT insidePixels{20, 60, 70, 80};
    test::Scribble(form, insidePixels);
    std::vector<int> fromRight;  // each caption button's distance from the right edge
    for (int number = 1; number <= 3; ++number)
        fromRight.push_back(300 - static_cast<int>(form.Form().CaptionButton(number)->GetLeft()));

    // The first growth outgrows the buffers.
    SetWindowPos(form.Handle(), nullptr, 0, 0, 360, 260, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(form.Form().Width(), 360);
    EXPECT_EQ(form.Form().Height(), 260);
    ASSERT_EQ(inStrip.Messages(), std::vector<UINT>{WM_PAINT});
    EXPECT_EQ(inStrip.Calls()[0].lParam, 0);
    EXPECT_TRUE(inside.Calls().empty()) << "widgets outside the new strips keep their pixels";
    EXPECT_EQ(Differing(form, insidePixels, test::kMarker, 0), 0) << "carried into new buffers";
    EXPECT_TRUE(NearColour(form.ScreenPixel(340, 240), kBlue, 2)) << "the new strip composed";
    EXPECT_TRUE(NearColour(form.ScreenPixel(299, 100), kBlue, 2)) << "old frame line restored";
    EXPECT_FALSE(NearColour(form.ScreenPixel(359, 100), kBlue, 2)) << "frame at the new edge";
    for (int number = 1; number <= 3; ++number) {
        const WidgetRecord* record =
            WidgetAt(FindWidget(form.Form().CaptionButton(number)->GetId()));
        EXPECT_EQ(360 - record->bounds.X, fromRight[number - 1]) << "caption button " << number;
    }
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    GetWindowRgn(form.Handle(), region.get());
    EXPECT_TRUE(PtInRegion(region.get(), 359, 130));

    // They grew as far as the window can: growing again keeps them.
    EXPECT_GE(buffer.Width(), GetSystemMetrics(SM_CXMAXTRACK));
    EXPECT_GE(buffer.Height(), GetSystemMetrics(SM_CYMAXTRACK));
    const HDC grown = buffer.Dc();
    SetWindowPos(form.Handle(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(buffer.Dc(), grown);
    EXPECT_EQ(Differing(form, insidePixels, test::kMarker, 0), 0);
}

// A fading widget that reaches past the window still shows its steps where it is inside.
TEST_F(SkinFormTest, APartOutsideTheBuffersDoesNotHideTheRestOfAFade) {
    TestForm form(FormOptions(small_.GbkPath()));
    const FormRecord& record = form.Form().Record();
    Fill(record.ScreenGraphics(), kRed, 360, 100, 40, 20);
    GdipFlush(record.ScreenGraphics(), Gdiplus::FlushIntentionSync);
    PresentRect(record, RECT{360, 100, 460, 120}, 128);
    const COLORREF shown = form.WindowPixel(380, 110);
    EXPECT_NEAR(GetRValue(shown), 128, 8) << "red blended over the blue";
    EXPECT_NEAR(GetBValue(shown), 127, 8);
}

TEST_F(SkinFormTest, BuffersThatCannotGrowKeepTheFormDrawing) {
    TestForm form(FormOptions(small_.GbkPath()));
    Label label;
    ASSERT_GT(label.Create(form.Handle(), "标签", 20, 40, 100, 20), 0);
    const int bufferWidth = form.Form().ScreenBuffer().Width();
    // A size no bitmap can cover (several gigabytes a buffer).
    SendMessageW(form.Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(30000, 30000));
    ASSERT_TRUE(form.Form().ScreenBuffer()) << "the buffers the form had are gone";
    EXPECT_EQ(form.Form().ScreenBuffer().Width(), bufferWidth);
    EXPECT_EQ(form.Form().Width(), bufferWidth) << "the form draws within its buffers";
    const RECT spot{30, 45, 40, 55};
    test::Scribble(form, spot);
    label.Text("新的");
    EXPECT_FALSE(test::HasMarker(form.OnWindow(), spot)) << "the label still repaints";
}

TEST_F(SkinFormTest, APressOnTheBackgroundDragsTheWindowOnlyPastTheDragDistance) {
    TestForm form(FormOptions(small_.GbkPath()));
    const int across = GetSystemMetrics(SM_CXDRAG), down = GetSystemMetrics(SM_CYDRAG);
    struct Case {
        const char* name;
        int dx, dy;
        bool buttonHeld;
        bool drags;
    };
    const Case cases[] = {
        {"a click", 0, 0, true, false},
        {"within the drag distance", across, -down, true, false},
        {"past it across", across + 1, 0, true, true},
        {"past it up", 0, -down - 1, true, true},
        {"far, but the release went elsewhere", 40, 40, false, false},
    };
    const int x = 200, y = 150;  // bare background
    for (const Case& c : cases) {
        form.Window().ClearSeen();
        RECT before{}, after{};
        GetWindowRect(form.Handle(), &before);
        test::SendMouse(form.Handle(), WM_LBUTTONDOWN, x, y);
        EXPECT_EQ(form.Window().CountSeen(WM_NCLBUTTONDOWN), 0) << c.name << ": not at the press";
        SendMessageW(form.Handle(), WM_MOUSEMOVE, c.buttonHeld ? MK_LBUTTON : 0,
                     MAKELPARAM(x + c.dx, y + c.dy));
        test::SendMouse(form.Handle(), WM_LBUTTONUP, x + c.dx, y + c.dy);
        EXPECT_EQ(form.Window().CountSeen(WM_NCLBUTTONDOWN, HTCAPTION), c.drags ? 1 : 0) << c.name;
        EXPECT_NE(GetCapture(), form.Handle()) << c.name;
        // A drag first brings the spot pressed back under the pointer.
        GetWindowRect(form.Handle(), &after);
        EXPECT_EQ(after.left - before.left, c.drags ? c.dx : 0) << c.name;
        EXPECT_EQ(after.top - before.top, c.drags ? c.dy : 0) << c.name;
    }
}

TEST_F(SkinFormTest, EdgesShowSizingCursorsUnlessFixed) {
    struct Case {
        int x, y;
        LPCWSTR cursor;
    };
    TestForm form(FormOptions(small_.GbkPath()));
    const Case cases[] = {{2, 100, IDC_SIZEWE},   {395, 100, IDC_SIZEWE}, {200, 3, IDC_SIZENS},
                          {200, 296, IDC_SIZENS}, {1, 1, IDC_SIZENWSE},   {396, 296, IDC_SIZENWSE},
                          {396, 2, IDC_SIZENESW}, {2, 296, IDC_SIZENESW}, {200, 150, IDC_ARROW}};
    for (const Case& c : cases) {
        test::SendMouse(form.Handle(), WM_MOUSEMOVE, c.x, c.y);
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, c.cursor)) << c.x << "," << c.y;
    }
    TestForm::Options options = FormOptions(small_.GbkPath());
    options.form.fixedSize = 1;
    TestForm fixed(options);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    test::SendMouse(fixed.Handle(), WM_MOUSEMOVE, 2, 100);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(SkinFormTest, MaximisedHeightStopsAtTheWorkArea) {
    TestForm form(FormOptions(small_.GbkPath()));
    MINMAXINFO info{};
    SendMessageW(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(info.ptMaxSize.y, work.bottom);
}

TEST_F(SkinFormTest, AttachingTwiceIsRefusedAndDestroyingCleansUp) {
    TestForm::Options options = FormOptions(small_.GbkPath());
    options.form.captionMode = 2;
    TestForm form(options);
    SkinForm second;
    EXPECT_FALSE(second.Attach(form.Handle(), small_.GbkPath()));
    EXPECT_FALSE(second.SetSkin(small_.GbkPath(), 0)) << "not attached";
    EXPECT_FALSE(second.Attach(nullptr, small_.GbkPath()));

    const HWND window = form.Handle();
    EXPECT_EQ(form.Form().Record().window, window);
    form.DestroyWindow();
    EXPECT_FALSE(form.Form().Attached());
    EXPECT_EQ(FindForm(window), 0);
    EXPECT_EQ(form.Form().CaptionButtonCount(), 0);
    for (const auto& record : WidgetTable())
        EXPECT_NE(record->parent, window);
}

TEST_F(SkinFormTest, DestroyingTheSkinFormFirstDetachesIt) {
    test::TestWindow window({});
    LONG_PTR original = GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC);
    {
        SkinForm form;
        ASSERT_TRUE(form.Attach(window.Handle(), small_.GbkPath(), {.captionMode = 2}));
        EXPECT_NE(GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC), original);
    }
    EXPECT_EQ(GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC), original);
    EXPECT_EQ(FindForm(window.Handle()), 0);
    EXPECT_EQ(GetPropW(window.Handle(), SkinForm::kFormProperty), nullptr);
    SendMessageW(window.Handle(), WM_PAINT, 0, 0);  // reaches the window's own procedure only
    SkinForm again;
    EXPECT_TRUE(again.Attach(window.Handle(), small_.GbkPath()));
}

}  // namespace
