// The searches read character boundaries backward from a match instead of walking the text from
// its start, and the escape decoders convert runs of units at a time. Here they are compared on
// random input with plain reference versions that walk the text from its start and convert every
// piece on its own, the way the routines are defined.
#include "text/text_utils.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

// --- References

// Which bytes start a character, walking from the start of the text: a byte of 0x80 or more
// takes the next byte with it.
std::vector<bool> CharacterStarts(std::string_view text) {
    std::vector<bool> starts(text.size() + 1, false);
    for (size_t i = 0; i < text.size(); i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1)
        starts[i] = true;
    return starts;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Letters are folded only where the needle has a character of its own, never in a trail byte.
bool MatchesAt(std::string_view text, std::string_view needle, size_t index, bool ignoreCase) {
    if (!ignoreCase) return text.substr(index, needle.size()) == needle;
    const std::vector<bool> ownCharacters = CharacterStarts(needle);
    for (size_t i = 0; i < needle.size(); ++i) {
        const bool ownCharacter = ownCharacters[i];
        const char a = ownCharacter ? Lower(text[index + i]) : text[index + i];
        const char b = ownCharacter ? Lower(needle[i]) : needle[i];
        if (a != b) return false;
    }
    return true;
}

int ReferenceFind(std::string_view text, std::string_view needle, int start, bool ignoreCase) {
    if (needle.empty() || needle.size() > text.size()) return -1;
    const std::vector<bool> starts = CharacterStarts(text);
    for (size_t i = start > 1 ? static_cast<size_t>(start) - 1 : 0;
         i <= text.size() - needle.size(); ++i) {
        if (starts[i] && MatchesAt(text, needle, i, ignoreCase)) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

int ReferenceFindBackward(std::string_view text, std::string_view needle, int start) {
    const std::vector<bool> starts = CharacterStarts(text);
    int last = -1;
    for (size_t i = 0; !needle.empty() && i + needle.size() <= text.size(); ++i) {
        if (static_cast<int>(i + needle.size()) > start - 1) break;
        if (starts[i] && MatchesAt(text, needle, i, false)) {
            last = static_cast<int>(i) + 1;
        }
    }
    return last;
}

unsigned HexDigit(char c) {
    const std::string_view digits = "0123456789abcdef";
    const size_t found = digits.find(Lower(c));
    return found == std::string_view::npos ? 0 : static_cast<unsigned>(found);
}

unsigned HexNumber(std::string_view digits) {
    unsigned value = 0;
    for (char c : digits)
        value = value * 16 + HexDigit(c);
    return value;
}

std::string ReferenceHexGroupsToText(std::string_view text) {
    std::u16string units;
    for (size_t start = 0; start < text.size(); start += 4) {
        const std::string_view group = text.substr(start, 4);
        const unsigned low = HexNumber(group.substr(group.size() > 2 ? group.size() - 2 : 0));
        const unsigned high = HexNumber(group.substr(0, 2));
        units += static_cast<char16_t>(high << 8 | low);
    }
    return WideToAnsi(units);
}

std::string ReferenceDecodeUnicodeEscapes(std::string_view text) {
    const std::vector<bool> starts = CharacterStarts(text);
    std::vector<std::string_view> pieces;
    size_t pieceStart = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text.substr(i, 2) == "\\u" && starts[i]) {
            pieces.push_back(text.substr(pieceStart, i - pieceStart));
            pieceStart = i + 2;
            ++i;
        }
    }
    pieces.push_back(text.substr(pieceStart));
    std::string decoded;
    bool afterHighHalf = false;  // the last piece was a high surrogate's group alone
    for (std::string_view piece : pieces) {
        if (piece.empty()) continue;
        const std::string_view group = piece.substr(0, 4);
        const unsigned unit = HexNumber(group.size() == 4 ? group : "");
        // A low half right after a high half completes the character already written.
        if (!(afterHighHalf && group.size() == 4 && unit >= 0xDC00 && unit <= 0xDFFF)) {
            decoded += ReferenceHexGroupsToText(group);
        }
        afterHighHalf = piece.size() == 4 && unit >= 0xD800 && unit <= 0xDBFF;
        if (piece.size() > 4) decoded += piece.substr(4);
    }
    return decoded.empty() ? std::string(text) : decoded;
}

// --- Random input: texts glued from pieces that provoke the interesting cases

class RandomText {
public:
    explicit RandomText(unsigned seed) : engine_(seed) {}

    size_t Below(size_t bound) { return bound == 0 ? 0 : engine_() % bound; }

    // Mostly short texts; one in four is long enough for the long-text code paths.
    size_t Length(size_t shortLimit, size_t longLimit) {
        return Below(4) == 0 ? longLimit / 2 + Below(longLimit / 2) : Below(shortLimit);
    }

    std::string From(const std::vector<std::string_view>& pieces, size_t length) {
        std::string text;
        while (text.size() < length)
            text += pieces[Below(pieces.size())];
        return text;
    }

private:
    std::mt19937 engine_;
};

using Pieces = std::vector<std::string_view>;

// Lead bytes whose trail bytes look like the letters, quotes and backslashes around them.
const Pieces kSearchPieces = {"a",   "b",  "A",    "@",    "\\",   "u",      "\"",      ">",
                              "\">", "ab", "\x81", "\xB0", "\xA1", "\x95\\", "\xD6\xD0"};

const Pieces kEscapePieces = {"\\u",     "\\u4e2d", "\\u6587", "\\u4E2D", "\\ud83d", "\\ude00",
                              "\\u0000", "\\u00",   "\\u41",   "4e2d",    "abc",     "x",
                              "zz",      " ",       "\\",      "u",       "\x95",    "\xD6\xD0",
                              "\xFF",    "\\u\\u",  {"\0", 1}};

// --- Comparisons

TEST(TextUtilsRandom, SearchesAgreeWithAWalkFromTheStart) {
    RandomText random(1);
    for (int round = 0; round < 1500; ++round) {
        std::string text = random.From(kSearchPieces, random.Length(40, 2400));
        std::string needle = random.From(kSearchPieces, 1 + random.Below(5));
        if (random.Below(2) != 0 && !text.empty()) {
            needle = text.substr(random.Below(text.size()), 1 + random.Below(8));
        }
        // Matches at the very end, on a character or on a trail byte.
        if (random.Below(3) == 0) text += (random.Below(2) != 0 ? "" : "\x81") + needle;
        const int start = static_cast<int>(random.Below(text.size() + 4)) - 2;
        SCOPED_TRACE(UrlEncode(text) + " / " + UrlEncode(needle) + " at " + std::to_string(start));
        ASSERT_EQ(FindText(text, needle, start), ReferenceFind(text, needle, start, false));
        ASSERT_EQ(FindText(text, needle, start, true), ReferenceFind(text, needle, start, true));
        ASSERT_EQ(FindTextBackward(text, needle, start),
                  ReferenceFindBackward(text, needle, start));
    }
}

// Long needles in long texts, where a match may lie anywhere.
TEST(TextUtilsRandom, LongNeedlesInLongTexts) {
    RandomText random(2);
    const Pieces pieces = {"<a ",      "class=\"", "next\"",   " data-item=\"",
                           "btn-page", "-next\"",  "\xD6\xD0", "\x81<",
                           "a",        "\">"};
    for (int round = 0; round < 300; ++round) {
        std::string text = random.From(pieces, 1024 + random.Below(3000));
        const std::string needle = random.From(pieces, 4 + random.Below(40));
        if (random.Below(2) != 0) text.insert(random.Below(text.size()), needle);
        const int start = static_cast<int>(random.Below(64));
        SCOPED_TRACE(UrlEncode(text) + " / " + UrlEncode(needle) + " at " + std::to_string(start));
        ASSERT_EQ(FindText(text, needle, start), ReferenceFind(text, needle, start, false));
    }
}

TEST(TextUtilsRandom, EscapesAgreeWithPieceByPieceDecoding) {
    RandomText random(4);
    for (int round = 0; round < 1500; ++round) {
        const std::string text = random.From(kEscapePieces, random.Length(40, 5000));
        SCOPED_TRACE(UrlEncode(text));
        ASSERT_EQ(DecodeUnicodeEscapes(text), ReferenceDecodeUnicodeEscapes(text));
        ASSERT_EQ(HexGroupsToText(text), ReferenceHexGroupsToText(text));
    }
}

}  // namespace
