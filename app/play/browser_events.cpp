#include "app/play/browser_events.h"

#include <exdispid.h>
#include <mshtml.h>
#include <shobjidl.h>

using Microsoft::WRL::ComPtr;

namespace {

std::wstring_view BstrView(BSTR text) {
    return text ? std::wstring_view(text, SysStringLen(text)) : std::wstring_view();
}

// Argument `index` (0 = first declared parameter) of an event. The caller lays the arguments out
// last to first, so the first parameter sits at the end of rgvarg.
const VARIANT* EventArgument(const DISPPARAMS& params, UINT index) {
    if (!params.rgvarg || index >= params.cArgs) return nullptr;
    return &params.rgvarg[params.cArgs - 1 - index];
}

// What a by-reference VARIANT* argument (VT_BYREF | VT_VARIANT) points to, or the argument.
const VARIANT* Dereferenced(const VARIANT* argument) {
    if (argument && argument->vt == (VT_BYREF | VT_VARIANT) && argument->pvarVal) {
        return argument->pvarVal;
    }
    return argument;
}

// A BSTR argument, also when passed by reference; false for any other type.
bool ReadBstr(const VARIANT* argument, BSTR& text) {
    argument = Dereferenced(argument);
    if (!argument) return false;
    if (argument->vt == VT_BSTR) {
        text = argument->bstrVal;
        return true;
    }
    if (argument->vt == (VT_BSTR | VT_BYREF) && argument->pbstrVal) {
        text = *argument->pbstrVal;
        return true;
    }
    return false;
}

// A whole number (the flags, a status code), whichever integer type the control chose.
bool ReadLong(const VARIANT* argument, long& value) {
    argument = Dereferenced(argument);
    if (!argument) return false;
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(argument), 0, VT_I4))) {
        return false;
    }
    value = converted.lVal;
    return true;
}

// The control's answer fields: VARIANT_BOOL* and IDispatch** by reference.
VARIANT_BOOL* BoolAnswer(const VARIANT* argument) {
    return argument && argument->vt == (VT_BOOL | VT_BYREF) ? argument->pboolVal : nullptr;
}

IDispatch** DispatchAnswer(const VARIANT* argument) {
    return argument && argument->vt == (VT_DISPATCH | VT_BYREF) ? argument->ppdispVal : nullptr;
}

ComPtr<IUnknown> Identity(IUnknown* object) {
    ComPtr<IUnknown> identity;
    if (object) object->QueryInterface(IID_PPV_ARGS(&identity));
    return identity;
}

}  // namespace

std::wstring ScriptErrorDescription(const VARIANT* document) {
    if (!document || (document->vt != VT_UNKNOWN && document->vt != VT_DISPATCH) ||
        !document->punkVal) {
        return {};
    }
    ComPtr<IHTMLDocument2> page;
    ComPtr<IHTMLWindow2> window;
    ComPtr<IHTMLEventObj> event;
    ComPtr<IDispatch> properties;
    if (FAILED(document->punkVal->QueryInterface(IID_PPV_ARGS(&page))) ||
        FAILED(page->get_parentWindow(&window)) || !window || FAILED(window->get_event(&event)) ||
        !event || FAILED(event.As(&properties))) {
        return {};
    }
    // The error's details are expando properties of the event object, read by name.
    const auto read = [&properties](const wchar_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        DISPPARAMS none{};
        VARIANT value;
        VariantInit(&value);
        std::wstring text;
        if (SUCCEEDED(properties->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) &&
            SUCCEEDED(properties->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                         &none, &value, nullptr, nullptr)) &&
            SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR))) {
            text = BstrView(value.bstrVal);
        }
        VariantClear(&value);
        return text;
    };
    const std::wstring message = read(L"errorMessage");
    if (message.empty()) return {};
    return message + L" (" + read(L"errorUrl") + L", line " + read(L"errorLine") + L")";
}

void BrowserEventSink::SetTopBrowser(IUnknown* browser) {
    top_ = Identity(browser).Get();
}

void BrowserEventSink::Detach() {
    events_ = {};
    top_ = nullptr;
}

STDMETHODIMP BrowserEventSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP BrowserEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP BrowserEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP BrowserEventSink::Invoke(DISPID member, REFIID iid, LCID, WORD, DISPPARAMS* params,
                                      VARIANT*, EXCEPINFO*, UINT*) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const DISPPARAMS none{};
    const DISPPARAMS& arguments = params ? *params : none;
    switch (member) {
        case DISPID_STATUSTEXTCHANGE:
            return OnText(arguments, false);
        case DISPID_TITLECHANGE:
            return OnText(arguments, true);
        case DISPID_NEWWINDOW3:
            return OnNewWindow(arguments, true);
        case DISPID_NEWWINDOW2:
            return OnNewWindow(arguments, false);
        case DISPID_WINDOWCLOSING:
            return OnWindowClosing(arguments);
        case DISPID_NAVIGATEERROR:
            return OnNavigateError(arguments);
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

void* BrowserEventSink::InterfaceFor(REFIID iid) {
    if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
        return static_cast<IDispatch*>(this);
    }
    return nullptr;
}

// StatusTextChange(BSTR) and TitleChange(BSTR).
HRESULT BrowserEventSink::OnText(const DISPPARAMS& params, bool title) {
    if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
    BSTR text = nullptr;
    if (!ReadBstr(EventArgument(params, 0), text)) return DISP_E_TYPEMISMATCH;
    // A local copy: the handler may destroy the host, which detaches this sink.
    const auto handler = title ? events_.titleChange : events_.statusText;
    if (handler) handler(BstrView(text));
    return S_OK;
}

// NewWindow3(IDispatch** ppDisp, VARIANT_BOOL* Cancel, DWORD dwFlags, BSTR bstrUrlContext,
// BSTR bstrUrl) and the older NewWindow2(IDispatch** ppDisp, VARIANT_BOOL* Cancel), which says
// nothing of who caused it: a control that sends only that one gets its windows as if the
// player had asked, rather than none at all.
HRESULT BrowserEventSink::OnNewWindow(const DISPPARAMS& params, bool withFlags) {
    if (params.cArgs != (withFlags ? 5u : 2u)) return DISP_E_BADPARAMCOUNT;
    IDispatch** browser = DispatchAnswer(EventArgument(params, 0));
    VARIANT_BOOL* cancel = BoolAnswer(EventArgument(params, 1));
    if (!browser || !cancel) return DISP_E_TYPEMISMATCH;
    NewWindowRequest request{{}, true};
    if (withFlags) {
        long flags = 0;
        BSTR url = nullptr;
        if (!ReadLong(EventArgument(params, 2), flags) ||
            !ReadBstr(EventArgument(params, 4), url)) {
            return DISP_E_TYPEMISMATCH;
        }
        sendsNewWindow3_ = true;
        request = {std::wstring(BstrView(url)), (flags & NWMF_USERINITED) != 0};
    } else if (sendsNewWindow3_) {
        return S_OK;
    }

    const auto handler = events_.newWindow;
    ComPtr<IDispatch> answer = handler ? handler(request) : nullptr;
    if (!answer) {
        *cancel = VARIANT_TRUE;
        return S_OK;
    }
    *browser = answer.Detach();  // the control takes this reference
    *cancel = VARIANT_FALSE;
    return S_OK;
}

// WindowClosing(VARIANT_BOOL IsChildWindow, VARIANT_BOOL* Cancel): the control's own question
// ("The webpage you are viewing is trying to close the window") is cancelled; the window goes.
HRESULT BrowserEventSink::OnWindowClosing(const DISPPARAMS& params) {
    if (params.cArgs != 2) return DISP_E_BADPARAMCOUNT;
    VARIANT_BOOL* cancel = BoolAnswer(EventArgument(params, 1));
    if (!cancel) return DISP_E_TYPEMISMATCH;
    const auto handler = events_.windowClosing;
    if (!handler) return S_OK;  // nobody to close it: the control does as it does
    *cancel = VARIANT_TRUE;
    handler();
    return S_OK;
}

// NavigateError(IDispatch* pDisp, VARIANT* URL, VARIANT* TargetFrameName, VARIANT* StatusCode,
// VARIANT_BOOL* Cancel).
HRESULT BrowserEventSink::OnNavigateError(const DISPPARAMS& params) {
    if (params.cArgs != 5) return DISP_E_BADPARAMCOUNT;
    const VARIANT* browser = Dereferenced(EventArgument(params, 0));
    VARIANT_BOOL* cancel = BoolAnswer(EventArgument(params, 4));
    BSTR url = nullptr;
    long status = 0;
    if (!browser || browser->vt != VT_DISPATCH || !cancel ||
        !ReadBstr(EventArgument(params, 1), url) || !ReadLong(EventArgument(params, 3), status)) {
        return DISP_E_TYPEMISMATCH;
    }
    const auto handler = events_.pageError;
    if (!handler || !IsTopBrowser(browser->pdispVal)) return S_OK;
    *cancel = VARIANT_TRUE;
    handler(BstrView(url), status);
    return S_OK;
}

bool BrowserEventSink::IsTopBrowser(IDispatch* browser) const {
    return top_ && Identity(browser).Get() == top_;
}
