#include "catalogue/text_utils.h"

#include <climits>
#include <cstddef>

#include "catalogue/codepage.h"

namespace {

constexpr size_t kNotFound = std::string_view::npos;
constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// The program's rule for byte searches: any byte of 0x80 or more starts a two-byte character.
bool IsLeadByte(char byte) {
    return static_cast<unsigned char>(byte) >= 0x80;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Value of one hexadecimal digit of either case. Anything else counts as 0, so a stray "%" or a
// damaged "\u" group still decodes to a defined byte instead of garbage from a failed lookup.
unsigned HexValue(char c) {
    const size_t index = kHexDigits.find(static_cast<char>(c >= 'a' && c <= 'f' ? c - 32 : c));
    return index == kNotFound ? 0 : static_cast<unsigned>(index);
}

unsigned HexNumber(std::string_view digits) {
    unsigned value = 0;
    for (char c : digits)
        value = value * 16 + HexValue(c);
    return value;
}

int ToPosition(size_t index) {
    return (index == kNotFound || index >= static_cast<size_t>(INT_MAX))
               ? -1
               : static_cast<int>(index) + 1;
}

// Tells which byte indexes start a character, walking forward from a known character start so
// that a whole search costs one pass over the text however many candidates it rejects.
class CharBoundaries {
public:
    CharBoundaries(std::string_view text, size_t from)
        : text_(text), next_(SyncPoint(text, from)) {}

    // Queries must come in non-decreasing order of `index`.
    bool StartsCharacter(size_t index) {
        while (next_ < index)
            next_ += IsLeadByte(text_[next_]) ? 2 : 1;
        return next_ == index;
    }

private:
    // A byte below 0x80 is either a character of its own or a trail byte; either way a character
    // starts right after it. Resynchronising there avoids walking from the start of the text.
    static size_t SyncPoint(std::string_view text, size_t from) {
        size_t index = from;
        while (index > 0 && IsLeadByte(text[index - 1]))
            --index;
        return index;
    }

    std::string_view text_;
    size_t next_;
};

// Enumerates, left to right, the matches of a needle that start on a character, overlapping
// matches included.
class MatchFinder {
public:
    MatchFinder(std::string_view text, std::string_view needle, size_t from, bool ignoreCase)
        : text_(text),
          needle_(needle),
          from_(from),
          ignoreCase_(ignoreCase),
          boundaries_(text, from < text.size() ? from : text.size()) {}

    // Index of the next match, kNotFound when there is none.
    size_t Next() {
        if (needle_.empty()) return kNotFound;
        while (from_ < text_.size()) {
            const size_t candidate = ignoreCase_ ? FindIgnoringCase() : text_.find(needle_, from_);
            if (candidate == kNotFound) break;
            from_ = candidate + 1;
            if (boundaries_.StartsCharacter(candidate)) return candidate;
        }
        from_ = text_.size();
        return kNotFound;
    }

private:
    size_t FindIgnoringCase() const {
        if (needle_.size() > text_.size()) return kNotFound;
        for (size_t index = from_; index <= text_.size() - needle_.size(); ++index) {
            if (EqualsIgnoringCaseAt(index)) return index;
        }
        return kNotFound;
    }

    // Folds only bytes that are characters of their own in the needle: the trail byte of a
    // double-byte character may look like an ASCII letter but must match exactly.
    bool EqualsIgnoringCaseAt(size_t index) const {
        bool trail = false;
        for (size_t i = 0; i < needle_.size(); ++i) {
            const char wanted = needle_[i];
            const char actual = text_[index + i];
            const bool same = trail ? actual == wanted : AsciiLower(actual) == AsciiLower(wanted);
            if (!same) return false;
            trail = !trail && IsLeadByte(wanted);
        }
        return true;
    }

    std::string_view text_;
    std::string_view needle_;
    size_t from_;
    bool ignoreCase_;
    CharBoundaries boundaries_;
};

size_t FindFirst(std::string_view text, std::string_view needle, size_t from = 0) {
    return MatchFinder(text, needle, from, false).Next();
}

// The host-and-port part of a URL and the index where its path begins (kNotFound: no path).
struct UrlParts {
    std::string_view hostAndPort;
    size_t pathStart;
};

bool HasHttpScheme(std::string_view url) {
    constexpr std::string_view kScheme = "http://";
    if (url.size() < kScheme.size()) return false;
    for (size_t i = 0; i < kScheme.size(); ++i) {
        if (AsciiLower(url[i]) != kScheme[i]) return false;
    }
    return true;
}

UrlParts SplitUrl(std::string_view url) {
    const size_t hostStart = HasHttpScheme(url) ? 7 : 0;
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
    int port = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        port = port * 10 + (text[i] - '0');
        if (port > kMaxPort) return 0;
    }
    return port;
}

// One "\u" piece: its first four bytes are a hexadecimal group, the rest is plain text.
std::string DecodeEscapePiece(std::string_view piece) {
    constexpr size_t kGroupLength = 4;
    if (piece.size() <= kGroupLength) return HexGroupsToText(piece);
    std::string decoded = HexGroupsToText(piece.substr(0, kGroupLength));
    decoded.append(piece.substr(kGroupLength));
    return decoded;
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

void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out += static_cast<char16_t>(codePoint);
        return;
    }
    const char32_t offset = codePoint - 0x10000;
    out += static_cast<char16_t>(0xD800 | offset >> 10);
    out += static_cast<char16_t>(0xDC00 | (offset & 0x3FF));
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
    if (FindFirst(hostAndPort, ":") == kNotFound) return 80;
    return ParsePort(PortText(hostAndPort));
}

// The path begins at the "/" that ends the host-and-port part. (Searching for the host name in
// the URL instead would find a host such as "t" inside "http://" and return "//t/x".)
std::string UrlPath(std::string_view url) {
    const size_t pathStart = SplitUrl(url).pathStart;
    if (pathStart == kNotFound) return "/";
    return std::string(url.substr(pathStart));
}

// --- Escapes

std::string UrlEncode(std::string_view text) {
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (char c : text) {
        const bool plain =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
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

// Every "%" is an escape, also one not followed by hexadecimal digits. An escape cut short by the
// end of the text ("%" or "%4" at the very end) yields nothing.
std::string PercentDecode(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '%') {
            bytes += text[i++];
            continue;
        }
        if (text.size() - i < 3) break;
        const unsigned byte = HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]);
        if (byte != 0) bytes += static_cast<char>(byte);
        i += 3;
    }
    return Utf8ToAnsi(bytes);
}

// Text in front of the first "\u" is read as a hexadecimal group too; callers cut it off first.
std::string DecodeUnicodeEscapes(std::string_view text) {
    constexpr std::string_view kMarker = "\\u";
    std::string decoded;
    MatchFinder markers(text, kMarker, 0, false);
    size_t pieceStart = 0;
    for (size_t marker = markers.Next(); marker != kNotFound; marker = markers.Next()) {
        decoded += DecodeEscapePiece(text.substr(pieceStart, marker - pieceStart));
        pieceStart = marker + kMarker.size();
    }
    decoded += DecodeEscapePiece(text.substr(pieceStart));
    return decoded.empty() ? std::string(text) : decoded;
}

// Each group of up to four digits is one UTF-16 unit written high byte first: "4e2d" is U+4E2D.
// A group of two digits gives the same byte twice, one of three digits takes its last two as the
// low byte and its first two as the high byte. Non-hexadecimal digits count as 0.
std::string HexGroupsToText(std::string_view text) {
    constexpr size_t kGroupLength = 4;
    std::u16string units;
    units.reserve(text.size() / kGroupLength + 1);
    for (size_t start = 0; start < text.size(); start += kGroupLength) {
        const std::string_view group = text.substr(start, kGroupLength);
        const size_t lowStart = group.size() > 2 ? group.size() - 2 : 0;
        const unsigned low = HexNumber(group.substr(lowStart));
        const unsigned high = HexNumber(group.substr(0, 2));
        units += static_cast<char16_t>(high << 8 | low);
    }
    return WideToAnsi(units);
}

// --- Code-page conversions

std::u16string Utf8ToWide(std::string_view utf8) {
    std::u16string wide;
    wide.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            wide += static_cast<char16_t>(byte);
            ++i;
            continue;
        }
        const DecodedChar decoded = DecodeMultiByte(utf8.substr(i));
        AppendUtf16(wide, decoded.codePoint);
        i += decoded.length;
    }
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
    return ToPosition(MatchFinder(text, needle, from, ignoreCase).Next());
}

// Walks the matches forward and keeps the last one: walking backward would have to
// re-establish character boundaries for every candidate.
int FindTextBackward(std::string_view text, std::string_view needle, int start) {
    if (start <= 1) return -1;
    const size_t limit = static_cast<size_t>(start) - 1;
    const std::string_view searched = text.substr(0, limit < text.size() ? limit : text.size());
    MatchFinder matches(searched, needle, 0, false);
    size_t last = kNotFound;
    for (size_t match = matches.Next(); match != kNotFound; match = matches.Next())
        last = match;
    return ToPosition(last);
}
