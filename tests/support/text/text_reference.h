// Plain reference versions of the text routines, for the randomised tests and the fuzzer to
// compare the real ones with: they walk the text from its start to find character boundaries
// and convert every "\u" piece on its own, the way the routines are defined, however slowly.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/text_utils.h"

namespace text_reference {

// Which bytes start a character, walking from the start of the text: a byte of 0x80 or more
// takes the next byte with it.
inline std::vector<bool> CharacterStarts(std::string_view text) {
    std::vector<bool> starts(text.size() + 1, false);
    for (size_t i = 0; i < text.size(); i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1)
        starts[i] = true;
    return starts;
}

inline char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Letters are folded only where the needle has a character of its own, never in a trail byte.
inline bool MatchesAt(std::string_view text, std::string_view needle, size_t index,
                      bool ignoreCase) {
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

inline int ReferenceFind(std::string_view text, std::string_view needle, int start,
                         bool ignoreCase) {
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

inline int ReferenceFindBackward(std::string_view text, std::string_view needle, int start) {
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

inline unsigned HexDigit(char c) {
    const std::string_view digits = "0123456789abcdef";
    const size_t found = digits.find(Lower(c));
    return found == std::string_view::npos ? 0 : static_cast<unsigned>(found);
}

inline unsigned HexNumber(std::string_view digits) {
    unsigned value = 0;
    for (char c : digits)
        value = value * 16 + HexDigit(c);
    return value;
}

inline std::string ReferenceHexGroupsToText(std::string_view text) {
    std::u16string units;
    for (size_t start = 0; start < text.size(); start += 4) {
        const std::string_view group = text.substr(start, 4);
        const unsigned low = HexNumber(group.substr(group.size() > 2 ? group.size() - 2 : 0));
        const unsigned high = HexNumber(group.substr(0, 2));
        units += static_cast<char16_t>(high << 8 | low);
    }
    return WideToAnsi(units);
}

inline std::string ReferenceDecodeUnicodeEscapes(std::string_view text) {
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

}  // namespace text_reference
