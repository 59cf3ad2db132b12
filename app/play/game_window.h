// GameWindow: the top-level window a game is played in: the play toolbar (刷新, 全屏, 静音,
// 截图, 收藏) above the embedded browser GameBrowser, and the status bar GameStatusBar (part 1:
// the browser's status text and the toolbar's words; part 2: the player community group). Its
// keys: F5 refreshes the game, F11 switches full screen (the browser alone over the whole
// monitor; Esc or F11 leaves it), Ctrl+Alt+S saves a screenshot. What the page asks for is
// answered in game_window_page.cpp: its new windows open as pop-up game windows of ours (or are
// blocked when the player did not cause them), window.close() closes the window, a page that
// cannot be loaded shows a notice over the page instead of the control's error page.
//
// One object for the program's life, owned by the application. The window is created by the
// first Open, reused while it is open, destroyed when the user closes it (the browser with it)
// and created again by the next Open, placed as the last one was when it closed (the player's
// library remembers that between runs). Restored from maximised, it stands at its normal place,
// inside the monitor's work area. Window thread only; OLE must be initialised.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/play/browser_host.h"
#include "app/play/page_error_notice.h"
#include "app/play/popup_windows.h"
#include "app/process/process_audio.h"
#include "win/handles.h"
#include "win/native_window.h"

class GameWindow : public NativeWindow<GameWindow> {
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

    // The play toolbar's buttons, left to right, by command id.
    enum ToolbarButton : int {
        kRefreshButton = 101,
        kFullScreenButton,
        kMuteButton,  // checked while the program's sound is muted
        kScreenshotButton,
        kFavouriteButton,  // checked while the game is a favourite
    };
    // GBK, part 1 of the status bar: no sound to mute (no playback device); a screenshot saved
    // (followed by its path) or not (followed by the folder).
    static const char kNoSoundText[];
    static const char kScreenshotSavedText[];
    static const char kScreenshotFailedText[];
    // GBK, part 1: a pop-up the player did not cause was blocked; one beyond the most pop-ups
    // open at once was.
    static const char kPopupBlockedText[];
    static const char kTooManyPopupsText[];
    // GBK, part 1: a page was loaded but no engine is there to show it.
    static const char kEngineMissingText[];

    // How the window opens: its size when not maximised (in 96-dpi units, so it opens as large
    // on any display), and whether it is. By default (until the player's own choice is known)
    // 717 x 468, maximised.
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
    // `name` + "游戏中" (both GBK); the window comes to the front (restored when minimised) with
    // the keyboard in the page. False when the window cannot be created.
    bool Open(HINSTANCE instance, std::string_view link, std::string_view name);
    // Opens the window as a pop-up of a game window's page, which loads `link` into it itself:
    // titled for the opener's game `name` until the page says its title, at the usual size
    // (not maximised), its own pop-ups going to `home`.
    bool OpenPopup(HINSTANCE instance, std::string_view link, std::string_view name,
                   PopupWindows<GameWindow>& home);
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
    HWND Toolbar() const { return toolbar_; }
    BrowserHost& Browser() { return browser_; }
    // The pop-ups this window's pages opened (closed with it).
    PopupWindows<GameWindow>& Popups() { return popups_; }
    const PageErrorNotice& PageError() const { return pageError_; }
    const std::string& GameLink() const { return link_; }  // GBK; the game last opened

    // The program's sound, which 静音 mutes; nullptr (until given): 静音 says there is none.
    // The object outlives the window.
    void SetAudio(ProcessAudio* audio) { audio_ = audio; }
    // 收藏 calls this; the owner toggles the game and tells the window with ShowFavourite.
    void SetFavouriteHandler(std::function<void()> handler) { onFavourite_ = std::move(handler); }
    void ShowFavourite(bool favourite);

    // The window's keys, given the first look at every message of the message loop (before the
    // browser, which would take F5 for itself): true when the message was one of them.
    bool TranslateKey(const MSG& message);

    // The toolbar's commands.
    // Navigates to the game's link again; with a page error shown, to the page that failed.
    void Refresh();
    void SetFullScreen(bool fullScreen);
    bool FullScreen() const { return fullScreen_; }
    void ToggleMute();
    // Saves what the browser shows to ScreenshotFolder() and says where (or that it could not)
    // in the status bar; the path written, empty when nothing was.
    std::filesystem::path SaveScreenshot();

private:
    friend class NativeWindow<GameWindow>;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool Create(HINSTANCE instance);
    // Where the window stands when not maximised: the design place with the placement's size,
    // inside the work area of its monitor.
    RECT NormalPlace() const;
    void Restore(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PlaceRestored(HWND window);
    void OnCreate(HWND window);
    void CreateToolbar(HWND window);
    // The control font for the window's DPI, given to the status bar and the toolbar.
    void UseScaledFont(HWND window);
    void OnCommand(int command);
    void CheckButton(int command, bool checked);
    void Layout();
    void MoveBrowser(const RECT& page);
    void SetPartText(int part, std::wstring_view text);
    void OnDestroy(HWND window);
    // What the page asks for, answered (game_window_page.cpp).
    BrowserEvents PageEvents();
    Microsoft::WRL::ComPtr<IDispatch> OnNewWindow(const NewWindowRequest& request);
    void OnPageError(std::wstring_view url, long status);
    void OnScriptError(std::wstring_view description);
    // For the end-to-end tests, which cannot make an engine-less control open a window: with
    // ZENTORI_TEST_HOOKS set, this registered message (0 otherwise: none) makes the window hear
    // a NewWindow3 as its page would send it, user-initiated when wParam is not 0.
    static UINT TestNewWindowMessage();
    void FireTestNewWindow(bool userInitiated);

    Placement placement_;
    std::function<void(const Placement&)> onClosed_;
    HWND statusBar_ = nullptr;  // child of window_, destroyed with it
    HWND toolbar_ = nullptr;    // the same
    UniqueFontGdi font_;        // the status bar's and the toolbar's; outlives them
    std::wstring tooltip_;      // the toolbar's tooltip text being shown
    BrowserHost browser_;
    PopupWindows<GameWindow> popups_;
    PopupWindows<GameWindow>* popupHome_ = &popups_;  // where this window's pages' new windows go
    bool popup_ = false;                              // opened by a page, not by the player
    PageErrorNotice pageError_;
    int scriptErrors_ = 0;  // of this window's pages, for the log
    std::string link_;      // GBK, the game shown
    std::string name_;      // GBK, its name
    ProcessAudio* audio_ = nullptr;
    std::function<void()> onFavourite_;
    bool favourite_ = false;
    bool fullScreen_ = false;
    // The window before full screen: its placement (what closing in full screen remembers),
    // rectangle and style.
    WINDOWPLACEMENT windowed_{};
    RECT windowedRect_{};
    LONG_PTR windowedStyle_ = 0;
    std::optional<RECT> restorePlace_;  // where a restore just asked for puts the window
};

// The double-click command of the main window: opens the selected game (row, 0 when none, its
// name and link, GBK) in `gameWindow`. Nothing happens without a selected row or without a link
// (a record that had no id); false then and when the window cannot be created.
bool OpenSelectedGame(GameWindow& gameWindow, HINSTANCE instance, int row, std::string_view name,
                      std::string_view link);
