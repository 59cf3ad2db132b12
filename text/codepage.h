// Conversion between GBK (code page 936) and UTF-16, the only platform-dependent part of the text
// routines. codepage_win.cpp uses the Windows code page 936 tables; codepage_posix.cpp rebuilds
// the same tables from iconv so that native tests and fuzzing see what Windows does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace codepage {

// Every byte is converted, NUL included. A byte 0x81-0xFE takes the next byte with it as one
// character (except a NUL, which stays a character of its own); a pair GBK does not define, or a
// lead byte at the very end, becomes '?'.
std::u16string GbkToUtf16(std::string_view gbk);

// Each UTF-16 unit is converted on its own, so surrogates (paired or not) become '?', like every
// other character GBK cannot hold. No look-alike substitution.
std::string Utf16ToGbk(std::u16string_view utf16);

// The same conversion written to `out`, which has room for two bytes per unit (no unit takes
// more); returns the number of bytes written. For callers that assemble a text from many pieces.
// Units 0x01-0x7F come out as the same bytes, so callers may copy plain ASCII themselves.
size_t WriteGbk(std::u16string_view utf16, char* out);

}  // namespace codepage
