// BrowserEvents: what a page asks of the window hosting it, as the browser control reports it
// (status text, title, a new window, closing its window, a page that could not be loaded), and
// BrowserEventSink, the DWebBrowserEvents2 object the control calls: it reads each event's
// arguments as the control lays them out (last to first, the answers by reference), asks the
// handlers and writes their answers back.
//
// A reference-counted COM object; the host holds one and advises it on the control. The
// handlers belong to the host's window: Detach forgets them, since the control may call a
// little after the window is gone.
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <string_view>

#include "win/com_object.h"

// A new window a page asks for (window.open, a link with target="_blank").
struct NewWindowRequest {
    std::wstring url;    // what it is to show; empty when the control does not say
    bool userInitiated;  // a click or a key of the player's caused it
};

struct BrowserEvents {
    std::function<void(std::wstring_view text)> statusText;
    std::function<void(std::wstring_view title)> titleChange;
    // The browser (its Application object) that is to show the new window, or null to block it.
    std::function<Microsoft::WRL::ComPtr<IDispatch>(const NewWindowRequest& request)> newWindow;
    // The page closes its window (window.close()); the control asks nothing.
    std::function<void()> windowClosing;
    // The top-level page could not be loaded (frames' and sub-resources' errors are left to the
    // page): its address and the HTTP status or INET_E_* code. The control shows no error page.
    std::function<void(std::wstring_view url, long status)> pageError;
    // A script of the page failed; scripts go on running and nobody is asked. What failed and
    // where, as the page tells it (empty when it does not).
    std::function<void(std::wstring_view description)> scriptError;
};

// What the control passes with a script error (the page's document): the error's message,
// address and line, from the document's window's event object. Empty when any is missing.
std::wstring ScriptErrorDescription(const VARIANT* document);

class BrowserEventSink final : public ComObject<IDispatch> {
public:
    BrowserEventSink() = default;

    BrowserEvents& Events() { return events_; }
    // The control whose own page errors count: another browser object (a frame's) does not.
    // Kept for comparison only; the control holds this sink, not the other way round.
    void SetTopBrowser(IUnknown* browser);
    // Forgets the handlers and the control.
    void Detach();

    // Events are dispatched by DISPID alone; no type information.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*,
                        EXCEPINFO*, UINT*) override;

private:
    ~BrowserEventSink() override = default;
    void* InterfaceFor(REFIID iid) override;

    HRESULT OnText(const DISPPARAMS& params, bool title);
    HRESULT OnNewWindow(const DISPPARAMS& params, bool withFlags);
    HRESULT OnWindowClosing(const DISPPARAMS& params);
    HRESULT OnNavigateError(const DISPPARAMS& params);
    bool IsTopBrowser(IDispatch* browser) const;

    BrowserEvents events_;
    IUnknown* top_ = nullptr;  // identity of the control; not held
    // The control sends NewWindow3 (with the player's flag); its NewWindow2 is then left alone.
    bool sendsNewWindow3_ = false;
};
