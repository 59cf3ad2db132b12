// NoticeBar: the main window's notices, in one strip over the bottom of the game list: a pale
// yellow line of text for what the user should hear of without a message box.
//
// A lasting notice stays until the user clicks it away or its cause is mended (a fetch that
// succeeds takes the fetch's notice): a library file kept aside, a setting not understood, why
// the catalogue could not be reached. Lasting notices are kept together, at most one of each
// kind (a new one replaces the old): the strip shows the newest and how many more there are;
// clicking it away shows the one before. A notice with a command of its own runs it on a click
// instead (trying a fetch again). A passing notice (a favourite added, a change that could not
// be saved) shows for a few seconds over the lasting ones, which come back after it.
//
// The strip is a native child window, so that the windowless widgets drawing beneath it (the
// main window clips its children) never paint over it. One object, owned by the application;
// window thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "win/handles.h"
#include "win/native_window.h"
#include "widgets/list_control.h"

enum class NoticeKind {
    kBossKey,       // the boss key is taken, or its setting not understood
    kLibraryFile,   // the library file was kept aside, cannot be read, or is a later version's
    kLibraryInUse,  // another copy of the program owns the library
    kAddress,       // an address setting is no address
    kFetch,         // why the last fetch failed, or that a search found nothing
    kCrashReport,   // the last run ended in a crash and left a report
    kLibraryView,   // the library view shown is empty: how to fill it
    kNoBrowser,     // no browser could be opened: the address to go to another way
    kPageError,     // a game window's page could not be loaded: why, and how to try again
};

class NoticeBar : public NativeWindow<NoticeBar> {
public:
    static constexpr UINT kPassingMilliseconds = 4000;
    static constexpr int kFontHeight = 12;  // pixels, as the widgets' text
    static constexpr COLORREF kFillColour = RGB(255, 248, 196);
    static constexpr COLORREF kFrameColour = RGB(214, 168, 40);
    // The notices' plate over `area` of `dc`: the fill inside the frame (the game window's
    // full-screen hint wears it too).
    static void PaintPlate(HDC dc, const RECT& area);
    static constexpr COLORREF kTextColour = RGB(70, 50, 0);
    static constexpr int kHeight = 22;
    // GBK; "还有" n "条" at the strip's right end, when n lasting notices lie beneath.
    static const char kMoreNotices[];
    static const char kMoreNoticesEnd[];

    NoticeBar() = default;
    NoticeBar(const NoticeBar&) = delete;
    NoticeBar& operator=(const NoticeBar&) = delete;
    ~NoticeBar();

    // Where the strip goes: on `parent` at `place` (client coordinates). Notices given before
    // show from now on.
    void Attach(HWND parent, const RECT& place);
    // Shows `text` (GBK) on top of the lasting notices, in place of the one of its kind. A click
    // runs `onClick` when given (the notice stays), else closes the notice.
    void ShowLasting(NoticeKind kind, std::string_view text, std::function<void()> onClick = {});
    // Shows `text` (GBK) for kPassingMilliseconds, or until clicked, over the lasting notices.
    void ShowPassing(std::string_view text);
    // The lasting notice of `kind` goes (nothing happens without one).
    void Close(NoticeKind kind);
    // The parent moved to another DPI: the strip moves to `place` and takes a font for the new
    // DPI.
    void Rescale(const RECT& place);
    // The parent's layout changed: the strip moves to `place`.
    void Move(const RECT& place);

    HWND Handle() const { return window_; }
    // What the strip shows; empty when it is hidden.
    const std::wstring& Text() const { return text_; }
    // Whether a lasting notice of `kind` is kept.
    bool Holds(NoticeKind kind) const;
    // The lasting notices' texts, oldest first (the strip shows the last).
    std::vector<std::wstring> LastingTexts() const;

private:
    friend class NativeWindow<NoticeBar>;

    struct Lasting {
        NoticeKind kind;
        std::wstring text;
        std::function<void()> onClick;
    };
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Shows the passing notice, else the newest lasting one, else hides the strip.
    void Update();
    bool CreateStrip();
    void Announce() const;
    void OnClick();
    void Paint(HWND window);

    HWND parent_ = nullptr;
    RECT place_{};
    std::vector<Lasting> lasting_;  // oldest first
    std::wstring passing_;          // empty when none shows
    std::wstring text_;             // shown
    std::wstring more_;             // shown at the right end: "还有n条"
    UniqueFontGdi font_;
    DisplayScale scale_;  // the font's
};

// Where the main window's notices lie: over the bottom of the game list, clear of its scroll
// bar, NoticeBar::kHeight high.
RECT NoticePlace(const ListControl& list);
