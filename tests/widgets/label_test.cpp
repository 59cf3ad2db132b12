// Label and the widget skeleton it shares: default look, options, the repaint rules of Text,
// Disabled and Move, clicks, painting from another thread, and never drawing on a form that is
// gone.
#include "widgets/label.h"

#include <gtest/gtest.h>

#include <thread>

#include "tests/support/toolkit/test_form.h"

namespace {

using test::FindPixels;
using test::NearColour;
using test::TestForm;

constexpr COLORREF kBackground = 0xF0F0F0;  // a form without skin picture
constexpr RECT kInside{3, 3, 317, 237};     // the 320 x 240 form without its frame

class LabelTest : public ::testing::Test {
protected:
    HWND Window() const { return form_.Handle(); }
    // Ink: pixels of the screen buffer clearly different from the background.
    RECT Ink(const RECT& area) const {
        return FindPixels(form_.Screen(), area, test::DiffersFrom(kBackground, 60));
    }

    test::CursorAway cursorAway_;
    TestForm form_;
};

TEST_F(LabelTest, DefaultLookIsBlackLeftCentredTextWithoutFillOrFrame) {
    Label label;
    ASSERT_GT(label.Create(Window(), "共同ABC", 20, 40, 120, 30), 0);
    const RECT ink = Ink(kInside);
    ASSERT_LT(ink.left, ink.right) << "no text drawn";
    EXPECT_GE(ink.left, 22);
    EXPECT_LE(ink.left, 26) << "left aligned";
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 55.0, 4.0) << "vertically centred";
    const int darkest = test::CountPixels(form_.Screen(), ink, [](COLORREF c) {
        return GetRValue(c) < 0x40 && GetGValue(c) < 0x40 && GetBValue(c) < 0x40;
    });
    EXPECT_GT(darkest, 10) << "black text";
    for (auto [x, y] : {std::pair{20, 40}, {139, 40}, {20, 69}, {139, 69}, {130, 55}}) {
        EXPECT_EQ(form_.ScreenPixel(x, y), kBackground) << "no fill or frame at " << x << "," << y;
    }
    EXPECT_EQ(form_.WindowPixel(ink.left + 1, (ink.top + ink.bottom) / 2),
              form_.ScreenPixel(ink.left + 1, (ink.top + ink.bottom) / 2))
        << "presented on the window";
}

TEST_F(LabelTest, TextIsClippedTwoPixelsInside) {
    Label label;
    label.Create(Window(), "很长很长很长很长很长很长很长很长", 20, 40, 60, 30);
    const RECT ink = Ink(kInside);
    ASSERT_LT(ink.left, ink.right);
    EXPECT_GE(ink.left, 22);
    EXPECT_LE(ink.right, 78);
    EXPECT_GE(ink.top, 42);
    EXPECT_LE(ink.bottom, 68);
    EXPECT_GE(ink.right, 60) << "the text fills the label";

    // A font taller than the label: only the clip keeps the glyphs inside vertically.
    Label tall;
    LabelOptions options;
    options.font.size = 40;
    tall.Create(Window(), "田田", 150, 40, 100, 14, options);
    const RECT tallInk = Ink(RECT{140, 3, 317, 237});
    ASSERT_LT(tallInk.top, tallInk.bottom);
    EXPECT_EQ(tallInk.top, 42);
    EXPECT_EQ(tallInk.bottom, 52);
}

TEST_F(LabelTest, OptionsGiveFillFrameColourAndFont) {
    Label plain, styled;
    plain.Create(Window(), "Ag", 10, 10, 100, 40);
    LabelOptions options;
    options.textColour = 0x0000FF;
    options.backColour = 0x00FF00;
    options.frameStyle = kFrameFlat;
    options.font.size = 28;
    options.font.style = 1;
    styled.Create(Window(), "Ag", 150, 10, 100, 40, options);

    EXPECT_TRUE(NearColour(form_.ScreenPixel(150, 25), 0x646464)) << "flat frame";
    EXPECT_TRUE(NearColour(form_.ScreenPixel(152, 12), 0x00FF00)) << "back colour fill";
    const RECT redInk = FindPixels(form_.Screen(), RECT{150, 10, 250, 50}, [](COLORREF c) {
        return GetRValue(c) > 0xC0 && GetGValue(c) < 0x60;
    });
    const RECT plainInk = Ink(RECT{10, 10, 110, 50});
    ASSERT_LT(redInk.top, redInk.bottom) << "red text";
    ASSERT_LT(plainInk.top, plainInk.bottom);
    EXPECT_GT(redInk.bottom - redInk.top, (plainInk.bottom - plainInk.top) * 3 / 2)
        << "a 28-pixel font is taller than the 12-pixel default";
}

TEST_F(LabelTest, EverySetTextRepaints) {
    Label label;
    label.Create(Window(), "第0页", 20, 40, 80, 20);
    const RECT area{20, 40, 100, 60};
    for (int round = 0; round < 2; ++round) {
        test::Scribble(form_, area);
        label.Text("第0页");
        EXPECT_FALSE(test::HasMarker(form_.Screen(), area)) << "round " << round;
        EXPECT_FALSE(NearColour(form_.WindowPixel(98, 58), test::kMarker, 0)) << "round " << round;
    }
}

TEST_F(LabelTest, ADisabledLabelRepaintsButDoesNotClick) {
    Label label;
    label.Create(Window(), "共0页", 20, 40, 80, 20);
    int clicks = 0;
    label.SetClickHandler([&] { ++clicks; });
    EXPECT_TRUE(label.Disabled(true));
    EXPECT_TRUE(label.Disabled());
    const RECT area{20, 40, 100, 60};
    test::Scribble(form_, area);
    label.Text("共9页");
    EXPECT_FALSE(test::HasMarker(form_.Screen(), area));
    test::Click(Window(), 40, 50);
    EXPECT_EQ(clicks, 0);

    EXPECT_FALSE(label.Disabled(false));
    test::Click(Window(), 40, 50);
    EXPECT_EQ(clicks, 1);
}

TEST_F(LabelTest, DisabledRepaintsOnlyOnChange) {
    Label label;
    label.Create(Window(), "x", 20, 40, 80, 20);
    const RECT area{20, 40, 100, 60};
    test::Scribble(form_, area);
    label.Disabled(false);  // unchanged
    EXPECT_TRUE(test::HasMarker(form_.Screen(), area));
    label.Disabled(true);
    EXPECT_FALSE(test::HasMarker(form_.Screen(), area));
}

TEST_F(LabelTest, MoveKeepsWhatIsNotGiven) {
    Label label;
    label.Create(Window(), "移动", 20, 40, 80, 20);
    label.Move(150);
    EXPECT_FLOAT_EQ(label.GetLeft(), 150);
    EXPECT_FLOAT_EQ(label.GetTop(), 40);
    EXPECT_FLOAT_EQ(label.GetWidth(), 80);
    EXPECT_FLOAT_EQ(label.GetHeight(), 20);
    const WidgetRecord* record = WidgetAt(FindWidget(label.GetId()));
    ASSERT_NE(record, nullptr);
    EXPECT_FLOAT_EQ(record->bounds.X, 150);
    EXPECT_FLOAT_EQ(record->bounds.Width, 80);

    const RECT old{20, 40, 100, 60};
    EXPECT_EQ(Ink(old).right, 0) << "the old place is erased";
    const RECT ink = Ink(kInside);
    EXPECT_GE(ink.left, 152);
    EXPECT_LE(ink.right, 228);
    EXPECT_EQ(test::CountPixels(form_.OnWindow(), old, test::DiffersFrom(kBackground, 0)), 0)
        << "erased on the window too";

    label.Move(std::nullopt, 100, std::nullopt, 30);
    EXPECT_FLOAT_EQ(label.GetLeft(), 150);
    EXPECT_FLOAT_EQ(label.GetTop(), 100);
    EXPECT_FLOAT_EQ(label.GetHeight(), 30);
}

// Sized to its text, a label shows all of it, as a wide label does, in any font; never wider than
// allowed.
TEST_F(LabelTest, FitWidthToTextShowsTheWholeTextWithinTheLimit) {
    const struct {
        const char* text;
        float size;
        float limit;
    } cases[] = {
        {"Zentori网页游戏盒子1.0", 12, 300},
        {"Zentori网页游戏盒子1.0", 15, 300},
        {"共644页", 12, 300},
        {"很长很长很长很长很长", 16, 60},
    };
    int y = 5;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        LabelOptions options;
        options.font.size = c.size;
        Label wide, fitted;
        wide.Create(Window(), c.text, 5, y, 300, 22, options);
        fitted.Create(Window(), c.text, 5, y + 24, 120, 22, options);
        fitted.FitWidthToText(c.limit);
        const RECT whole = Ink(RECT{3, y, 317, y + 22});
        const RECT shown = Ink(RECT{3, y + 24, 317, y + 46});
        if (whole.right - 5 + 2 > c.limit) {
            EXPECT_FLOAT_EQ(fitted.GetWidth(), c.limit);
        } else {
            EXPECT_EQ(shown.right, whole.right);
            EXPECT_LE(fitted.GetWidth(), whole.right - 5 + 8) << "sized to the text";
        }
        y += 50;
    }
}

TEST_F(LabelTest, TextFromAnotherThreadIsPaintedOnTheWindowThread) {
    Label label;
    label.Create(Window(), "第0页", 20, 40, 80, 20);
    const RECT area{20, 40, 100, 60};
    const auto ink = [&] {
        return test::CountPixels(form_.Screen(), area, test::DiffersFrom(kBackground, 60));
    };
    const int before = ink();
    test::Scribble(form_, area);
    std::thread([&label] { label.Text("第3页"); }).join();
    EXPECT_TRUE(test::HasMarker(form_.Screen(), area)) << "painted off the window thread";
    ASSERT_TRUE(test::PumpUntil([&] { return !test::HasMarker(form_.Screen(), area); }));
    EXPECT_NE(ink(), before) << "the new text is shown";
}

TEST_F(LabelTest, InvisibleLabelsAreNotPaintedOrHit) {
    Label label;
    LabelOptions options;
    options.visible = false;
    int clicks = 0;
    ASSERT_GT(label.Create(Window(), "藏", 20, 40, 80, 20, options), 0);
    label.SetClickHandler([&] { ++clicks; });
    EXPECT_EQ(Ink(kInside).right, 0);
    test::Click(Window(), 40, 50);
    EXPECT_EQ(clicks, 0);
}

TEST_F(LabelTest, ALabelWhoseFormWentAwayDrawsNowhere) {
    // A second form moves into this one's position once this one is destroyed.
    const int position = FindForm(Window());
    Label label;
    label.Create(Window(), "旧", 20, 40, 80, 20);
    TestForm second;
    const RECT area{20, 40, 100, 60};
    const int before = test::CountPixels(second.Screen(), area, test::DiffersFrom(kBackground, 0));
    form_.DestroyWindow();
    EXPECT_EQ(FindForm(second.Handle()), position);
    EXPECT_EQ(label.FormIndex(), 0);
    label.Text("新的文字");
    label.Move(30);
    EXPECT_EQ(test::CountPixels(second.Screen(), area, test::DiffersFrom(kBackground, 0)), before);
    float size = 0;
    EXPECT_EQ(GdipGetFontSize(DefaultFont, &size), Gdiplus::Ok) << "DefaultFont survives";
}

TEST_F(LabelTest, ALabelOnAWindowWithoutFormDrawsNothing) {
    test::TestWindow bare({});
    Label label;
    EXPECT_GT(label.Create(bare.Handle(), "无", 10, 10, 50, 20), 0);
    EXPECT_EQ(label.FormIndex(), 0);
    label.Text("仍无");
    label.Move(20);
    EXPECT_EQ(label.Text(), "仍无");
}

}  // namespace
