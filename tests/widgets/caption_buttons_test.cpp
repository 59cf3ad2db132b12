// Caption buttons: placement, the strip cells they draw for each look, the window commands
// they post, disabled buttons, repeated moves, drags, relayout and the widget fade.
#include "widgets/caption_buttons.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/toolkit/test_form.h"
#include "widgets/canvas.h"
#include "widgets/drawing.h"
#include "widgets/picture.h"
#include "widgets/skin_form.h"

namespace {

using test::NearColour;
using test::SendMouse;
using test::TempFile;
using test::TestForm;

constexpr COLORREF kSkin = 0x403020;
constexpr int kWidth = 400;

// Cells of the strip: normal, hover, pressed.
constexpr int kCloseCells[] = {0, 40, 80};
constexpr int kMaximiseCells[] = {120, 149, 178};
constexpr int kRestoreCells[] = {207, 236, 265};
constexpr int kMinimiseCells[] = {294, 323, 352};

class CaptionButtonsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(strip_.LoadFromBytes(CaptionStripPng()), nullptr); }

    std::unique_ptr<TestForm> MakeForm(DWORD style, int widgetFade = 0) {
        TestForm::Options options;
        options.window.style = style;
        options.form.captionMode = 2;
        options.form.widgetFade = widgetFade;
        return skin_.MakeForm(options);
    }

    // How far button `number` in the screen buffer is from the strip cell at `cellLeft` drawn
    // over the skin colour: the count of pixels off by more than a little. The button's top row
    // is left out: the form's frame line runs there after a full repaint.
    int CellDistance(const TestForm& form, int number, int cellLeft) {
        const int left = SysButton::LeftFor(number, form.Form().Width());
        const int width = SysButton::WidthFor(number);
        Canvas expected;
        EXPECT_TRUE(expected.Create(nullptr, width, SysButton::kHeight));
        GdipGraphicsClear(expected.Graphics(), MakeArgb(kSkin));
        GdipDrawImageRectRect(expected.Graphics(), strip_.GetHandle(), 0, 0,
                              static_cast<float>(width), SysButton::kHeight,
                              static_cast<float>(cellLeft), 0, static_cast<float>(width),
                              SysButton::kHeight, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
        int distance = 0;
        for (int y = 1; y < SysButton::kHeight; ++y) {
            for (int x = 0; x < width; ++x) {
                const COLORREF want = ArgbToColorref(expected.Pixel(x, y));
                const COLORREF have = form.ScreenPixel(left + x, SysButton::kTop + y);
                distance += NearColour(have, want, 12) ? 0 : 1;
            }
        }
        return distance;
    }
    // Which of the three cells (0 normal, 1 hover, 2 pressed) the button shows; -1 for none.
    int ShownCell(const TestForm& form, int number, const int (&cells)[3]) {
        for (int state = 0; state < 3; ++state) {
            if (CellDistance(form, number, cells[state]) == 0) return state;
        }
        return -1;
    }

    test::CursorAway cursorAway_;
    test::SolidSkin skin_{kSkin, kWidth, 300, L"caption-skin.png"};
    Picture strip_;
};

constexpr DWORD kMaximisable = WS_POPUP | WS_MAXIMIZEBOX | WS_MINIMIZEBOX;

TEST_F(CaptionButtonsTest, TheStripIsBuiltIn) {
    EXPECT_EQ(strip_.GetWidth(), 381);
    EXPECT_EQ(strip_.GetHeight(), 19);
}

TEST_F(CaptionButtonsTest, ButtonsSitAtTheRightOfTheCaption) {
    auto form = MakeForm(kMaximisable);
    ASSERT_EQ(form->Form().CaptionButtonCount(), 3);
    const int expected[][2] = {{kWidth - 42, 39}, {kWidth - 70, 28}, {kWidth - 98, 28}};
    for (int number = 1; number <= 3; ++number) {
        const SysButton* button = form->Form().CaptionButton(number);
        EXPECT_EQ(button->Kind(), number - 1);
        const WidgetRecord* record = WidgetAt(FindWidget(button->GetId()));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->bounds.X, expected[number - 1][0]);
        EXPECT_EQ(record->bounds.Width, expected[number - 1][1]);
        EXPECT_EQ(record->bounds.Y, 1);
        EXPECT_EQ(record->bounds.Height, 19);
        EXPECT_EQ(record->kind, kKindCaptionButton);
        EXPECT_FALSE(record->focusable);
    }
    EXPECT_EQ(ShownCell(*form, 1, kCloseCells), 0);
    EXPECT_EQ(ShownCell(*form, 2, kMaximiseCells), 0);
    EXPECT_EQ(ShownCell(*form, 3, kMinimiseCells), 0);
}

TEST_F(CaptionButtonsTest, RelayoutFollowsTheFormWidth) {
    // At a display scale the buttons keep their scaled distances from the right edge, each
    // edge rounded once: neighbours meet exactly (close's left is maximise's right).
    struct Place {
        int fromRight, width, top, height;
    };
    std::vector<Place> design;  // at 96 dpi
    for (const int dpi : {96, 120, 168}) {
        auto form = MakeForm(kMaximisable);
        RECT place{};
        GetWindowRect(form->Handle(), &place);
        SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&place));
        const auto scaled = [dpi](int value) { return MulDiv(value, dpi, 96); };
        for (int number = 1; number <= 3; ++number) {
            SysButton* button = const_cast<SysButton*>(form->Form().CaptionButton(number));
            const int fromRightBefore = form->Form().Width() - static_cast<int>(button->GetLeft());
            button->Relayout(form->Handle(), number, 500, false);
            const int left = static_cast<int>(button->GetLeft());
            EXPECT_EQ(WidgetAt(FindWidget(button->GetId()))->bounds.X, left) << dpi;
            const Place now{500 - left, static_cast<int>(button->GetWidth()),
                            static_cast<int>(button->GetTop()),
                            static_cast<int>(button->GetHeight())};
            if (dpi == 96) {
                EXPECT_EQ(now.fromRight, fromRightBefore) << "#" << number;
                design.push_back(now);
                continue;
            }
            const Place& at96 = design[number - 1];
            EXPECT_NEAR(now.fromRight, scaled(at96.fromRight), 1) << dpi << " #" << number;
            EXPECT_NEAR(now.width, scaled(at96.width), 1) << dpi << " #" << number;
            EXPECT_NEAR(now.top, scaled(at96.top), 1) << dpi << " #" << number;
            EXPECT_NEAR(now.height, scaled(at96.height), 1) << dpi << " #" << number;
            if (number > 1) {
                const SysButton* right = form->Form().CaptionButton(number - 1);
                EXPECT_EQ(left + now.width, right->GetLeft()) << dpi << " #" << number;
            }
        }
    }
}

TEST_F(CaptionButtonsTest, CloseShowsHoverAndPressedCellsAndPostsClose) {
    auto form = MakeForm(kMaximisable);
    const int x = kWidth - 42 + 19, y = 10;
    SendMouse(form->Handle(), WM_MOUSEMOVE, x, y);
    EXPECT_EQ(ShownCell(*form, 1, kCloseCells), 1);
    SendMouse(form->Handle(), WM_LBUTTONDOWN, x, y);
    EXPECT_EQ(ShownCell(*form, 1, kCloseCells), 2);
    SendMouse(form->Handle(), WM_LBUTTONUP, x, y);
    EXPECT_EQ(ShownCell(*form, 1, kCloseCells), 1);
    test::PumpMessages(30);
    EXPECT_EQ(form->Window().CountSeen(WM_CLOSE), 1);
    SendMouse(form->Handle(), WM_MOUSEMOVE, 100, 100);
    EXPECT_EQ(ShownCell(*form, 1, kCloseCells), 0) << "normal again when the pointer leaves";
    EXPECT_EQ(form->WindowPixel(x, y), form->ScreenPixel(x, y)) << "presented at once";
}

TEST_F(CaptionButtonsTest, MaximiseAndRestore) {
    auto form = MakeForm(kMaximisable);
    const HWND window = form->Handle();
    test::Click(window, kWidth - 70 + 14, 10);
    test::PumpMessages(30);
    EXPECT_EQ(form->Window().CountSeen(WM_SYSCOMMAND, SC_MAXIMIZE), 1);

    ShowWindow(window, SW_MAXIMIZE);
    test::PumpMessages(30);
    ASSERT_TRUE(IsZoomed(window));
    form->Form().PaintWidget(form->Form().CaptionButton(2)->GetId(), 0);
    EXPECT_EQ(ShownCell(*form, 2, kRestoreCells), 0) << "a maximised window shows restore";
    form->Window().ClearSeen();
    const int x = form->Form().Width() - 70 + 14;
    SendMouse(window, WM_MOUSEMOVE, x, 10);
    EXPECT_EQ(ShownCell(*form, 2, kRestoreCells), 1);
    test::Click(window, x, 10);
    test::PumpMessages(30);
    EXPECT_EQ(form->Window().CountSeen(WM_SYSCOMMAND, SC_RESTORE), 1);
    EXPECT_EQ(form->Window().CountSeen(WM_SYSCOMMAND, SC_MAXIMIZE), 0);
}

TEST_F(CaptionButtonsTest, MinimiseIsNotPostedWhenAlreadyMinimised) {
    auto form = MakeForm(kMaximisable);
    const HWND window = form->Handle();
    test::Click(window, kWidth - 98 + 14, 10);
    test::PumpMessages(30);
    EXPECT_EQ(form->Window().CountSeen(WM_SYSCOMMAND, SC_MINIMIZE), 1);

    ShowWindow(window, SW_MINIMIZE);
    test::PumpMessages(30);
    ASSERT_TRUE(IsIconic(window));
    form->Window().ClearSeen();
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kWidth - 98 + 14, 10));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(kWidth - 98 + 14, 10));
    test::PumpMessages(30);
    EXPECT_EQ(form->Window().CountSeen(WM_SYSCOMMAND), 0);
}

TEST_F(CaptionButtonsTest, MaximiseIsDisabledWithoutTheMaximiseBox) {
    auto form = MakeForm(WS_POPUP | WS_MINIMIZEBOX);
    const SysButton* maximise = form->Form().CaptionButton(2);
    EXPECT_TRUE(maximise->Disabled());
    EXPECT_FALSE(form->Form().CaptionButton(3)->Disabled());
    EXPECT_GT(CellDistance(*form, 2, kMaximiseCells[0]), 10) << "drawn faint, not as enabled";

    const int x = kWidth - 70 + 14;
    const int before = CellDistance(*form, 2, kMaximiseCells[0]);
    SendMouse(form->Handle(), WM_MOUSEMOVE, x, 10);
    EXPECT_EQ(CellDistance(*form, 2, kMaximiseCells[0]), before) << "no hover look";
    EXPECT_NE(ShownCell(*form, 2, kMaximiseCells), 1);
    test::Click(form->Handle(), x, 10);
    test::PumpMessages(30);
    EXPECT_EQ(form->Window().CountSeen(WM_SYSCOMMAND), 0);

    auto noBoxes = MakeForm(WS_POPUP);
    EXPECT_TRUE(noBoxes->Form().CaptionButton(3)->Disabled());
}

TEST_F(CaptionButtonsTest, EnablingADisabledButtonShowsItAtOnce) {
    auto form = MakeForm(WS_POPUP | WS_MINIMIZEBOX);
    SysButton* maximise = const_cast<SysButton*>(form->Form().CaptionButton(2));
    EXPECT_FALSE(maximise->Disabled(false));
    EXPECT_EQ(ShownCell(*form, 2, kMaximiseCells), 0);
    const int x = kWidth - 70 + 14;
    EXPECT_EQ(form->WindowPixel(x, 10), form->ScreenPixel(x, 10)) << "presented";
}

TEST_F(CaptionButtonsTest, RepeatedMovesDrawOnce) {
    auto form = MakeForm(kMaximisable);
    const int x = kWidth - 42 + 19;
    SendMouse(form->Handle(), WM_MOUSEMOVE, x, 10);
    RECT button{kWidth - 42, 1, kWidth - 3, 20};
    UniqueBrushGdi marker(CreateSolidBrush(0x00FF00));
    FillRect(form->Form().Record().ScreenDc(), &button, marker.get());
    SendMouse(form->Handle(), WM_MOUSEMOVE, x + 2, 11);
    EXPECT_TRUE(NearColour(form->ScreenPixel(x, 10), 0x00FF00, 0)) << "not drawn again";
    SendMouse(form->Handle(), WM_LBUTTONDOWN, x, 10);
    EXPECT_EQ(ShownCell(*form, 1, kCloseCells), 2);
}

TEST_F(CaptionButtonsTest, DraggingOffAndReleasingDoesNotClick) {
    auto form = MakeForm(kMaximisable);
    const int x = kWidth - 42 + 19;
    SendMouse(form->Handle(), WM_LBUTTONDOWN, x, 10);
    SendMouse(form->Handle(), WM_MOUSEMOVE, 100, 100);
    EXPECT_EQ(ShownCell(*form, 1, kCloseCells), 2) << "moves while captured change nothing";
    SendMouse(form->Handle(), WM_LBUTTONUP, 100, 100);
    EXPECT_EQ(ShownCell(*form, 1, kCloseCells), 1) << "the release draws the hover cell";
    test::PumpMessages(30);
    EXPECT_EQ(form->Window().CountSeen(WM_CLOSE), 0);
}

TEST_F(CaptionButtonsTest, WithWidgetFadeTheLookBlendsIn) {
    auto form = MakeForm(kMaximisable, 1);
    const HWND window = form->Handle();
    const SysButton* close = form->Form().CaptionButton(1);
    const int x = kWidth - 42 + 19, y = 10;
    // A pixel of the close face (not the glyph) that changes from nearly the skin to red.
    const int faceX = kWidth - 42 + 4, faceY = 12;
    const COLORREF normal = form->WindowPixel(faceX, faceY);

    SendMouse(window, WM_MOUSEMOVE, x, y);
    EXPECT_EQ(ShownCell(*form, 1, kCloseCells), 1) << "the buffer holds the new look";
    EXPECT_EQ(form->WindowPixel(faceX, faceY), normal) << "the window does not yet";
    const COLORREF target = form->ScreenPixel(faceX, faceY);
    ASSERT_FALSE(NearColour(target, normal, 30));

    std::vector<int> shown;
    for (int tick = 0; tick < 3; ++tick) {
        SendMessageW(window, WM_TIMER, close->GetId(), 0);
        shown.push_back(GetRValue(form->WindowPixel(faceX, faceY)));
    }
    EXPECT_TRUE(test::Approaches(GetRValue(normal), shown, GetRValue(target)));
    EXPECT_NE(shown[0], GetRValue(target)) << "blended in, not shown at once";
    EXPECT_EQ(form->WindowPixel(faceX, faceY), target);
    SendMessageW(window, WM_TIMER, close->GetId(), 0);  // the tick after 255 ends the fade
    const COLORREF after = form->WindowPixel(faceX, faceY);
    SendMessageW(window, WM_TIMER, close->GetId(), 0);
    EXPECT_EQ(form->WindowPixel(faceX, faceY), after);

    // A real timer runs the next fade to its end.
    SendMouse(window, WM_MOUSEMOVE, 100, 100);
    EXPECT_TRUE(test::PumpUntil([&] { return form->WindowPixel(faceX, faceY) == normal; }, 2000));
}

}  // namespace
