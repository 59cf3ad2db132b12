// BossKey: the system-wide key (Ctrl+Alt+B unless the library names another) that hides every
// window of the program at once (main, game, loading, dialogs; an open menu is closed) and
// silences its sound; pressed again, it brings back exactly the windows that were showing, in
// the same z-order, with the sound as it was. A window that went or hid itself meanwhile (the
// loading window once its fetch ended) stays away.
//
// The key reaches a message-only window of its own, so it works in every modal loop as well
// (the loading window's, a menu's, a dialog's): they all dispatch posted messages. One object
// for the program's life, owned by the application; it refers to the ProcessAudio it is given,
// which outlives it. Window thread only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/process/process_audio.h"
#include "library/key_chord.h"
#include "win/native_window.h"

class BossKey : public NativeWindow<BossKey> {
public:
    // GBK. The taken notice names the key between its two parts; the unknown-key one names the
    // setting's text and then the key used instead.
    static const char kTakenNotice[];
    static const char kTakenNoticeEnd[];
    static const char kUnknownKeyNotice[];
    static const char kUnknownKeyNoticeEnd[];

    explicit BossKey(ProcessAudio& audio);
    BossKey(const BossKey&) = delete;
    BossKey& operator=(const BossKey&) = delete;
    // Gives the key back; with the windows hidden, the sound goes back to how it was.
    ~BossKey();

    // Registers `key` in place of the key held. False when it is taken (another program holds
    // it): the boss key then does nothing.
    bool Register(HINSTANCE instance, const KeyChord& key);
    // Registers the key the library's setting names (nothing: the default; an empty text: no
    // boss key). Returns what the user should be told (GBK): the key is taken, or the setting
    // names no key (the default is used then); empty when all is well.
    std::string RegisterSetting(HINSTANCE instance, const std::optional<std::string>& setting);
    void Unregister();
    bool Registered() const { return registered_; }

    // What a press of the key does: Hide, or Restore when hidden.
    void Toggle();
    void Hide();
    void Restore();
    bool Hidden() const { return hidden_; }
    // The windows hidden by the last Hide, top of the z-order first.
    const std::vector<HWND>& HiddenWindows() const { return windows_; }

private:
    friend class NativeWindow<BossKey>;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    ProcessAudio& audio_;
    bool registered_ = false;
    bool hidden_ = false;
    std::vector<HWND> windows_;
    HWND active_ = nullptr;  // the program's active window when hidden
    HWND focus_ = nullptr;   // and the window that had the keyboard focus
    bool silenced_ = false;  // Hide muted the sound, so Restore unmutes it
};

// Hides a window of the program for the window's own reasons (a wait that ended). When the boss
// key hid it already, it stays hidden when the key brings the program back.
void HideOwnWindow(HWND window);
