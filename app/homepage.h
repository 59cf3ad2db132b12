// The product homepage: its addresses, the "官方主页" command that opens it in the user's default
// web browser, and HiddenBrowser, the browser control parked outside the main window's visible
// client area that loads the homepage's "/?game" page at start-up.
#pragma once

#include <windows.h>

#include <string>

#include "app/browser_host.h"

constexpr char kDefaultHomepageBase[] = "http://www.zentori.com";
// When set, replaces the homepage base (scheme and host), e.g. for a local test server.
constexpr wchar_t kHomepageVariable[] = L"ZENTORI_HOMEPAGE_URL";

// Scheme and host (GBK), without a trailing "/".
std::string HomepageBase();
std::string HomepageUrl();    // base + "/game.htm", opened by "官方主页"
std::string HiddenPageUrl();  // base + "/?game", loaded by HiddenBrowser

// "官方主页": opens HomepageUrl() with the shell's "open" verb, shown normally. False when the
// shell reports a failure.
bool OpenHomepage();

class HiddenBrowser {
public:
    static constexpr int kLeft = -88;
    static constexpr int kTop = 216;
    static constexpr int kWidth = 56;
    static constexpr int kHeight = 40;

    HiddenBrowser() = default;
    HiddenBrowser(const HiddenBrowser&) = delete;
    HiddenBrowser& operator=(const HiddenBrowser&) = delete;

    // Creates the control on `mainWindow` and starts loading HiddenPageUrl(). False when the
    // control cannot be created or refuses the address; the program carries on without it.
    bool Create(HWND mainWindow);
    void Destroy() { host_.Destroy(); }
    BrowserHost& Host() { return host_; }

private:
    BrowserHost host_;
};
