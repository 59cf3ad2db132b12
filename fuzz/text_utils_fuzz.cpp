// Feeds arbitrary bytes to every text routine. Besides the sanitizers' checks it traps on results
// that break the routines' contracts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "tests/support/text/text_reference.h"
#include "text/text_utils.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// True when a character starts at `index` (the reference's walk from the start of the text).
bool StartsCharacter(std::string_view text, size_t index) {
    return text_reference::CharacterStarts(text)[index];
}

// No conversion makes a text longer (a malformed sequence becomes one '?', a character takes at
// most as many GBK bytes as it had UTF-8 bytes), and the escape decoder agrees with the
// reference, which decodes each "\u" piece on its own.
void CheckConversions(std::string_view input) {
    Require(Utf8ToAnsi(input).size() <= input.size());
    Require(PercentDecode(input).size() <= input.size());
    // A shown text is one line, and decoding references never lengthens it.
    const std::string shown = ShownText(input);
    Require(shown.size() <= input.size());
    for (const char c : shown)
        Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);

    Require(DecodeUnicodeEscapes(input) == text_reference::ReferenceDecodeUnicodeEscapes(input));
}

void CheckSearches(std::string_view text, std::string_view needle, int start) {
    const int found = FindText(text, needle, start);
    Require(found == text_reference::ReferenceFind(text, needle, start, false));
    if (found != -1) {
        Require(found >= 1 && found >= start);
        Require(text.substr(static_cast<size_t>(found) - 1, needle.size()) == needle);
        Require(StartsCharacter(text, static_cast<size_t>(found) - 1));
    }
    const int foundIgnoringCase = FindText(text, needle, start, true);
    Require(foundIgnoringCase == -1 || foundIgnoringCase <= found || found == -1);

    const int last = FindTextBackward(text, needle, start);
    Require(last == text_reference::ReferenceFindBackward(text, needle, start));
    if (last != -1) {
        Require(last >= 1 && static_cast<size_t>(last) - 1 + needle.size() <= text.size());
        Require(static_cast<int>(static_cast<size_t>(last) - 1 + needle.size()) <= start - 1);
        Require(text.substr(static_cast<size_t>(last) - 1, needle.size()) == needle);
        Require(StartsCharacter(text, static_cast<size_t>(last) - 1));
        // Nothing later that still fits in front of `start`.
        Require(FindText(text.substr(0, static_cast<size_t>(start) - 1), needle, last + 1) == -1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // First byte: where to split needle from text and where to start searching.
    const unsigned control = data[0];
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t needleLength = input.empty() ? 0 : (control & 0x07) % (input.size() + 1);
    const std::string_view needle = input.substr(0, needleLength);
    const std::string_view text = input.substr(needleLength);
    const int start = static_cast<int>(control >> 3) - 2;

    CheckSearches(text, needle, start);

    const std::string host = UrlHost(input);
    const int port = UrlPort(input);
    Require(port >= 0 && port <= 65535);
    const std::string path = UrlPath(input);
    Require(!path.empty() && path[0] == '/');
    Require(host.size() <= input.size());
    // A base address a setting may give splits into a host and a port the client can use.
    if (IsWebBaseUrl(input)) {
        Require(!host.empty() && port > 0);
        Require(path == "/" || input.find(path) != std::string_view::npos);
    }
    if (IsLoopbackHost(input)) Require(input == "localhost" || input.starts_with("127."));

    const std::string encoded = UrlEncode(input);
    Require(encoded.size() >= input.size());
    // Encoding then decoding is the plain UTF-8 conversion, less the zero bytes.
    std::string withoutZeros;
    for (char c : input) {
        if (c != '\0') withoutZeros += c;
    }
    Require(PercentDecode(encoded) == Utf8ToAnsi(withoutZeros));
    CheckConversions(input);
    HexGroupsToText(input);

    const std::u16string wide = Utf8ToWide(input);
    Require(wide.size() <= input.size());
    const std::string ansi = WideToAnsi(wide);
    Require(ansi.find('\0') == std::string::npos);
    const std::u16string back = AnsiToWide(ansi);
    Require(back.find(u'\0') == std::u16string::npos);

    std::u16string units(input.size() / 2, u'\0');
    std::memcpy(units.data(), input.data(), units.size() * sizeof(char16_t));
    WideToAnsi(units);
    AnsiToWide(input);

    Require(JoinBytes({needle, text}) == input);
    return 0;
}
