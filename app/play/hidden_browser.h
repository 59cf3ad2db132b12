// The product homepage: its addresses, the "官方主页" command that opens it in the user's default
// web browser, and HiddenBrowser, the browser control parked outside the main window's visible
// client area that loads the homepage's "/?game" page at start-up.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/play/browser_host.h"
#include "app/browse/service_address.h"

constexpr char kDefaultHomepageBase[] = "http://www.zentori.com";
// When set, replaces the homepage base (scheme and host), e.g. for a local test server.
constexpr wchar_t kHomepageVariable[] = L"ZENTORI_HOMEPAGE_URL";

// Scheme and host (GBK), without a trailing "/": the variable when set, else `setting` (the
// library's homepageUrl) when usable, else kDefaultHomepageBase.
ServiceAddress HomepageAddress(const std::optional<std::string>& setting);
std::string HomepageUrl(std::string_view base);    // base + "/game.htm", opened by "官方主页"
std::string HiddenPageUrl(std::string_view base);  // base + "/?game", loaded by HiddenBrowser

// "官方主页": opens HomepageUrl(base) with the shell's "open" verb, shown normally. False when
// the shell reports a failure.
bool OpenHomepage(std::string_view base);

class HiddenBrowser {
public:
    static constexpr int kLeft = -88;
    static constexpr int kTop = 216;
    static constexpr int kWidth = 56;
    static constexpr int kHeight = 40;

    HiddenBrowser() = default;
    HiddenBrowser(const HiddenBrowser&) = delete;
    HiddenBrowser& operator=(const HiddenBrowser&) = delete;

    // Creates the control on `mainWindow` and starts loading HiddenPageUrl(homepageBase). False
    // when the control cannot be created or refuses the address; the program carries on
    // without it.
    bool Create(HWND mainWindow, std::string_view homepageBase);
    void Destroy() { host_.Destroy(); }
    BrowserHost& Host() { return host_; }

private:
    BrowserHost host_;
};
