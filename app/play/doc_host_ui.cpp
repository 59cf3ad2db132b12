#include "app/play/doc_host_ui.h"

namespace {

// The control's keys that would open a window of another program: a new browser window
// (Ctrl+N) and its open-address box (Ctrl+O, Ctrl+L). F5, F11 and Ctrl+Alt+S never get here:
// the game window takes them first.
bool OpensAnotherWindow(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
    return message.wParam == 'N' || message.wParam == 'O' || message.wParam == 'L';
}

}  // namespace

STDMETHODIMP DocHostUi::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == __uuidof(IDocHostUIHandler)) {
        *object = static_cast<IDocHostUIHandler*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) DocHostUi::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP DocHostUi::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info || info->cbSize < sizeof(DOCHOSTUIINFO)) return E_INVALIDARG;
    info->dwFlags = kHostFlags;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    info->pchHostCss = nullptr;
    info->pchHostNS = nullptr;
    return S_OK;
}

STDMETHODIMP DocHostUi::TranslateAccelerator(LPMSG message, const GUID*, DWORD) {
    return message && OpensAnotherWindow(*message) ? S_OK : S_FALSE;
}

// The control's own defaults for the rest: no registry key of ours, no drop target, no
// window.external, addresses as they are, clipboard data as it is.
STDMETHODIMP DocHostUi::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    if (key) *key = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP DocHostUi::GetDropTarget(IDropTarget*, IDropTarget** target) {
    if (target) *target = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP DocHostUi::GetExternal(IDispatch** external) {
    if (external) *external = nullptr;
    return S_FALSE;
}

STDMETHODIMP DocHostUi::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
    if (translated) *translated = nullptr;
    return S_FALSE;
}

STDMETHODIMP DocHostUi::FilterDataObject(IDataObject*, IDataObject** filtered) {
    if (filtered) *filtered = nullptr;
    return S_FALSE;
}
