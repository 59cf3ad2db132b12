// WidgetRouter: the input state of one form window (pressed, captured, focus and hover
// positions in WidgetTable) and the routing of mouse, wheel, timer, post, paint and destroy
// messages to the widgets of that window.
//
// The form's window procedure is the only caller; it owns one router and publishes it in its
// FormRecord so that the tables can shift the router's positions when a widget record goes.
// Before calling out to a widget the router updates its own state and keeps ids rather than
// positions: a handler may run a modal loop (which routes more messages) or destroy widgets.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

class WidgetRouter {
public:
    // Enter and leave notifications: (form window, widget id).
    using Notify = std::function<void(HWND window, int widgetId)>;
    // The form's own handling of a mouse message over no widget (dragging, sizing cursors).
    using BareFormHandler = std::function<void(HWND window, UINT message, LPARAM point)>;

    void SetEnterHandler(Notify handler) { enter_ = std::move(handler); }
    void SetLeaveHandler(Notify handler) { leave_ = std::move(handler); }

    // WM_MOUSEMOVE (with leave tracking), WM_LBUTTONDOWN, WM_LBUTTONUP and WM_MOUSELEAVE
    // (routed as a move to the point in lParam, that is (0, 0)).
    void RouteMouse(HWND window, UINT message, LPARAM point, const BareFormHandler& bareForm);
    // The capture went elsewhere while a widget held it (another window, a system menu):
    // nothing will release it, so the press is forgotten and the widget shows its normal look.
    void OnCaptureChanged(HWND window, HWND newCapture);
    // WM_MOUSEWHEEL: the screen point in lParam is made relative to `windowRect`.
    void RouteWheel(HWND window, const RECT& windowRect, WPARAM wParam, LPARAM lParam);
    // A widget timer (any id but the form's fade timer); false when no widget of the window
    // has that id or it is hidden.
    bool RouteTimer(HWND window, UINT_PTR timerId);
    // MsgWidgetPost: wParam is the widget id.
    void RoutePost(HWND window, WPARAM widgetId, LPARAM payload);

    // WM_PAINT with lParam = flag to every visible widget of the window intersecting `area`,
    // in registration order.
    void PaintAll(HWND window, const RECT& area, LPARAM flag);
    void PaintOne(HWND window, int widgetId, LPARAM flag);
    // WM_DESTROY to each widget of the window, removing its record after the call.
    void DestroyAll(HWND window);

    // WidgetTable position `position` was removed.
    void OnWidgetRemoved(int position);
    void Reset();

    bool Pressed() const { return pressed_; }
    int CapturedPosition() const { return captured_; }
    int FocusPosition() const { return focus_; }
    int HoverPosition() const { return hover_; }

private:
    void RouteCaptured(HWND window, UINT message, LPARAM point);

    bool pressed_ = false;
    int captured_ = 0;
    int focus_ = 0;
    int hover_ = 0;
    Notify enter_;
    Notify leave_;
};
