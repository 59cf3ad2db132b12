#include "app/play/browser_host.h"

#include <exdispid.h>

#include <memory>

#include "app/play/browser_events.h"
#include "app/play/doc_host_ui.h"
#include "win/com_object.h"
#include "win/wide_text.h"

using Microsoft::WRL::ComPtr;

namespace {

struct BstrFree {
    void operator()(OLECHAR* text) const { SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFree>;

std::wstring_view BstrView(BSTR text) {
    return text ? std::wstring_view(text, SysStringLen(text)) : std::wstring_view();
}

// The command group in which the control asks its host about script errors.
constexpr GUID kDocHostCommandGroup = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

}  // namespace

// The container side the control talks to: where it lives (the parent window and rectangle) and
// the frame it may ask for tool space, menus or accelerators, none of which we offer.
class BrowserHost::Site final
    : public ComObject<IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame, IOleCommandTarget> {
public:
    Site(HWND window, const RECT& bounds) : window_(window), bounds_(bounds) {}

    void SetBounds(const RECT& bounds) { bounds_ = bounds; }
    void SetScriptErrorHandler(std::function<void(std::wstring_view)> handler) {
        scriptError_ = std::move(handler);
    }

    // IUnknown: how pages are to look is a job of its own, handed out as the site's.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (object && iid == __uuidof(IDocHostUIHandler)) return ui_->QueryInterface(iid, object);
        return ComObject::QueryInterface(iid, object);
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (of both the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO frameInfo) override {
        if (!frame || !document || !position || !clip || !frameInfo) return E_POINTER;
        *frame = this;
        AddRef();
        *document = nullptr;
        *position = bounds_;
        *clip = bounds_;
        frameInfo->fMDIApp = FALSE;
        frameInfo->hwndFrame = window_;
        frameInfo->haccel = nullptr;
        frameInfo->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    // The window decides the control's place; it does not move on the control's request.
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: no tool space, menus or accelerators.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return OLE_E_INVALIDRECT; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IOleCommandTarget: a script error of the page asks whether to show the control's error box
    // and stop the scripts. Neither: the game goes on, the handler hears of it.
    STDMETHODIMP QueryStatus(const GUID* group, ULONG, OLECMD*, OLECMDTEXT*) override {
        return group ? OLECMDERR_E_UNKNOWNGROUP : OLECMDERR_E_NOTSUPPORTED;
    }
    STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD, VARIANT* in, VARIANT* out) override {
        if (!group) return OLECMDERR_E_NOTSUPPORTED;  // the standard group: none of ours
        if (*group != kDocHostCommandGroup) return OLECMDERR_E_UNKNOWNGROUP;
        if (command != OLECMDID_SHOWSCRIPTERROR) return OLECMDERR_E_NOTSUPPORTED;
        if (out) {
            VariantClear(out);
            out->vt = VT_BOOL;
            out->boolVal = VARIANT_TRUE;  // continue running scripts
        }
        // A copy: the handler may destroy the host.
        const std::function<void(std::wstring_view)> handler = scriptError_;
        if (handler) handler(ScriptErrorDescription(in));
        return S_OK;
    }

private:
    ~Site() override = default;

    void* InterfaceFor(REFIID iid) override {
        if (iid == IID_IOleClientSite) return static_cast<IOleClientSite*>(this);
        if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
            return static_cast<IOleInPlaceSite*>(this);
        }
        if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
            return static_cast<IOleInPlaceFrame*>(this);
        }
        if (iid == __uuidof(IOleCommandTarget)) return static_cast<IOleCommandTarget*>(this);
        return nullptr;
    }

    HWND window_;
    RECT bounds_;
    std::function<void(std::wstring_view)> scriptError_;
    ComPtr<DocHostUi> ui_ = MakeUi();

    static ComPtr<DocHostUi> MakeUi() {
        ComPtr<DocHostUi> ui;
        ui.Attach(new DocHostUi());  // born with one reference
        return ui;
    }
};

BrowserHost::BrowserHost(const CLSID& controlClass) : controlClass_(controlClass) {}

BrowserHost::~BrowserHost() {
    Destroy();
}

bool BrowserHost::Create(HWND parent, int x, int y, int width, int height) {
    Destroy();
    bounds_ = {x, y, x + width, y + height};

    ComPtr<IOleObject> object;
    if (FAILED(CoCreateInstance(controlClass_, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&object)))) {
        return false;
    }
    ComPtr<IWebBrowser2> browser;
    if (FAILED(object.As(&browser))) return false;

    ComPtr<Site> site;
    site.Attach(new Site(parent, bounds_));
    if (FAILED(object->SetClientSite(site.Get()))) return false;
    OleSetContainedObject(object.Get(), TRUE);
    RECT rect = bounds_;
    if (FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, parent, &rect))) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
        return false;
    }

    site->SetScriptErrorHandler(events_.scriptError);
    object_ = std::move(object);
    browser_ = std::move(browser);
    site_ = std::move(site);
    Connect();
    Move(x, y, width, height);
    return true;
}

// Without the sink the control still shows pages; only the status texts are not reported.
void BrowserHost::Connect() {
    sink_.Attach(new BrowserEventSink());
    sink_->Events() = events_;
    sink_->SetTopBrowser(browser_.Get());
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(object_.As(&container))) return;
    ComPtr<IConnectionPoint> connection;
    if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &connection))) return;
    DWORD cookie = 0;
    if (FAILED(connection->Advise(sink_.Get(), &cookie))) return;
    connection_ = std::move(connection);
    cookie_ = cookie;
}

void BrowserHost::Destroy() {
    if (connection_ && cookie_ != 0) connection_->Unadvise(cookie_);
    cookie_ = 0;
    connection_.Reset();
    if (sink_) sink_->Detach();
    sink_.Reset();
    if (site_) site_->SetScriptErrorHandler(nullptr);
    if (object_) {
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
    }
    browser_.Reset();
    object_.Reset();
    site_.Reset();
}

bool BrowserHost::Navigate(std::string_view url) {
    if (!browser_ || url.empty()) return false;
    const std::wstring wide = GbkToWide(url);
    UniqueBstr text(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    if (!text) return false;
    VARIANT address;
    VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = text.get();  // still owned by `text`
    VARIANT none;
    VariantInit(&none);
    return SUCCEEDED(browser_->Navigate2(&address, &none, &none, &none, &none));
}

std::string BrowserHost::StatusText() const {
    if (!browser_) return {};
    BSTR raw = nullptr;
    if (FAILED(browser_->get_StatusText(&raw))) return {};
    const UniqueBstr text(raw);
    return WideToGbk(BstrView(text.get()));
}

std::string BrowserHost::LocationUrl() const {
    if (!browser_) return {};
    BSTR raw = nullptr;
    if (FAILED(browser_->get_LocationURL(&raw))) return {};
    const UniqueBstr text(raw);
    return WideToGbk(BstrView(text.get()));
}

void BrowserHost::Move(int x, int y, int width, int height) {
    bounds_ = {x, y, x + width, y + height};
    if (site_) site_->SetBounds(bounds_);
    ComPtr<IOleInPlaceObject> inPlace;
    if (!object_ || FAILED(object_.As(&inPlace))) return;
    inPlace->SetObjectRects(&bounds_, &bounds_);
}

void BrowserHost::Focus() {
    if (!object_ || !site_) return;
    HWND parent = nullptr;
    site_->GetWindow(&parent);
    RECT rect = bounds_;
    object_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site_.Get(), 0, parent, &rect);
    // The control may leave its window without the focus (no page yet, say): it goes there.
    const HWND control = ControlWindow();
    const HWND focus = GetFocus();
    if (control && focus != control && !IsChild(control, focus)) SetFocus(control);
}

HWND BrowserHost::ControlWindow() const {
    ComPtr<IOleInPlaceObject> inPlace;
    if (!object_ || FAILED(object_.As(&inPlace))) return nullptr;
    HWND window = nullptr;
    if (FAILED(inPlace->GetWindow(&window))) return nullptr;
    return window;
}

void BrowserHost::SetStatusTextHandler(StatusTextHandler handler) {
    events_.statusText = std::move(handler);
    if (sink_) sink_->Events().statusText = events_.statusText;
}

void BrowserHost::SetEvents(BrowserEvents events) {
    events_ = std::move(events);
    if (sink_) sink_->Events() = events_;
    if (site_) site_->SetScriptErrorHandler(events_.scriptError);
}

ComPtr<IDispatch> BrowserHost::Application() const {
    ComPtr<IDispatch> application;
    if (browser_) browser_->get_Application(&application);
    return application;
}

IDispatch* BrowserHost::EventSink() const {
    return sink_.Get();
}

bool BrowserHost::TranslateAccelerator(MSG& message) {
    if (!browser_ || message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    HWND control = ControlWindow();
    if (!control || (message.hwnd != control && !IsChild(control, message.hwnd))) return false;
    Microsoft::WRL::ComPtr<IOleInPlaceActiveObject> active;
    if (FAILED(browser_.As(&active))) return false;
    return active->TranslateAccelerator(&message) == S_OK;
}
