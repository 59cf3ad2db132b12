#include "app/browse/service_address.h"

#include <windows.h>

#include "text/text_utils.h"
#include "win/environment.h"
#include "win/wide_text.h"

namespace {

// Paths are appended to a base starting with "/".
std::string WithoutTrailingSlashes(std::string url) {
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url;
}

}  // namespace

ServiceAddress ChooseServiceAddress(const wchar_t* variable,
                                    const std::optional<std::string>& setting,
                                    std::string_view builtIn) {
    ServiceAddress address;
    address.base = WithoutTrailingSlashes(WideToGbk(EnvironmentVariable(variable)));
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
