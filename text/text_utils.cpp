#include "text/text_utils.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

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
// damaged "\u" group still decodes to a defined byte instead of garbage from a failed lookup.
constexpr std::array<unsigned char, 256> kHexValues = [] {
    std::array<unsigned char, 256> values{};
    for (unsigned i = 0; i < kHexDigits.size(); ++i) {
        values[static_cast<unsigned char>(kHexDigits[i])] = static_cast<unsigned char>(i);
        values[static_cast<unsigned char>(AsciiLower(kHexDigits[i]))] =
            static_cast<unsigned char>(i);
    }
    return values;
}();

constexpr std::array<bool, 256> kIsHexDigit = [] {
    std::array<bool, 256> digits{};
    for (char c : kHexDigits) {
        digits[static_cast<unsigned char>(c)] = true;
        digits[static_cast<unsigned char>(AsciiLower(c))] = true;
    }
    return digits;
}();

unsigned HexValue(char c) {
    return kHexValues[static_cast<unsigned char>(c)];
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
    if (group.size() == 4) {
        return static_cast<char16_t>(HexValue(group[0]) << 12 | HexValue(group[1]) << 8 |
                                     HexValue(group[2]) << 4 | HexValue(group[3]));
    }
    const size_t lowStart = group.size() > 2 ? group.size() - 2 : 0;
    const unsigned low = HexNumber(group.substr(lowStart));
    const unsigned high = HexNumber(group.substr(0, 2));
    return static_cast<char16_t>(high << 8 | low);
}

bool IsSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
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
// starts a character exactly when there is an even number of them. Usually the byte right in
// front is below 0x80 and the answer is immediate.

// For queries in increasing order of `index`. The run in front of a query is scanned back only
// to the previous query, so a whole search looks at each byte at most once however many
// candidates it rejects.
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
// earlier one is answered from that run, so again no byte is scanned twice.
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

// Finds a needle in a long text by Horspool's method on byte pairs: the pair under the end of
// the window says how far the needle may move on, which for a needle of a few dozen bytes skips
// most of a page without looking at it. A pair the needle lacks moves it by its whole length, a
// fixed stride, so the next look-ups need not wait for this one.
class PairSkipSearcher {
public:
    static constexpr size_t kMinNeedle = 4;
    static constexpr size_t kMaxNeedle = 256;

    explicit PairSkipSearcher(std::string_view needle) : needle_(needle) {
        const size_t last = needle.size() - 1;
        // Where each pair last ends inside the needle (0: nowhere). Pairs that share a hash share
        // the later position, which only makes the move shorter, never wrong.
        positions_.fill(0);
        for (size_t j = 1; j < last; ++j)
            positions_[PairHash(needle[j - 1], needle[j])] = static_cast<uint8_t>(j);
        const unsigned endPair = PairHash(needle[last - 1], needle[last]);
        afterMismatch_ = last - positions_[endPair];
        positions_[endPair] = static_cast<uint8_t>(last);  // may end a match: compare the window
    }

    size_t Find(std::string_view text, size_t from) const {
        const size_t last = needle_.size() - 1;
        if (from >= text.size() || text.size() - from < needle_.size()) return kNotFound;
        const char* data = text.data();
        const size_t lastEnd = text.size() - 1;
        for (size_t end = from + last; end <= lastEnd;) {
            size_t position = positions_[PairHash(data[end - 1], data[end])];
            while (position == 0) {
                end += last;
                if (end > lastEnd) return kNotFound;
                position = positions_[PairHash(data[end - 1], data[end])];
            }
            if (position < last) {
                end += last - position;
                continue;
            }
            if (std::memcmp(data + end - last, needle_.data(), needle_.size()) == 0) {
                return end - last;
            }
            end += afterMismatch_;
        }
        return kNotFound;
    }

private:
    static unsigned PairHash(char first, char second) {
        return (static_cast<unsigned char>(first) * 27u + static_cast<unsigned char>(second)) &
               0xFF;
    }

    std::string_view needle_;
    std::array<uint8_t, 256> positions_;
    size_t afterMismatch_;
};

// Enumerates, left to right, the matches of a needle that start on a character, overlapping
// matches included.
class MatchFinder {
public:
    MatchFinder(std::string_view text, std::string_view needle, size_t from, bool ignoreCase)
        : text_(text), needle_(needle), from_(from), ignoreCase_(ignoreCase), boundaries_(text) {}

    // Index of the next match, kNotFound when there is none.
    size_t Next() {
        if (needle_.empty()) return kNotFound;
        while (from_ < text_.size()) {
            const size_t candidate = ignoreCase_ ? FindIgnoringCase() : FindExactly();
            if (candidate == kNotFound) break;
            from_ = candidate + 1;
            if (boundaries_.StartsCharacter(candidate)) return candidate;
        }
        from_ = text_.size();
        return kNotFound;
    }

private:
    // Long searches (a whole page) pay for a skip table once; short ones, such as the searches
    // inside one record, are quicker with the plain library search.
    static constexpr size_t kLongSearch = 1024;

    size_t FindExactly() {
        if (!skipper_ && needle_.size() >= PairSkipSearcher::kMinNeedle &&
            needle_.size() <= PairSkipSearcher::kMaxNeedle && text_.size() - from_ >= kLongSearch) {
            skipper_.emplace(needle_);
        }
        return skipper_ ? skipper_->Find(text_, from_) : FindShort();
    }

    // The library search compares through a call for every occurrence of the first byte; inside
    // a record, where the first byte (often a quote) is everywhere, comparing in place is faster.
    size_t FindShort() const {
        if (text_.size() - from_ < needle_.size()) return kNotFound;
        const char* const data = text_.data();
        const char* at = data + from_;
        const char* const lastStart = data + text_.size() - needle_.size();
        while (at <= lastStart) {
            at = static_cast<const char*>(
                std::memchr(at, needle_[0], static_cast<size_t>(lastStart - at) + 1));
            if (at == nullptr) return kNotFound;
            size_t matched = 1;
            while (matched < needle_.size() && at[matched] == needle_[matched])
                ++matched;
            if (matched == needle_.size()) return static_cast<size_t>(at - data);
            ++at;
        }
        return kNotFound;
    }

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
    std::optional<PairSkipSearcher> skipper_;
};

size_t FindFirst(std::string_view text, std::string_view needle, size_t from = 0) {
    return MatchFinder(text, needle, from, false).Next();
}

// The last match that starts on a character and ends within the first `limit` bytes.
size_t FindLast(std::string_view text, std::string_view needle, size_t limit) {
    if (needle.empty() || needle.size() > limit) return kNotFound;
    CharBoundariesBackward boundaries(text);
    const char first = needle[0];
    for (size_t candidate = limit - needle.size() + 1; candidate-- > 0;) {
        if (text[candidate] != first) continue;
        if (std::memcmp(text.data() + candidate, needle.data(), needle.size()) != 0) continue;
        if (boundaries.StartsCharacter(candidate)) return candidate;
    }
    return kNotFound;
}

// --- GBK output

// Number of bytes from `from` on that are plain ASCII (0x01-0x7F), read a word at a time: such
// bytes are the same in UTF-8, UTF-16 units and GBK and need no conversion.
size_t AsciiRunLength(std::string_view text, size_t from) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kHighBits = 0x8080808080808080ULL;
    size_t index = from;
    while (text.size() - index >= sizeof(uint64_t)) {
        uint64_t word;
        std::memcpy(&word, text.data() + index, sizeof word);
        // A high bit is set in `word` for a byte of 0x80 or more, in `word - kOnes` for a zero
        // byte (bytes below a zero byte are at least 1, so no borrow reaches it from them).
        if (((word | (word - kOnes)) & kHighBits) != 0) break;
        index += sizeof word;
    }
    while (index < text.size() && text[index] != '\0' && !IsLeadByte(text[index]))
        ++index;
    return index - from;
}

// Assembles GBK text in order from UTF-16 units, plain ASCII runs and raw bytes. Units are
// gathered and converted a buffer at a time; ASCII is copied as it is unless it is short and
// units are waiting (then converting it along is cheaper than a conversion call of its own; with
// the Windows functions, measured under Wine, from about 16 bytes on copying wins). Pieces
// are staged in a small byte buffer, so that the result string grows a few kilobytes at a time
// rather than once per piece. Buffers are never cut between the two halves of a surrogate pair,
// so the conversion sees the same pairs as it would in one piece. Flush() writes what is still
// waiting.
class GbkWriter {
public:
    explicit GbkWriter(std::string& out) : out_(out) {}
    GbkWriter(const GbkWriter&) = delete;
    GbkWriter& operator=(const GbkWriter&) = delete;

    void Unit(char16_t unit) {
        if (unitCount_ == kUnitCapacity) ConvertUnitsKeepingPair();
        units_[unitCount_++] = unit;
    }

    void CodePoint(char32_t codePoint) {
        if (codePoint < 0x10000) {
            Unit(static_cast<char16_t>(codePoint));
            return;
        }
        if (kUnitCapacity - unitCount_ < 2) ConvertUnits();
        const char32_t offset = codePoint - 0x10000;
        units_[unitCount_++] = static_cast<char16_t>(0xD800 | offset >> 10);
        units_[unitCount_++] = static_cast<char16_t>(0xDC00 | (offset & 0x3FF));
    }

    // Bytes 0x01-0x7F only.
    void Ascii(std::string_view ascii) {
        if (unitCount_ == 0 || ascii.size() >= kShortAscii) {
            Bytes(ascii);
            return;
        }
        for (char c : ascii)
            Unit(static_cast<char16_t>(c));
    }

    // Bytes that go into the result unconverted.
    void Bytes(std::string_view bytes) {
        ConvertUnits();
        if (bytes.size() > kByteCapacity - byteCount_) WriteBytes();
        if (bytes.size() > kByteCapacity) {  // nothing is staged any more
            out_.append(bytes);
            return;
        }
        std::memcpy(bytes_.data() + byteCount_, bytes.data(), bytes.size());
        byteCount_ += bytes.size();
    }

    void Flush() {
        ConvertUnits();
        WriteBytes();
    }

private:
    static constexpr size_t kShortAscii = 16;
    static constexpr size_t kUnitCapacity = 1024;
    static constexpr size_t kByteCapacity = 4 * kUnitCapacity;

    void ConvertUnits() {
        if (unitCount_ == 0) return;
        if (2 * unitCount_ > kByteCapacity - byteCount_) WriteBytes();
        byteCount_ += codepage::WriteGbk(std::u16string_view(units_.data(), unitCount_),
                                         bytes_.data() + byteCount_);
        unitCount_ = 0;
    }

    void ConvertUnitsKeepingPair() {
        const char16_t lastUnit = units_[unitCount_ - 1];
        if (!IsHighSurrogate(lastUnit)) {
            ConvertUnits();
            return;
        }
        --unitCount_;
        ConvertUnits();
        units_[unitCount_++] = lastUnit;
    }

    void WriteBytes() {
        out_.append(bytes_.data(), byteCount_);
        byteCount_ = 0;
    }

    std::string& out_;
    std::array<char16_t, kUnitCapacity> units_;
    size_t unitCount_ = 0;
    std::array<char, kByteCapacity> bytes_;
    size_t byteCount_ = 0;
};

bool IsEscapeMarker(std::string_view text, size_t index) {
    return text[index] == '\\' && text[index + 1] == 'u';
}

bool IsFourHexDigits(const char* digits) {
    return kIsHexDigit[static_cast<unsigned char>(digits[0])] &&
           kIsHexDigit[static_cast<unsigned char>(digits[1])] &&
           kIsHexDigit[static_cast<unsigned char>(digits[2])] &&
           kIsHexDigit[static_cast<unsigned char>(digits[3])];
}

// The unit of one "\u" group. A unit of value 0 ends the text it converts to, so it adds nothing;
// surrogates are converted one by one, never as a pair, and no GBK character holds one.
void AppendGroupUnit(GbkWriter& out, char16_t unit) {
    if (unit != 0) out.Unit(IsSurrogate(unit) ? u'?' : unit);
}

// One "\u" piece: its first four bytes are a hexadecimal group, the rest is plain text.
void AppendEscapePiece(GbkWriter& out, std::string_view piece) {
    constexpr size_t kGroupLength = 4;
    if (piece.empty()) return;
    AppendGroupUnit(out, GroupUnit(piece.substr(0, kGroupLength)));
    if (piece.size() <= kGroupLength) return;
    const std::string_view rest = piece.substr(kGroupLength);
    if (AsciiRunLength(rest, 0) == rest.size()) {
        out.Ascii(rest);
    } else {
        out.Bytes(rest);
    }
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

// Converts UTF-8 to GBK. Unless `complete` (the end of `utf8` is the end of the text), stops in
// front of the last three bytes if a character starting there might continue beyond them: with
// four bytes at hand, a sequence decodes as it would in the whole text. Returns the number of
// bytes converted, or kNotFound when a NUL character ended the text.
size_t ConvertUtf8(std::string_view utf8, bool complete, GbkWriter& out) {
    constexpr size_t kLongestSequence = 4;
    const size_t size = utf8.size();
    size_t i = 0;
    while (i < size) {
        const size_t ascii = AsciiRunLength(utf8, i);
        if (ascii > 0) {
            out.Ascii(utf8.substr(i, ascii));
            i += ascii;
            continue;
        }
        // A run of other characters, up to the next plain ASCII.
        do {
            const auto lead = static_cast<unsigned char>(utf8[i]);
            if (lead == 0) return kNotFound;
            if (lead < 0x80) break;
            if (!complete && size - i < kLongestSequence) return i;
            // Most of the text of a Chinese page: a well-formed three-byte sequence whose lead
            // leaves the whole continuation range open (not E0 or ED).
            if (lead >= 0xE1 && lead != 0xED && lead <= 0xEF && size - i >= 3) {
                const auto second = static_cast<unsigned char>(utf8[i + 1]);
                const auto third = static_cast<unsigned char>(utf8[i + 2]);
                if ((second & 0xC0) == 0x80 && (third & 0xC0) == 0x80) {
                    out.Unit(static_cast<char16_t>((lead & 0x0F) << 12 | (second & 0x3F) << 6 |
                                                   (third & 0x3F)));
                    i += 3;
                    continue;
                }
            }
            const DecodedChar decoded = DecodeMultiByte(utf8.substr(i));
            out.CodePoint(decoded.codePoint);
            i += decoded.length;
        } while (i < size);
    }
    return i;
}

// UTF-8 that arrives in pieces, converted to GBK as it comes and ending at the first NUL
// character. Pieces are converted where they lie; only the bytes of a character that may
// continue in the next piece, and single bytes, wait in a small buffer. No text grows in the
// conversion (a malformed sequence becomes one '?', a character takes at most as many GBK bytes
// as it had UTF-8 bytes), so a result reserved as long as the input needs no reallocation.
class Utf8ToGbk {
public:
    explicit Utf8ToGbk(std::string& out) : writer_(out) {}

    void Append(std::string_view bytes) {
        while (!bytes.empty() && !ended_) {
            if (waiting_ == 0) {
                const size_t converted = ConvertUtf8(bytes, false, writer_);
                if (converted == kNotFound) {
                    ended_ = true;
                    return;
                }
                bytes.remove_prefix(converted);
                std::memcpy(buffer_.data(), bytes.data(), bytes.size());  // at most three bytes
                waiting_ = bytes.size();
                return;
            }
            // Add enough to finish the character the waiting bytes began, then go on in place.
            const size_t taken = std::min(bytes.size(), kTopUp);
            std::memcpy(buffer_.data() + waiting_, bytes.data(), taken);
            waiting_ += taken;
            bytes.remove_prefix(taken);
            ConvertWaiting(false);
        }
    }

    void Append(char byte) {
        if (ended_) return;
        buffer_[waiting_++] = byte;
        if (waiting_ >= kTopUp) ConvertWaiting(false);
    }

    void Finish() {
        if (!ended_) ConvertWaiting(true);
        writer_.Flush();
    }

private:
    static constexpr size_t kTopUp = 64;

    void ConvertWaiting(bool complete) {
        const size_t converted =
            ConvertUtf8(std::string_view(buffer_.data(), waiting_), complete, writer_);
        if (converted == kNotFound) {
            ended_ = true;
            waiting_ = 0;
            return;
        }
        std::memmove(buffer_.data(), buffer_.data() + converted, waiting_ - converted);
        waiting_ -= converted;
    }

    GbkWriter writer_;
    // Fewer than kTopUp bytes wait before more are added.
    std::array<char, 2 * kTopUp> buffer_;
    size_t waiting_ = 0;
    bool ended_ = false;
};

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
    std::string ansi;
    ansi.reserve(text.size());
    Utf8ToGbk converter(ansi);
    size_t plain = 0;
    for (size_t escape = text.find('%'); escape != kNotFound; escape = text.find('%', plain)) {
        converter.Append(text.substr(plain, escape - plain));
        if (text.size() - escape < 3) {
            plain = text.size();
            break;
        }
        const unsigned byte = HexValue(text[escape + 1]) * 16 + HexValue(text[escape + 2]);
        if (byte != 0) converter.Append(static_cast<char>(byte));
        plain = escape + 3;
    }
    converter.Append(text.substr(plain));
    converter.Finish();
    return ansi;
}

// Text in front of the first "\u" is read as a hexadecimal group too; callers cut it off first.
// The units of all escapes are converted together: fewer conversions, and the same result, since
// a unit converts the same alone as among others once surrogates are taken one by one.
std::string DecodeUnicodeEscapes(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());  // a piece never decodes to more bytes than it has
    GbkWriter writer(decoded);
    size_t pieceStart = 0;
    // Walks the characters, so that a backslash that is the trail byte of a double-byte
    // character starts no escape.
    for (size_t i = 0; i + 1 < text.size();) {
        if (IsLeadByte(text[i])) {
            i += 2;
        } else if (!IsEscapeMarker(text, i)) {
            ++i;
        } else {
            AppendEscapePiece(writer, text.substr(pieceStart, i - pieceStart));
            i += 2;
            // Most pieces are four digits and the next marker: no need to walk over the digits,
            // which can be neither a lead byte nor the start of a marker.
            while (text.size() - i >= 6 && IsFourHexDigits(text.data() + i) &&
                   IsEscapeMarker(text, i + 4)) {
                AppendGroupUnit(writer, GroupUnit(text.substr(i, 4)));
                i += 6;
            }
            pieceStart = i;
        }
    }
    AppendEscapePiece(writer, text.substr(pieceStart));
    writer.Flush();
    return decoded.empty() ? std::string(text) : decoded;
}

// Each group of up to four digits is one UTF-16 unit (see GroupUnit); the text ends at the first
// unit of value 0. Non-hexadecimal digits count as 0.
std::string HexGroupsToText(std::string_view text) {
    constexpr size_t kGroupLength = 4;
    std::string gbk;
    gbk.reserve(text.size() / 2 + 1);
    GbkWriter writer(gbk);
    for (size_t start = 0; start < text.size(); start += kGroupLength) {
        const char16_t unit = GroupUnit(text.substr(start, kGroupLength));
        if (unit == 0) break;
        writer.Unit(unit);
    }
    writer.Flush();
    return gbk;
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
    std::string ansi;
    ansi.reserve(utf8.size());
    GbkWriter writer(ansi);
    ConvertUtf8(utf8, true, writer);
    writer.Flush();
    return ansi;
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
    return ToPosition(MatchFinder(text, needle, from, ignoreCase).Next());
}

int FindTextBackward(std::string_view text, std::string_view needle, int start) {
    if (start <= 1) return -1;
    const size_t limit = static_cast<size_t>(start) - 1;
    return ToPosition(FindLast(text, needle, limit < text.size() ? limit : text.size()));
}
