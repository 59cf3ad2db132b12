// FullScreenHint: the line "按 F11 或 Esc 退出全屏" that shows for a moment at the top of the
// monitor when the game window goes full screen, in the look of the program's notices, and then
// goes by itself.
//
// A small popup owned by the game window (so it stays above the game and goes with it), never
// activated: the keys stay with the page. Owned by the game window object. Window thread only.
#pragma once

#include <windows.h>

#include <string>

#include "widgets/display_scale.h"
#include "win/handles.h"
#include "win/native_window.h"

class FullScreenHint : public NativeWindow<FullScreenHint> {
public:
    static const char kText[];  // GBK
    static constexpr UINT kShowMilliseconds = 2000;

    FullScreenHint() = default;
    ~FullScreenHint();

    // Shows the hint for kShowMilliseconds, centred near the top of `monitor` (screen
    // coordinates), above `owner`.
    void Show(HWND owner, const RECT& monitor);
    void Hide();
    HWND Handle() const { return window_; }

private:
    friend class NativeWindow<FullScreenHint>;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HWND window);

    std::wstring text_;
    UniqueFontGdi font_;
    DisplayScale scale_;  // the font's
};
