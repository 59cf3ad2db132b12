// GBK (code page 936) <-> wchar_t text for the W functions of the Windows API. The program's
// own text stays GBK; these only cross into and out of UTF-16 at the system's edge.
#pragma once

#include <string>
#include <string_view>

#include "text/text_utils.h"

inline std::wstring GbkToWide(std::string_view gbk) {
    const std::u16string wide = AnsiToWide(gbk);
    return std::wstring(wide.begin(), wide.end());
}

inline std::string WideToGbk(std::wstring_view wide) {
    return WideToAnsi(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}
