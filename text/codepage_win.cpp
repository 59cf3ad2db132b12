// Code page 936 through the Windows conversion functions. The code page is named explicitly so
// the result does not depend on the system locale.
#include "text/codepage.h"

#include <windows.h>

#include <climits>

namespace codepage {
namespace {

constexpr UINT kGbkCodePage = 936;

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
    if (gbk.empty() || gbk.size() > INT_MAX) return {};
    const int length = static_cast<int>(gbk.size());
    const int units = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), length, nullptr, 0);
    if (units <= 0) return {};
    std::u16string wide(static_cast<size_t>(units), u'\0');
    const int written = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), length,
                                            reinterpret_cast<wchar_t*>(wide.data()), units);
    wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return wide;
}

size_t WriteGbk(std::u16string_view utf16, char* out) {
    if (utf16.empty() || utf16.size() > INT_MAX / 2) return 0;
    const auto* source = reinterpret_cast<const wchar_t*>(utf16.data());
    const int length = static_cast<int>(utf16.size());
    // Without WC_NO_BEST_FIT_CHARS Windows would turn e.g. U+00A5 into a full-width yen sign;
    // characters GBK cannot hold must come out as the default character instead. Code page 936
    // writes at most two bytes per unit, so the buffer is large enough without asking first.
    const int written = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, source, length, out,
                                            length * 2, nullptr, nullptr);
    return written > 0 ? static_cast<size_t>(written) : 0;
}

std::string Utf16ToGbk(std::u16string_view utf16) {
    std::string gbk(utf16.size() * 2, '\0');
    gbk.resize(WriteGbk(utf16, gbk.data()));
    return gbk;
}

}  // namespace codepage
