// BrowserHost: the system web-browser control (CLSID_WebBrowser) in-place active in a window of
// ours. A minimal OLE container of our own hosts it: a site object (client site, in-place site,
// a bare in-place frame, and the command target that keeps script errors quiet) and a
// DWebBrowserEvents2 sink (browser_events.h) advised through the control's connection point,
// which passes what pages ask for to the handlers of BrowserEvents.
//
// Window thread only, with OLE initialised on it (OleSession). The host owns the control from
// Create until Destroy (or its own destruction). The site and the sink are reference-counted COM
// objects the control may hold a little longer; they keep nothing that points back to the host.
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <oleidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/play/browser_events.h"

// OleInitialize on the calling thread for the object's life (OleUninitialize afterwards). The
// browser control needs it on the thread that owns its windows.
class OleSession {
public:
    OleSession() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    ~OleSession() {
        if (initialised_) OleUninitialize();
    }
    bool Initialised() const { return initialised_; }

private:
    bool initialised_;
};

class BrowserHost {
public:
    // Status text in UTF-16, as the control reports it: it goes straight to a W control, and a
    // detour through GBK would lose what GBK cannot hold.
    using StatusTextHandler = std::function<void(std::wstring_view text)>;

    // `controlClass` is the control to host; anything but CLSID_WebBrowser is for tests.
    explicit BrowserHost(const CLSID& controlClass = CLSID_WebBrowser);
    BrowserHost(const BrowserHost&) = delete;
    BrowserHost& operator=(const BrowserHost&) = delete;
    ~BrowserHost();

    // Creates the control as a child of `parent` at the given client rectangle and activates it
    // in place. False when the control cannot be created or activated (nothing is left over).
    // A host that holds a control destroys it first.
    bool Create(HWND parent, int x, int y, int width, int height);
    // Unadvises the sink, closes the control without saving and releases it. Idempotent.
    void Destroy();
    bool Created() const { return browser_ != nullptr; }
    // Gives the control the first look at a keyboard message meant for one of its windows, as
    // a container must (Tab, Enter, Backspace and shortcuts inside pages). True when the control
    // used it: the message is then not dispatched.
    bool TranslateAccelerator(MSG& message);

    // Starts navigating to `url` (GBK) at once. False without a control, for an empty URL, or
    // when the control refuses.
    bool Navigate(std::string_view url);
    // The control's current status text (GBK); empty without a control.
    std::string StatusText() const;
    // The address the control shows or is loading (GBK); empty without a control.
    std::string LocationUrl() const;
    // Gives the keyboard to the control (UI-activated, its window focused), as a click into the
    // page would. Nothing without a control.
    void Focus();
    // Moves and sizes the control (client coordinates of the parent).
    void Move(int x, int y, int width, int height);
    RECT Bounds() const { return bounds_; }
    // The control's own window; nullptr without a control.
    HWND ControlWindow() const;

    // Called on the window thread for every status-text change the control reports.
    void SetStatusTextHandler(StatusTextHandler handler);
    // All the handlers at once (the status-text one included), kept across Create and Destroy.
    void SetEvents(BrowserEvents events);
    // The control's Application object: what a page that opens this browser as its new window
    // is handed. Null without a control.
    Microsoft::WRL::ComPtr<IDispatch> Application() const;
    // The DWebBrowserEvents2 sink the control calls; tests invoke it directly. nullptr before
    // Create.
    IDispatch* EventSink() const;
    // Whether the sink is advised on the control's connection point.
    bool EventsConnected() const { return cookie_ != 0; }

private:
    class Site;

    void Connect();

    CLSID controlClass_;
    RECT bounds_{};
    Microsoft::WRL::ComPtr<Site> site_;
    Microsoft::WRL::ComPtr<BrowserEventSink> sink_;
    Microsoft::WRL::ComPtr<IOleObject> object_;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
    Microsoft::WRL::ComPtr<IConnectionPoint> connection_;
    DWORD cookie_ = 0;
    BrowserEvents events_;
};
