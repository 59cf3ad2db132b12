#include "widgets/widget_router.h"

#include <vector>

#include "widgets/drawing.h"
#include "widgets/widget_tables.h"

int MouseTracking = 0;

namespace {

int IdAt(int position) {
    const WidgetRecord* record = WidgetAt(position);
    return record ? record->id : 0;
}

const WidgetRecord* RecordOf(int id) {
    return WidgetAt(FindWidget(id));
}

void TrackLeave(HWND window) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    track.dwHoverTime = 0;
    TrackMouseEvent(&track);
}

bool LeaveTracked(HWND window) {
    TRACKMOUSEEVENT query{};
    query.cbSize = sizeof(query);
    query.dwFlags = TME_QUERY;
    return TrackMouseEvent(&query) && (query.dwFlags & TME_LEAVE) && query.hwndTrack == window;
}

bool LivesOn(const WidgetRecord* record, HWND window) {
    return record && record->parent == window && record->visible;
}

}  // namespace

void WidgetRouter::RouteMouse(HWND window, UINT message, LPARAM point,
                              const BareFormHandler& bareForm) {
    if (message == WM_MOUSELEAVE) {
        MouseTracking = 0;
        // The pointer is nowhere on the form: no widget stays hovered, and no sizing cursor
        // appears (a point in lParam would be (0, 0), a corner).
        if (!pressed_) ChangeHover(window, 0);
        return;
    }
    if (message == WM_MOUSEMOVE && !MouseTracking) {
        MouseTracking = 1;
        TrackLeave(window);
        // A move that was queued before the pointer left finds it gone; some systems then
        // track nothing and send no leave, which would stop all tracking for good.
        if (!LeaveTracked(window)) MouseTracking = 0;
    }
    if (message == WM_LBUTTONDOWN) releaseWithoutWidget_ = false;
    if (pressed_) {
        RouteCaptured(window, message, point);
        return;
    }
    if (message == WM_LBUTTONUP && releaseWithoutWidget_) {
        releaseWithoutWidget_ = false;
        return;
    }

    const int hitId = IdAt(HitTestWidget(window, point));
    ChangeHover(window, hitId);
    // The handlers above may have removed the widget hit.
    if (!FindWidget(hitId)) {
        hoverId_ = 0;
        if (!IsZoomed(window) && bareForm) bareForm(window, message, point);
        return;
    }
    if (message == WM_LBUTTONDOWN) {
        pressed_ = true;
        capturedId_ = hitId;
        SetCapture(window);
        const WidgetRecord* record = RecordOf(hitId);
        if (record && record->focusable) {
            const int previousFocus = focusId_;
            focusId_ = hitId;
            if (previousFocus && previousFocus != hitId) {
                SendToWidget(previousFocus, window, MsgLookNormal, 0, 0);
            }
        }
        if (record && record->takesKeys) {
            ChangeKeyWidget(window, hitId);
            // Pressed, it takes the keyboard from wherever it was (the search box, say).
            if (GetFocus() != window) SetFocus(window);
        }
    }
    hoverId_ = hitId;
    SendToWidget(hitId, window, message, 0, 0);
}

void WidgetRouter::ChangeHover(HWND window, int hitId) {
    if (hitId == hoverId_) return;
    const int leftId = hoverId_;
    hoverId_ = hitId;
    if (const WidgetRecord* left = RecordOf(leftId)) {
        const bool isFocus = left->focusable && leftId == focusId_;
        SendToWidget(leftId, window, isFocus ? MsgLookSelected : MsgLookNormal, 0, 0);
        if (leave_) {
            const Notify handler = leave_;
            handler(window, leftId);
        }
    }
    if (hitId && enter_) {
        const Notify handler = enter_;
        handler(window, hitId);
    }
}

void WidgetRouter::Click(HWND window, int id) {
    const WidgetRecord* record = RecordOf(id);
    if (pressed_ || !LivesOn(record, window)) return;
    if (record->focusable && focusId_ != id) {
        const int previousFocus = focusId_;
        focusId_ = id;
        if (previousFocus) SendToWidget(previousFocus, window, MsgLookNormal, 0, 0);
    }
    if (record->takesKeys) {
        ChangeKeyWidget(window, id);
        if (GetFocus() != window) SetFocus(window);
    }
    SendToWidget(id, window, WM_LBUTTONDOWN, 0, 0);
    SendToWidget(id, window, WM_LBUTTONUP, FindWidget(id), 0);
    // The pointer is elsewhere: the widget rests before its command runs.
    if (hoverId_ != id) {
        SendToWidget(id, window, focusId_ == id ? MsgLookSelected : MsgLookNormal, 0, 0);
    }
    SendToWidget(id, window, MsgClick, 0, 0);
}

void WidgetRouter::RouteCaptured(HWND window, UINT message, LPARAM point) {
    // While captured the widget hears its own WidgetTable position in wParam.
    const int capturedId = capturedId_;
    if (message != WM_LBUTTONUP) {
        SendToWidget(capturedId, window, message, FindWidget(capturedId), 0);
        return;
    }
    // Forget the press before the widget hears the release: its handlers (a click, a list's
    // activation) may open a modal loop in which this form keeps routing messages.
    pressed_ = false;
    capturedId_ = 0;
    ReleaseCapture();
    SendToWidget(capturedId, window, message, FindWidget(capturedId), 0);
    const int captured = FindWidget(capturedId);
    if (captured && HitTestWidget(window, point) == captured) {
        SendToWidget(capturedId, window, MsgClick, 0, 0);
        return;
    }
    const WidgetRecord* focus = RecordOf(focusId_);
    if (focus && focus->focusable) SendToWidget(focusId_, window, MsgLookSelected, 0, 0);
}

void WidgetRouter::OnCaptureChanged(HWND window, HWND newCapture) {
    if (!pressed_ || newCapture == window) return;
    const int capturedId = capturedId_;
    pressed_ = false;
    capturedId_ = 0;
    SendToWidget(capturedId, window, MsgLookNormal, 0, 0);
}

void WidgetRouter::RouteWheel(HWND window, const RECT& windowRect, WPARAM wParam, LPARAM lParam) {
    // Screen coordinates may be negative on a monitor left of or above the primary one.
    const int x = static_cast<short>(LOWORD(lParam)) - windowRect.left;
    const int y = static_cast<short>(HIWORD(lParam)) - windowRect.top;
    const int hitId = IdAt(HitTestWidget(window, MAKELPARAM(x, y)));
    if (hitId) SendToWidget(hitId, window, WM_MOUSEWHEEL, wParam, lParam);
}

bool WidgetRouter::RouteTimer(HWND window, UINT_PTR timerId) {
    if (timerId == kSkinFadeTimerId || timerId > 0x7FFFFFFF) return false;
    const int id = static_cast<int>(timerId);
    if (!LivesOn(RecordOf(id), window)) return false;
    return SendToWidget(id, window, MsgTimerTick, 0, static_cast<LPARAM>(timerId));
}

void WidgetRouter::ChangeKeyWidget(HWND window, int id) {
    if (id == keyId_) return;
    const int previous = keyId_;
    keyId_ = id;
    if (GetFocus() != window) return;
    if (previous) SendToWidget(previous, window, MsgKeyboardFocus, 0, 0);
    if (id) SendToWidget(id, window, MsgKeyboardFocus, 1, 0);
}

void WidgetRouter::SetKeyWidget(HWND window, int id) {
    const WidgetRecord* record = RecordOf(id);
    if (id && !(record && record->parent == window && record->takesKeys)) return;
    ChangeKeyWidget(window, id);
}

void WidgetRouter::DropFocus(HWND window, int id) {
    if (id == 0 || id != focusId_) return;
    focusId_ = 0;
    SendToWidget(id, window, MsgLookNormal, 0, 0);
}

void WidgetRouter::OnKeyboardFocus(HWND window, bool has) {
    if (LivesOn(RecordOf(keyId_), window)) {
        SendToWidget(keyId_, window, MsgKeyboardFocus, has ? 1 : 0, 0);
    }
}

bool WidgetRouter::RouteKey(HWND window, WPARAM key, LPARAM flags) {
    if (!LivesOn(RecordOf(keyId_), window)) return false;
    return SendToWidget(keyId_, window, WM_KEYDOWN, key, flags) != 0;
}

void WidgetRouter::RoutePost(HWND window, WPARAM widgetId, LPARAM payload) {
    if (widgetId > 0x7FFFFFFF) return;
    const int id = static_cast<int>(widgetId);
    const WidgetRecord* record = RecordOf(id);
    if (record && record->parent == window) SendToWidget(id, window, MsgWidgetPost, 0, payload);
}

void WidgetRouter::PaintAll(HWND window, const RECT& area, LPARAM flag) {
    // By index, re-checking the size: a widget's paint may call into the table.
    for (int position = 1; position <= static_cast<int>(WidgetTable().size()); ++position) {
        const WidgetRecord* record = WidgetAt(position);
        if (!LivesOn(record, window)) continue;
        RECT bounds, overlap;
        BoundsToRect(record->bounds, bounds);
        if (IntersectRect(&overlap, &bounds, &area)) {
            SendToWidget(record->widget, window, WM_PAINT, 0, flag);
        }
    }
}

void WidgetRouter::PaintOne(HWND window, int widgetId, LPARAM flag) {
    if (LivesOn(RecordOf(widgetId), window)) SendToWidget(widgetId, window, WM_PAINT, 0, flag);
}

void WidgetRouter::RescaleAll(HWND window, int dpi) {
    for (int position = 1; position <= static_cast<int>(WidgetTable().size()); ++position) {
        const WidgetRecord* record = WidgetAt(position);
        if (record && record->parent == window) {
            SendToWidget(record->widget, window, MsgScaleChanged, static_cast<WPARAM>(dpi), 0);
        }
    }
}

void WidgetRouter::DestroyAll(HWND window) {
    for (;;) {
        const auto& widgets = WidgetTable();
        const WidgetRecord* found = nullptr;
        for (const auto& record : widgets) {
            if (record->parent == window) {
                found = record.get();
                break;
            }
        }
        if (!found) break;
        const int id = found->id;
        SendToWidget(found->widget, reinterpret_cast<HWND>(static_cast<INT_PTR>(id)), WM_DESTROY, 0,
                     0);
        // The widget may have gone by itself meanwhile.
        for (size_t i = 0; i < widgets.size(); ++i) {
            if (widgets[i].get() == found) {
                RemoveWidgetAt(static_cast<int>(i) + 1);
                break;
            }
        }
    }
    Reset();
}

void WidgetRouter::OnWidgetRemoved(HWND window, int widgetId) {
    if (widgetId == capturedId_) {
        releaseWithoutWidget_ = pressed_;
        pressed_ = false;
        capturedId_ = 0;
        if (GetCapture() == window) ReleaseCapture();
    }
    if (widgetId == focusId_) focusId_ = 0;
    if (widgetId == hoverId_) hoverId_ = 0;
    if (widgetId == keyId_) keyId_ = 0;
}

void WidgetRouter::Reset() {
    pressed_ = false;
    releaseWithoutWidget_ = false;
    capturedId_ = focusId_ = hoverId_ = keyId_ = 0;
}
