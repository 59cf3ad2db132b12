// DocHostUi: the browser control's view of its host (IDocHostUIHandler), asked for through the
// host's client site. It says how the page is to look: drawn at the display's scale (the host
// is DPI-aware, so a page at 100 % zoom is sharp on a scaled display), themed, without the
// control's sunken border; and which of the control's keys do nothing here (those that would
// open another program's window). For everything else the control keeps its own behaviour.
//
// A reference-counted COM object; the site holds one and hands it out.
#pragma once

#include <windows.h>

#include <mshtmhst.h>

#include <atomic>

class DocHostUi final : public IDocHostUIHandler {
public:
    // The DOCHOSTUIFLAG bits GetHostInfo reports.
    static constexpr DWORD kHostFlags =
        DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_THEME | DOCHOSTUIFLAG_DPI_AWARE;

    DocHostUi() = default;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override;

    // IDocHostUIHandler
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return S_FALSE;
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    // S_OK (taken, nothing happens) for Ctrl+N, Ctrl+O and Ctrl+L; S_FALSE for the rest.
    STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID*, DWORD) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override;
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** target) override;
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override;
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** filtered) override;

private:
    ~DocHostUi() = default;

    std::atomic<ULONG> references_{1};
};
