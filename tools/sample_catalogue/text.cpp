#include "text.h"


#include "text/text_utils.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string DecodeQueryValue(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '+') {
            out += ' ';
        } else if (value[i] == '%' && i + 2 < value.size() && HexValue(value[i + 1]) >= 0 &&
                   HexValue(value[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string PathOf(std::string_view target) {
    return std::string(target.substr(0, target.find('?')));
}

std::map<std::string, std::string> QueryOf(std::string_view target) {
    std::map<std::string, std::string> query;
    const size_t mark = target.find('?');
    if (mark == std::string_view::npos) return query;
    std::string_view rest = target.substr(mark + 1);
    while (!rest.empty()) {
        const size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
        if (pair.empty()) continue;
        const size_t eq = pair.find('=');
        const std::string key = DecodeQueryValue(pair.substr(0, eq));
        query[key] = eq == std::string_view::npos ? "" : DecodeQueryValue(pair.substr(eq + 1));
    }
    return query;
}

// Whether the bytes read as UTF-8 Chinese text: valid UTF-8 whose non-ASCII characters are all
// CJK characters or full-width punctuation. Short GBK texts can be valid UTF-8 by chance (猫 is
// C3 A8, which UTF-8 reads as è), but not with characters from these blocks.
bool IsUtf8Chinese(std::string_view bytes) {
    for (const char16_t unit : Utf8ToWide(bytes)) {
        // U+FFFD stands for a sequence that is no UTF-8.
        if ((unit >= 0x80 && unit < 0x2E80) || unit == 0xFFFD) return false;
    }
    return true;
}

std::string GbkToUtf8(std::string_view gbk) {
    return AnsiToUtf8(gbk);
}

std::string KeywordToUtf8(std::string_view bytes) {
    return IsUtf8Chinese(bytes) ? std::string(bytes) : GbkToUtf8(bytes);
}

std::string HtmlEscape(std::string_view utf8) {
    std::string out;
    for (const char c : utf8) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

uint64_t Mix(uint64_t value) {
    value += 0x9E3779B97F4A7C15ULL;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31);
}

uint64_t Hash(std::string_view text, uint64_t seed) {
    uint64_t hash = 0xCBF29CE484222325ULL ^ seed;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3ULL;
    }
    return Mix(hash);
}
