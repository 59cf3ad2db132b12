// GameStatusLine: what part 1 of the game window's status bar says. It shows the browser's
// status text, except after a command of the window: then what the command did (已加入收藏, a
// screenshot saved, the zoom) shows for kPassingMilliseconds and the browser's text comes back.
// What could not be done (no sound to mute, a screenshot not saved) stays until the next
// command, so the player can read why.
//
// Owned by the game window; it lives on the window's status bar and timer (kTimerId on the
// status bar's parent, whose WM_TIMER goes to OnTimer). Window thread only.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

class GameStatusLine {
public:
    static constexpr UINT kPassingMilliseconds = 4000;
    static constexpr UINT_PTR kTimerId = 0x5A54;

    // The status bar (nullptr: none any more) whose part 1 is shown.
    void Attach(HWND statusBar);
    void ShowBrowserText(std::wstring_view text);
    // What a command did (passing) or could not do (until the next command).
    void ShowDone(std::wstring_view text) { ShowCommand(text, true); }
    void ShowFailed(std::wstring_view text) { ShowCommand(text, false); }
    // A command that says nothing: the last command's words go.
    void CommandDone();
    // A WM_TIMER of the status bar's parent; true when it was this line's.
    bool OnTimer(UINT_PTR id);

private:
    void ShowCommand(std::wstring_view text, bool passing);
    void Show();

    HWND statusBar_ = nullptr;  // not owned
    std::wstring browserText_;
    std::wstring commandText_;  // empty: the browser's text shows
};
