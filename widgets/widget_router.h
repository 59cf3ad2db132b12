// WidgetRouter: the input state of one form window (the pressed flag and the captured, focus and
// hover widgets, kept by id) and the routing of mouse, wheel, key, timer, post, paint and destroy
// messages to the widgets of that window.
//
// Two widgets stand out: the focus widget, the focusable widget last pressed (a section button
// keeps its selected look by it), and the key widget, the widget that takes keys (a list) last
// pressed or named by the application. While the form's window has the keyboard focus, the key
// widget hears the window's key presses and shows that it does (MsgKeyboardFocus); pressing it
// gives the window the keyboard focus.
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
    // WM_KEYDOWN to the key widget; true when it used the key.
    bool RouteKey(HWND window, WPARAM key, LPARAM flags);
    // WM_SETFOCUS (true) and WM_KILLFOCUS (false) of the form window.
    void OnKeyboardFocus(HWND window, bool has);
    // Makes widget `id` (a widget of the window that takes keys; 0: none) the key widget.
    void SetKeyWidget(HWND window, int id);
    // Widget `id`, when it is the focus widget, is no longer: it shows its resting look.
    void DropFocus(HWND window, int id);
    // A click on widget `id` as the mouse makes one, without the pointer (a reader's default
    // action): focus and keys move as for a press, the widget shows its press and release,
    // rests, and hears MsgClick.
    void Click(HWND window, int id);
    // MsgWidgetPost: wParam is the widget id.
    void RoutePost(HWND window, WPARAM widgetId, LPARAM payload);

    // WM_PAINT with lParam = flag to every visible widget of the window intersecting `area`,
    // in registration order.
    void PaintAll(HWND window, const RECT& area, LPARAM flag);
    void PaintOne(HWND window, int widgetId, LPARAM flag);
    // MsgScaleChanged to every widget of the window, visible or not.
    void RescaleAll(HWND window, int dpi);
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
    int KeyId() const { return keyId_; }

private:
    void RouteCaptured(HWND window, UINT message, LPARAM point);
    // The keys go to widget `id`; with the window holding the keyboard focus, the widget left
    // drops its focus look and the new one shows it.
    void ChangeKeyWidget(HWND window, int id);
    // The pointer is now over widget `hitId` (0: none): the widget left shows its resting
    // look, and the leave and enter handlers hear of it.
    void ChangeHover(HWND window, int hitId);

    bool pressed_ = false;
    int capturedId_ = 0;
    int focusId_ = 0;
    int hoverId_ = 0;
    int keyId_ = 0;
    bool releaseWithoutWidget_ = false;  // the pressed widget went before its release
    Notify enter_;
    Notify leave_;
};
