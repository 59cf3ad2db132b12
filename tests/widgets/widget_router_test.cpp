// Dispatch: the tables, registration, and the routing of mouse, leave, wheel, timer, post,
// paint and destroy messages from a real form window to recording widgets.
#include "widgets/widget_tables.h"

#include <float.h>
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/toolkit/recording_widget.h"
#include "tests/support/toolkit/test_form.h"

namespace {

using test::Click;
using test::RecordingWidget;
using test::SendMouse;
using test::TestForm;

using Messages = std::vector<UINT>;

class DispatchTest : public ::testing::Test {
protected:
    HWND Window() const { return form_.Handle(); }

    test::CursorAway cursorAway_;  // before the form, so no stray move reaches it
    TestForm form_;
};

TEST_F(DispatchTest, RegistrationAttachesTheWidgetToItsForm) {
    RecordingWidget widget;
    const int id = widget.Register(Window(), {.x = 10, .y = 10});
    ASSERT_GT(id, 0);
    ASSERT_EQ(widget.Calls().size(), 1u);
    const test::EntryCall& attach = widget.Calls()[0];
    EXPECT_EQ(attach.message, MsgAttach);
    EXPECT_EQ(attach.window, reinterpret_cast<HWND>(static_cast<INT_PTR>(id)));
    EXPECT_EQ(attach.wParam, static_cast<WPARAM>(FindForm(Window())));
    EXPECT_EQ(FindForm(Window()), form_.Form().FormPosition());
    EXPECT_EQ(FindWidget(id), widget.Position());
    EXPECT_EQ(WidgetAt(widget.Position())->widget, &widget);
    EXPECT_EQ(FindWidget(0), 0);
    EXPECT_EQ(FindWidget(-3), 0);
    EXPECT_EQ(FindForm(nullptr), 0);
}

TEST_F(DispatchTest, RegistrationRefusesBadRecords) {
    RecordingWidget widget;
    ASSERT_GT(widget.Register(Window(), {}), 0);
    RecordingWidget duplicate;
    EXPECT_EQ(duplicate.Register(Window(), {.id = widget.Id()}), 0);
    EXPECT_EQ(duplicate.Register(Window(), {.id = -1}), 0);
    WidgetRecord noWidget;
    noWidget.parent = Window();
    noWidget.id = NextWidgetId();
    EXPECT_EQ(RegisterWidget(noWidget), 0);
    EXPECT_EQ(FindWidget(noWidget.id), 0);
}

TEST_F(DispatchTest, ADestroyedWidgetIsForgottenAndItsIdReused) {
    RecordingWidget first, third;
    first.Register(Window(), {.x = 0, .y = 0, .width = 50, .height = 50});
    int secondId = 0;
    {
        RecordingWidget second;
        secondId = second.Register(Window(), {.x = 60, .y = 0, .width = 50, .height = 50});
        third.Register(Window(), {.x = 120, .y = 0, .width = 50, .height = 50});
        SendMouse(Window(), WM_MOUSEMOVE, 70, 10);  // hover the second
        EXPECT_EQ(form_.Form().Router().HoverId(), second.Id());
    }
    EXPECT_EQ(FindWidget(secondId), 0);
    EXPECT_EQ(form_.Form().Router().HoverId(), 0) << "the dead widget is no longer hovered";
    EXPECT_EQ(third.Position(), first.Position() + 1) << "later records move down";
    EXPECT_EQ(NextWidgetId(), secondId);
    third.Clear();
    Click(Window(), 130, 10);
    EXPECT_EQ(third.Messages(), (Messages{WM_LBUTTONDOWN, WM_LBUTTONUP, MsgClick}));
}

TEST_F(DispatchTest, HitTestFindsTheTopmostVisibleWidget) {
    RecordingWidget below, above, hidden;
    below.Register(Window(), {.x = 10, .y = 10, .width = 50, .height = 50});
    above.Register(Window(), {.x = 30, .y = 30, .width = 50, .height = 50});
    hidden.Register(Window(), {.x = 0, .y = 0, .width = 200, .height = 200, .visible = false});
    EXPECT_EQ(HitTestWidget(Window(), MAKELPARAM(40, 40)), above.Position());
    EXPECT_EQ(HitTestWidget(Window(), MAKELPARAM(15, 15)), below.Position());
    EXPECT_EQ(HitTestWidget(Window(), MAKELPARAM(59, 20)), below.Position());
    EXPECT_EQ(HitTestWidget(Window(), MAKELPARAM(60, 20)), 0) << "the right edge is outside";
    EXPECT_EQ(HitTestWidget(Window(), MAKELPARAM(20, 60)), 0) << "the bottom edge is outside";
    EXPECT_EQ(HitTestWidget(Window(), MAKELPARAM(150, 150)), 0) << "hidden widgets do not count";
    EXPECT_EQ(HitTestWidget(nullptr, MAKELPARAM(40, 40)), 0);

    SendMouse(Window(), WM_LBUTTONDOWN, 40, 40);
    SendMouse(Window(), WM_LBUTTONUP, 40, 40);
    EXPECT_EQ(above.Messages(), (Messages{WM_LBUTTONDOWN, WM_LBUTTONUP, MsgClick}));
    EXPECT_TRUE(below.Messages().empty());
    EXPECT_TRUE(hidden.Messages().empty());
}

TEST_F(DispatchTest, PressAndReleaseOnOneWidgetClickIt) {
    RecordingWidget widget;
    widget.Register(Window(), {.x = 20, .y = 20, .width = 40, .height = 30});
    widget.Clear();
    // The release and the click both run with the press forgotten: either may open a modal loop.
    std::vector<UINT> heardWithPressForgotten;
    widget.onMessage = [&](const test::EntryCall& call) {
        const WidgetRouter& router = form_.Form().Router();
        if (!router.Pressed() && router.CapturedId() == 0 && GetCapture() != Window())
            heardWithPressForgotten.push_back(call.message);
    };
    SendMouse(Window(), WM_LBUTTONDOWN, 30, 30);
    EXPECT_EQ(GetCapture(), Window()) << "the form captures the mouse for the pressed widget";
    SendMouse(Window(), WM_LBUTTONUP, 31, 32);

    ASSERT_EQ(widget.Messages(), (Messages{WM_LBUTTONDOWN, WM_LBUTTONUP, MsgClick}));
    const auto& calls = widget.Calls();
    EXPECT_EQ(calls[0].wParam, 0u);
    EXPECT_EQ(calls[0].window, Window());
    EXPECT_EQ(calls[1].wParam, static_cast<WPARAM>(widget.Position()))
        << "while captured the widget hears its own position";
    EXPECT_EQ(calls[2].wParam, 0u);
    EXPECT_EQ(heardWithPressForgotten, (Messages{WM_LBUTTONUP, MsgClick}));
}

TEST_F(DispatchTest, RemovingThePressedWidgetEndsThePress) {
    RecordingWidget other;
    other.Register(Window(), {.x = 100, .y = 10, .width = 40, .height = 40});
    {
        RecordingWidget pressed;
        pressed.Register(Window(), {.x = 10, .y = 10, .width = 40, .height = 40});
        SendMouse(Window(), WM_LBUTTONDOWN, 20, 20);
        ASSERT_EQ(GetCapture(), Window());
    }
    EXPECT_NE(GetCapture(), Window()) << "the capture went with the widget";
    EXPECT_FALSE(form_.Form().Router().Pressed());
    other.Clear();
    SendMouse(Window(), WM_LBUTTONUP, 110, 20);
    EXPECT_TRUE(other.Calls().empty()) << "the release belongs to the press that went";
    Click(Window(), 110, 20);
    EXPECT_EQ(other.Messages(), (Messages{WM_LBUTTONDOWN, WM_LBUTTONUP, MsgClick}));
}

TEST_F(DispatchTest, PressDragReleaseBetweenWidgetsClicksNothing) {
    RecordingWidget a, b;
    a.Register(Window(), {.x = 10, .y = 10, .width = 40, .height = 40, .focusable = true});
    b.Register(Window(), {.x = 100, .y = 10, .width = 40, .height = 40});
    a.Clear();
    b.Clear();
    SendMouse(Window(), WM_LBUTTONDOWN, 20, 20);
    EXPECT_EQ(form_.Form().Router().FocusId(), a.Id()) << "focus at the press";
    SendMouse(Window(), WM_MOUSEMOVE, 110, 20);
    SendMouse(Window(), WM_LBUTTONUP, 110, 20);

    EXPECT_EQ(a.Messages(),
              (Messages{WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, MsgLookSelected}));
    const WPARAM position = static_cast<WPARAM>(a.Position());
    EXPECT_EQ(a.Calls()[1].wParam, position);
    EXPECT_EQ(a.Calls()[2].wParam, position);
    EXPECT_EQ(a.Count(MsgClick), 0);
    EXPECT_TRUE(b.Calls().empty()) << "nothing reaches B while A holds the capture";
}

TEST_F(DispatchTest, AClickHandlerMayRouteANestedClick) {
    // A modal loop inside a click handler keeps this form routing: the nested press must not be
    // taken for a drag of the first widget.
    RecordingWidget a, b;
    a.Register(Window(), {.x = 10, .y = 10, .width = 40, .height = 40});
    b.Register(Window(), {.x = 100, .y = 10, .width = 40, .height = 40});
    a.onMessage = [&](const test::EntryCall& call) {
        if (call.message == MsgClick) Click(Window(), 110, 20);
    };
    Click(Window(), 20, 20);
    EXPECT_EQ(a.Count(MsgClick), 1);
    EXPECT_EQ(b.Count(MsgClick), 1);
    EXPECT_EQ(b.Last(WM_LBUTTONDOWN)->wParam, 0u);
}

TEST_F(DispatchTest, LeavingTheFocusWidgetShowsItSelected) {
    RecordingWidget focusable, plain, other;
    focusable.Register(Window(), {.x = 10, .y = 10, .width = 40, .height = 40, .focusable = true});
    plain.Register(Window(), {.x = 100, .y = 10, .width = 40, .height = 40});
    other.Register(Window(), {.x = 200, .y = 10, .width = 40, .height = 40, .focusable = true});

    Click(Window(), 20, 20);  // the focus widget now
    focusable.Clear();
    SendMouse(Window(), WM_MOUSEMOVE, 70, 70);  // bare form
    EXPECT_EQ(focusable.Messages(), (Messages{MsgLookSelected}));

    SendMouse(Window(), WM_MOUSEMOVE, 110, 20);
    plain.Clear();
    SendMouse(Window(), WM_MOUSEMOVE, 110, 60);
    EXPECT_EQ(plain.Messages(), (Messages{MsgLookNormal})) << "not focusable: normal look";

    focusable.Clear();
    SendMouse(Window(), WM_LBUTTONDOWN, 210, 20);
    EXPECT_EQ(focusable.Messages(), (Messages{MsgLookNormal})) << "another widget took focus";
    SendMouse(Window(), WM_LBUTTONUP, 210, 20);
    EXPECT_EQ(form_.Form().Router().FocusId(), other.Id());
}

TEST_F(DispatchTest, EnterAndLeaveHandlersHearTheWidgetIds) {
    RecordingWidget first, second;
    first.Register(Window(), {.x = 10, .y = 10, .width = 40, .height = 40});
    second.Register(Window(), {.x = 100, .y = 10, .width = 40, .height = 40});
    std::vector<std::pair<char, int>> events;
    form_.Form().SetEnterHandler([&](HWND, int id) { events.push_back({'E', id}); });
    form_.Form().SetLeaveHandler([&](HWND, int id) { events.push_back({'L', id}); });
    SendMouse(Window(), WM_MOUSEMOVE, 20, 20);
    SendMouse(Window(), WM_MOUSEMOVE, 25, 25);
    SendMouse(Window(), WM_MOUSEMOVE, 110, 20);
    SendMouse(Window(), WM_MOUSEMOVE, 80, 80);
    const std::vector<std::pair<char, int>> expected{
        {'E', first.Id()}, {'L', first.Id()}, {'E', second.Id()}, {'L', second.Id()}};
    EXPECT_EQ(events, expected);
}

TEST_F(DispatchTest, LeavingTheWindowRestoresTheNormalLook) {
    RecordingWidget widget;
    widget.Register(Window(), {.x = 40, .y = 40, .width = 80, .height = 60});
    SendMouse(Window(), WM_MOUSEMOVE, 60, 60);
    EXPECT_EQ(MouseTracking, 1);
    widget.Clear();
    test::PlaceCursorAway();
    ASSERT_TRUE(test::PumpUntil([&] { return widget.Count(MsgLookNormal) > 0; }))
        << "no WM_MOUSELEAVE routed";
    // Moves the system queued while the pointer was inside may come first.
    EXPECT_EQ(widget.Messages().back(), MsgLookNormal);
    EXPECT_EQ(widget.Count(MsgLookNormal), 1);
    EXPECT_EQ(MouseTracking, 0);
    EXPECT_EQ(form_.Form().Router().HoverId(), 0);
    // The form is resizable: a leave taken for a move to (0, 0) would show its corner's cursor.
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    SetCursor(arrow);
    SendMessageW(Window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(GetCursor(), arrow) << "leaving is no move to a corner";
}

TEST_F(DispatchTest, TheFadeTimerIdNeverReachesAWidget) {
    RecordingWidget sameId, other;
    ASSERT_EQ(sameId.Register(Window(), {.x = 10, .y = 10, .id = 444660}), 444660);
    other.Register(Window(), {.x = 30, .y = 10});
    sameId.Clear();
    other.Clear();
    SendMessageW(Window(), WM_TIMER, kSkinFadeTimerId, 0);
    EXPECT_TRUE(sameId.Calls().empty());

    SendMessageW(Window(), WM_TIMER, other.Id(), 0);
    ASSERT_EQ(other.Messages(), (Messages{MsgTimerTick}));
    EXPECT_EQ(other.Calls()[0].lParam, other.Id());
    EXPECT_EQ(other.Calls()[0].window, Window());
}

TEST_F(DispatchTest, TimersReachOnlyVisibleWidgetsOfTheirWindow) {
    TestForm second;
    RecordingWidget hidden, elsewhere;
    hidden.Register(Window(), {.visible = false});
    elsewhere.Register(second.Handle(), {});
    hidden.Clear();
    elsewhere.Clear();
    SendMessageW(Window(), WM_TIMER, hidden.Id(), 0);
    SendMessageW(Window(), WM_TIMER, elsewhere.Id(), 0);
    SendMessageW(Window(), WM_TIMER, 9999, 0);
    EXPECT_TRUE(hidden.Calls().empty());
    EXPECT_TRUE(elsewhere.Calls().empty());
}

TEST_F(DispatchTest, StartWidgetTimerTicksEveryHundredMilliseconds) {
    RecordingWidget widget;
    widget.Register(Window(), {});
    widget.Clear();
    StartWidgetTimer(Window(), widget.Id());
    ASSERT_TRUE(test::PumpUntil([&] { return widget.Count(MsgTimerTick) >= 2; }, 2000));
    KillTimer(Window(), widget.Id());
}

TEST_F(DispatchTest, TheWheelGoesToTheWidgetUnderThePointer) {
    RecordingWidget widget;
    widget.Register(Window(), {.x = 20, .y = 20, .width = 60, .height = 60});
    widget.Clear();
    POINT inside{30, 40}, outside{150, 150};
    ClientToScreen(Window(), &inside);
    ClientToScreen(Window(), &outside);
    const WPARAM delta = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
    SendMessageW(Window(), WM_MOUSEWHEEL, delta, MAKELPARAM(outside.x, outside.y));
    EXPECT_TRUE(widget.Calls().empty());
    SendMessageW(Window(), WM_MOUSEWHEEL, delta, MAKELPARAM(inside.x, inside.y));
    ASSERT_EQ(widget.Messages(), (Messages{WM_MOUSEWHEEL}));
    EXPECT_EQ(widget.Calls()[0].wParam, delta);
    EXPECT_EQ(widget.Calls()[0].lParam, MAKELPARAM(inside.x, inside.y));
}

TEST_F(DispatchTest, PostsFromAnotherThreadArriveOnTheWindowThread) {
    RecordingWidget widget;
    widget.Register(Window(), {});
    widget.Clear();
    DWORD handlerThread = 0;
    widget.onMessage = [&](const test::EntryCall&) { handlerThread = GetCurrentThreadId(); };
    const HWND window = Window();
    const int id = widget.Id();
    std::thread([window, id] {
        PostMessageW(window, MsgWidgetPost, id, 77);
        PostMessageW(window, MsgWidgetPost, 9999, 78);  // no such widget
    }).join();
    ASSERT_TRUE(test::PumpUntil([&] { return !widget.Calls().empty(); }));
    test::PumpMessages(20);
    ASSERT_EQ(widget.Messages(), (Messages{MsgWidgetPost}));
    EXPECT_EQ(widget.Calls()[0].wParam, 0u);
    EXPECT_EQ(widget.Calls()[0].lParam, 77);
    EXPECT_EQ(handlerThread, GetCurrentThreadId());
}

TEST_F(DispatchTest, PaintingAllReachesVisibleWidgetsInsideTheWindow) {
    TestForm second;
    RecordingWidget inside, outside, hidden, elsewhere;
    inside.Register(Window(), {.x = 10, .y = 10});
    outside.Register(Window(), {.x = 400, .y = 10});  // the window is 320 wide
    hidden.Register(Window(), {.x = 10, .y = 30, .visible = false});
    elsewhere.Register(second.Handle(), {.x = 10, .y = 10});
    for (RecordingWidget* widget : {&inside, &outside, &hidden, &elsewhere})
        widget->Clear();

    form_.Form().PaintWidgets(1);
    ASSERT_EQ(inside.Messages(), (Messages{WM_PAINT}));
    EXPECT_EQ(inside.Calls()[0].lParam, 1);
    EXPECT_TRUE(outside.Calls().empty());
    EXPECT_TRUE(hidden.Calls().empty());
    EXPECT_TRUE(elsewhere.Calls().empty());

    inside.Clear();
    form_.Form().PaintWidget(inside.Id(), 0);
    form_.Form().PaintWidget(hidden.Id(), 0);
    ASSERT_EQ(inside.Messages(), (Messages{WM_PAINT}));
    EXPECT_EQ(inside.Calls()[0].lParam, 0);
    EXPECT_TRUE(hidden.Calls().empty());
}

TEST_F(DispatchTest, DestroyingAFormDestroysItsWidgetsAndReattachesTheRest) {
    // Forms attached after form_ move down a position when it goes, whatever came before.
    TestForm second;
    const int secondPosition = second.Form().FormPosition();
    ASSERT_EQ(secondPosition, form_.Form().FormPosition() + 1);
    RecordingWidget mine, theirs;
    mine.Register(Window(), {});
    theirs.Register(second.Handle(), {});
    ASSERT_EQ(theirs.Calls()[0].wParam, static_cast<WPARAM>(secondPosition));
    const int mineId = mine.Id();
    mine.Clear();
    theirs.Clear();

    form_.DestroyWindow();
    ASSERT_EQ(mine.Messages(), (Messages{WM_DESTROY}));
    EXPECT_EQ(mine.Calls()[0].window, reinterpret_cast<HWND>(static_cast<INT_PTR>(mineId)));
    EXPECT_EQ(FindWidget(mineId), 0);
    EXPECT_EQ(FindForm(second.Handle()), secondPosition - 1);
    ASSERT_EQ(theirs.Calls().size(), 1u);
    EXPECT_EQ(theirs.Calls()[0].message, MsgAttach);
    EXPECT_EQ(theirs.Calls()[0].wParam, static_cast<WPARAM>(secondPosition - 1));
    EXPECT_EQ(theirs.Calls()[0].window, reinterpret_cast<HWND>(static_cast<INT_PTR>(theirs.Id())));
}

TEST_F(DispatchTest, EntriesRunWithTheDefaultFloatingPointState) {
    RecordingWidget widget;
    widget.Register(Window(), {});
    unsigned int inside = 0;
    widget.onMessage = [&](const test::EntryCall&) { inside = _controlfp(0, 0); };
    const unsigned int before = _controlfp(0, 0);
    _controlfp(_RC_CHOP, _MCW_RC);
    SendToWidget(&widget, Window(), WM_PAINT, 0, 0);
    const unsigned int after = _controlfp(0, 0);
    _controlfp(before, _MCW_RC);
    EXPECT_EQ(inside & _MCW_RC, static_cast<unsigned int>(_RC_NEAR));
    EXPECT_EQ(after & _MCW_RC, static_cast<unsigned int>(_RC_CHOP)) << "the caller's mode is back";
    EXPECT_EQ(SendToWidget(nullptr, Window(), WM_PAINT, 0, 0), 0);
}

}  // namespace
