// The two process-wide tables that link forms and widgets: FormTable (one FormRecord per
// attached form, owned by its SkinForm) and WidgetTable (one WidgetRecord per live widget, owned
// by the table, in registration order, so a later widget lies on top). Positions in both are
// 1-based; widgets refer to their form by position and are told again (MsgAttach) whenever
// positions shift. The tables hold no pointer back to a form's input state: when a widget's
// record goes, its form window hears MsgWidgetRemoved.
//
// Window thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "widgets/canvas.h"
#include "widgets/display_scale.h"
#include "widgets/gdiplus_flat.h"
#include "widgets/plate_picture.h"
#include "widgets/widget_messages.h"

// What widgets need of their form: its window, the window DC, its two buffers, its kept button
// plates and the looks they take from the skin. The buffers and plates are the form's own (not
// owned here); either buffer may be empty, and then every drawing helper does nothing.
struct FormRecord {
    RECT windowRect{};              // screen rectangle, refreshed on WM_MOVE and WM_SIZE
    int widgetFade = 0;             // non-zero: widgets fade state changes in over timer ticks
    int backgroundMode = 0;         // 0 natural size with faded edges, 1 stretched, 2 colour only
    COLORREF backgroundColour = 0;  // sampled from the skin
    DisplayScale scale;             // of the form's window: its design values become pixels
    HWND window = nullptr;
    HDC windowDc = nullptr;              // GetDC of the window for the form's whole life
    const Canvas* screen = nullptr;      // composed picture; the window is painted from it
    const Canvas* background = nullptr;  // the background alone; widgets restore from it
    PlatePictures* plates = nullptr;     // the buttons' plates, drawn once each

    HDC ScreenDc() const { return screen ? screen->Dc() : nullptr; }
    GpGraphics* ScreenGraphics() const { return screen ? screen->Graphics() : nullptr; }
    HDC BackgroundDc() const { return background ? background->Dc() : nullptr; }
    GpGraphics* BackgroundGraphics() const { return background ? background->Graphics() : nullptr; }
    // A button's plate on the screen buffer, as DrawPlate draws it; with `clip`, only within it
    // (the screen's graphics is clipped to it as well).
    RectF PaintPlate(const RectF& rect, float outerCorner, float innerCorner, const PlateLook& look,
                     const Outline* underInner = nullptr, const RECT* clip = nullptr) const {
        if (!plates) {
            return DrawPlate(ScreenGraphics(), rect, outerCorner, innerCorner, look, underInner);
        }
        return plates->Paint(ScreenDc(), ScreenGraphics(), rect, outerCorner, innerCorner, look,
                             underInner, clip);
    }
};

struct WidgetRecord {
    HWND parent = nullptr;
    int id = 0;
    Bounds bounds;
    Widget* widget = nullptr;  // not owned
    bool visible = true;
    bool focusable = false;
    bool takesKeys = false;  // the widget can have the keyboard (see WidgetRouter)
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
// The display scale of the form on `window`; a window without a form has its own DPI's. What
// the windows of the application ask, so that they follow the form through WM_DPICHANGED.
DisplayScale WindowScale(HWND window);
// Appends a copy of the record, sends the widget MsgAttach with its form's position, and
// returns the record's id. Refuses (returns 0) a record without widget, with an id below 1 or
// with the id of a live widget.
int RegisterWidget(const WidgetRecord& record);
// SendToWidget for the live widget with this id; false when there is none.
bool SendToWidget(int id, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Topmost visible widget of `window` whose bounds contain the packed point (x low 16 bits,
// y high 16 bits); its position, 0 when none.
int HitTestWidget(HWND window, LPARAM point);

// --- Form and widget lifetime (used by SkinForm).
int AddForm(FormRecord* record);  // returns its position
// Removes the record and sends every remaining widget MsgAttach with its form's new position.
void RemoveForm(FormRecord* record);
// Removes one widget record and tells its form window (MsgWidgetRemoved).
void RemoveWidgetAt(int position);
// Removes every record of this widget and kills its timers (Widget's destructor).
void ForgetWidget(Widget* widget);
