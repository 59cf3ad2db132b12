// GBK (code page 936) <-> wchar_t text for the W functions of the Windows API. The program's
// own text stays GBK; these only cross into and out of UTF-16 at the system's edge. The code
// page is named, never the current one; both stop at the first NUL, as C strings do.
#pragma once

#include <windows.h>

#include <climits>
#include <string>
#include <string_view>

inline constexpr UINT kGbkCodePage = 936;

inline std::wstring GbkToWide(std::string_view gbk) {
    gbk = gbk.substr(0, gbk.find('\0'));
    if (gbk.empty() || gbk.size() > INT_MAX) return {};
    const int length = static_cast<int>(gbk.size());
    std::wstring wide(gbk.size(), L'\0');  // never more units than bytes
    const int written =
        MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), length, wide.data(), length);
    wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return wide;
}

// Characters GBK cannot hold become '?' (no best-fit look-alikes).
inline std::string WideToGbk(std::wstring_view wide) {
    wide = wide.substr(0, wide.find(L'\0'));
    if (wide.empty() || wide.size() > INT_MAX / 2) return {};
    const int length = static_cast<int>(wide.size());
    std::string gbk(wide.size() * 2, '\0');  // code page 936: at most two bytes a unit
    const int written = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), length,
                                            gbk.data(), length * 2, nullptr, nullptr);
    gbk.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return gbk;
}
