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
constexpr int kSkinGrey = 0x50;
constexpr COLORREF kSkin = RGB(kSkinGrey, kSkinGrey, kSkinGrey);
constexpr COLORREF kRed = 0x0000FF;
constexpr int kFormWidth = 400, kFormHeight = 300;

// The button under test and points on its plate, left of the caption.
constexpr int kX = 100, kY = 100, kW = 120, kH = 40;
constexpr int kPlateX = kX + 6;
constexpr int kPlateTop = kY + 3, kPlateMiddle = kY + kH / 2, kPlateBottom = kY + kH - 4;

// Grey a plate of white (or 0xECECEC) at `alpha` shows over the skin.
int PlateGrey(int alpha, int plate = 0xFF) {
    return (plate * alpha + kSkinGrey * (255 - alpha) + 127) / 255;
}

struct LookValues {
    const char* name;
    int plate;        // plate grey value
    int top, bottom;  // plate alphas
};
constexpr LookValues kNormal{"normal", 0xFF, 150, 150};
constexpr LookValues kHover{"hover", 0xFF, 200, 130};
constexpr LookValues kPressed{"pressed", 0xFF, 150, 200};
constexpr LookValues kDisabled{"disabled", 0xEC, 100, 100};

class TextButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureGraphics();
        ASSERT_TRUE(skin_.Write(
            test::EncodeSolidImage(kFormWidth, kFormHeight, kSkin, test::ImageFormat::kPng)));
    }

    std::unique_ptr<TestForm> MakeForm(int widgetFade) {
        TestForm::Options options;
        options.window.width = kFormWidth;
        options.window.height = kFormHeight;
        options.skinPath = skin_.GbkPath();
        options.form.widgetFade = widgetFade;
        return std::make_unique<TestForm>(options);
    }

    int MakeButton(TestForm& form, TextButton& button, const char* text = "确定") {
        TextButtonOptions options;
        options.textColour = kRed;
        return button.Create(form.Handle(), text, kX, kY, kW, kH, options);
    }

    // Checks that `source` shows `look` on the plate: its grey in the middle row, and which of
    // the top and bottom rows is lighter.
    static void ExpectLook(const test::PixelSource& source, const LookValues& look,
                           const char* where) {
        const int middle = GetGValue(source(kPlateX, kPlateMiddle));
        EXPECT_NEAR(middle, PlateGrey((look.top + look.bottom) / 2, look.plate), 5)
            << look.name << " look " << where;
        const int top = GetGValue(source(kPlateX, kPlateTop));
        const int bottom = GetGValue(source(kPlateX, kPlateBottom));
        if (look.top == look.bottom) {
            EXPECT_NEAR(top, bottom, 3) << look.name << " look, flat plate " << where;
        } else {
            EXPECT_EQ(top > bottom, look.top > look.bottom)
                << look.name << " look, gradient direction " << where;
            EXPECT_GT(std::abs(top - bottom), 10) << look.name << " look " << where;
        }
    }

    test::CursorAway cursorAway_;
    test::TempFile skin_{L"text-button-skin.png"};
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

// Dispatches this thread's messages for `milliseconds` or until `maxTicks` WM_TIMERs of
// `timerId` on `window` went through; after each of those, records what `probe` returns then.
std::vector<COLORREF> PumpTicks(HWND window, UINT_PTR timerId, size_t maxTicks,
                                const std::function<COLORREF()>& probe) {
    std::vector<COLORREF> seen;
    // Only reached when ticks are missing; a busy machine may delay each by far more than 50 ms.
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (GetTickCount64() < deadline && seen.size() < maxTicks) {
        MSG message;
        while (seen.size() < maxTicks && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            if (message.message == WM_TIMER && message.hwnd == window &&
                message.wParam == timerId) {
                seen.push_back(probe());
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return seen;
}

// The grey a window pixel shows after blending `target` over `shown` at each alpha in turn.
double Blend(double shown, int target, int alpha) {
    return target * alpha / 255.0 + shown * (255 - alpha) / 255.0;
}

TEST_F(TextButtonTest, RepeatedMouseMovesPaintOnce) {
    auto form = MakeForm(0);
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
    ExpectLook(form->OnWindow(), kNormal, "after leaving");
    test::Scribble(*form, spot);
    SendMouse(window, WM_MOUSEMOVE, kX + 40, kY + 20);
    EXPECT_FALSE(test::HasMarker(form->Screen(), spot)) << "a move after another message repaints";
    ExpectLook(form->OnWindow(), kHover, "after coming back");
}

TEST_F(TextButtonTest, APressSinksTheCaptionByOnePixelAndTheReleaseRaisesIt) {
    auto form = MakeForm(0);
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
    ExpectLook(form->OnWindow(), kPressed, "while pressed");
    EXPECT_EQ(clicks, 0);

    SendMouse(window, WM_LBUTTONUP, kX + 40, kY + 20);
    const Point released = CaptionCentre(*form);
    EXPECT_NEAR(released.x - hover.x, 0.0, 0.2);
    EXPECT_NEAR(released.y - hover.y, 0.0, 0.2);
    ExpectLook(form->OnWindow(), kNormal, "after the release");
    EXPECT_EQ(clicks, 1);
}

TEST_F(TextButtonTest, WithoutFadingEveryLookShowsAtOnce) {
    auto form = MakeForm(0);
    TextButton button;
    ASSERT_GT(MakeButton(*form, button), 0);
    const HWND window = form->Handle();
    ExpectLook(form->OnWindow(), kNormal, "when created");

    struct Step {
        UINT message;
        int x, y;
        const LookValues& look;
        const char* what;
    };
    const Step steps[] = {
        {WM_MOUSEMOVE, kX + 40, kY + 20, kHover, "pointer over it"},
        {WM_LBUTTONDOWN, kX + 40, kY + 20, kPressed, "pressed"},
        {WM_LBUTTONUP, kX + 40, kY + 20, kNormal, "released"},
        {WM_MOUSEMOVE, kX + 44, kY + 20, kHover, "moved again"},
        // The pressed button is the form's focus widget: leaving it shows the selected look,
        // which for a text button is the hover look (without the pointer's frame).
        {WM_MOUSEMOVE, 20, 250, kHover, "left as focus widget"},
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
    auto form = MakeForm(0);
    TextButton button;
    ASSERT_GT(MakeButton(*form, button), 0);
    int clicks = 0;
    button.SetClickHandler([&] { ++clicks; });
    const HWND window = form->Handle();

    EXPECT_TRUE(button.Disabled(true));
    ExpectLook(form->OnWindow(), kDisabled, "once disabled");
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
    ExpectLook(form->OnWindow(), kDisabled, "repainted while disabled");

    EXPECT_FALSE(button.Disabled(false));
    ExpectLook(form->OnWindow(), kNormal, "enabled again");
    test::Click(window, kX + 40, kY + 20);
    EXPECT_EQ(clicks, 1);
}

TEST_F(TextButtonTest, WithFadingTheLookBlendsInAtFourAlphasAndTheTimerStopsOnTheFifthTick) {
    auto form = MakeForm(1);
    TextButton button;
    const int id = MakeButton(*form, button);
    ASSERT_GT(id, 0);
    const HWND window = form->Handle();
    ExpectLook(form->OnWindow(), kNormal, "when created (paints are not faded)");
    const int normal = GetGValue(form->WindowPixel(kPlateX, kPlateMiddle));

    SendMouse(window, WM_MOUSEMOVE, kX + 40, kY + 20);
    ExpectLook(form->Screen(), kHover, "in the buffer");
    EXPECT_EQ(GetGValue(form->WindowPixel(kPlateX, kPlateMiddle)), normal)
        << "the window shows nothing before the first tick";
    const int hover = GetGValue(form->ScreenPixel(kPlateX, kPlateMiddle));
    ASSERT_GT(std::abs(hover - normal), 6);

    const auto ticks = PumpTicks(window, static_cast<UINT_PTR>(id), 5,
                                 [&] { return form->WindowPixel(kPlateX, kPlateMiddle); });
    ASSERT_EQ(ticks.size(), 5u) << "four blending ticks, then the one that stops the timer";
    double shown = normal;
    const int alphas[] = {102, 153, 204, 255};
    for (int i = 0; i < 4; ++i) {
        shown = Blend(shown, hover, alphas[i]);
        EXPECT_NEAR(GetGValue(ticks[i]), shown, 2) << "tick " << i + 1 << ", alpha " << alphas[i];
    }
    EXPECT_EQ(ticks[4], ticks[3]) << "the fifth tick only stops the timer";
    EXPECT_FALSE(KillTimer(window, static_cast<UINT_PTR>(id))) << "the timer is already gone";
}

TEST_F(TextButtonTest, ANewLookCutsARunningFadeShortAndTheSameTimerFadesIt) {
    auto form = MakeForm(1);
    TextButton button;
    const int id = MakeButton(*form, button);
    ASSERT_GT(id, 0);
    const HWND window = form->Handle();
    const auto probe = [&] { return form->WindowPixel(kPlateX, kPlateMiddle); };

    SendMouse(window, WM_MOUSEMOVE, kX + 40, kY + 20);
    const int hover = GetGValue(form->ScreenPixel(kPlateX, kPlateMiddle));
    const int normal = GetGValue(probe());
    const auto first = PumpTicks(window, static_cast<UINT_PTR>(id), 1, probe);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_NEAR(GetGValue(first[0]), Blend(normal, hover, 102), 2) << "one tick into the fade";

    SendMouse(window, WM_LBUTTONDOWN, kX + 40, kY + 20);
    EXPECT_EQ(GetGValue(probe()), hover) << "the running fade is finished at once";
    ExpectLook(form->Screen(), kPressed, "in the buffer");
    const int pressed = GetGValue(form->ScreenPixel(kPlateX, kPlateMiddle));

    const auto ticks = PumpTicks(window, static_cast<UINT_PTR>(id), 3, probe);
    ASSERT_EQ(ticks.size(), 3u) << "a press starts at 153: ticks at 204, 255, then the stop";
    EXPECT_NEAR(GetGValue(ticks[0]), Blend(hover, pressed, 204), 2);
    EXPECT_EQ(GetGValue(ticks[1]), pressed);
    EXPECT_EQ(ticks[2], ticks[1]);
    EXPECT_FALSE(KillTimer(window, static_cast<UINT_PTR>(id))) << "the timer is already gone";
}

TEST_F(TextButtonTest, SkeletonOperations) {
    auto form = MakeForm(0);
    TextButton button;
    const int id = MakeButton(*form, button, "首页");
    ASSERT_GT(id, 0);
    EXPECT_EQ(button.GetId(), id);
    EXPECT_EQ(WidgetAt(FindWidget(id))->kind, kKindTextButton);
    EXPECT_TRUE(WidgetAt(FindWidget(id))->focusable);

    const RECT spot{kX + 8, kY + 8, kX + 14, kY + 14};
    test::Scribble(*form, spot);
    EXPECT_EQ(button.Text("末页"), "末页");
    EXPECT_FALSE(test::HasMarker(form->Screen(), spot)) << "a new text repaints";

    // The handler that counts is the last one set.
    int first = 0, second = 0;
    button.SetClickHandler([&] { ++first; });
    button.SetClickHandler([&] { ++second; });
    test::Click(form->Handle(), kX + 40, kY + 20);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);

    button.Move(200, 150);
    EXPECT_FLOAT_EQ(button.GetLeft(), 200);
    EXPECT_FLOAT_EQ(button.GetTop(), 150);
    EXPECT_FLOAT_EQ(button.GetWidth(), kW);
    EXPECT_FLOAT_EQ(button.GetHeight(), kH);
    EXPECT_TRUE(NearColour(form->WindowPixel(kPlateX, kPlateMiddle), kSkin, 2))
        << "the old place is erased";
    EXPECT_NEAR(GetGValue(form->WindowPixel(206, 170)), PlateGrey(150), 5) << "drawn anew";
}

}  // namespace
