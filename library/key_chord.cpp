#include "library/key_chord.h"

#include <charconv>
#include <array>
#include <cctype>

namespace {

struct Name {
    std::string_view text;
    unsigned code;
};

constexpr std::array<Name, 4> kModifiers = {{
    {"Ctrl", KeyChord::kCtrl},
    {"Alt", KeyChord::kAlt},
    {"Shift", KeyChord::kShift},
    {"Win", KeyChord::kWin},
}};

// Virtual-key codes of the named keys.
constexpr unsigned kF1 = 0x70;
constexpr unsigned kPause = 0x13;
constexpr std::array<Name, 8> kNamedKeys = {{
    {"Space", 0x20},
    {"PageUp", 0x21},
    {"PageDown", 0x22},
    {"End", 0x23},
    {"Home", 0x24},
    {"Insert", 0x2D},
    {"Delete", 0x2E},
    {"Pause", kPause},
}};

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// The key code of one key name; 0 when there is none.
unsigned KeyCode(std::string_view name) {
    if (name.empty()) return 0;
    if (name.size() == 1) {
        const auto c =
            static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(name[0])));
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
        return 0;
    }
    for (const Name& key : kNamedKeys) {
        if (SameWord(name, key.text)) return key.code;
    }
    if (name.size() <= 3 && (name[0] == 'F' || name[0] == 'f')) {
        const std::string_view digits = name.substr(1);
        unsigned number = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error != std::errc() || end != digits.data() + digits.size()) return 0;
        if (digits[0] != '0' && number >= 1 && number <= 24) return kF1 + number - 1;
    }
    return 0;
}

bool IsFunctionKey(unsigned key) {
    return (key >= kF1 && key < kF1 + 24) || key == kPause;
}

}  // namespace

std::optional<KeyChord> ParseKeyChord(std::string_view text) {
    KeyChord chord;
    while (true) {
        const size_t plus = text.find('+');
        const std::string_view part = Trim(text.substr(0, plus));
        if (plus == std::string_view::npos) {
            chord.key = KeyCode(part);
            break;
        }
        text.remove_prefix(plus + 1);
        unsigned modifier = 0;
        for (const Name& name : kModifiers) {
            if (SameWord(part, name.text)) modifier = name.code;
        }
        if (modifier == 0 || (chord.modifiers & modifier) != 0) return std::nullopt;
        chord.modifiers |= modifier;
    }
    if (chord.key == 0) return std::nullopt;
    const bool takesKey = (chord.modifiers & (KeyChord::kCtrl | KeyChord::kAlt | KeyChord::kWin));
    if (!takesKey && !IsFunctionKey(chord.key)) return std::nullopt;
    return chord;
}

std::string FormatKeyChord(const KeyChord& chord) {
    std::string text;
    for (const Name& name : kModifiers) {
        if (chord.modifiers & name.code) text.append(name.text).append("+");
    }
    if ((chord.key >= 'A' && chord.key <= 'Z') || (chord.key >= '0' && chord.key <= '9')) {
        return text + static_cast<char>(chord.key);
    }
    if (chord.key >= kF1 && chord.key < kF1 + 24) {
        return text + "F" + std::to_string(chord.key - kF1 + 1);
    }
    for (const Name& key : kNamedKeys) {
        if (key.code == chord.key) return text.append(key.text);
    }
    return text + "?";
}
