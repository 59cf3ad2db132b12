#include "app/play/hidden_browser.h"

#include <shellapi.h>

#include "win/wide_text.h"
#include "text/text_utils.h"

ServiceAddress HomepageAddress(const std::optional<std::string>& setting) {
    return ChooseServiceAddress(kHomepageVariable, setting, kDefaultHomepageBase);
}

std::string HomepageUrl(std::string_view base) {
    return JoinBytes({base, "/game.htm"});
}

std::string HiddenPageUrl(std::string_view base) {
    return JoinBytes({base, "/?game"});
}

bool OpenHomepage(std::string_view base) {
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", GbkToWide(HomepageUrl(base)).c_str(),
                                           nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool HiddenBrowser::Create(HWND mainWindow, std::string_view homepageBase) {
    if (!host_.Create(mainWindow, kLeft, kTop, kWidth, kHeight)) return false;
    return host_.Navigate(HiddenPageUrl(homepageBase));
}
