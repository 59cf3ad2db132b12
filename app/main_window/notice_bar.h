// NoticeBar: a one-line notice inside the main window, over the bottom of the game list: a pale
// yellow strip with the text, for what the user should hear of without a message box (a library
// file kept aside, a favourite added, why the catalogue could not be reached). A click on it
// closes it, or runs the notice's own command (trying a fetch again); a passing notice also goes
// by itself after a few seconds.
//
// A native child window, so that the windowless widgets drawing beneath it (the main window
// clips its children) never paint over it. Each kind of notice has its own object (the
// library's, the fetch's), owned by the application; the one shown last lies on top, and the
// other shows again when it goes. Window thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "win/handles.h"
#include "win/native_window.h"
#include "widgets/list_control.h"

class NoticeBar : public NativeWindow<NoticeBar> {
public:
    static constexpr UINT kPassingMilliseconds = 4000;
    static constexpr int kFontHeight = 12;  // pixels, as the widgets' text
    static constexpr COLORREF kFillColour = RGB(255, 248, 196);
    static constexpr COLORREF kFrameColour = RGB(214, 168, 40);
    static constexpr COLORREF kTextColour = RGB(70, 50, 0);
    static constexpr int kHeight = 22;

    NoticeBar() = default;
    NoticeBar(const NoticeBar&) = delete;
    NoticeBar& operator=(const NoticeBar&) = delete;
    ~NoticeBar();

    // Shows `text` (GBK) on `parent` at `place` (client coordinates), in place of the notice
    // shown; only a lasting notice replaces a lasting one, so a passing one never hides it.
    // A click runs `onClick` when given (the notice stays), else closes the notice. False when
    // nothing is shown.
    bool Show(HWND parent, const RECT& place, std::string_view text, bool lasting,
              std::function<void()> onClick = {});
    void Close();

    HWND Handle() const { return window_; }
    const std::wstring& Text() const { return text_; }

private:
    friend class NativeWindow<NoticeBar>;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HWND window);

    bool lasting_ = false;
    std::wstring text_;
    std::function<void()> onClick_;
    UniqueFontGdi font_;
};

// Where the main window's notices lie: over the bottom of the game list, clear of its scroll
// bar, NoticeBar::kHeight high.
RECT NoticePlace(const ListControl& list);
