#include "app/browse/busy_accessible.h"

#include <oleacc.h>

#include "win/com_object.h"
#include "win/module_function.h"

namespace {

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// Every call goes to the system's object; get_accState and get_accName add to its answers.
class BusyAccessible final : public ComObject<IAccessible, IOleWindow> {
public:
    BusyAccessible(HWND window, IAccessible* standard) : window_(window), standard_(standard) {}

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        return standard_->GetTypeInfoCount(count);
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                        VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
        return standard_->Invoke(id, iid, locale, flags, parameters, result, exception, argument);
    }

    // IAccessible: what changes
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT result = standard_->get_accState(child, state);
        if (SUCCEEDED(result) && IsSelf(child) && state->vt == VT_I4) {
            state->lVal |= STATE_SYSTEM_BUSY;
        }
        return result;
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        const HRESULT result = standard_->get_accName(child, name);
        if (!IsSelf(child) || (SUCCEEDED(result) && *name && SysStringLen(*name) > 0)) {
            return result;
        }
        if (SUCCEEDED(result)) SysFreeString(*name);
        *name = nullptr;
        const HWND shows = ::GetWindow(window_, GW_CHILD);
        const int length = shows ? GetWindowTextLengthW(shows) : 0;
        if (length <= 0) return S_FALSE;
        *name = SysAllocStringLen(nullptr, length);
        if (!*name) return E_OUTOFMEMORY;
        GetWindowTextW(shows, *name, length + 1);
        return S_OK;
    }

    // IAccessible: the system's answers
    STDMETHODIMP get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        return standard_->get_accChildCount(count);
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        return standard_->get_accRole(child, role);
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
    STDMETHODIMP get_accSelection(VARIANT* selection) override {
        return standard_->get_accSelection(selection);
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    STDMETHODIMP accSelect(long how, VARIANT child) override {
        return standard_->accSelect(how, child);
    }
    STDMETHODIMP accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
        return standard_->accLocation(x, y, width, height, child);
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

    // IOleWindow: WindowFromAccessibleObject asks it.
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    ~BusyAccessible() override { standard_->Release(); }

    void* InterfaceFor(REFIID iid) override {
        if (iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            return static_cast<IAccessible*>(this);
        }
        if (iid == IID_IOleWindow) return static_cast<IOleWindow*>(this);
        return nullptr;
    }

    HWND window_;
    IAccessible* standard_;  // owned: one reference
};

}  // namespace

LRESULT AnswerBusyGetObject(HWND window, WPARAM flags, LPARAM objectId) {
    if (static_cast<LONG>(objectId) != OBJID_CLIENT) return 0;
    const auto createStandard =
        OleaccFunction<decltype(&CreateStdAccessibleObject)>("CreateStdAccessibleObject");
    const auto resultFromObject = OleaccFunction<decltype(&LresultFromObject)>("LresultFromObject");
    if (!createStandard || !resultFromObject) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(createStandard(window, OBJID_CLIENT, __uuidof(IAccessible),
                              reinterpret_cast<void**>(&standard))) ||
        !standard) {
        return 0;
    }
    auto* object = new BusyAccessible(window, standard);
    const LRESULT result =
        resultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(object));
    object->Release();  // LresultFromObject holds its own reference
    return result > 0 ? result : 0;
}
