#include "widgets/dispatch.h"

#include <float.h>

#include <algorithm>
#include <utility>

#include "widgets/drawing.h"
#include "widgets/widget_router.h"

int MouseTracking = 0;

namespace {

constexpr UINT kWidgetTimerMilliseconds = 100;

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

Widget::~Widget() {
    if (tablesAlive) ForgetWidget(this);
}

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

int FindForm(HWND window) {
    if (!window) return 0;
    const auto& forms = FormTable();
    for (size_t i = 0; i < forms.size(); ++i) {
        if (forms[i]->window == window) return static_cast<int>(i) + 1;
    }
    return 0;
}

int RegisterWidget(const WidgetRecord& record) {
    if (!record.entry || record.id < 1 || FindWidget(record.id) != 0) return 0;
    WidgetTable().push_back(std::make_unique<WidgetRecord>(record));
    CallEntry(record.entry, IdAsWindow(record.id), MsgAttach, FindForm(record.parent), 0);
    return record.id;
}

LRESULT CallEntry(Widget* entry, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!entry) return 0;
    FloatingPointScope floatingPoint;
    return entry->HandleMessage(window, message, wParam, lParam);
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

void TrackLeave(HWND window) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    track.dwHoverTime = 0;
    TrackMouseEvent(&track);
}

void StartWidgetTimer(HWND window, UINT_PTR id) {
    SetTimer(window, id, kWidgetTimerMilliseconds, nullptr);
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
            CallEntry(widget->entry, IdAsWindow(id), MsgAttach, FindForm(widget->parent), 0);
    }
}

void RemoveWidgetAt(int position) {
    auto& widgets = WidgetTable();
    if (position < 1 || position > static_cast<int>(widgets.size())) return;
    widgets.erase(widgets.begin() + (position - 1));
    for (FormRecord* form : FormTable()) {
        if (form->router) form->router->OnWidgetRemoved(position);
    }
}

void ForgetWidget(Widget* entry) {
    auto& widgets = WidgetTable();
    for (size_t i = widgets.size(); i > 0; --i) {
        const WidgetRecord& record = *widgets[i - 1];
        if (record.entry != entry) continue;
        // The form's own fade timer shares the id space; it is not the widget's to stop.
        if (record.parent && static_cast<UINT_PTR>(record.id) != kSkinFadeTimerId) {
            KillTimer(record.parent, record.id);
        }
        RemoveWidgetAt(static_cast<int>(i));
    }
}

void RestoreBackground(const FormRecord& form, const RECT& rect) {
    if (!form.screenDc || !form.backgroundDc) return;
    BitBlt(form.screenDc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
           form.backgroundDc, rect.left, rect.top, SRCCOPY);
}

void PresentRect(const FormRecord& form, const RECT& rect, int alpha) {
    if (!form.windowDc || !form.screenDc) return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;
    alpha = std::clamp(alpha, 0, 255);
    if (alpha == 255) {
        // What a constant alpha of 255 without per-pixel alpha amounts to, only cheaper.
        BitBlt(form.windowDc, rect.left, rect.top, width, height, form.screenDc, rect.left,
               rect.top, SRCCOPY);
        return;
    }
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0};
    AlphaBlend(form.windowDc, rect.left, rect.top, width, height, form.screenDc, rect.left,
               rect.top, width, height, blend);
}

namespace {
// The parts of the control word both the x87 unit and SSE have on x64.
constexpr unsigned int kControlMask = _MCW_EM | _MCW_RC | _MCW_DN;
}  // namespace

FloatingPointScope::FloatingPointScope() : saved_(_controlfp(0, 0)) {
    _fpreset();
    // _fpreset leaves SSE alone on some runtimes: all exceptions masked, round to nearest,
    // denormals kept.
    _controlfp(_MCW_EM | _RC_NEAR | _DN_SAVE, kControlMask);
}

FloatingPointScope::~FloatingPointScope() {
    _controlfp(saved_, kControlMask);
}
