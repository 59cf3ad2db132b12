// Key chords as the library file names them: what is read, what is refused, and that the
// program's own spelling reads back as the same chord.
#include "library/key_chord.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned kCtrl = KeyChord::kCtrl, kAlt = KeyChord::kAlt, kShift = KeyChord::kShift,
                   kWin = KeyChord::kWin;

TEST(KeyChord, ReadsModifiersInAnyOrderAndCaseWithOneKey) {
    const struct {
        const char* text;
        KeyChord chord;
        const char* spelled;
    } rows[] = {
        {"Ctrl+Alt+B", {kCtrl | kAlt, 'B'}, "Ctrl+Alt+B"},
        {"alt + ctrl + b", {kCtrl | kAlt, 'B'}, "Ctrl+Alt+B"},
        {"Shift+Win+Ctrl+Alt+7", {kCtrl | kAlt | kShift | kWin, '7'}, "Ctrl+Alt+Shift+Win+7"},
        {"Win+Space", {kWin, 0x20}, "Win+Space"},
        {"Ctrl+pagedown", {kCtrl, 0x22}, "Ctrl+PageDown"},
        {"Alt+Home", {kAlt, 0x24}, "Alt+Home"},
        {"F12", {0, 0x7B}, "F12"},
        {"Shift+f1", {kShift, 0x70}, "Shift+F1"},
        {"Ctrl+F24", {kCtrl, 0x87}, "Ctrl+F24"},
        {"Pause", {0, 0x13}, "Pause"},
        {"Ctrl+F", {kCtrl, 'F'}, "Ctrl+F"},  // the letter F, not a function key
    };
    for (const auto& row : rows) {
        const std::optional<KeyChord> chord = ParseKeyChord(row.text);
        ASSERT_TRUE(chord) << row.text;
        EXPECT_EQ(*chord, row.chord) << row.text;
        EXPECT_EQ(FormatKeyChord(*chord), row.spelled);
        EXPECT_EQ(ParseKeyChord(FormatKeyChord(*chord)), chord) << row.text;
    }
    EXPECT_EQ(FormatKeyChord(kDefaultBossKey), "Ctrl+Alt+B");
}

TEST(KeyChord, RefusesWhatIsNoKeyOrWouldTakeAPlainKeyFromEveryProgram) {
    for (const char* text : {
             "",
             "+",
             "Ctrl+",
             "Ctrl++B",
             "Ctrl+Alt",
             "Ctrl+Ctrl+B",
             "Ctrl+Alt+BB",
             "Ctrl+F0",
             "Ctrl+F25",
             "Ctrl+F01",
             "Ctrl+F1x",
             "Hyper+B",
             "Ctrl+老",
             "Ctrl+Alt+B+",
             "B",        // a plain letter
             "Shift+B",  // a capital letter
             "Space",
             "Shift+Delete",
         }) {
        EXPECT_FALSE(ParseKeyChord(text)) << text;
    }
}

}  // namespace
