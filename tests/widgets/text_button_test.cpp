// TextButton: its four looks on a real skinned form, the sinking caption of a press, repeated
// mouse moves, the disabled button, the fade and how a new look cuts a running fade short, and
// the skeleton operations it shares with Label.
#include "widgets/text_button.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/support/toolkit/test_form.h"

namespace {

using test::NearColour;
using test::SendMouse;
using test::TestForm;

// A neutral grey skin: the plate's whites then stay grey and only the caption is red.
constexpr COLORREF kSkin = RGB(0x50, 0x50, 0x50);
constexpr COLORREF kRed = 0x0000FF;

// The button under test and points on its plate, left of the caption.
constexpr int kX = 100, kY = 100, kW = 120, kH = 40;
constexpr int kPlateX = kX + 6;
constexpr int kPlateTop = kY + 3, kPlateMiddle = kY + kH / 2, kPlateBottom = kY + kH - 4;

// The looks as a user tells them apart: a plate lighter than the skin, flat at rest and when
// disabled, lighter at the top under the pointer and at the bottom while pressed.
enum class Look { kNormal, kHover, kPressed, kDisabled };
const char* const kLookNames[] = {"normal", "hover", "pressed", "disabled"};

class TextButtonTest : public ::testing::Test {
protected:
    int MakeButton(TestForm& form, TextButton& button, const char* text = "确定") {
        TextButtonOptions options;
        options.textColour = kRed;
        return button.Create(form.Handle(), text, kX, kY, kW, kH, options);
    }

    static void ExpectLook(const test::PixelSource& source, Look look, const char* where) {
        const char* name = kLookNames[static_cast<int>(look)];
        EXPECT_GT(GetGValue(source(kPlateX, kPlateMiddle)), GetGValue(kSkin) + 30)
            << name << " look, a plate " << where;
        const int top = GetGValue(source(kPlateX, kPlateTop));
        const int bottom = GetGValue(source(kPlateX, kPlateBottom));
        switch (look) {
            case Look::kNormal:
            case Look::kDisabled:
                EXPECT_NEAR(top, bottom, 3) << name << " look, flat plate " << where;
                break;
            case Look::kHover:
                EXPECT_GT(top, bottom + 10) << name << " look " << where;
                break;
            case Look::kPressed:
                EXPECT_GT(bottom, top + 10) << name << " look " << where;
                break;
        }
    }

    test::CursorAway cursorAway_;
    test::SolidSkin skin_{kSkin, 400, 300, L"text-button-skin.png"};
};

// Where the caption is: the centre of its red ink, each pixel weighted by how red it is (on
// the neutral plate that is the caption's coverage times its alpha, so the alpha of the look
// does not move it).
struct Point {
    double x = 0, y = 0;
};
Point CaptionCentre(const TestForm& form) {
    double sum = 0, sumX = 0, sumY = 0;
    for (int y = kY + 3; y < kY + kH - 3; ++y) {
        for (int x = kX + 3; x < kX + kW - 3; ++x) {
            const COLORREF c = form.ScreenPixel(x, y);
            const int redness = GetRValue(c) - std::max(GetGValue(c), GetBValue(c));
            if (redness <= 0) continue;
            sum += redness;
            sumX += redness * x;
            sumY += redness * y;
        }
    }
    if (sum == 0) return {};
    return {sumX / sum, sumY / sum};
}

// Dispatches messages until `ticks` ticks of the button's fade timer went through; the plate
// grey the window shows after each.
std::vector<int> ShownAfterTicks(const TestForm& form, int id, int ticks) {
    std::vector<int> seen;
    test::PumpCounting(test::TimerTick(form.Handle(), static_cast<UINT_PTR>(id)), ticks,
                       [&] { seen.push_back(GetGValue(form.WindowPixel(kPlateX, kPlateMiddle))); });
    return seen;
}

TEST_F(TextButtonTest, RepeatedMouseMovesPaintOnce) {
    auto form = skin_.MakeForm();
    TextButton button;
    ASSERT_GT(MakeButton(*form, button), 0);
    const HWND window = form->Handle();
    const RECT spot{kX + 8, kY + 8, kX + 14, kY + 14};

    SendMouse(window, WM_MOUSEMOVE, kX + 40, kY + 20);
    test::Scribble(*form, spot);
    SendMouse(window, WM_MOUSEMOVE, kX + 50, kY + 22);
    SendMouse(window, WM_MOUSEMOVE, kX + 60, kY + 24);
    EXPECT_TRUE(test::HasMarker(form->Screen(), spot)) << "a repeated move repaints";

    SendMouse(window, WM_MOUSEMOVE, 20, 250);  // off the button: the normal look comes back
    EXPECT_FALSE(test::HasMarker(form->Screen(), spot));
    ExpectLook(form->OnWindow(), Look::kNormal, "after leaving");
    test::Scribble(*form, spot);
    SendMouse(window, WM_MOUSEMOVE, kX + 40, kY + 20);
    EXPECT_FALSE(test::HasMarker(form->Screen(), spot)) << "a move after another message repaints";
    ExpectLook(form->OnWindow(), Look::kHover, "after coming back");
}

TEST_F(TextButtonTest, APressSinksTheCaptionByOnePixelAndTheReleaseRaisesIt) {
    auto form = skin_.MakeForm();
    TextButton button;
    ASSERT_GT(MakeButton(*form, button), 0);
    int clicks = 0;
    button.SetClickHandler([&] { ++clicks; });
    const HWND window = form->Handle();

    SendMouse(window, WM_MOUSEMOVE, kX + 40, kY + 20);
    const Point hover = CaptionCentre(*form);
    ASSERT_GT(hover.x, 0) << "no red caption";
    EXPECT_NEAR(hover.x, kX + kW / 2.0, 3) << "centred";
    EXPECT_NEAR(hover.y, kY + kH / 2.0, 3) << "centred";

    SendMouse(window, WM_LBUTTONDOWN, kX + 40, kY + 20);
    const Point pressed = CaptionCentre(*form);
    EXPECT_NEAR(pressed.x - hover.x, 1.0, 0.2);
    EXPECT_NEAR(pressed.y - hover.y, 1.0, 0.2);
    ExpectLook(form->OnWindow(), Look::kPressed, "while pressed");
    EXPECT_EQ(clicks, 0);

    SendMouse(window, WM_LBUTTONUP, kX + 40, kY + 20);
    const Point released = CaptionCentre(*form);
    EXPECT_NEAR(released.x - hover.x, 0.0, 0.2);
    EXPECT_NEAR(released.y - hover.y, 0.0, 0.2);
    ExpectLook(form->OnWindow(), Look::kNormal, "after the release");
    EXPECT_EQ(clicks, 1);
}

TEST_F(TextButtonTest, WithoutFadingEveryLookShowsAtOnce) {
    auto form = skin_.MakeForm();
    TextButton button;
    ASSERT_GT(MakeButton(*form, button), 0);
    const HWND window = form->Handle();
    ExpectLook(form->OnWindow(), Look::kNormal, "when created");

    struct Step {
        UINT message;
        int x, y;
        Look look;
        const char* what;
    };
    const Step steps[] = {
        {WM_MOUSEMOVE, kX + 40, kY + 20, Look::kHover, "pointer over it"},
        {WM_LBUTTONDOWN, kX + 40, kY + 20, Look::kPressed, "pressed"},
        {WM_LBUTTONUP, kX + 40, kY + 20, Look::kNormal, "released"},
        {WM_MOUSEMOVE, kX + 44, kY + 20, Look::kHover, "moved again"},
        // The pressed button is the form's focus widget: leaving it shows the selected look,
        // which for a text button is the hover look (without the pointer's frame).
        {WM_MOUSEMOVE, 20, 250, Look::kHover, "left as focus widget"},
    };
    for (const Step& step : steps) {
        SendMouse(window, step.message, step.x, step.y);
        ExpectLook(form->OnWindow(), step.look, step.what);
        ExpectLook(form->Screen(), step.look, step.what);
    }
    // The pointer's flat frame (the hover inner colour, fainter) rings the plate only while
    // the pointer itself is there: the left plate column is bluer under the pointer.
    const COLORREF selectedEdge = form->WindowPixel(kX + 2, kPlateMiddle);
    SendMouse(window, WM_MOUSEMOVE, kX + 40, kY + 20);
    const COLORREF pointerEdge = form->WindowPixel(kX + 2, kPlateMiddle);
    EXPECT_GT(GetBValue(pointerEdge) - GetRValue(pointerEdge),
              GetBValue(selectedEdge) - GetRValue(selectedEdge) + 10)
        << test::ColourText(pointerEdge) << " vs " << test::ColourText(selectedEdge);
}

TEST_F(TextButtonTest, ADisabledButtonPaintsDisabledAndIgnoresHoverPressAndClick) {
    auto form = skin_.MakeForm();
    TextButton button;
    ASSERT_GT(MakeButton(*form, button), 0);
    int clicks = 0;
    button.SetClickHandler([&] { ++clicks; });
    const HWND window = form->Handle();

    const int normal = GetGValue(form->WindowPixel(kPlateX, kPlateMiddle));
    EXPECT_TRUE(button.Disabled(true));
    ExpectLook(form->OnWindow(), Look::kDisabled, "once disabled");
    EXPECT_LT(GetGValue(form->WindowPixel(kPlateX, kPlateMiddle)), normal - 20) << "fainter";
    const Point caption = CaptionCentre(*form);
    ASSERT_GT(caption.x, 0) << "the caption is still drawn";

    const RECT spot{kX + 8, kY + 8, kX + 14, kY + 14};
    test::Scribble(*form, spot);
    SendMouse(window, WM_MOUSEMOVE, kX + 40, kY + 20);
    test::Click(window, kX + 40, kY + 20);
    SendMouse(window, WM_MOUSEMOVE, 20, 250);
    EXPECT_TRUE(test::HasMarker(form->Screen(), spot)) << "input repainted a disabled button";
    EXPECT_EQ(clicks, 0);

    button.HandleMessage(window, WM_PAINT, 0, 0);
    ExpectLook(form->OnWindow(), Look::kDisabled, "repainted while disabled");

    EXPECT_FALSE(button.Disabled(false));
    ExpectLook(form->OnWindow(), Look::kNormal, "enabled again");
    test::Click(window, kX + 40, kY + 20);
    EXPECT_EQ(clicks, 1);
}

TEST_F(TextButtonTest, WithFadingTheLookBlendsInOverFourTicksAndTheTimerStopsOnTheFifth) {
    auto form = skin_.MakeForm(1);
    TextButton button;
    const int id = MakeButton(*form, button);
    ASSERT_GT(id, 0);
    const HWND window = form->Handle();
    ExpectLook(form->OnWindow(), Look::kNormal, "when created (paints are not faded)");
    const int normal = GetGValue(form->WindowPixel(kPlateX, kPlateMiddle));

    SendMouse(window, WM_MOUSEMOVE, kX + 40, kY + 20);
    ExpectLook(form->Screen(), Look::kHover, "in the buffer");
    EXPECT_EQ(GetGValue(form->WindowPixel(kPlateX, kPlateMiddle)), normal)
        << "the window shows nothing before the first tick";
    const int hover = GetGValue(form->ScreenPixel(kPlateX, kPlateMiddle));
    ASSERT_GT(std::abs(hover - normal), 6);

    const std::vector<int> ticks = ShownAfterTicks(*form, id, 5);
    ASSERT_EQ(ticks.size(), 5u) << "four blending ticks, then the one that stops the timer";
    EXPECT_TRUE(test::Approaches(normal, {ticks.begin(), ticks.begin() + 4}, hover));
    EXPECT_EQ(ticks[3], hover) << "wholly shown on the fourth";
    EXPECT_EQ(ticks[4], ticks[3]) << "the fifth tick only stops the timer";
    EXPECT_FALSE(KillTimer(window, static_cast<UINT_PTR>(id))) << "the timer is already gone";
}

TEST_F(TextButtonTest, ANewLookCutsARunningFadeShortAndTheSameTimerFadesIt) {
    auto form = skin_.MakeForm(1);
    TextButton button;
    const int id = MakeButton(*form, button);
    ASSERT_GT(id, 0);
    const HWND window = form->Handle();
    const auto shown = [&] { return GetGValue(form->WindowPixel(kPlateX, kPlateMiddle)); };

    SendMouse(window, WM_MOUSEMOVE, kX + 40, kY + 20);
    const int hover = GetGValue(form->ScreenPixel(kPlateX, kPlateMiddle));
    const int normal = shown();
    const std::vector<int> first = ShownAfterTicks(*form, id, 1);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_TRUE(test::Approaches(normal, first, hover));
    ASSERT_NE(first[0], hover) << "one tick into the fade";

    SendMouse(window, WM_LBUTTONDOWN, kX + 40, kY + 20);
    EXPECT_EQ(shown(), hover) << "the running fade is finished at once";
    ExpectLook(form->Screen(), Look::kPressed, "in the buffer");
    const int pressed = GetGValue(form->ScreenPixel(kPlateX, kPlateMiddle));

    // A press fades in over fewer ticks than a hover: two, then the stop.
    const std::vector<int> ticks = ShownAfterTicks(*form, id, 3);
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_TRUE(test::Approaches(hover, {ticks.begin(), ticks.begin() + 2}, pressed));
    EXPECT_EQ(ticks[1], pressed);
    EXPECT_EQ(ticks[2], ticks[1]);
    EXPECT_FALSE(KillTimer(window, static_cast<UINT_PTR>(id))) << "the timer is already gone";
}

TEST_F(TextButtonTest, SkeletonOperations) {
    auto form = skin_.MakeForm();
    TextButton button;
    const int id = MakeButton(*form, button, "首页");
    ASSERT_GT(id, 0);
    EXPECT_EQ(button.GetId(), id);
    EXPECT_EQ(WidgetAt(FindWidget(id))->kind, kKindTextButton);
    EXPECT_TRUE(WidgetAt(FindWidget(id))->focusable);

    const RECT spot{kX + 8, kY + 8, kX + 14, kY + 14};
    const RECT face{kX, kY, kX + kW, kY + kH};
    const int ink = test::CountPixels(form->OnWindow(), face, test::IsReddish);
    test::Scribble(*form, spot);
    button.Text("末页");
    EXPECT_FALSE(test::HasMarker(form->Screen(), spot)) << "a new text repaints";
    EXPECT_NE(test::CountPixels(form->OnWindow(), face, test::IsReddish), ink) << "a new caption";

    // The handler that counts is the last one set.
    int first = 0, second = 0;
    button.SetClickHandler([&] { ++first; });
    button.SetClickHandler([&] { ++second; });
    test::Click(form->Handle(), kX + 40, kY + 20);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);

    const COLORREF plate = form->WindowPixel(kPlateX, kPlateMiddle);
    button.Move(200, 150);
    EXPECT_TRUE(NearColour(form->WindowPixel(kPlateX, kPlateMiddle), kSkin, 2))
        << "the old place is erased";
    EXPECT_EQ(form->WindowPixel(200 + kPlateX - kX, 150 + kPlateMiddle - kY), plate)
        << "drawn anew";
}

}  // namespace
