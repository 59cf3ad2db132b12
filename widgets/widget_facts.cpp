// What each widget says of itself to a screen reader (FormWidget::OwnFacts and the list's rows),
// in one place beside the objects that hand it out (accessible.cpp).
#include "widgets/animated_picture.h"
#include "widgets/caption_buttons.h"
#include "widgets/form_widget.h"
#include "widgets/icon_button.h"
#include "widgets/label.h"
#include "widgets/list_control.h"
#include "widgets/text_button.h"

namespace {

constexpr char kPressAction[] = "按下";

AccessibleFacts PushButton(std::string name, bool disabled) {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_PUSHBUTTON;
    facts.name = std::move(name);
    facts.defaultAction = kPressAction;
    if (disabled) facts.state |= STATE_SYSTEM_UNAVAILABLE;
    return facts;
}

}  // namespace

// --- FormWidget

AccessibleFacts FormWidget::Facts() const {
    AccessibleFacts facts = OwnFacts();
    if (!accessibleName_.empty()) facts.name = accessibleName_;
    if (!accessibleShortcut_.empty()) facts.shortcut = accessibleShortcut_;
    if (!visible_) facts.state |= STATE_SYSTEM_INVISIBLE;
    return facts;
}

AccessibleFacts FormWidget::OwnFacts() const {
    return {};
}

void FormWidget::SetDefaultAction(std::string_view name, std::function<void(int item)> action) {
    defaultActionName_.assign(name);
    defaultAction_ = std::move(action);
}

// --- The small widgets

AccessibleFacts Label::OwnFacts() const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_STATICTEXT;
    facts.name = Text();
    facts.value = facts.name;
    facts.state = STATE_SYSTEM_READONLY;
    return facts;
}

AccessibleFacts TextButton::OwnFacts() const {
    return PushButton(Text(), Disabled());
}

AccessibleFacts IconButton::OwnFacts() const {
    return PushButton(caption_, Disabled());
}

AccessibleFacts AnimatedPicture::OwnFacts() const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_GRAPHIC;
    facts.state = STATE_SYSTEM_READONLY;
    return facts;
}

AccessibleFacts SysButton::OwnFacts() const {
    switch (kind_) {
        case kCaptionMinimise:
            return PushButton("最小化", Disabled());
        case kCaptionMaximise:
            return PushButton(IsZoomed(Parent()) ? "还原" : "最大化", Disabled());
        default: {
            AccessibleFacts facts = PushButton("关闭", Disabled());
            facts.shortcut = "Alt+F4";
            return facts;
        }
    }
}

// --- The list

void ListControl::SetItemTextColumns(int nameColumn, int descriptionColumn) {
    nameColumn_ = nameColumn;
    descriptionColumn_ = descriptionColumn;
}

AccessibleFacts ListControl::OwnFacts() const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_LIST;
    facts.state = STATE_SYSTEM_FOCUSABLE;
    if (keyboardFocus_) facts.state |= STATE_SYSTEM_FOCUSED;
    if (hidden_) facts.state |= STATE_SYSTEM_INVISIBLE;
    return facts;
}

AccessibleFacts ListControl::ItemFacts(int row) const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_LISTITEM;
    if (!RowAt(row)) return facts;
    facts.name = GetCellText(row, nameColumn_);
    if (descriptionColumn_ > 0) facts.description = GetCellText(row, descriptionColumn_);
    facts.state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (row == selectedRow_) {
        facts.state |= STATE_SYSTEM_SELECTED;
        if (keyboardFocus_) facts.state |= STATE_SYSTEM_FOCUSED;
    }
    if (!ItemRect(row)) facts.state |= STATE_SYSTEM_OFFSCREEN;
    facts.defaultAction = DefaultActionName();
    return facts;
}

std::optional<RECT> ListControl::ItemRect(int row) const {
    const int slot = hidden_ ? 0 : SlotOfRow(row);
    if (slot == 0) return std::nullopt;
    RECT item, content, shown;
    BoundsToRect(visibleItems_[slot - 1].rect, item);
    BoundsToRect(contentArea_, content);
    if (!IntersectRect(&shown, &item, &content)) return std::nullopt;
    return shown;
}
