// Recognising a key press in the message loop: which key, with which modifier keys held (as
// the keyboard state was when the message was read).
#pragma once

#include <windows.h>

// Modifier keys, combined with |.
constexpr unsigned kNoModifier = 0;
constexpr unsigned kCtrlHeld = 1;
constexpr unsigned kAltHeld = 2;
constexpr unsigned kShiftHeld = 4;

// A first press (no auto-repeat) of `virtualKey` with exactly `modifiers` held. Alt turns key
// presses into WM_SYSKEYDOWN, so both kinds count.
inline bool IsKeyPress(const MSG& message, UINT virtualKey, unsigned modifiers = kNoModifier) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (message.wParam != virtualKey || (message.lParam & (1 << 30)) != 0) return false;
    const auto held = [](int key) { return GetKeyState(key) < 0; };
    const unsigned now = (held(VK_CONTROL) ? kCtrlHeld : 0) | (held(VK_MENU) ? kAltHeld : 0) |
                         (held(VK_SHIFT) ? kShiftHeld : 0);
    return now == modifiers;
}

// The message is for `window` or a window inside it.
inline bool IsFor(const MSG& message, HWND window) {
    return window && (message.hwnd == window || IsChild(window, message.hwnd));
}
