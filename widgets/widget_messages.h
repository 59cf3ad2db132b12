// What a form says to its windowless widgets: the Widget entry point, the private messages and
// the widget kinds.
//
// Widgets are not windows. A form (SkinForm) hit-tests and routes its window's messages and
// calls each widget's HandleMessage, always through SendToWidget, which keeps the
// floating-point unit in its default state for the call. The tables that link forms and
// widgets are in widget_tables.h, the routing in widget_router.h, the drawing surfaces in
// form_surface.h.
//
// Everything here runs on the window thread. The one way in from another thread is posting
// MsgWidgetPost to the form window.
#pragma once

#include <windows.h>

// Private widget messages. The first argument of HandleMessage is the parent window for every
// message except MsgAttach and WM_DESTROY, where it carries the widget's own id.
constexpr UINT MsgLookNormal = 0;      // pointer left, or another focusable widget took focus
constexpr UINT MsgLookSelected = 1;    // the focus widget shows its selected look again
constexpr UINT MsgAttach = 444444;     // wParam: position of the parent form in FormTable
constexpr UINT MsgClick = 444660;      // press and release both happened on the widget
constexpr UINT MsgTimerTick = 444661;  // lParam: the timer id (the widget's id)
// The key widget has the keyboard (wParam 1: the form's window has the keyboard focus and this
// is its key widget; see WidgetRouter) or no longer has it (wParam 0): it shows or drops its
// focus look. While it has the keyboard, the form's WM_KEYDOWN reaches it (wParam: the virtual key,
// lParam: the key flags); a widget that uses the key returns non-zero, and the window hears nothing
// of it.
constexpr UINT MsgKeyboardFocus = 444662;
// The form's window moved to another DPI (wParam: the new DPI): the widget places itself and
// makes its font again for it, drawing nothing (the form repaints everything afterwards).
constexpr UINT MsgScaleChanged = 444663;
constexpr UINT_PTR kSkinFadeTimerId = 444660;  // the form's own fade timer; never a widget's
// Window message a worker thread posts to a form window to have work done on the window thread:
// wParam = widget id, lParam = payload. The form delivers it to that widget (if it still lives
// on this window) as HandleMessage(window, MsgWidgetPost, 0, lParam).
constexpr UINT MsgWidgetPost = WM_APP + 0x40;
// Window message the tables send a form window when one of its widgets' records goes:
// wParam = the widget's id. The form forgets the widget (hover, focus, a press it held).
constexpr UINT MsgWidgetRemoved = WM_APP + 0x41;
// Posted by a widget's accessible object to its form window so that its default action runs
// after the reader's call has returned (a click may run a modal loop): wParam the widget id,
// lParam the item (0: the widget itself).
constexpr UINT MsgAccessibleAction = WM_APP + 0x42;

// Widget kinds, stored for the record only.
enum WidgetKind {
    kKindCaptionButton = 0,
    kKindTextButton = 1,
    kKindLabel = 2,
    kKindAnimatedPicture = 3,
    kKindIconButton = 6,
    kKindListControl = 7,
};

// The entry point of every widget. A widget that goes away is forgotten by the tables and the
// forms (its record, hover, capture, focus and timer), so the objects may die in any order.
class Widget {
public:
    Widget() = default;
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;
    virtual ~Widget();
    virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// The one way to deliver a message to a widget: HandleMessage with the floating-point unit in
// its default state (the caller's state is put back afterwards); 0 for a null widget.
LRESULT SendToWidget(Widget* widget, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A widget's animation timer on its form window: the timer id is the widget's id, every 100 ms.
void StartWidgetTimer(HWND window, UINT_PTR id);

// Keeps the floating-point unit in its default state for a scope and restores the caller's
// control word afterwards: every entry from the window system into the toolkit uses one, since
// embedded components may leave unusual exception masks or rounding behind.
class FloatingPointScope {
public:
    FloatingPointScope();
    FloatingPointScope(const FloatingPointScope&) = delete;
    FloatingPointScope& operator=(const FloatingPointScope&) = delete;
    ~FloatingPointScope();

private:
    unsigned int saved_;
};
