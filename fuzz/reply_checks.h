// What the parsers' fuzz targets check of every record they get back, whatever the reply.
#pragma once

#include <string_view>

namespace fuzz {

// The base address the targets give the parsers; every link begins with it and a "/".
constexpr std::string_view kBase = "http://games.example";

// Ends the run as a crash, so that libFuzzer keeps the input.
inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}

// A shown text is one line: no control character.
inline bool OneLine(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    }
    return true;
}

}  // namespace fuzz
