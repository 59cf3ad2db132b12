// Test helpers for the game window: what its status bar says, its toolbar clicked, and messages
// as the message loop reads them for it, with modifier keys held in the thread's key state.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace test {

std::wstring StatusPartText(HWND statusBar, int part);
// A click in the middle of the toolbar button `command`.
void ClickToolbarButton(HWND toolbar, int command);
// A key press (not a repeat) or a wheel turn (`delta`, positive away from the user) for
// `window`, with `keys` (MK_ flags) in a wheel's wParam.
MSG KeyDownMessage(HWND window, UINT key);
MSG WheelMessage(HWND window, int delta, WORD keys);

// Holds the keys (VK_CONTROL, VK_SHIFT...) down in the thread's key state, as GetKeyState reads
// it, for the object's life.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<UINT> keys);
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;
    ~HeldKeys();

private:
    BYTE before_[256] = {};
};

}  // namespace test
