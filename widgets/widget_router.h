// WidgetRouter: the input state of one form window (the pressed flag and the captured, focus and
// hover widgets, kept by id) and the routing of mouse, wheel, timer, post, paint and destroy
// messages to the widgets of that window.
//
// The form's window procedure is the only caller; the tables tell it (MsgWidgetRemoved) when a
// widget's record goes, and it passes that on to OnWidgetRemoved. Before calling out to a
// widget the router updates its own state: a handler may run a modal loop (which routes more
// messages) or destroy widgets.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

// 1 while a TrackMouseEvent leave request is outstanding (one for the whole process).
extern int MouseTracking;

class WidgetRouter {
public:
    // Enter and leave notifications: (form window, widget id).
    using Notify = std::function<void(HWND window, int widgetId)>;
    // The form's own handling of a mouse message over no widget (dragging, sizing cursors).
    using BareFormHandler = std::function<void(HWND window, UINT message, LPARAM point)>;

    void SetEnterHandler(Notify handler) { enter_ = std::move(handler); }
    void SetLeaveHandler(Notify handler) { leave_ = std::move(handler); }

    // WM_MOUSEMOVE (with leave tracking), WM_LBUTTONDOWN, WM_LBUTTONUP and WM_MOUSELEAVE (the
    // hovered widget is left; the bare form hears nothing of it).
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

    // The widget's record went: it is no longer pressed, focused or hovered. A press it held
    // ends: the capture is released, and the release that follows reaches no widget.
    void OnWidgetRemoved(HWND window, int widgetId);
    void Reset();

    bool Pressed() const { return pressed_; }
    int CapturedId() const { return capturedId_; }
    int FocusId() const { return focusId_; }
    int HoverId() const { return hoverId_; }

private:
    void RouteCaptured(HWND window, UINT message, LPARAM point);
    // The pointer is now over widget `hitId` (0: none): the widget left shows its resting
    // look, and the leave and enter handlers hear of it.
    void ChangeHover(HWND window, int hitId);

    bool pressed_ = false;
    int capturedId_ = 0;
    int focusId_ = 0;
    int hoverId_ = 0;
    bool releaseWithoutWidget_ = false;  // the pressed widget went before its release
    Notify enter_;
    Notify leave_;
};
