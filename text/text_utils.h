// Text and URL routines shared by the catalogue client and the widget toolkit.
//
// Portable: no Windows header here, so the same code is unit-tested, sanitised and fuzzed
// natively on Linux. Program text is GBK (code page 936) bytes in std::string; positions are
// 1-based byte positions and a search that finds nothing gives -1. Byte searches never start a
// match on the trail byte of a double-byte character.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// --- URL splitting ("http://" and "https://" are known, in any letter case; anything else is
// split as scheme-less)
std::string UrlHost(std::string_view url);  // host, ASCII lower-cased
// 80 without ":port" (443 for https://); 0 when it is not a number or above 65535
int UrlPort(std::string_view url);
std::string UrlPath(std::string_view url);  // path with query, always starting with "/"
bool UrlIsHttps(std::string_view url);
// Whether `url` can stand as a service's base address: http:// or https://, a host name or IPv4
// address, maybe ":port" (1 to 65535) and a path; nothing else (no blank, query or fragment).
bool IsWebBaseUrl(std::string_view url);
// Whether a host (as UrlHost gives it) names this machine: "localhost" or an address 127.x.x.x.
bool IsLoopbackHost(std::string_view host);

// --- Escapes
std::string UrlEncode(std::string_view text);  // every byte but [0-9A-Za-z] becomes %XX
// Every byte but the URL's unreserved characters [0-9A-Za-z-._~] becomes %XX, as browsers
// write links.
std::string UrlEncodeUnreserved(std::string_view text);
// %XX (two hexadecimal digits) of a UTF-8 document, result in GBK; any other "%" stays.
std::string PercentDecode(std::string_view text);
// "\uXXXX" groups to GBK; the two escapes of a surrogate pair are one character.
std::string DecodeUnicodeEscapes(std::string_view text);
std::string HexGroupsToText(std::string_view text);  // "4e2d6587" to GBK
// HTML character references in GBK text: &amp; &lt; &gt; &quot; &apos; and decimal or
// hexadecimal numeric ones, each ending in ";". A character GBK cannot hold becomes "?"; any
// other "&" is text.
std::string DecodeCharacterReferences(std::string_view text);
// Each control character (below 0x20, and 0x7F) becomes a blank.
std::string BlankControlCharacters(std::string_view text);
// A name or introduction as the game list shows it and the library keeps it: references
// decoded, then control characters blanked, so it is one line of plain text.
std::string ShownText(std::string_view value);

// --- Code-page conversions (code page 936 explicitly, whatever the system locale)
std::string Utf8ToAnsi(std::string_view utf8);
// UTF-8 to UTF-16 as Windows decodes code page 65001: every malformed sequence becomes one
// U+FFFD, and a sequence cut short by the end of the input takes the rest of the input with it.
std::u16string Utf8ToWide(std::string_view utf8);
std::string WideToAnsi(std::u16string_view utf16);  // stops at the first NUL unit
std::u16string AnsiToWide(std::string_view gbk);    // stops at the first NUL byte
std::string AnsiToUtf8(std::string_view gbk);       // stops at the first NUL byte

std::string JoinBytes(std::initializer_list<std::string_view> parts);

// --- 1-based byte searches shared by the routines above and the reply parsers.
// An empty needle matches nowhere. A start below 1 counts as 1. ignoreCase folds ASCII letters
// only, never the trail byte of a double-byte character.
// FindText: first match at or after `start`; -1 when there is none.
int FindText(std::string_view text, std::string_view needle, int start = 1,
             bool ignoreCase = false);
// FindTextBackward: last match lying wholly within the first start - 1 bytes; -1 when none
// (also when start <= 1).
int FindTextBackward(std::string_view text, std::string_view needle, int start);
