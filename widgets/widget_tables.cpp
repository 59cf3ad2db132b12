#include "widgets/widget_tables.h"

#include <algorithm>

#include "widgets/drawing.h"

namespace {

// Constant-initialised, so it can be read even after the tables are gone at process exit,
// when widgets with static storage may still be destroyed.
bool tablesAlive = false;

struct Tables {
    Tables() { tablesAlive = true; }
    ~Tables() { tablesAlive = false; }
    std::vector<FormRecord*> forms;
    std::vector<std::unique_ptr<WidgetRecord>> widgets;
};

Tables& TheTables() {
    static Tables tables;
    return tables;
}

HWND IdAsWindow(int id) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(id));
}

}  // namespace

std::vector<FormRecord*>& FormTable() {
    return TheTables().forms;
}

std::vector<std::unique_ptr<WidgetRecord>>& WidgetTable() {
    return TheTables().widgets;
}

FormRecord* FormAt(int position) {
    auto& forms = FormTable();
    if (position < 1 || position > static_cast<int>(forms.size())) return nullptr;
    return forms[position - 1];
}

WidgetRecord* WidgetAt(int position) {
    auto& widgets = WidgetTable();
    if (position < 1 || position > static_cast<int>(widgets.size())) return nullptr;
    return widgets[position - 1].get();
}

int NextWidgetId() {
    int id = 1;
    while (FindWidget(id) != 0)
        ++id;
    return id;
}

int FindWidget(int id) {
    if (id <= 0) return 0;
    const auto& widgets = WidgetTable();
    for (size_t i = 0; i < widgets.size(); ++i) {
        if (widgets[i]->id == id) return static_cast<int>(i) + 1;
    }
    return 0;
}

DisplayScale WindowScale(HWND window) {
    if (const FormRecord* form = FormAt(FindForm(window))) return form->scale;
    return DisplayScale::ForWindow(window);
}

int FindForm(HWND window) {
    if (!window) return 0;
    const auto& forms = FormTable();
    for (size_t i = 0; i < forms.size(); ++i) {
        if (forms[i]->window == window) return static_cast<int>(i) + 1;
    }
    return 0;
}

int RegisterWidget(const WidgetRecord& record) {
    if (!record.widget || record.id < 1 || FindWidget(record.id) != 0) return 0;
    WidgetTable().push_back(std::make_unique<WidgetRecord>(record));
    SendToWidget(record.widget, IdAsWindow(record.id), MsgAttach, FindForm(record.parent), 0);
    return record.id;
}

bool SendToWidget(int id, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WidgetRecord* record = WidgetAt(FindWidget(id));
    if (!record) return false;
    SendToWidget(record->widget, window, message, wParam, lParam);
    return true;
}

int HitTestWidget(HWND window, LPARAM point) {
    const POINT where{LoWord(point), HiWord(point)};
    const auto& widgets = WidgetTable();
    for (size_t i = widgets.size(); i > 0; --i) {
        const WidgetRecord& record = *widgets[i - 1];
        if (record.parent != window || !record.visible) continue;
        RECT rect;
        BoundsToRect(record.bounds, rect);
        if (PtInRect(&rect, where)) return static_cast<int>(i);
    }
    return 0;
}

int AddForm(FormRecord* record) {
    FormTable().push_back(record);
    return static_cast<int>(FormTable().size());
}

void RemoveForm(FormRecord* record) {
    auto& forms = FormTable();
    forms.erase(std::remove(forms.begin(), forms.end(), record), forms.end());
    // Tell by id, not position: a widget's handler may change the table while we go.
    std::vector<int> ids;
    for (const auto& widget : WidgetTable())
        ids.push_back(widget->id);
    for (int id : ids) {
        const WidgetRecord* widget = WidgetAt(FindWidget(id));
        if (widget)
            SendToWidget(widget->widget, IdAsWindow(id), MsgAttach, FindForm(widget->parent), 0);
    }
}

void RemoveWidgetAt(int position) {
    auto& widgets = WidgetTable();
    if (position < 1 || position > static_cast<int>(widgets.size())) return;
    const HWND parent = widgets[position - 1]->parent;
    const int id = widgets[position - 1]->id;
    widgets.erase(widgets.begin() + (position - 1));
    // Only a form window knows the message; any other parent hears nothing.
    if (FindForm(parent)) SendMessageW(parent, MsgWidgetRemoved, static_cast<WPARAM>(id), 0);
}

void ForgetWidget(Widget* widget) {
    if (!tablesAlive) return;
    auto& widgets = WidgetTable();
    for (size_t i = widgets.size(); i > 0; --i) {
        if (i > widgets.size()) continue;  // the form's handling may have removed more
        const WidgetRecord& record = *widgets[i - 1];
        if (record.widget != widget) continue;
        // The form's own fade timer shares the id space; it is not the widget's to stop.
        if (record.parent && static_cast<UINT_PTR>(record.id) != kSkinFadeTimerId) {
            KillTimer(record.parent, record.id);
        }
        RemoveWidgetAt(static_cast<int>(i));
    }
}

// Here rather than beside the rest of Widget: a widget that goes is forgotten by the tables,
// which know Widget, not the other way round.
Widget::~Widget() {
    ForgetWidget(this);
}
