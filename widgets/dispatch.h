// Routing of a form window's messages to its windowless widgets.
//
// A form (SkinForm) owns a top-level window and two off-screen buffers; widgets own rectangles on
// it, draw into its screen buffer and receive input through Widget::HandleMessage, called by the
// form's window procedure. Two process-wide tables link them: FormTable (one FormRecord per
// attached form) and WidgetTable (one WidgetRecord per live widget, in registration order, so a
// later widget lies on top). Positions in both tables are 1-based; widgets refer to their form
// by position and are told again (MsgAttach) whenever positions shift.
//
// Everything here runs on the window thread.
#pragma once

#include <windows.h>

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

// The entry point of every widget.
class Widget {
public:
    virtual ~Widget() = default;
    virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

class SkinForm;

struct FormRecord {
    RECT windowRect{};  // screen rectangle, refreshed on WM_MOVE and WM_SIZE
    int widgetFade = 0;      // non-zero: widgets fade state changes in over timer ticks
    int backgroundMode = 0;  // 0 natural size with faded edges, 1 stretched, 2 colour only
    COLORREF backgroundColour = 0;  // sampled from the skin
    HWND window = nullptr;
    HDC windowDc = nullptr;      // GetDC of the window for the form's whole life
    HDC screenDc = nullptr;      // composed picture; the window is painted from it
    HDC backgroundDc = nullptr;  // the background alone; widgets restore from it
    GpGraphics* screenGraphics = nullptr;
    GpGraphics* backgroundGraphics = nullptr;
    SkinForm* form = nullptr;  // not owned
};

struct WidgetRecord {
    HWND parent = nullptr;
    int id = 0;
    Bounds bounds;
    Widget* entry = nullptr;  // not owned: the widget object lives as long as its window
    bool visible = true;
    bool focusable = false;
    int kind = 0;
};

// The tables. Records are held by pointer so their addresses stay put while the tables grow.
std::vector<FormRecord*>& FormTable();
std::vector<WidgetRecord*>& WidgetTable();

// 1-based access; nullptr for a position out of range (a widget before MsgAttach has form 0).
FormRecord* FormAt(int position);
WidgetRecord* WidgetAt(int position);

int NextWidgetId();          // smallest id >= 1 that no live widget has
int FindWidget(int id);      // position in WidgetTable, 0 when none (also for ids <= 0)
int FindForm(HWND window);   // position in FormTable, 0 when none
// Appends a copy of the record, sends the widget MsgAttach with its form's position, and
// returns the record's id.
int RegisterWidget(const WidgetRecord& record);
LRESULT CallEntry(Widget* entry, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Topmost visible widget of `window` whose bounds contain the packed point (x low 16 bits,
// y high 16 bits); 0 when none.
int HitTestWidget(HWND window, LPARAM point);
void TrackLeave(HWND window);
void StartWidgetTimer(HWND window, UINT_PTR id);

// 1 while a TrackMouseEvent leave request is outstanding.
extern int MouseTracking;
