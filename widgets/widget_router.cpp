#include "widgets/widget_router.h"

#include <vector>

#include "widgets/dispatch.h"
#include "widgets/drawing.h"

namespace {

int IdAt(int position) {
    const WidgetRecord* record = WidgetAt(position);
    return record ? record->id : 0;
}

// Calls the widget at `position` as it is now; false when there is none.
bool Deliver(int position, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WidgetRecord* record = WidgetAt(position);
    if (!record) return false;
    CallEntry(record->entry, window, message, wParam, lParam);
    return true;
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
        message = WM_MOUSEMOVE;
    } else if (message == WM_MOUSEMOVE && !MouseTracking) {
        MouseTracking = 1;
        TrackLeave(window);
        // A move that was queued before the pointer left finds it gone; some systems then
        // track nothing and send no leave, which would stop all tracking for good.
        if (!LeaveTracked(window)) MouseTracking = 0;
    }
    if (pressed_) {
        RouteCaptured(window, message, point);
        return;
    }

    // Keep the hit widget by id: the calls below may shift positions.
    const int hitId = IdAt(HitTestWidget(window, point));
    if (FindWidget(hitId) != hover_) {
        if (const WidgetRecord* left = WidgetAt(hover_)) {
            const int leftId = left->id;
            const bool isFocus = left->focusable && hover_ == focus_;
            Deliver(hover_, window, isFocus ? MsgLookSelected : MsgLookNormal, 0, 0);
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

    int hit = FindWidget(hitId);
    if (!hit) {
        hover_ = 0;
        if (!IsZoomed(window) && bareForm) bareForm(window, message, point);
        return;
    }
    if (message == WM_LBUTTONDOWN) {
        pressed_ = true;
        captured_ = hit;
        SetCapture(window);
        const WidgetRecord* record = WidgetAt(hit);
        if (record && record->focusable) {
            if (focus_ && focus_ != hit) {
                Deliver(focus_, window, MsgLookNormal, 0, 0);
                hit = FindWidget(hitId);
            }
            focus_ = hit;
        }
    }
    hover_ = hit;
    Deliver(hit, window, message, 0, 0);
}

void WidgetRouter::RouteCaptured(HWND window, UINT message, LPARAM point) {
    const int capturedId = IdAt(captured_);
    Deliver(captured_, window, message, captured_, 0);
    if (message != WM_LBUTTONUP) return;

    // Forget the press before anything else runs: a click handler may open a modal loop in
    // which this form keeps routing messages.
    const int captured = FindWidget(capturedId);
    pressed_ = false;
    captured_ = 0;
    ReleaseCapture();
    const int hit = HitTestWidget(window, point);
    if (captured && hit == captured) {
        Deliver(hit, window, MsgClick, 0, 0);
        return;
    }
    const WidgetRecord* focus = WidgetAt(focus_);
    if (focus && focus->focusable) Deliver(focus_, window, MsgLookSelected, 0, 0);
}

void WidgetRouter::OnCaptureChanged(HWND window, HWND newCapture) {
    if (!pressed_ || newCapture == window) return;
    const int captured = captured_;
    pressed_ = false;
    captured_ = 0;
    Deliver(captured, window, MsgLookNormal, 0, 0);
}

void WidgetRouter::RouteWheel(HWND window, const RECT& windowRect, WPARAM wParam, LPARAM lParam) {
    // Screen coordinates may be negative on a monitor left of or above the primary one.
    const int x = static_cast<short>(LOWORD(lParam)) - windowRect.left;
    const int y = static_cast<short>(HIWORD(lParam)) - windowRect.top;
    const int hit = HitTestWidget(window, MAKELPARAM(x, y));
    if (hit) Deliver(hit, window, WM_MOUSEWHEEL, wParam, lParam);
}

bool WidgetRouter::RouteTimer(HWND window, UINT_PTR timerId) {
    if (timerId == kSkinFadeTimerId || timerId > 0x7FFFFFFF) return false;
    const int position = FindWidget(static_cast<int>(timerId));
    if (!LivesOn(WidgetAt(position), window)) return false;
    return Deliver(position, window, MsgTimerTick, 0, static_cast<LPARAM>(timerId));
}

void WidgetRouter::RoutePost(HWND window, WPARAM widgetId, LPARAM payload) {
    if (widgetId > 0x7FFFFFFF) return;
    const int position = FindWidget(static_cast<int>(widgetId));
    const WidgetRecord* record = WidgetAt(position);
    if (record && record->parent == window) Deliver(position, window, MsgWidgetPost, 0, payload);
}

void WidgetRouter::PaintAll(HWND window, const RECT& area, LPARAM flag) {
    // By index, re-checking the size: a widget's paint may call into the table.
    for (int position = 1; position <= static_cast<int>(WidgetTable().size()); ++position) {
        const WidgetRecord* record = WidgetAt(position);
        if (!LivesOn(record, window)) continue;
        RECT bounds, overlap;
        BoundsToRect(record->bounds, bounds);
        if (IntersectRect(&overlap, &bounds, &area)) {
            Deliver(position, window, WM_PAINT, 0, flag);
        }
    }
}

void WidgetRouter::PaintOne(HWND window, int widgetId, LPARAM flag) {
    const int position = FindWidget(widgetId);
    if (LivesOn(WidgetAt(position), window)) Deliver(position, window, WM_PAINT, 0, flag);
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
        CallEntry(found->entry, reinterpret_cast<HWND>(static_cast<INT_PTR>(id)), WM_DESTROY, 0, 0);
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

void WidgetRouter::OnWidgetRemoved(int position) {
    auto shift = [position](int& value) {
        if (value == position) {
            value = 0;
        } else if (value > position) {
            --value;
        }
    };
    if (captured_ == position) pressed_ = false;
    shift(captured_);
    shift(focus_);
    shift(hover_);
}

void WidgetRouter::Reset() {
    pressed_ = false;
    captured_ = focus_ = hover_ = 0;
}
