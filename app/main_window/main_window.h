// MainWindow: the program's main top-level window, created from its fixed definition.
//
// A borderless pop-up (the skinned form draws frame and caption itself) with the minimise box
// and no maximise box, since its layout is fixed. The window reports its notifications to the
// handlers it is given; it owns nothing else.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

#include "win/handles.h"
#include "win/native_window.h"

class MainWindow : public NativeWindow<MainWindow> {
public:
    static constexpr int kLeft = 50;
    static constexpr int kTop = 50;
    static constexpr int kWidth = 715;
    static constexpr int kHeight = 552;
    static const char kTitle[];  // GBK
    static constexpr wchar_t kClassName[] = L"ZentoriMainWindow";

    struct Handlers {
        std::function<void(HWND)> created;  // the start-up work
        std::function<void()> doubleClicked;
        std::function<void(UINT virtualKey)> searchKeyDown;  // a key went down in SearchBox
        // A right-click (at that screen point) or the menu key (point -1, -1) in the client area.
        std::function<void(POINT screenPoint)> contextMenu;
        // A close request (the caption button, the taskbar, taskkill, the session ending):
        // true lets the window go now; false defers it (the handler closes it later).
        std::function<bool()> closing;
        // WM_DESTROY, while the children still exist: release what is hosted in them.
        std::function<void()> destroying;
        // A later copy of the program was started: the user wants this one (ShowRequestMessage).
        std::function<void()> showRequested;
        // The window moved to a monitor of another DPI and has been laid out for it.
        std::function<void()> scaleChanged;
    };

    // The message a later copy posts to the running copy's main window to have it shown.
    static UINT ShowRequestMessage();

    // SearchBox: the single-line edit box of the search term.
    static constexpr int kSearchBoxLeft = 208;
    static constexpr int kSearchBoxTop = 501;
    static constexpr int kSearchBoxWidth = 120;
    static constexpr int kSearchBoxHeight = 18;
    static constexpr int kSearchFontHeight = 12;  // pixels, as the widgets' text
    static const char kSearchBoxText[];           // GBK, the initial text

    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, hidden, its definition's 96-dpi place and size scaled to the DPI of
    // the monitor it opens on; false when the window cannot be created.
    bool Create(HINSTANCE instance, Handlers handlers);
    // Shows the window as `showCommand` asks and paints it at once.
    void Show(int showCommand);
    // Runs `work` once the window's thread has had nothing else to do: the first paint is on
    // the screen by then. (Wine hands a window's pixels to the X server when its thread waits
    // for messages; work done before that keeps the window from appearing.) Work handed over
    // in turn runs in turn, one piece per idle moment, so what one shows is on the screen
    // before the next starts.
    void RunWhenIdle(std::function<void()> work);
    // Makes the search box, once. The window first shows without it: the program's first edit
    // box loads the common controls, about 20 ms of the start under Wine.
    void CreateSearchBox();
    HWND Handle() const { return window_; }
    HWND SearchBox() const { return searchBox_; }
    std::string SearchText() const;  // GBK

private:
    friend class NativeWindow<MainWindow>;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SearchBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);
    // The search box's place and font for the window's DPI.
    void PlaceSearchBox(HWND window);

    HWND searchBox_ = nullptr;  // child of window_, destroyed with it
    // Where the keyboard was when the window last lost the activation (the window itself or the
    // search box): it goes back there when the window is activated again.
    HWND lastFocus_ = nullptr;
    UniqueFontGdi searchFont_;
    Handlers handlers_;
    std::deque<std::function<void()>> idleWork_;
};
