// Text helpers of the sample catalogue. Its own texts are UTF-8; the program sends GBK.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// Chinese literals are written as u8"..." so they stay UTF-8 whatever the compiler's execution
// character set is (the project compiles narrow literals to GBK).
inline std::string Utf8(std::u8string_view text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

// %XX to bytes and "+" to a blank, as in a query value. A "%" without two hex digits stays.
std::string DecodeQueryValue(std::string_view value);
// Query keys and values of a request target ("/path?a=1&b=2"), values decoded.
std::map<std::string, std::string> QueryOf(std::string_view target);
std::string PathOf(std::string_view target);

// GBK bytes to UTF-8 (text/'s conversion: up to a NUL; a pair GBK does not define becomes '?').
std::string GbkToUtf8(std::string_view gbk);
// Valid UTF-8 whose non-ASCII characters are all CJK characters or full-width punctuation.
bool IsUtf8Chinese(std::string_view bytes);
// A search keyword as the program sends it: UTF-8 (genre keys) or GBK (typed text).
std::string KeywordToUtf8(std::string_view bytes);

std::string HtmlEscape(std::string_view utf8);

// Stable hashing for the generated data (FNV-1a then a splitmix finaliser).
uint64_t Hash(std::string_view text, uint64_t seed = 0);
uint64_t Mix(uint64_t value);
