#include "app/homepage.h"

#include <shellapi.h>

#include "app/wide_text.h"
#include "text/text_utils.h"

std::string HomepageBase() {
    std::string base = kDefaultHomepageBase;
    const DWORD needed = GetEnvironmentVariableW(kHomepageVariable, nullptr, 0);
    if (needed > 1) {
        std::wstring value(needed, L'\0');
        const DWORD length = GetEnvironmentVariableW(kHomepageVariable, value.data(), needed);
        if (length > 0 && length < needed) {
            value.resize(length);
            base = WideToGbk(value);
        }
    }
    // The paths appended start with "/".
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}

std::string HomepageUrl() {
    return JoinBytes({HomepageBase(), "/game.htm"});
}

std::string HiddenPageUrl() {
    return JoinBytes({HomepageBase(), "/?game"});
}

bool OpenHomepage() {
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", GbkToWide(HomepageUrl()).c_str(),
                                           nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool HiddenBrowser::Create(HWND mainWindow) {
    if (!host_.Create(mainWindow, kLeft, kTop, kWidth, kHeight)) return false;
    return host_.Navigate(HiddenPageUrl());
}
