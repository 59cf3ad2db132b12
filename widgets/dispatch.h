// Routing of a form window's messages to its windowless widgets.
//
// A form (SkinForm) owns a top-level window and two off-screen buffers; widgets own rectangles on
// it, draw into its screen buffer and receive input through Widget::HandleMessage, called by the
// form's window procedure (through CallEntry). Two process-wide tables link them: FormTable (one
// FormRecord per attached form, owned by its SkinForm) and WidgetTable (one WidgetRecord per
// live widget, owned by the table, in registration order, so a later widget lies on top).
// Positions in both tables are 1-based; widgets refer to their form by position and are told
// again (MsgAttach) whenever positions shift.
//
// Everything here runs on the window thread. The one way in from another thread is posting
// MsgWidgetPost to the form window.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "widgets/gdiplus_flat.h"

// Private widget messages. The first argument of HandleMessage is the parent window for every
// message except MsgAttach and WM_DESTROY, where it carries the widget's own id.
constexpr UINT MsgLookNormal = 0;      // pointer left, or another focusable widget took focus
constexpr UINT MsgLookSelected = 1;    // the focus widget shows its selected look again
constexpr UINT MsgAttach = 444444;     // wParam: position of the parent form in FormTable
constexpr UINT MsgClick = 444660;      // press and release both happened on the widget
constexpr UINT MsgTimerTick = 444661;  // lParam: the timer id (the widget's id)
constexpr UINT_PTR kSkinFadeTimerId = 444660;  // the form's own fade timer; never a widget's
// Window message a worker thread posts to a form window to have work done on the window thread:
// wParam = widget id, lParam = payload. The form delivers it to that widget (if it still lives
// on this window) as HandleMessage(window, MsgWidgetPost, 0, lParam).
constexpr UINT MsgWidgetPost = WM_APP + 0x40;

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

class SkinForm;
class WidgetRouter;

struct FormRecord {
    RECT windowRect{};              // screen rectangle, refreshed on WM_MOVE and WM_SIZE
    int widgetFade = 0;             // non-zero: widgets fade state changes in over timer ticks
    int backgroundMode = 0;         // 0 natural size with faded edges, 1 stretched, 2 colour only
    COLORREF backgroundColour = 0;  // sampled from the skin
    HWND window = nullptr;
    HDC windowDc = nullptr;      // GetDC of the window for the form's whole life
    HDC screenDc = nullptr;      // composed picture; the window is painted from it
    HDC backgroundDc = nullptr;  // the background alone; widgets restore from it
    GpGraphics* screenGraphics = nullptr;
    GpGraphics* backgroundGraphics = nullptr;
    SkinForm* form = nullptr;        // not owned
    WidgetRouter* router = nullptr;  // not owned: the form's input state
};

struct WidgetRecord {
    HWND parent = nullptr;
    int id = 0;
    Bounds bounds;
    Widget* entry = nullptr;  // not owned
    bool visible = true;
    bool focusable = false;
    int kind = 0;
};

// The tables. Form records belong to their forms; widget records to the table.
std::vector<FormRecord*>& FormTable();
std::vector<std::unique_ptr<WidgetRecord>>& WidgetTable();

// 1-based access; nullptr for a position out of range (a widget before MsgAttach has form 0).
FormRecord* FormAt(int position);
WidgetRecord* WidgetAt(int position);

int NextWidgetId();         // smallest id >= 1 that no live widget has
int FindWidget(int id);     // position in WidgetTable, 0 when none (also for ids <= 0)
int FindForm(HWND window);  // position in FormTable, 0 when none
// Appends a copy of the record, sends the widget MsgAttach with its form's position, and
// returns the record's id. Refuses (returns 0) a record without entry, with an id below 1 or
// with the id of a live widget.
int RegisterWidget(const WidgetRecord& record);
// Calls a widget's HandleMessage with the floating-point unit in its default state (the
// caller's state is put back afterwards); 0 for a null entry.
LRESULT CallEntry(Widget* entry, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Topmost visible widget of `window` whose bounds contain the packed point (x low 16 bits,
// y high 16 bits); 0 when none.
int HitTestWidget(HWND window, LPARAM point);
void TrackLeave(HWND window);
void StartWidgetTimer(HWND window, UINT_PTR id);

// 1 while a TrackMouseEvent leave request is outstanding.
extern int MouseTracking;

// --- Form and widget lifetime (used by SkinForm).
int AddForm(FormRecord* record);  // returns its position
// Removes the record and sends every remaining widget MsgAttach with its form's new position.
void RemoveForm(FormRecord* record);
// Removes one widget record; the forms' routers shift their positions accordingly.
void RemoveWidgetAt(int position);
// Removes every record of this entry and kills its timers (Widget's destructor).
void ForgetWidget(Widget* entry);

// --- The form's buffers, for widgets drawing themselves.
// Copies `rect` of the background buffer into the screen buffer (erases a widget's old image).
void RestoreBackground(const FormRecord& form, const RECT& rect);
// Puts `rect` of the screen buffer on the window, blended with a constant alpha.
void PresentRect(const FormRecord& form, const RECT& rect, int alpha = 255);

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
