// KeyChord: a key with its modifiers, as the library file names it ("Ctrl+Alt+B"), for the
// program's system-wide keys (the boss key).
//
// Portable: the modifier bits and key codes have the values of Windows' MOD_* flags and virtual
// keys, so the Windows side passes them to RegisterHotKey unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct KeyChord {
    static constexpr unsigned kAlt = 0x1;
    static constexpr unsigned kCtrl = 0x2;
    static constexpr unsigned kShift = 0x4;
    static constexpr unsigned kWin = 0x8;

    unsigned modifiers = 0;  // kAlt | kCtrl | kShift | kWin
    unsigned key = 0;        // a virtual-key code
    bool operator==(const KeyChord&) const = default;
};

// The boss key when the library names none.
inline constexpr KeyChord kDefaultBossKey{KeyChord::kCtrl | KeyChord::kAlt, 'B'};

// "Ctrl+Alt+B", "ctrl + shift + f12", "Win+Space": modifiers (Ctrl, Alt, Shift, Win, in any
// order and case, each once) and one key: a letter, a digit, F1 to F24, or one of Space, Insert,
// Delete, Home, End, PageUp, PageDown, Pause. Nothing for any other text, and for a chord a
// system-wide key must not be: a letter, digit or named key without Ctrl, Alt or Win would take
// that key from every program, so only F keys and Pause may stand alone or with Shift.
std::optional<KeyChord> ParseKeyChord(std::string_view text);

// The chord as ParseKeyChord reads it, modifiers in the order Ctrl, Alt, Shift, Win.
std::string FormatKeyChord(const KeyChord& chord);
