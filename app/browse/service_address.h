// Where the program finds a service of its own (the game catalogue, the homepage): the
// environment variable when it is set (tests and the sample catalogue use it); else the address
// the user put in the library's settings, when it is one the program can use; else the built-in
// address.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct ServiceAddress {
    std::string base;             // GBK; no trailing "/"
    bool settingIgnored = false;  // a setting was there, but no usable address (IsWebBaseUrl)
};

ServiceAddress ChooseServiceAddress(const wchar_t* variable,
                                    const std::optional<std::string>& setting,
                                    std::string_view builtIn);
