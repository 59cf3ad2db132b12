// The accessible objects of a skinned form. Sections: reading order; the objects' common base
// (IUnknown, IDispatch, the words); the form's object; a widget's object; WM_GETOBJECT, the
// default action and the readers' events.
#include "widgets/accessible.h"

#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <span>

#include "text/text_utils.h"
#include "widgets/form_widget.h"
#include "widgets/skin_form.h"
#include "win/module_function.h"

namespace {

// --- Reading order

struct Placed {
    RECT rect;
    size_t index;
};

// Splits `items` (sorted here by their near edge along the axis) where a gap runs across all of
// them: the start of each part.
std::vector<size_t> Cuts(std::span<Placed> items, bool rows) {
    auto nearEdge = [rows](const Placed& p) { return rows ? p.rect.top : p.rect.left; };
    auto farEdge = [rows](const Placed& p) { return rows ? p.rect.bottom : p.rect.right; };
    std::stable_sort(items.begin(), items.end(),
                     [&](const Placed& a, const Placed& b) { return nearEdge(a) < nearEdge(b); });
    std::vector<size_t> starts{0};
    LONG reach = farEdge(items[0]);
    for (size_t i = 1; i < items.size(); ++i) {
        if (nearEdge(items[i]) >= reach) starts.push_back(i);
        reach = std::max(reach, farEdge(items[i]));
    }
    return starts;
}

bool SplitsIntoRows(std::span<const Placed> items) {
    std::vector<Placed> copy(items.begin(), items.end());
    return copy.size() > 1 && Cuts(copy, true).size() > 1;
}

void Order(std::span<Placed> items) {
    if (items.size() < 2) return;
    std::vector<size_t> starts = Cuts(items, true);
    if (starts.size() == 1) {
        starts = Cuts(items, false);
        // Columns whose rows line up are one grid, read row by row.
        std::vector<size_t> merged{0};
        for (size_t i = 1; i < starts.size(); ++i) {
            const size_t end = i + 1 < starts.size() ? starts[i + 1] : items.size();
            if (!SplitsIntoRows(items.subspan(merged.back(), end - merged.back()))) {
                merged.push_back(starts[i]);
            }
        }
        starts = merged;
    }
    if (starts.size() == 1) {
        std::stable_sort(items.begin(), items.end(), [](const Placed& a, const Placed& b) {
            return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
        });
        return;
    }
    for (size_t i = 0; i < starts.size(); ++i) {
        const size_t end = i + 1 < starts.size() ? starts[i + 1] : items.size();
        Order(items.subspan(starts[i], end - starts[i]));
    }
}

// --- Helpers

// The live widget `id` of `window`, when it is still the one `identity` names.
FormWidget* WidgetOf(HWND window, int id, const Widget* identity) {
    if (!SkinForm::FromWindow(window)) return nullptr;
    const WidgetRecord* record = WidgetAt(FindWidget(id));
    if (!record || record->parent != window || (identity && record->widget != identity)) {
        return nullptr;
    }
    return dynamic_cast<FormWidget*>(record->widget);
}

HRESULT Text(const std::string& gbk, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (gbk.empty()) return S_FALSE;
    const std::u16string wide = AnsiToWide(gbk);
    *out = SysAllocString(reinterpret_cast<const wchar_t*>(wide.c_str()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

bool ChildId(const VARIANT& child, long* id) {
    if (child.vt != VT_I4) return false;
    *id = child.lVal;
    return true;
}

VARIANT SelfVariant() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

HRESULT PutChildId(VARIANT* out, long id) {
    out->vt = VT_I4;
    out->lVal = id;
    return S_OK;
}

HRESULT PutObject(VARIANT* out, IDispatch* object) {
    if (!object) {
        out->vt = VT_EMPTY;
        return S_FALSE;
    }
    out->vt = VT_DISPATCH;
    out->pdispVal = object;  // the reference passes to the caller
    return S_OK;
}

IDispatch* NativeObject(HWND child) {
    const auto objectFromWindow =
        OleaccFunction<decltype(&AccessibleObjectFromWindow)>("AccessibleObjectFromWindow");
    IDispatch* object = nullptr;
    if (!objectFromWindow || FAILED(objectFromWindow(child, OBJID_WINDOW, IID_IDispatch,
                                                     reinterpret_cast<void**>(&object)))) {
        return nullptr;
    }
    return object;
}

HRESULT ScreenLocation(HWND window, RECT rect, long* x, long* y, long* width, long* height) {
    if (!x || !y || !width || !height) return E_POINTER;
    POINT origin{rect.left, rect.top};
    ClientToScreen(window, &origin);
    *x = origin.x;
    *y = origin.y;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
}

POINT ClientPoint(HWND window, long x, long y) {
    POINT point{x, y};
    ScreenToClient(window, &point);
    return point;
}

// --- The objects' common base

class AccessibleBase : public IAccessible {
public:
    AccessibleBase(const AccessibleBase&) = delete;
    AccessibleBase& operator=(const AccessibleBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // Readers call IAccessible directly; no type information is offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // The words, from the facts of the node `child` names.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return Word(child, out, &AccessibleFacts::name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return Word(child, out, &AccessibleFacts::value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return Word(child, out, &AccessibleFacts::description);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return Word(child, out, &AccessibleFacts::shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return Word(child, out, &AccessibleFacts::defaultAction);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        return Number(child, out, &AccessibleFacts::role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return Number(child, out, &AccessibleFacts::state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (!file || !topic) return E_POINTER;
        *file = nullptr;
        *topic = 0;
        return Connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

protected:
    AccessibleBase() = default;
    virtual ~AccessibleBase() = default;

    virtual bool Connected() const = 0;
    // The facts of the node `child` names; E_INVALIDARG for a child that is not there.
    virtual HRESULT FactsOf(long child, AccessibleFacts* facts) const = 0;

private:
    HRESULT Word(const VARIANT& child, BSTR* out, std::string AccessibleFacts::*field) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        long id = 0;
        if (!ChildId(child, &id)) return E_INVALIDARG;
        AccessibleFacts facts;
        const HRESULT result = FactsOf(id, &facts);
        return FAILED(result) ? result : Text(facts.*field, out);
    }
    HRESULT Number(const VARIANT& child, VARIANT* out, long AccessibleFacts::*field) const {
        if (!out) return E_POINTER;
        VariantInit(out);
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        long id = 0;
        if (!ChildId(child, &id)) return E_INVALIDARG;
        AccessibleFacts facts;
        const HRESULT result = FactsOf(id, &facts);
        if (FAILED(result)) return result;
        return PutChildId(out, facts.*field);
    }

    std::atomic<ULONG> references_ = 1;
};

// --- The form's object

IDispatch* NewWidgetObject(HWND window, const FormWidget& widget);

// One child of the form: a widget (by id) or a native child window.
struct FormChild {
    RECT rect{};
    int widgetId = 0;
    HWND native = nullptr;
};

std::vector<FormChild> ChildrenOf(HWND window) {
    std::vector<FormChild> children;
    for (const auto& record : WidgetTable()) {
        if (record->parent != window || !record->visible) continue;
        const auto* widget = dynamic_cast<const FormWidget*>(record->widget);
        if (!widget || (widget->Facts().state & STATE_SYSTEM_INVISIBLE)) continue;
        FormChild child;
        BoundsToRect(record->bounds, child.rect);
        child.widgetId = record->id;
        children.push_back(child);
    }
    RECT client{};
    GetClientRect(window, &client);
    for (HWND native = GetWindow(window, GW_CHILD); native;
         native = GetWindow(native, GW_HWNDNEXT)) {
        if (!IsWindowVisible(native)) continue;
        FormChild child;
        GetWindowRect(native, &child.rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&child.rect), 2);
        // A window kept out of the client area (a browser working unseen) shows nothing.
        RECT shown;
        if (!IntersectRect(&shown, &child.rect, &client)) continue;
        child.native = native;
        children.push_back(child);
    }
    std::vector<RECT> rects;
    for (const FormChild& child : children)
        rects.push_back(child.rect);
    std::vector<FormChild> ordered;
    for (size_t index : ReadingOrder(rects))
        ordered.push_back(children[index]);
    return ordered;
}

IDispatch* ChildObject(HWND window, const FormChild& child) {
    if (child.native) return NativeObject(child.native);
    const FormWidget* widget = WidgetOf(window, child.widgetId, nullptr);
    return widget ? NewWidgetObject(window, *widget) : nullptr;
}

class FormAccessible final : public AccessibleBase {
public:
    explicit FormAccessible(HWND window) : window_(window) {}

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        *parent = NativeObject(window_);
        return *parent ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        *count = static_cast<long>(ChildrenOf(window_).size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        long id = 0;
        if (!ChildId(child, &id)) return E_INVALIDARG;
        *object = Child(id);
        return *object ? S_OK : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        SkinForm* form = SkinForm::FromWindow(window_);
        if (!form) return CO_E_OBJNOTCONNECTED;
        const HWND focus = GetFocus();
        if (focus && focus != window_ && IsChild(window_, focus)) {
            return PutObject(out, NativeObject(focus));
        }
        if (focus != window_) return S_FALSE;
        if (const FormWidget* keys = WidgetOf(window_, form->Router().KeyId(), nullptr)) {
            return PutObject(out, NewWidgetObject(window_, *keys));
        }
        return PutChildId(out, CHILDID_SELF);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return OnChild(child, [flags](IAccessible* object) {
            return object->accSelect(flags, SelfVariant());
        });
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height,
                                          VARIANT child) override {
        long id = 0;
        if (Connected() && ChildId(child, &id) && id == CHILDID_SELF) {
            RECT client{};
            GetClientRect(window_, &client);
            return ScreenLocation(window_, client, x, y, width, height);
        }
        return OnChild(child, [=](IAccessible* object) {
            return object->accLocation(x, y, width, height, SelfVariant());
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        long id = 0;
        if (!ChildId(start, &id)) return E_INVALIDARG;
        const long count = static_cast<long>(ChildrenOf(window_).size());
        long to = 0;
        if (id == CHILDID_SELF) {
            if (direction == NAVDIR_FIRSTCHILD) to = 1;
            if (direction == NAVDIR_LASTCHILD) to = count;
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_RIGHT ||
                   direction == NAVDIR_DOWN) {
            to = id + 1;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_LEFT ||
                   direction == NAVDIR_UP) {
            to = id - 1;
        }
        if (to < 1 || to > count) return S_FALSE;
        return PutObject(out, Child(to));
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        const POINT point = ClientPoint(window_, x, y);
        RECT client{};
        GetClientRect(window_, &client);
        if (!PtInRect(&client, point)) return S_FALSE;
        const HWND native = ChildWindowFromPointEx(window_, point, CWP_SKIPINVISIBLE);
        if (native && native != window_) return PutObject(out, NativeObject(native));
        const WidgetRecord* record = WidgetAt(HitTestWidget(window_, MAKELPARAM(point.x, point.y)));
        const FormWidget* widget = record ? WidgetOf(window_, record->id, nullptr) : nullptr;
        if (widget && !(widget->Facts().state & STATE_SYSTEM_INVISIBLE)) {
            return PutObject(out, NewWidgetObject(window_, *widget));
        }
        return PutChildId(out, CHILDID_SELF);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return OnChild(
            child, [](IAccessible* object) { return object->accDoDefaultAction(SelfVariant()); });
    }

protected:
    bool Connected() const override { return SkinForm::FromWindow(window_) != nullptr; }

    HRESULT FactsOf(long child, AccessibleFacts* facts) const override {
        if (child != CHILDID_SELF) return ChildFacts(child, facts);
        wchar_t title[256] = L"";
        GetWindowTextW(window_, title, 256);
        facts->role = ROLE_SYSTEM_CLIENT;
        facts->name = WideToAnsi(reinterpret_cast<const char16_t*>(title));
        facts->state = STATE_SYSTEM_FOCUSABLE;
        if (GetFocus() == window_) facts->state |= STATE_SYSTEM_FOCUSED;
        if (!IsWindowEnabled(window_)) facts->state |= STATE_SYSTEM_UNAVAILABLE;
        return S_OK;
    }

private:
    IDispatch* Child(long id) const {
        const std::vector<FormChild> children = ChildrenOf(window_);
        if (id < 1 || id > static_cast<long>(children.size())) return nullptr;
        return ChildObject(window_, children[id - 1]);
    }

    // A child asked of the form by number: the child's own object answers.
    template <typename Call>
    HRESULT OnChild(const VARIANT& child, Call call) const {
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        long id = 0;
        if (!ChildId(child, &id)) return E_INVALIDARG;
        if (id == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
        IDispatch* object = Child(id);
        if (!object) return E_INVALIDARG;
        IAccessible* accessible = nullptr;
        HRESULT result =
            object->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&accessible));
        object->Release();
        if (FAILED(result)) return result;
        result = call(accessible);
        accessible->Release();
        return result;
    }

    HRESULT ChildFacts(long child, AccessibleFacts* facts) const {
        IDispatch* object = Child(child);
        if (!object) return E_INVALIDARG;
        IAccessible* accessible = nullptr;
        HRESULT result =
            object->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&accessible));
        object->Release();
        if (FAILED(result)) return result;
        const VARIANT self = SelfVariant();
        auto word = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
                        std::string& into) {
            BSTR text = nullptr;
            if ((accessible->*get)(self, &text) == S_OK && text) {
                into = WideToAnsi(reinterpret_cast<const char16_t*>(text));
            }
            SysFreeString(text);
        };
        word(&IAccessible::get_accName, facts->name);
        word(&IAccessible::get_accValue, facts->value);
        word(&IAccessible::get_accDescription, facts->description);
        word(&IAccessible::get_accKeyboardShortcut, facts->shortcut);
        word(&IAccessible::get_accDefaultAction, facts->defaultAction);
        VARIANT number;
        VariantInit(&number);
        if (accessible->get_accRole(self, &number) == S_OK && number.vt == VT_I4) {
            facts->role = number.lVal;
        }
        VariantClear(&number);
        if (accessible->get_accState(self, &number) == S_OK && number.vt == VT_I4) {
            facts->state = number.lVal;
        }
        VariantClear(&number);
        accessible->Release();
        return S_OK;
    }

    HWND window_;
};

// --- A widget's object

class WidgetAccessible final : public AccessibleBase {
public:
    WidgetAccessible(HWND window, const FormWidget& widget)
        : window_(window), id_(widget.GetId()), identity_(&widget) {}

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        *parent = new FormAccessible(window_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        FormWidget* widget = Widget();
        if (!widget) return CO_E_OBJNOTCONNECTED;
        if (const AccessibleItems* items = widget->Items()) *count = items->ItemCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        long id = 0;
        if (!Widget()) return CO_E_OBJNOTCONNECTED;
        if (!ChildId(child, &id) || !IsItem(id)) return E_INVALIDARG;
        return S_FALSE;  // the rows are simple elements of this object
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        FormWidget* widget = Widget();
        if (!widget) return CO_E_OBJNOTCONNECTED;
        if (GetFocus() != window_ || SkinForm::FromWindow(window_)->Router().KeyId() != id_)
            return S_FALSE;
        const AccessibleItems* items = widget->Items();
        return PutChildId(out, items ? items->SelectedItem() : CHILDID_SELF);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        FormWidget* widget = Widget();
        if (!widget) return CO_E_OBJNOTCONNECTED;
        const AccessibleItems* items = widget->Items();
        if (!items) return DISP_E_MEMBERNOTFOUND;
        return items->SelectedItem() ? PutChildId(out, items->SelectedItem()) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        FormWidget* widget = Widget();
        if (!widget) return CO_E_OBJNOTCONNECTED;
        long id = 0;
        if (!ChildId(child, &id) || (id != CHILDID_SELF && !IsItem(id))) return E_INVALIDARG;
        if (flags & SELFLAG_TAKEFOCUS) {
            SkinForm* form = SkinForm::FromWindow(window_);
            form->SetKeyWidget(id_);
            if (form->Router().KeyId() != id_) return DISP_E_MEMBERNOTFOUND;
            SetFocus(window_);
        }
        AccessibleItems* items = widget->Items();
        if (id == CHILDID_SELF || !(flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION))) {
            return flags & SELFLAG_TAKEFOCUS ? S_OK : E_INVALIDARG;
        }
        items->SelectItem(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height,
                                          VARIANT child) override {
        FormWidget* widget = Widget();
        if (!widget) return CO_E_OBJNOTCONNECTED;
        long id = 0;
        if (!ChildId(child, &id)) return E_INVALIDARG;
        if (id == CHILDID_SELF)
            return ScreenLocation(window_, Bounds(*widget), x, y, width, height);
        if (!IsItem(id)) return E_INVALIDARG;
        const std::optional<RECT> rect = widget->Items()->ItemRect(id);
        const HRESULT result = ScreenLocation(window_, rect.value_or(RECT{}), x, y, width, height);
        // Scrolled out of sight: no place on the screen.
        return FAILED(result) || rect ? result : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        FormWidget* widget = Widget();
        if (!widget) return CO_E_OBJNOTCONNECTED;
        long id = 0;
        if (!ChildId(start, &id) || (id != CHILDID_SELF && !IsItem(id))) return E_INVALIDARG;
        const bool forward =
            direction == NAVDIR_NEXT || direction == NAVDIR_RIGHT || direction == NAVDIR_DOWN;
        const bool back =
            direction == NAVDIR_PREVIOUS || direction == NAVDIR_LEFT || direction == NAVDIR_UP;
        const long count = widget->Items() ? widget->Items()->ItemCount() : 0;
        if (id != CHILDID_SELF) {
            const long to = forward ? id + 1 : back ? id - 1 : 0;
            return to >= 1 && to <= count ? PutChildId(out, to) : S_FALSE;
        }
        if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
            if (count == 0) return S_FALSE;
            return PutChildId(out, direction == NAVDIR_FIRSTCHILD ? 1 : count);
        }
        if (!forward && !back) return S_FALSE;
        // The neighbours are the form's children beside this one.
        const std::vector<FormChild> siblings = ChildrenOf(window_);
        const auto self = std::find_if(siblings.begin(), siblings.end(),
                                       [this](const FormChild& c) { return c.widgetId == id_; });
        if (self == siblings.end()) return S_FALSE;
        if (forward && self + 1 != siblings.end())
            return PutObject(out, ChildObject(window_, self[1]));
        if (back && self != siblings.begin()) return PutObject(out, ChildObject(window_, self[-1]));
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        FormWidget* widget = Widget();
        if (!widget) return CO_E_OBJNOTCONNECTED;
        const POINT point = ClientPoint(window_, x, y);
        const RECT bounds = Bounds(*widget);
        if (!PtInRect(&bounds, point)) return S_FALSE;
        const AccessibleItems* items = widget->Items();
        const int item = items ? items->ItemAt(point) : 0;
        return PutChildId(out, item ? item : CHILDID_SELF);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        FormWidget* widget = Widget();
        if (!widget) return CO_E_OBJNOTCONNECTED;
        long id = 0;
        if (!ChildId(child, &id) || (id != CHILDID_SELF && !IsItem(id))) return E_INVALIDARG;
        AccessibleFacts facts;
        FactsOf(id, &facts);
        if (facts.defaultAction.empty() || (facts.state & STATE_SYSTEM_UNAVAILABLE)) {
            return DISP_E_MEMBERNOTFOUND;
        }
        // After the reader's call returns: the action may run a modal loop (a fetch's wait).
        return PostMessageW(window_, MsgAccessibleAction, static_cast<WPARAM>(id_), id)
                   ? S_OK
                   : HRESULT_FROM_WIN32(GetLastError());
    }

protected:
    bool Connected() const override { return Widget() != nullptr; }

    HRESULT FactsOf(long child, AccessibleFacts* facts) const override {
        FormWidget* widget = Widget();
        if (!widget) return CO_E_OBJNOTCONNECTED;
        if (child != CHILDID_SELF) {
            if (!IsItem(child)) return E_INVALIDARG;
            *facts = widget->Items()->ItemFacts(child);
            return S_OK;
        }
        *facts = widget->Facts();
        const WidgetRouter& router = SkinForm::FromWindow(window_)->Router();
        if (router.HoverId() == id_) facts->state |= STATE_SYSTEM_HOTTRACKED;
        if (const WidgetRecord* record = WidgetAt(FindWidget(id_)); record && record->takesKeys) {
            facts->state |= STATE_SYSTEM_FOCUSABLE;
        }
        return S_OK;
    }

private:
    FormWidget* Widget() const { return WidgetOf(window_, id_, identity_); }

    bool IsItem(long id) const {
        FormWidget* widget = Widget();
        const AccessibleItems* items = widget ? widget->Items() : nullptr;
        return items && id >= 1 && id <= items->ItemCount();
    }

    static RECT Bounds(const FormWidget& widget) {
        RECT rect;
        BoundsToRect(widget.GetBounds(), rect);
        return rect;
    }

    HWND window_;
    int id_;
    const ::Widget* identity_;  // compared, never followed: the widget may be gone
};

IDispatch* NewWidgetObject(HWND window, const FormWidget& widget) {
    return new WidgetAccessible(window, widget);
}

}  // namespace

std::vector<size_t> ReadingOrder(const std::vector<RECT>& rects) {
    std::vector<Placed> items;
    for (size_t i = 0; i < rects.size(); ++i)
        items.push_back({rects[i], i});
    Order(items);
    std::vector<size_t> order;
    for (const Placed& item : items)
        order.push_back(item.index);
    return order;
}

LRESULT AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId) {
    const auto id = static_cast<LONG>(objectId);
    const auto resultFromObject = OleaccFunction<decltype(&LresultFromObject)>("LresultFromObject");
    if (!SkinForm::FromWindow(window) || !resultFromObject) return 0;
    IAccessible* object = nullptr;
    if (id == OBJID_CLIENT) {
        object = new FormAccessible(window);
    } else if (id > 0) {
        const FormWidget* widget = WidgetOf(window, id, nullptr);
        if (!widget) return 0;
        object = new WidgetAccessible(window, *widget);
    } else {
        return 0;
    }
    const LRESULT result = resultFromObject(__uuidof(IAccessible), flags, object);
    object->Release();  // LresultFromObject holds its own reference
    return result > 0 ? result : 0;
}

void RunDefaultAction(WidgetRouter& router, HWND window, int widgetId, int item) {
    const FormWidget* widget = WidgetOf(window, widgetId, nullptr);
    if (!widget) return;
    // A copy: the action may replace the widget's handlers, or more.
    const std::function<void(int)> action = widget->DefaultAction();
    if (action) {
        action(item);
    } else if (item == 0) {
        router.Click(window, widgetId);
    }
}

void NotifyReaders(DWORD event, HWND form, int widgetId, long child) {
    if (form && widgetId > 0) NotifyWinEvent(event, form, widgetId, child);
}
