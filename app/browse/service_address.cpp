#include "app/browse/service_address.h"

#include <windows.h>

#include "win/wide_text.h"
#include "text/text_utils.h"

namespace {

// Paths are appended to a base starting with "/".
std::string WithoutTrailingSlashes(std::string url) {
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url;
}

std::string EnvironmentText(const wchar_t* variable) {
    const DWORD needed = GetEnvironmentVariableW(variable, nullptr, 0);
    if (needed <= 1) return {};
    std::wstring value(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(variable, value.data(), needed);
    if (length == 0 || length >= needed) return {};
    value.resize(length);
    return WideToGbk(value);
}

}  // namespace

ServiceAddress ChooseServiceAddress(const wchar_t* variable,
                                    const std::optional<std::string>& setting,
                                    std::string_view builtIn) {
    ServiceAddress address;
    address.base = WithoutTrailingSlashes(EnvironmentText(variable));
    if (!address.base.empty()) return address;
    if (setting) {
        if (IsWebBaseUrl(*setting)) {
            address.base = WithoutTrailingSlashes(*setting);
            if (!address.base.empty()) return address;
        }
        address.settingIgnored = true;
    }
    address.base = builtIn;
    return address;
}
