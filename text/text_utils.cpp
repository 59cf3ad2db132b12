#include "text/text_utils.h"

#include <charconv>
#include <algorithm>
#include <climits>
#include <cstddef>

#include "text/codepage.h"

namespace {

constexpr size_t kNotFound = std::string_view::npos;
constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// The program's rule for byte searches: any byte of 0x80 or more starts a two-byte character.
constexpr bool IsLeadByte(char byte) {
    return static_cast<unsigned char>(byte) >= 0x80;
}

constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Value of one hexadecimal digit of either case. Anything else counts as 0, so a stray "%" or a
// damaged "\u" group still decodes to a defined byte.
unsigned HexValue(char c) {
    const size_t digit = kHexDigits.find(c >= 'a' && c <= 'f' ? static_cast<char>(c - 32) : c);
    return digit == kNotFound ? 0 : static_cast<unsigned>(digit);
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexNumber(std::string_view digits) {
    unsigned value = 0;
    for (char c : digits)
        value = value * 16 + HexValue(c);
    return value;
}

// The UTF-16 unit of one group of up to four hexadecimal digits, written high byte first: "4e2d"
// is U+4E2D. A group of two digits gives the same byte twice, one of three digits takes its last
// two as the low byte and its first two as the high byte.
char16_t GroupUnit(std::string_view group) {
    if (group.size() == 4) return static_cast<char16_t>(HexNumber(group));
    const size_t lowStart = group.size() > 2 ? group.size() - 2 : 0;
    const unsigned low = HexNumber(group.substr(lowStart));
    const unsigned high = HexNumber(group.substr(0, 2));
    return static_cast<char16_t>(high << 8 | low);
}

int ToPosition(size_t index) {
    return (index == kNotFound || index >= static_cast<size_t>(INT_MAX))
               ? -1
               : static_cast<int>(index) + 1;
}

// --- Character boundaries
//
// A byte below 0x80 is a character of its own or a trail byte; either way a character starts
// right after it. So the bytes of 0x80 or more in front of an index, back to the nearest byte
// below 0x80 (or to the start of the text), begin on a character and pair up, and the index
// starts a character exactly when there is an even number of them. Each class below answers a
// whole search's queries looking at every byte at most once, so a text full of matches that
// start on trail bytes is still searched in linear time.

// For queries in increasing order of `index`: the run in front of a query is scanned back only
// to the previous query.
class CharBoundaries {
public:
    explicit CharBoundaries(std::string_view text) : text_(text) {}

    bool StartsCharacter(size_t index) {
        size_t runStart = index;
        while (runStart > known_ && IsLeadByte(text_[runStart - 1]))
            --runStart;
        const bool starts = (index - runStart) % 2 == 0;
        // A rejected index is a trail byte, so the next character starts right after it.
        known_ = starts ? index : index + 1;
        return starts;
    }

private:
    std::string_view text_;
    size_t known_ = 0;  // a character starts here; no later query lies in front of it
};

// The same for queries in decreasing order of `index`: a query inside the run found for an
// earlier one is answered from that run.
class CharBoundariesBackward {
public:
    explicit CharBoundariesBackward(std::string_view text) : text_(text) {}

    bool StartsCharacter(size_t index) {
        if (index < runStart_) {
            runStart_ = index;
            while (runStart_ > 0 && IsLeadByte(text_[runStart_ - 1]))
                --runStart_;
        }
        return (index - runStart_) % 2 == 0;
    }

private:
    std::string_view text_;
    // A character starts here, and every byte from here up to the earlier queries is 0x80 or
    // more. Before the first query: none.
    size_t runStart_ = kNotFound;
};

// --- Byte searches

// Folds only bytes that are characters of their own in the needle: the trail byte of a
// double-byte character may look like an ASCII letter but must match exactly.
bool EqualsIgnoringCase(std::string_view text, std::string_view needle) {
    bool trail = false;
    for (size_t i = 0; i < needle.size(); ++i) {
        const bool same =
            trail ? text[i] == needle[i] : AsciiLower(text[i]) == AsciiLower(needle[i]);
        if (!same) return false;
        trail = !trail && IsLeadByte(needle[i]);
    }
    return true;
}

size_t FindIgnoringCase(std::string_view text, std::string_view needle, size_t from) {
    if (needle.size() > text.size()) return kNotFound;
    for (size_t index = from; index <= text.size() - needle.size(); ++index) {
        if (EqualsIgnoringCase(text.substr(index), needle)) return index;
    }
    return kNotFound;
}

// The first match at or after `from` that starts on a character.
size_t FindFirst(std::string_view text, std::string_view needle, size_t from = 0,
                 bool ignoreCase = false) {
    if (needle.empty()) return kNotFound;
    CharBoundaries boundaries(text);
    for (size_t at = from; at < text.size(); ++at) {
        at = ignoreCase ? FindIgnoringCase(text, needle, at) : text.find(needle, at);
        if (at == kNotFound) return kNotFound;
        if (boundaries.StartsCharacter(at)) return at;
    }
    return kNotFound;
}

// The last match that starts on a character and ends within the first `limit` bytes.
size_t FindLast(std::string_view text, std::string_view needle, size_t limit) {
    if (needle.empty() || needle.size() > limit) return kNotFound;
    const std::string_view head = text.substr(0, limit);
    CharBoundariesBackward boundaries(text);
    for (size_t at = head.size() - needle.size();; --at) {
        at = head.rfind(needle, at);
        if (at == kNotFound) return kNotFound;
        if (boundaries.StartsCharacter(at)) return at;
        if (at == 0) return kNotFound;
    }
}

// --- GBK output

// GBK text assembled in order from UTF-16 units, converted a run at a time, and bytes that go
// in as they are.
class GbkBuilder {
public:
    void Unit(char16_t unit) { units_.push_back(unit); }
    void Bytes(std::string_view bytes) {
        Flush();
        text_.append(bytes);
    }
    std::string Take() {
        Flush();
        return std::move(text_);
    }

private:
    void Flush() {
        text_ += codepage::Utf16ToGbk(units_);
        units_.clear();
    }

    std::string text_;
    std::u16string units_;
};

constexpr bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

constexpr bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Decodes "\u" pieces in order. Each piece's first four bytes are a hexadecimal group, the rest
// is plain text. A unit of value 0 ends the text it converts to, so it adds nothing. A character
// beyond the BMP comes as two escapes, its surrogate halves; GBK holds no such character, so the
// pair is one '?' (written for its high half), while a half on its own is a '?' of its own.
class EscapeDecoder {
public:
    void Piece(std::string_view piece) {
        constexpr size_t kGroupLength = 4;
        if (piece.empty()) return;
        const char16_t unit = GroupUnit(piece.substr(0, kGroupLength));
        const bool endsPair =
            afterHighHalf_ && piece.size() >= kGroupLength && IsLowSurrogate(unit);
        afterHighHalf_ = piece.size() == kGroupLength && IsHighSurrogate(unit);
        if (unit != 0 && !endsPair) out_.Unit(unit);
        if (piece.size() > kGroupLength) out_.Bytes(piece.substr(kGroupLength));
    }
    std::string Take() { return out_.Take(); }

private:
    GbkBuilder out_;
    bool afterHighHalf_ = false;  // the last piece was a high half's group and nothing else
};

// An HTML character reference at the start of `text`: the character it stands for and its length
// in bytes, or a length of 0 when the text starts with no reference the decoder knows.
struct Reference {
    char32_t codePoint;
    size_t length;
};

Reference ReadReference(std::string_view text) {
    static constexpr struct {
        std::string_view name;
        char32_t codePoint;
    } kNamed[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto& named : kNamed) {
        if (text.starts_with(named.name)) return {named.codePoint, named.name.size()};
    }
    if (!text.starts_with("&#")) return {0, 0};
    const bool hex = text.size() > 2 && (text[2] == 'x' || text[2] == 'X');
    const size_t digitsStart = hex ? 3 : 2;
    // Enough digits for any code point; more cannot overflow, they only make no reference.
    const size_t digitsEnd = std::min(text.size(), digitsStart + (hex ? 6 : 7));
    char32_t value = 0;
    size_t i = digitsStart;
    for (; i < digitsEnd; ++i) {
        const char c = text[i];
        if (hex ? !IsHexDigit(c) : (c < '0' || c > '9')) break;
        value = value * (hex ? 16 : 10) + HexValue(c);
    }
    if (i == digitsStart || i == text.size() || text[i] != ';') return {0, 0};
    return {value, i + 1};
}

// The host-and-port part of a URL and the index where its path begins (kNotFound: no path).
struct UrlParts {
    std::string_view hostAndPort;
    size_t pathStart;
};

// Whether `url` starts with `scheme` (small letters), ignoring letter case.
bool StartsWithScheme(std::string_view url, std::string_view scheme) {
    if (url.size() < scheme.size()) return false;
    for (size_t i = 0; i < scheme.size(); ++i) {
        if (AsciiLower(url[i]) != scheme[i]) return false;
    }
    return true;
}

// The length of the URL's "http://" or "https://" scheme; 0 for any other.
size_t SchemeLength(std::string_view url) {
    for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
        if (StartsWithScheme(url, scheme)) return scheme.size();
    }
    return 0;
}

UrlParts SplitUrl(std::string_view url) {
    const size_t hostStart = SchemeLength(url);
    const size_t slash = FindFirst(url, "/", hostStart);
    const size_t hostEnd = slash == kNotFound ? url.size() : slash;
    return {url.substr(hostStart, hostEnd - hostStart), slash};
}

std::string_view PortText(std::string_view hostAndPort) {
    const size_t colon = FindFirst(hostAndPort, ":");
    return colon == kNotFound ? std::string_view() : hostAndPort.substr(colon + 1);
}

// Reads the port the way a decimal number is read and truncated: leading blanks and a plus sign
// are allowed, reading stops at the first non-digit (so "80.9" is 80). A value that cannot be a
// TCP port gives 0 rather than wrapping around when the caller narrows it to 16 bits.
int ParsePort(std::string_view text) {
    constexpr int kMaxPort = 65535;
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && text[i] == '+') ++i;
    unsigned port = 0;
    const auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), port);
    if (error == std::errc::result_out_of_range || port > static_cast<unsigned>(kMaxPort)) return 0;
    return static_cast<int>(port);
}

// --- UTF-8, decoded the way Windows decodes code page 65001

constexpr char32_t kReplacement = 0xFFFD;

struct DecodedChar {
    char32_t codePoint;
    size_t length;  // bytes consumed
};

// Decodes the sequence that starts with a byte of 0x80 or more.
DecodedChar DecodeMultiByte(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    size_t trailCount = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailCount = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailCount = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailCount = 3;
    }
    if (trailCount == 0) return {kReplacement, 1};
    if (bytes.size() <= trailCount) return {kReplacement, bytes.size()};

    // These leads narrow the range of the first continuation byte, which rules out overlong
    // forms, surrogates and values above U+10FFFF.
    unsigned firstLow = 0x80;
    unsigned firstHigh = 0xBF;
    if (lead == 0xE0) firstLow = 0xA0;
    if (lead == 0xED) firstHigh = 0x9F;
    if (lead == 0xF0) firstLow = 0x90;
    if (lead == 0xF4) firstHigh = 0x8F;

    char32_t codePoint = lead & (0x3F >> trailCount);
    for (size_t i = 1; i <= trailCount; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80 || byte > 0xBF) return {kReplacement, i};
        // An out-of-range first continuation byte is dropped together with the lead.
        if (i == 1 && (byte < firstLow || byte > firstHigh)) return {kReplacement, 2};
        codePoint = codePoint << 6 | (byte & 0x3F);
    }
    return {codePoint, trailCount + 1};
}

// Writes one code point as UTF-16; returns the position after it.
char16_t* PutUtf16(char16_t* out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        *out++ = static_cast<char16_t>(codePoint);
        return out;
    }
    const char32_t offset = codePoint - 0x10000;
    *out++ = static_cast<char16_t>(0xD800 | offset >> 10);
    *out++ = static_cast<char16_t>(0xDC00 | (offset & 0x3FF));
    return out;
}

}  // namespace

// --- URL splitting

std::string UrlHost(std::string_view url) {
    std::string_view host = SplitUrl(url).hostAndPort;
    const size_t colon = FindFirst(host, ":");
    if (colon != kNotFound) host = host.substr(0, colon);
    std::string lower(host);
    for (size_t i = 0; i < lower.size(); ++i) {
        if (IsLeadByte(lower[i])) {
            ++i;  // double-byte characters stay as they are
            continue;
        }
        lower[i] = AsciiLower(lower[i]);
    }
    return lower;
}

int UrlPort(std::string_view url) {
    const std::string_view hostAndPort = SplitUrl(url).hostAndPort;
    if (FindFirst(hostAndPort, ":") == kNotFound) return UrlIsHttps(url) ? 443 : 80;
    return ParsePort(PortText(hostAndPort));
}

bool UrlIsHttps(std::string_view url) {
    return StartsWithScheme(url, "https://");
}

// A base address as a setting gives it: a scheme the client speaks, then a host of letters,
// digits, dots and hyphens (what a name or an IPv4 address needs; no user name, no IPv6
// brackets, no non-ASCII name, which WinINet would not take as written), maybe a port, maybe a
// path; no query or fragment, since paths are appended to it.
bool IsWebBaseUrl(std::string_view url) {
    const size_t hostStart = SchemeLength(url);
    if (hostStart == 0) return false;
    const size_t pathStart = std::min(url.find('/', hostStart), url.size());
    const std::string_view hostAndPort = url.substr(hostStart, pathStart - hostStart);
    const size_t colon = std::min(hostAndPort.find(':'), hostAndPort.size());
    const std::string_view host = hostAndPort.substr(0, colon);
    if (host.empty() || host.front() == '.' || host.front() == '-') return false;
    for (const char c : host) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '.' || c == '-';
        if (!allowed) return false;
    }
    if (colon < hostAndPort.size()) {
        const std::string_view port = hostAndPort.substr(colon + 1);
        if (port.empty() || port.size() > 5) return false;
        for (const char c : port) {
            if (c < '0' || c > '9') return false;
        }
        const int value = ParsePort(port);
        if (value < 1) return false;
    }
    for (const char c : url.substr(pathStart)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte >= 0x7F || c == '?' || c == '#') return false;
    }
    return true;
}

bool IsLoopbackHost(std::string_view host) {
    if (host == "localhost") return true;
    int parts = 0;
    int value = 0;
    size_t digits = 0;
    for (size_t i = 0; i <= host.size(); ++i) {
        if (i == host.size() || host[i] == '.') {
            if (digits == 0 || value > 255 || (parts == 0 && value != 127)) return false;
            ++parts;
            value = 0;
            digits = 0;
        } else if (host[i] >= '0' && host[i] <= '9' && digits < 3) {
            value = value * 10 + (host[i] - '0');
            ++digits;
        } else {
            return false;
        }
    }
    return parts == 4;
}

// The path begins at the "/" that ends the host-and-port part. (Searching for the host name in
// the URL instead would find a host such as "t" inside "http://" and return "//t/x".)
std::string UrlPath(std::string_view url) {
    const size_t pathStart = SplitUrl(url).pathStart;
    if (pathStart == kNotFound) return "/";
    return std::string(url.substr(pathStart));
}

// --- Escapes

namespace {

std::string PercentEncodeAllBut(std::string_view text, std::string_view kept) {
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (char c : text) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                           (c >= 'a' && c <= 'z') || kept.find(c) != std::string_view::npos;
        if (plain) {
            encoded += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        encoded += '%';
        encoded += kHexDigits[byte >> 4];
        encoded += kHexDigits[byte & 0x0F];
    }
    return encoded;
}

}  // namespace

std::string UrlEncode(std::string_view text) {
    return PercentEncodeAllBut(text, {});
}

std::string UrlEncodeUnreserved(std::string_view text) {
    return PercentEncodeAllBut(text, "-._~");
}

// Only "%" with two hexadecimal digits is an escape: any other "%" (a width of 100%, a name such
// as "100%大作战") is text and stays, and so do the bytes after it.
std::string PercentDecode(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '%' || text.size() - i < 3 || !IsHexDigit(text[i + 1]) ||
            !IsHexDigit(text[i + 2])) {
            utf8 += text[i++];
            continue;
        }
        const unsigned byte = HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]);
        if (byte != 0) utf8 += static_cast<char>(byte);
        i += 3;
    }
    return Utf8ToAnsi(utf8);
}

// Text in front of the first "\u" is read as a hexadecimal group too; callers cut it off first.
std::string DecodeUnicodeEscapes(std::string_view text) {
    EscapeDecoder decoded;
    size_t pieceStart = 0;
    // Walks the characters, so that a backslash that is the trail byte of a double-byte
    // character starts no escape.
    for (size_t i = 0; i + 1 < text.size();) {
        if (IsLeadByte(text[i])) {
            i += 2;
        } else if (text[i] != '\\' || text[i + 1] != 'u') {
            ++i;
        } else {
            decoded.Piece(text.substr(pieceStart, i - pieceStart));
            i += 2;
            pieceStart = i;
        }
    }
    decoded.Piece(text.substr(pieceStart));
    std::string result = decoded.Take();
    return result.empty() ? std::string(text) : result;
}

// Each group of up to four digits is one UTF-16 unit (see GroupUnit); the text ends at the first
// unit of value 0. Non-hexadecimal digits count as 0.
std::string HexGroupsToText(std::string_view text) {
    constexpr size_t kGroupLength = 4;
    std::u16string units;
    for (size_t start = 0; start < text.size(); start += kGroupLength)
        units.push_back(GroupUnit(text.substr(start, kGroupLength)));
    return WideToAnsi(units);
}

// Walks whole characters, so the trail byte of a double-byte character never starts a reference
// (none of "&#;" can be one, but a letter can).
std::string DecodeCharacterReferences(std::string_view text) {
    GbkBuilder decoded;
    size_t plainStart = 0;
    for (size_t i = 0; i < text.size();) {
        if (IsLeadByte(text[i])) {
            i += 2;
            continue;
        }
        const Reference reference = text[i] == '&' ? ReadReference(text.substr(i)) : Reference{};
        if (reference.length == 0) {
            ++i;
            continue;
        }
        decoded.Bytes(text.substr(plainStart, i - plainStart));
        const char32_t c = reference.codePoint;
        // NUL, a surrogate or a value beyond Unicode stands for the replacement character, which
        // GBK cannot hold either, and nor can a character beyond the Basic Multilingual Plane.
        if (c == 0 || c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            decoded.Bytes("?");
        } else {
            decoded.Unit(static_cast<char16_t>(c));
        }
        i += reference.length;
        plainStart = i;
    }
    decoded.Bytes(text.substr(plainStart));
    return decoded.Take();
}

// No trail byte of GBK lies below 0x40 or is 0x7F: every such byte is a character of its own.
std::string BlankControlCharacters(std::string_view text) {
    std::string blanked(text);
    for (char& c : blanked) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    return blanked;
}

std::string ShownText(std::string_view value) {
    return BlankControlCharacters(DecodeCharacterReferences(value));
}

// --- Code-page conversions

std::u16string Utf8ToWide(std::string_view utf8) {
    std::u16string wide(utf8.size(), u'\0');  // never more units than bytes
    char16_t* out = wide.data();
    for (size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            *out++ = static_cast<char16_t>(byte);
            ++i;
            continue;
        }
        const DecodedChar decoded = DecodeMultiByte(utf8.substr(i));
        out = PutUtf16(out, decoded.codePoint);
        i += decoded.length;
    }
    wide.resize(static_cast<size_t>(out - wide.data()));
    return wide;
}

std::string Utf8ToAnsi(std::string_view utf8) {
    return WideToAnsi(Utf8ToWide(utf8));
}

std::string WideToAnsi(std::u16string_view utf16) {
    return codepage::Utf16ToGbk(utf16.substr(0, utf16.find(u'\0')));
}

std::u16string AnsiToWide(std::string_view gbk) {
    return codepage::GbkToUtf16(gbk.substr(0, gbk.find('\0')));
}

std::string AnsiToUtf8(std::string_view gbk) {
    // GBK decodes to the Basic Multilingual Plane only: one to three bytes per unit.
    std::string utf8;
    utf8.reserve(gbk.size() * 3 / 2);
    for (const char16_t unit : AnsiToWide(gbk)) {
        if (unit < 0x80) {
            utf8 += static_cast<char>(unit);
        } else if (unit < 0x800) {
            utf8 += static_cast<char>(0xC0 | unit >> 6);
            utf8 += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | unit >> 12);
            utf8 += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
            utf8 += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return utf8;
}

std::string JoinBytes(std::initializer_list<std::string_view> parts) {
    size_t total = 0;
    for (std::string_view part : parts)
        total += part.size();
    std::string joined;
    joined.reserve(total);
    for (std::string_view part : parts)
        joined.append(part);
    return joined;
}

// --- Searches

int FindText(std::string_view text, std::string_view needle, int start, bool ignoreCase) {
    const size_t from = start > 1 ? static_cast<size_t>(start) - 1 : 0;
    if (from > text.size()) return -1;
    return ToPosition(FindFirst(text, needle, from, ignoreCase));
}

int FindTextBackward(std::string_view text, std::string_view needle, int start) {
    if (start <= 1) return -1;
    const size_t limit = static_cast<size_t>(start) - 1;
    return ToPosition(FindLast(text, needle, limit < text.size() ? limit : text.size()));
}
