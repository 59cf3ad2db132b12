// ListControl, part 3: input. Sections: message dispatch; hit testing and item states; hover,
// press and release (clicks, selection, the activation handler); wheel; thumb dragging; keys.
//
// The form forwards mouse messages with lParam 0 (wParam is the list's WidgetTable position
// while the form holds the capture for it), so the list reads the pointer with GetCursorPos.
#include <algorithm>
#include <cmath>

#include "widgets/list_control.h"

namespace {

constexpr int kWheelRows = 3;

// The list's own MsgWidgetPost payload: show the keyboard focus as it is now.
constexpr LPARAM kPostFocusLook = -2;

}  // namespace

// --- Message dispatch

LRESULT ListControl::OnMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) return OnKey(static_cast<UINT>(wParam)) ? 1 : 0;
    if (message == MsgKeyboardFocus) {
        // The ring follows in a posted repaint. The keyboard often leaves and comes back within
        // moments (a fetch's loading window holds it while the catalogue answers, and the new
        // page is drawn with the ring anyway): the repaint then finds nothing left to do.
        keyboardFocus_ = wParam != 0;
        if (keyboardFocus_) {
            NotifyReaders(EVENT_OBJECT_FOCUS, Parent(), GetId(),
                          selectedRow_ ? selectedRow_ : CHILDID_SELF);
        }
        if (!focusLookPosted_) {
            focusLookPosted_ =
                PostMessageW(Parent(), MsgWidgetPost, static_cast<WPARAM>(GetId()), kPostFocusLook);
            if (!focusLookPosted_ && !hidden_) OnPaintRequest(0);
        }
        return 0;
    }
    if (message == MsgWidgetPost && lParam == kPostFocusLook) {
        focusLookPosted_ = false;
        if (!hidden_ && ringDrawn_ != keyboardFocus_) OnPaintRequest(0);
        return 0;
    }
    if (message == WM_MOUSEWHEEL) {
        OnWheel(wParam);
        return 0;
    }
    // Moves while the form holds the capture for the list.
    if (wParam != 0 && message != WM_LBUTTONUP) {
        OnCapturedMove();
        return 0;
    }
    if (hidden_) {
        // The buffer holds the old background; showing the list must take the new one.
        if (message == WM_PAINT && lParam != 0) backgroundChanged_ = true;
        return 0;
    }
    switch (message) {
        case MsgLookNormal:
            // Also what the form sends when the capture is lost during a press: no release
            // will follow.
            EndDrag();
            [[fallthrough]];
        case MsgLookSelected:
            // The pointer left the list: no row stays hovered, so coming back onto the same row
            // shows it hovered again.
            hoverSlot_ = 0;
            OnPaintRequest(lParam);
            return 0;
        case WM_PAINT:
            OnPaintRequest(lParam);
            return 0;
        case WM_MOUSEMOVE:
            OnHover();
            return 0;
        case WM_LBUTTONDOWN:
            OnPress();
            return 0;
        case WM_LBUTTONUP:
            OnRelease();
            return 0;
        default:
            return 0;  // MsgClick among others: the release has done the work
    }
}

// --- Hit testing and item states

POINT ListControl::CursorInForm() const {
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT window{};
    if (Parent()) GetWindowRect(Parent(), &window);
    return POINT{cursor.x - window.left, cursor.y - window.top};
}

int ListControl::HitTestItem() const {
    return SlotAt(CursorInForm());
}

int ListControl::RowAtPoint(POINT point) const {
    if (hidden_ || (scroll_.enabled && PtInRect(&scrollBar_, point))) return 0;
    const int slot = SlotAt(point);
    return slot ? visibleItems_[slot - 1].row : 0;
}

int ListControl::SlotAt(POINT point) const {
    if (!Form()) return 0;
    RECT content;
    BoundsToRect(contentArea_, content);
    if (!PtInRect(&content, point)) return 0;
    for (size_t slot = visibleItems_.size(); slot > 0; --slot) {
        RECT item;
        BoundsToRect(visibleItems_[slot - 1].rect, item);
        if (PtInRect(&item, point)) return static_cast<int>(slot);
    }
    return 0;
}

int ListControl::RestingState(int slot) const {
    if (slot < 1 || slot > static_cast<int>(visibleItems_.size())) return kItemNormal;
    const int row = visibleItems_[slot - 1].row;
    return selectionEnabled_ && row == selectedRow_ ? kItemSelected : kItemNormal;
}

int ListControl::HoverState(int slot) const {
    return RestingState(slot) == kItemSelected ? kItemSelected : kItemHover;
}

void ListControl::ShowItem(int slot, int state) {
    if (slot >= 1 && slot <= static_cast<int>(visibleItems_.size())) DrawItem(slot, state, true);
}

// --- Hover, press, release

void ListControl::OnHover() {
    if (scroll_.enabled) {
        const POINT point = CursorInForm();
        if (PtInRect(&scrollBar_, point)) {
            if (hoverSlot_) ShowItem(hoverSlot_, RestingState(hoverSlot_));
            hoverSlot_ = 0;
            return;
        }
    }
    const int slot = HitTestItem();
    if (slot == hoverSlot_) return;
    if (hoverSlot_) ShowItem(hoverSlot_, RestingState(hoverSlot_));
    if (slot) ShowItem(slot, HoverState(slot));
    hoverSlot_ = slot;
}

void ListControl::OnPress() {
    // The pointer may not have moved since the rows last changed under it (a wheel turn): look
    // again, so the press lands on the row under it.
    OnHover();
    if (hoverSlot_) ShowItem(hoverSlot_, kItemPressed);
    pressedSlot_ = hoverSlot_;
}

void ListControl::OnRelease() {
    const bool endsDrag = dragging_;
    dragging_ = false;
    thumbGrabOffset_ = 0;
    // Letting go of the thumb is no click: wherever the pointer ends up (a gap between rows,
    // outside the list), the selection stays. The next move shows the hovered row.
    if (endsDrag) return;
    const int hit = HitTestItem();
    if (hit != 0 && hit == pressedSlot_) {
        // A click: pressed and released on the same slot (or released again with no new press).
        const int row = visibleItems_[hit - 1].row;
        if (selectedRow_ != 0 && selectedRow_ != row) ShowItem(SlotOfRow(selectedRow_), 0);
        ShowItem(hit, selectionEnabled_ ? kItemSelected : kItemHover);
        selectedRow_ = row;
        hoverSlot_ = hit;
        Activate();
        return;
    }
    if (hit != 0) {
        if (pressedSlot_) ShowItem(pressedSlot_, RestingState(pressedSlot_));
        ShowItem(hit, HoverState(hit));
    } else if (pressedSlot_) {
        ShowItem(pressedSlot_, RestingState(pressedSlot_));
    } else if (selectedRow_ != 0) {
        // Pressed and released outside every row: nothing stays selected.
        ShowItem(SlotOfRow(selectedRow_), kItemNormal);
        selectedRow_ = 0;
        hoverSlot_ = 0;
        Activate();
        return;
    }
    hoverSlot_ = hit;
}

void ListControl::Activate() {
    // Copies: the handler may clear the list or replace itself.
    const std::function<void(int)> handler = onActivate_;
    const int row = selectedRow_;
    if (handler) handler(row);
}

// --- Wheel

void ListControl::OnWheel(WPARAM wParam) {
    if (!scroll_.enabled || scroll_.ratio <= 0) return;
    const int delta = HiWord(static_cast<LPARAM>(wParam));
    // Three rows of content, in thumb pixels, whatever the size of the turn.
    const double step = kWheelRows / scroll_.ratio * itemHeight_;
    scroll_.thumbPosition = ThumbTop() + (delta < 1 ? step : -step);
    if (ClampThumb() < 0) ++clampCount_;
    hoverSlot_ = 0;
    DrawRows(true);  // draws nothing while hidden; the position still changed
}

// --- Thumb dragging

void ListControl::OnCapturedMove() {
    if (!scroll_.enabled || hidden_) {
        dragging_ = false;
        return;
    }
    const POINT point = CursorInForm();
    if (dragging_) {
        scroll_.thumbPosition = point.y - thumbGrabOffset_;
        // Held against one end, only the first move redraws; a jump to the other end counts
        // afresh.
        const int side = ClampThumb();
        clampCount_ = side == 0 ? 0 : side == clampSide_ ? clampCount_ + 1 : 1;
        clampSide_ = side;
        if (clampCount_ < 2) {
            hoverSlot_ = 0;
            DrawRows(true);
        }
        return;
    }
    if (pressedSlot_ == 0 && PtInRect(&scrollBar_, point)) {
        dragging_ = true;
        clampCount_ = 0;
        clampSide_ = 0;
        thumbGrabOffset_ = point.y - ThumbTop();
    }
}

void ListControl::EndDrag() {
    dragging_ = false;
    thumbGrabOffset_ = 0;
}

int ListControl::ClampThumb() {
    const double top = contentArea_.Y;
    const double end = top + contentArea_.Height - scroll_.thumbLength;
    if (scroll_.thumbPosition < top - kTolerance) {
        scroll_.thumbPosition = top;
        return -1;
    }
    if (scroll_.thumbPosition > end + kTolerance) {
        scroll_.thumbPosition = end;
        return 1;
    }
    return 0;
}

// --- Keys

bool ListControl::OnKey(UINT key) {
    if (hidden_) return false;
    const int count = RowCount();
    const int perLine = PerLine();
    const int linesPerPage =
        itemHeight_ > 0 ? static_cast<int>(contentArea_.Height) / itemHeight_ : 1;
    const int page = std::max(1, linesPerPage) * perLine;
    int row = selectedRow_;
    switch (key) {
        case VK_UP:
            row -= perLine;
            break;
        case VK_DOWN:
            row = row == 0 ? 1 : row + perLine;
            break;
        case VK_PRIOR:
            row -= page;
            break;
        case VK_NEXT:
            row = row == 0 ? page : row + page;
            break;
        case VK_HOME:
            row = 1;
            break;
        case VK_END:
            row = count;
            break;
        default:
            return false;
    }
    if (count == 0) return true;
    MoveSelection(row);
    return true;
}

void ListControl::MoveSelection(int row) {
    if (RowCount() == 0) return;
    selectedRow_ = std::clamp(row, 1, RowCount());
    ScrollIntoView(selectedRow_);
    NotifyReaders(EVENT_OBJECT_FOCUS, Parent(), GetId(), selectedRow_);
    NotifyReaders(EVENT_OBJECT_SELECTION, Parent(), GetId(), selectedRow_);
}

void ListControl::ScrollIntoView(int row) {
    if (scroll_.enabled && itemHeight_ > 0 && scroll_.ratio > 0) {
        const int top = (row - 1) / PerLine() * itemHeight_;
        const int bottom = top + itemHeight_;
        const int visible = static_cast<int>(contentArea_.Height);
        int offset = ContentOffset();
        if (top < offset) {
            offset = top;
        } else if (bottom > offset + visible) {
            offset = bottom - visible;
        }
        scroll_.thumbPosition = contentArea_.Y + offset / scroll_.ratio;
        ClampThumb();
    }
    hoverSlot_ = 0;
    DrawRows(true);
}
