#include "text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes one UTF-8 sequence at `text[i]` into `code`, advancing `i`. A bad sequence gives
// false and U+FFFD.
bool DecodeCodePoint(std::string_view text, size_t& i, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    code = lead;
    if (lead < 0x80) return true;
    code = U'\uFFFD';
    const int extra = lead >= 0xF8   ? -1
                      : lead >= 0xF0 ? 3
                      : lead >= 0xE0 ? 2
                      : lead >= 0xC0 ? 1
                                     : -1;
    if (extra < 0 || i + extra > text.size()) return false;
    char32_t value = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) return false;
        value = (value << 6) | (next & 0x3F);
        ++i;
    }
    code = value;
    return true;
}

char32_t NextCodePoint(std::string_view text, size_t& i) {
    char32_t code;
    DecodeCodePoint(text, i, code);
    return code;
}

void AppendUnitEscape(std::string& out, unsigned unit) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", unit & 0xFFFF);
    out += buffer;
}

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

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
    char32_t code;
    for (size_t i = 0; i < bytes.size();) {
        if (!DecodeCodePoint(bytes, i, code)) return false;
        if (code >= 0x80 && code < 0x2E80) return false;
    }
    return true;
}

std::string GbkToUtf8(std::string_view gbk) {
    const Converter converter("UTF-8", "GBK");
    if (!converter.valid()) return {};
    std::string out;
    std::vector<char> input(gbk.begin(), gbk.end());
    char* in = input.data();
    size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr);
        if (done == static_cast<size_t>(-1) && errno != E2BIG) {
            out += Utf8(u8"\uFFFD");
            ++in;
            --inLeft;
        }
    }
    return out;
}

std::string KeywordToUtf8(std::string_view bytes) {
    return IsUtf8Chinese(bytes) ? std::string(bytes) : GbkToUtf8(bytes);
}

std::string JsonEscape(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const char32_t code = NextCodePoint(utf8, i);
        if (code == '"' || code == '\\' || code == '/') {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code >= 0x20 && code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x10000) {
            AppendUnitEscape(out, code);
        } else {
            AppendUnitEscape(out, 0xD800 + ((code - 0x10000) >> 10));
            AppendUnitEscape(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    return out;
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

std::string PercentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
            b == '-' || b == '_' || b == '.' || b == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
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
