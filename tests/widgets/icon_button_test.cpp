// IconButton: the three layouts as drawn on a real skinned form, a missing or
// undecodable picture, the selected look and Selected, hover, press, disabled, the fade starts
// and the release of the picture and font when the form goes.
#include "widgets/icon_button.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/support/toolkit/test_form.h"

namespace {

using test::FindPixels;
using test::NearColour;
using test::SendMouse;
using test::TestForm;

constexpr COLORREF kSkin = RGB(0x50, 0x50, 0x50);
constexpr COLORREF kRed = 0x0000FF;   // the captions
constexpr COLORREF kBlue = 0xFF0000;  // the test icons

bool IsBlue(COLORREF c) {
    return GetBValue(c) > 0xC0 && GetRValue(c) < 0x40 && GetGValue(c) < 0x40;
}

class IconButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        icon_ = test::EncodeSolidImage(32, 32, kBlue, test::ImageFormat::kPng);
        ASSERT_FALSE(icon_.empty());
    }

    IconButtonOptions Options(bool iconAbove, bool selected = false) const {
        IconButtonOptions options;
        options.iconBytes = icon_;
        options.iconAbove = iconAbove;
        options.selected = selected;
        options.textColour = kRed;
        return options;
    }

    test::CursorAway cursorAway_;
    test::SolidSkin skin_{kSkin, 400, 300, L"icon-button-skin.png"};
    std::string icon_;
};

TEST_F(IconButtonTest, ASixtyPixelButtonDrawsItsIconCentredAboveTheCaption) {
    auto form = skin_.MakeForm();
    IconButton button;
    constexpr int x = 100, y = 100;
    ASSERT_GT(button.Create(form->Handle(), "热门游戏", x, y, 60, 60, Options(true)), 0);
    EXPECT_EQ(button.IconWidth(), 32);
    EXPECT_EQ(button.IconHeight(), 32);

    const RECT icon = FindPixels(form->OnWindow(), RECT{x, y, x + 60, y + 60}, IsBlue);
    EXPECT_EQ(icon.left, x + 14);
    EXPECT_EQ(icon.top, y + 2);
    EXPECT_EQ(icon.right, x + 46);
    EXPECT_EQ(icon.bottom, y + 34);

    const RECT caption = FindPixels(form->OnWindow(), RECT{x, y, x + 60, y + 60}, test::IsReddish);
    ASSERT_LT(caption.left, caption.right) << "no caption";
    EXPECT_GE(caption.left, x + 2);
    EXPECT_LE(caption.right, x + 56);
    EXPECT_GE(caption.top, y + 36);
    EXPECT_LE(caption.bottom, y + 58);
    EXPECT_NEAR((caption.left + caption.right) / 2.0, x + 2 + 27, 2) << "centred";

    // The normal look is only picture and caption: no plate, no border.
    for (auto [px, py] : {std::pair{x, y}, {x + 59, y + 30}, {x + 1, y + 45}, {x + 30, y + 59}}) {
        EXPECT_EQ(form->WindowPixel(px, py), kSkin) << px << "," << py;
    }
}

TEST_F(IconButtonTest, IconLeftOfTheCaption) {
    auto form = skin_.MakeForm();
    IconButton button;
    constexpr int x = 100, y = 100;
    ASSERT_GT(button.Create(form->Handle(), "小游戏", x, y, 140, 40, Options(false)), 0);

    const RECT icon = FindPixels(form->OnWindow(), RECT{x, y, x + 140, y + 40}, IsBlue);
    EXPECT_EQ(icon.left, x + 2);
    EXPECT_EQ(icon.top, y + 4) << "centred in the 36 rows";
    EXPECT_EQ(icon.right, x + 34);
    EXPECT_EQ(icon.bottom, y + 36);

    const RECT caption = FindPixels(form->OnWindow(), RECT{x, y, x + 140, y + 40}, test::IsReddish);
    ASSERT_LT(caption.left, caption.right) << "no caption";
    EXPECT_GE(caption.left, x + 36);
    EXPECT_LE(caption.left, x + 40) << "left-aligned after the picture";
    EXPECT_NEAR((caption.top + caption.bottom) / 2.0, y + 20, 3) << "vertically centred";

    // A press sinks the picture by one pixel, as it does above a caption.
    SendMouse(form->Handle(), WM_MOUSEMOVE, x + 70, y + 20);
    SendMouse(form->Handle(), WM_LBUTTONDOWN, x + 70, y + 20);
    const RECT pressed = FindPixels(form->OnWindow(), RECT{x, y, x + 140, y + 40}, IsBlue);
    EXPECT_EQ(pressed.left, icon.left + 1);
    EXPECT_EQ(pressed.top, icon.top + 1);
}

TEST_F(IconButtonTest, AMissingOrUndecodablePictureGivesTheCaptionTheWholeButton) {
    constexpr int x = 100, y = 100, w = 140, h = 40;
    struct Case {
        const char* what;
        std::string_view bytes;
        bool above;
    };
    const Case cases[] = {
        {"no bytes, left", {}, false},
        {"not a picture, left", "not a picture at all", false},
        {"no bytes, above", {}, true},
        {"truncated PNG, above", std::string_view(icon_).substr(0, 40), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto form = skin_.MakeForm();
        IconButton button;
        IconButtonOptions options = Options(c.above);
        options.iconBytes = c.bytes;
        ASSERT_GT(button.Create(form->Handle(), "网页游戏", x, y, w, h, options), 0);
        EXPECT_EQ(button.IconWidth(), 0);
        const RECT area{x, y, x + w, y + h};
        const RECT caption = FindPixels(form->OnWindow(), area, test::IsReddish);
        ASSERT_LT(caption.left, caption.right) << "no caption";
        EXPECT_NEAR((caption.top + caption.bottom) / 2.0, y + h / 2.0, 3);
        if (c.above) {
            EXPECT_NEAR((caption.left + caption.right) / 2.0, x + 2 + (w - 6) / 2.0, 2)
                << "centred in the whole button";
        } else {
            EXPECT_GE(caption.left, x + 2);
            EXPECT_LE(caption.left, x + 6) << "starts at the left edge";
        }
        EXPECT_EQ(FindPixels(form->OnWindow(), area, IsBlue).right, 0);
    }
}

TEST_F(IconButtonTest, TheSelectedLookReplacesTheNormalLook) {
    auto form = skin_.MakeForm();
    IconButton selected, plain;
    ASSERT_GT(selected.Create(form->Handle(), "热门游戏", 40, 40, 60, 60, Options(true, true)), 0);
    ASSERT_GT(plain.Create(form->Handle(), "小游戏", 140, 40, 60, 60, Options(true)), 0);
    EXPECT_TRUE(selected.Selected());
    EXPECT_FALSE(plain.Selected());

    // A plate lighter at the top than at the bottom, where it is still a little lighter than
    // the skin. Sampled beside the picture.
    const auto top = [&](int x) { return GetGValue(form->WindowPixel(x + 4, 40 + 3)); };
    const auto bottom = [&](int x) { return GetGValue(form->WindowPixel(x + 4, 40 + 56)); };
    const int selectedTop = top(40);
    EXPECT_GT(selectedTop, bottom(40) + 20);
    EXPECT_GT(bottom(40), GetGValue(kSkin));
    EXPECT_EQ(top(140), GetGValue(kSkin)) << "a normal button has no plate";

    // The pointer comes and goes: hover (a lighter plate), then the selected look again.
    const HWND window = form->Handle();
    SendMouse(window, WM_MOUSEMOVE, 70, 70);
    EXPECT_GT(top(40), selectedTop + 6) << "hover";
    SendMouse(window, WM_MOUSEMOVE, 300, 250);
    EXPECT_EQ(top(40), selectedTop) << "selected again after the pointer left";

    EXPECT_FALSE(selected.Selected(false));
    EXPECT_EQ(top(40), GetGValue(kSkin)) << "unselected: no plate";
    EXPECT_TRUE(plain.Selected(true));
    EXPECT_EQ(top(140), selectedTop);
}

TEST_F(IconButtonTest, SelectedRepaintsOnlyWhenTheValueChanges) {
    auto form = skin_.MakeForm();
    IconButton button;
    ASSERT_GT(button.Create(form->Handle(), "热门游戏", 40, 40, 60, 60, Options(true, true)), 0);
    const RECT spot{44, 80, 50, 86};
    test::Scribble(*form, spot);
    EXPECT_TRUE(button.Selected(true));
    EXPECT_TRUE(test::HasMarker(form->Screen(), spot))
        << "selecting a selected button repainted it";
    EXPECT_FALSE(button.Selected(false));
    EXPECT_FALSE(test::HasMarker(form->Screen(), spot));
    test::Scribble(*form, spot);
    EXPECT_FALSE(button.Selected(false));
    EXPECT_TRUE(test::HasMarker(form->Screen(), spot));
}

TEST_F(IconButtonTest, HoverPressReleaseAndClick) {
    auto form = skin_.MakeForm();
    IconButton button;
    ASSERT_GT(button.Create(form->Handle(), "游戏工具", 40, 40, 60, 60, Options(true)), 0);
    int clicks = 0;
    button.SetClickHandler([&] { ++clicks; });
    const HWND window = form->Handle();
    const auto top = [&] { return GetGValue(form->WindowPixel(44, 43)); };
    const auto bottom = [&] { return GetGValue(form->WindowPixel(44, 96)); };
    const auto icon = [&] { return FindPixels(form->OnWindow(), RECT{40, 40, 100, 100}, IsBlue); };

    SendMouse(window, WM_MOUSEMOVE, 70, 70);
    EXPECT_GT(top(), bottom() + 20) << "hover: 120 at the top, 10 at the bottom";
    EXPECT_EQ(icon().left, 54);

    const RECT spot{44, 60, 48, 64};
    test::Scribble(*form, spot);
    SendMouse(window, WM_MOUSEMOVE, 72, 71);
    EXPECT_TRUE(test::HasMarker(form->Screen(), spot)) << "a repeated move repainted";

    SendMouse(window, WM_LBUTTONDOWN, 70, 70);
    EXPECT_LT(top(), bottom() - 20) << "pressed: 10 at the top, 120 at the bottom";
    EXPECT_EQ(icon().left, 55) << "the picture sinks by one pixel";
    EXPECT_EQ(icon().top, 43);
    EXPECT_EQ(clicks, 0);

    SendMouse(window, WM_LBUTTONUP, 70, 70);
    EXPECT_GT(top(), bottom() + 20) << "released: the hover look";
    EXPECT_EQ(icon().left, 54);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button.Selected()) << "a click does not select";
}

TEST_F(IconButtonTest, ADisabledButtonIgnoresInputAndRepaintsWhenEnabled) {
    auto form = skin_.MakeForm();
    IconButton button;
    ASSERT_GT(button.Create(form->Handle(), "皮肤更换", 40, 40, 60, 60, Options(true)), 0);
    int clicks = 0;
    button.SetClickHandler([&] { ++clicks; });
    const HWND window = form->Handle();

    EXPECT_TRUE(button.Disabled(true));
    // A flat plate, the same at the top and the bottom.
    const int disabled = GetGValue(form->WindowPixel(44, 43));
    EXPECT_GT(disabled, GetGValue(kSkin) + 30);
    EXPECT_NEAR(GetGValue(form->WindowPixel(44, 96)), disabled, 3);

    const RECT spot{44, 60, 48, 64};
    test::Scribble(*form, spot);
    SendMouse(window, WM_MOUSEMOVE, 70, 70);
    test::Click(window, 70, 70);
    EXPECT_TRUE(test::HasMarker(form->Screen(), spot)) << "input repainted a disabled button";
    EXPECT_EQ(clicks, 0);

    EXPECT_FALSE(button.Disabled(false));
    EXPECT_FALSE(test::HasMarker(form->Screen(), spot));
    EXPECT_EQ(form->WindowPixel(44, 43), kSkin) << "enabled again: the normal look";
}

TEST_F(IconButtonTest, FadesStartAtFiftyOneOrAtOneHundredFiftyThreeForPressAndRelease) {
    auto form = skin_.MakeForm(1);
    IconButton button;
    const int id = button.Create(form->Handle(), "最近更新", 40, 40, 60, 60, Options(true));
    ASSERT_GT(id, 0);
    const HWND window = form->Handle();
    // Straight to the widget, as the dispatcher calls it (a release carries the widget's
    // position): going through the form, the release of the capture adds a mouse move.
    const WPARAM position = static_cast<WPARAM>(FindWidget(id));
    struct Step {
        UINT message;
        WPARAM wParam;
        int ticks;  // blending ticks, then the one that stops the timer
    };
    const Step steps[] = {
        {WM_MOUSEMOVE, 0, 4 + 1},  {WM_LBUTTONDOWN, 0, 2 + 1},  {WM_LBUTTONUP, position, 2 + 1},
        {MsgLookNormal, 0, 4 + 1}, {MsgLookSelected, 0, 4 + 1},
    };
    for (const Step& step : steps) {
        button.HandleMessage(window, step.message, step.wParam, 0);
        EXPECT_EQ(
            test::PumpCounting(test::TimerTick(window, static_cast<UINT_PTR>(id)), step.ticks),
            step.ticks)
            << "message " << step.message;
        EXPECT_FALSE(KillTimer(window, static_cast<UINT_PTR>(id)))
            << "the timer runs on after message " << step.message;
        EXPECT_EQ(form->WindowPixel(44, 43), form->ScreenPixel(44, 43))
            << "fully shown after message " << step.message;
    }
}

TEST_F(IconButtonTest, DestroyingTheFormReleasesPictureAndOwnFontButNotDefaultFont) {
    auto form = skin_.MakeForm();
    IconButton plain, ownFont;
    ASSERT_GT(plain.Create(form->Handle(), "热门游戏", 40, 40, 60, 60, Options(true)), 0);
    IconButtonOptions options = Options(true);
    options.font.size = 14;
    options.font.style = 1;
    ASSERT_GT(ownFont.Create(form->Handle(), "小游戏", 140, 40, 60, 60, options), 0);

    form->DestroyWindow();
    float size = 0;
    EXPECT_EQ(GdipGetFontSize(DefaultFont, &size), Gdiplus::Ok) << "DefaultFont was deleted";
    EXPECT_FLOAT_EQ(size, 12);
    EXPECT_EQ(plain.IconWidth(), 0) << "picture released";
    EXPECT_EQ(ownFont.IconWidth(), 0);
    // Nothing draws any more, and nothing brings the widget back onto a form.
    plain.Selected(true);
    plain.Disabled(true);
    plain.Move(10);
    EXPECT_EQ(plain.FormIndex(), 0);
}

}  // namespace
