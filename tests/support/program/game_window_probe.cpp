#include "tests/support/program/game_window_probe.h"

#include <commctrl.h>

#include "tests/support/toolkit/test_form.h"

namespace test {

std::wstring StatusPartText(HWND statusBar, int part) {
    const LRESULT info = SendMessageW(statusBar, SB_GETTEXTLENGTHW, part, 0);
    std::wstring text(LOWORD(info) + 1, L'\0');
    SendMessageW(statusBar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(LOWORD(info));
    return text;
}

void ClickToolbarButton(HWND toolbar, int command) {
    RECT place{};
    SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&place));
    Click(toolbar, (place.left + place.right) / 2, (place.top + place.bottom) / 2);
}

MSG KeyDownMessage(HWND window, UINT key) {
    MSG message{};
    message.hwnd = window;
    message.message = WM_KEYDOWN;
    message.wParam = key;
    message.lParam = 1;
    return message;
}

MSG WheelMessage(HWND window, int delta, WORD keys) {
    MSG message{};
    message.hwnd = window;
    message.message = WM_MOUSEWHEEL;
    message.wParam = MAKEWPARAM(keys, static_cast<WORD>(static_cast<short>(delta)));
    return message;
}

HeldKeys::HeldKeys(std::initializer_list<UINT> keys) {
    GetKeyboardState(before_);
    BYTE state[256];
    GetKeyboardState(state);
    for (UINT key : keys)
        state[key] |= 0x80;
    SetKeyboardState(state);
}

HeldKeys::~HeldKeys() {
    SetKeyboardState(before_);
}

}  // namespace test
