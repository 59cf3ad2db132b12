// What a screen reader hears of one widget or one item inside it (a list's row): the MSAA role
// and state bits and its words, GBK. Each widget says its own (FormWidget::Facts); the form's
// accessible objects (widgets/accessible.h) hand them to readers and automation.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <functional>
#include <optional>
#include <string>

struct AccessibleFacts {
    long role = ROLE_SYSTEM_STATICTEXT;
    long state = 0;  // STATE_SYSTEM_* bits
    std::string name;
    std::string value;
    std::string description;
    std::string shortcut;       // "Alt+→"; empty when no key reaches it
    std::string defaultAction;  // "按下"; empty when it has none
};

// The items inside a widget (a list's rows), numbered from 1; a widget with items answers
// FormWidget::Items with itself.
class AccessibleItems {
public:
    virtual int ItemCount() const = 0;
    virtual AccessibleFacts ItemFacts(int item) const = 0;
    // Where the item shows, in form pixels; none while it is scrolled out of sight.
    virtual std::optional<RECT> ItemRect(int item) const = 0;
    virtual int ItemAt(POINT formPoint) const = 0;  // 0: none
    virtual int SelectedItem() const = 0;           // 0: none
    // Selects the item as the keyboard does (scrolled into view, the readers told).
    virtual void SelectItem(int item) = 0;

protected:
    ~AccessibleItems() = default;
};

// Tells readers (NotifyWinEvent) that `event` happened to widget `widgetId` of the form window
// `form` (child: an item of it, or CHILDID_SELF). The widget's id is the object id: a reader
// asking the window for it (WM_GETOBJECT) gets the widget's object. Nothing without a window
// or an id.
void NotifyReaders(DWORD event, HWND form, int widgetId, long child = CHILDID_SELF);
