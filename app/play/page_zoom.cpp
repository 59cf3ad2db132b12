#include "app/play/page_zoom.h"

#include <exdispid.h>

#include <algorithm>
#include <iterator>

#include "win/com_object.h"
#include "win/key_press.h"

using Microsoft::WRL::ComPtr;

namespace {

// A key held down repeats its zoom step, as in a browser: auto-repeat counts too. Shift makes no
// difference (Ctrl++ is Ctrl+Shift+= on most layouts).
bool IsZoomKey(const MSG& message, std::initializer_list<UINT> keys, unsigned modifiers) {
    if (message.message != WM_KEYDOWN) return false;
    if (std::find(keys.begin(), keys.end(), static_cast<UINT>(message.wParam)) == keys.end()) {
        return false;
    }
    const auto held = [](int key) { return GetKeyState(key) < 0; };
    const unsigned now = (held(VK_CONTROL) ? kCtrlHeld : 0) | (held(VK_MENU) ? kAltHeld : 0) |
                         (held(VK_SHIFT) ? kShiftHeld : 0);
    return (now & ~kShiftHeld) == modifiers;
}

bool SameObject(IUnknown* one, IUnknown* other) {
    if (!one || !other) return false;
    ComPtr<IUnknown> first, second;
    return SUCCEEDED(one->QueryInterface(IID_PPV_ARGS(&first))) &&
           SUCCEEDED(other->QueryInterface(IID_PPV_ARGS(&second))) && first.Get() == second.Get();
}

}  // namespace

const char PageZoom::kZoomText[] = "缩放 ";
const char PageZoom::kUnsupportedText[] = "此系统的浏览器不支持缩放";

// DWebBrowserEvents2 sink: tells the zoom of each page that has loaded, until detached.
class PageZoom::Sink final : public ComObject<IDispatch> {
public:
    explicit Sink(PageZoom* zoom) : zoom_(zoom) {}
    void Detach() { zoom_ = nullptr; }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    // DocumentComplete(pDisp, URL): the first argument, last in rgvarg, is the frame.
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*,
                        EXCEPINFO*, UINT*) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (member != DISPID_DOCUMENTCOMPLETE) return DISP_E_MEMBERNOTFOUND;
        if (!params || params->cArgs != 2 || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
        const VARIANT& frame = params->rgvarg[1];
        if (frame.vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
        if (zoom_) zoom_->OnPageLoaded(frame.pdispVal);
        return S_OK;
    }

private:
    ~Sink() override = default;

    void* InterfaceFor(REFIID iid) override {
        if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
            return static_cast<IDispatch*>(this);
        }
        return nullptr;
    }

    PageZoom* zoom_;  // not owned; cleared when the zoom lets the control go
};

PageZoom::PageZoom() = default;

PageZoom::~PageZoom() {
    Detach();
}

int PageZoom::Next(int percent, Step step) {
    const int* const first = std::begin(kSteps);
    const int* const last = std::end(kSteps);
    switch (step) {
        case Step::kIn: {
            const int* above = std::upper_bound(first, last, percent);
            return above == last ? last[-1] : *above;
        }
        case Step::kOut: {
            const int* below = std::lower_bound(first, last, percent);
            return below == first ? *first : below[-1];
        }
        case Step::kReset:
            break;
    }
    return kNormal;
}

bool PageZoom::TranslateMessage(const MSG& message) {
    const bool ctrlWheel =
        message.message == WM_MOUSEWHEEL && (GET_KEYSTATE_WPARAM(message.wParam) & MK_CONTROL) != 0;
    const std::optional<Step> step = StepFor(message);
    if (step) Change(*step);
    return step || ctrlWheel;
}

std::optional<PageZoom::Step> PageZoom::StepFor(const MSG& message) {
    if (message.message == WM_MOUSEWHEEL) {
        if ((GET_KEYSTATE_WPARAM(message.wParam) & MK_CONTROL) == 0) return std::nullopt;
        wheel_ += GET_WHEEL_DELTA_WPARAM(message.wParam);
        if (wheel_ >= WHEEL_DELTA) {
            wheel_ = 0;
            return Step::kIn;
        }
        if (wheel_ <= -WHEEL_DELTA) {
            wheel_ = 0;
            return Step::kOut;
        }
        return std::nullopt;
    }
    if (IsZoomKey(message, {VK_OEM_PLUS, VK_ADD}, kCtrlHeld)) return Step::kIn;
    if (IsZoomKey(message, {VK_OEM_MINUS, VK_SUBTRACT}, kCtrlHeld)) return Step::kOut;
    if (IsZoomKey(message, {'0', VK_NUMPAD0}, kCtrlHeld)) return Step::kReset;
    return std::nullopt;
}

void PageZoom::Attach(IWebBrowser2* browser) {
    if (connection_ && cookie_ != 0) connection_->Unadvise(cookie_);
    cookie_ = 0;
    connection_.Reset();
    if (sink_) sink_->Detach();
    sink_.Reset();
    browser_ = browser;
    wheel_ = 0;
    if (!browser_) return;

    ComPtr<Sink> sink;
    sink.Attach(new Sink(this));
    sink_ = sink;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> connection;
    DWORD cookie = 0;
    if (FAILED(browser_.As(&container)) ||
        FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &connection)) ||
        FAILED(connection->Advise(sink_.Get(), &cookie))) {
        return;  // the zoom still works; only a new page starts at 100 %
    }
    connection_ = std::move(connection);
    cookie_ = cookie;
}

IDispatch* PageZoom::EventSink() const {
    return sink_.Get();
}

void PageZoom::SetPercent(int percent) {
    percent_ = std::clamp(percent, kSteps[0], std::end(kSteps)[-1]);
    Apply();  // before the page has loaded the control may refuse: the page takes it then
}

void PageZoom::Change(Step step) {
    percent_ = Next(percent_, step);
    const bool shown = Apply();
    const Report report = report_;
    if (report) {
        report(shown ? kZoomText + std::to_string(percent_) + "%" : kUnsupportedText, !shown);
    }
    const ChangeHandler handler = onChange_;
    if (handler) handler(percent_);
}

void PageZoom::OnPageLoaded(IDispatch* frame) {
    if (!browser_ || !SameObject(frame, browser_.Get())) return;  // a frame inside the page
    if (Apply() || percent_ == kNormal) return;
    const Report report = report_;
    if (report) report(kUnsupportedText, true);
}

bool PageZoom::Apply() const {
    if (!browser_) return false;
    VARIANT percent;
    VariantInit(&percent);
    percent.vt = VT_I4;
    percent.lVal = percent_;
    return SUCCEEDED(
        browser_->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &percent, nullptr));
}
