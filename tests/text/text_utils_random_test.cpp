// The searches read character boundaries backward from a match instead of walking the text from
// its start, and the escape decoders convert runs of units at a time. Here they are compared on
// random input with the plain reference versions (tests/support/text), which walk the text from
// its start and convert every piece on its own, the way the routines are defined.
#include "text/text_utils.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/text/text_reference.h"

namespace {

using text_reference::ReferenceDecodeUnicodeEscapes;
using text_reference::ReferenceFind;
using text_reference::ReferenceFindBackward;
using text_reference::ReferenceHexGroupsToText;

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
