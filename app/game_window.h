// GameWindow: the top-level window a game is played in, with the embedded browser GameBrowser
// above the status bar GameStatusBar (part 1: the browser's status text; part 2: the player
// community group).
//
// One object for the program's life, owned by the application. The window is created by the
// first Open, reused while it is open, destroyed when the user closes it (the browser with it)
// and created again by the next Open, placed as the last one was when it closed (the player's
// library remembers that between runs). Window thread only; OLE must be initialised.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

#include "app/browser_host.h"
#include "widgets/gdi_handles.h"

class GameWindow {
public:
    static constexpr int kLeft = 50;
    static constexpr int kTop = 50;
    static constexpr int kWidth = 717;
    static constexpr int kHeight = 468;
    // The browser's place until the first resize fits it to the client area.
    static constexpr int kInitialBrowserWidth = 466;
    static constexpr int kInitialBrowserHeight = 304;
    static constexpr int kInitialStatusPartWidth = 550;
    // Part 2 of the status bar keeps this much of the client width.
    static constexpr int kCommunityPartWidth = 160;
    static const char kTitle[];               // GBK, until a game is opened
    static const char kPlayingSuffix[];       // GBK, after the game's name in the title
    static const char kCommunityText[];       // GBK, status bar part 2
    static const char kBrowserMissingText[];  // GBK, part 1 when the browser cannot be created

    // How the window opens: its size when not maximised, and whether it is. By default (until
    // the player's own choice is known) 717 x 468, maximised.
    struct Placement {
        int width = kWidth;
        int height = kHeight;
        bool maximised = true;
    };
    // The smallest size a window opens at: a remembered size below it is not the user's.
    static constexpr int kMinWidth = 200;
    static constexpr int kMinHeight = 150;

    // `browserClass` is the control GameBrowser hosts; anything else is for tests.
    explicit GameWindow(const CLSID& browserClass = CLSID_WebBrowser);
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;
    ~GameWindow();  // destroys the window if it is open

    // Opens the window if it is not open, navigates the browser to `link` and titles the window
    // `name` + "游戏中" (both GBK). False when the window cannot be created.
    bool Open(HINSTANCE instance, std::string_view link, std::string_view name);
    void Close();  // destroys the window, as the user's closing does
    bool IsOpen() const { return window_ != nullptr; }

    // The placement of the next window opened, kept within kMinWidth x kMinHeight and the
    // screen's size.
    void SetPlacement(const Placement& placement);
    const Placement& GetPlacement() const { return placement_; }
    // Called as the window closes, with its placement then (which the next window takes too).
    void SetClosedHandler(std::function<void(const Placement&)> handler) {
        onClosed_ = std::move(handler);
    }

    HWND Handle() const { return window_; }
    HWND StatusBar() const { return statusBar_; }
    BrowserHost& Browser() { return browser_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool Create(HINSTANCE instance);
    void OnCreate(HWND window);
    void Layout();
    void SetPartText(int part, std::wstring_view text);
    void OnDestroy(HWND window);

    Placement placement_;
    std::function<void(const Placement&)> onClosed_;
    HWND window_ = nullptr;
    HWND statusBar_ = nullptr;  // child of window_, destroyed with it
    UniqueFontGdi statusFont_;  // the status bar's; outlives it
    BrowserHost browser_;
};

// The double-click command of the main window: opens the selected game (row, 0 when none, its
// name and link, GBK) in `gameWindow`. Nothing happens without a selected row or without a link
// (a record that had no id); false then and when the window cannot be created.
bool OpenSelectedGame(GameWindow& gameWindow, HINSTANCE instance, int row, std::string_view name,
                      std::string_view link);
