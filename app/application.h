// Application: the program's spine.
//
// Owns the global objects, the navigation state, the three windows, the player's library
// (through LibraryCommands), the program's sound and the boss key; runs start-up, the message
// loop and shutdown; and answers the main window's commands. Exactly one exists, on WinMain's
// stack, for the whole life of the process.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/browse/catalogue_fetch.h"
#include "app/browse/fetch_thread.h"
#include "app/diagnostics/program_diagnostics.h"
#include "app/play/browser_host.h"
#include "app/play/game_window.h"
#include "app/process/boss_key.h"
#include "app/global_objects.h"
#include "app/play/hidden_browser.h"
#include "app/my_games/library_commands.h"
#include "app/browse/loading_window.h"
#include "app/main_window/main_window.h"
#include "app/main_window/main_window_keys.h"
#include "app/browse/navigation.h"
#include "app/main_window/notice_bar.h"
#include "app/process/process_audio.h"
#include "app/process/single_instance.h"
#include "app/main_window/skin_menu.h"
#include "widgets/picture_preload.h"

class Application : private NavigationHost {
public:
    // `audio` is the program's sound (tests give a fake).
    explicit Application(HINSTANCE instance,
                         std::unique_ptr<ProcessAudio> audio = MakeProcessAudio());
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up, message loop until MainWindow closes, shutdown. Returns the exit code.
    int Run(int showCommand);

    // The three stages of Run, apart so tests can drive the running program in between.
    // Start: from the global objects to the end of the first section command, so the first
    // screen is on show when it returns; false when MainWindow could not be created.
    bool Start(int showCommand);
    // Until WM_QUIT (MainWindow has closed); returns the exit code.
    int RunMessageLoop();
    // The program's keys (F5, the game window's, the library's, the main window's), looked at
    // before a message is dispatched: true when the message was one of them and is not to be
    // dispatched.
    bool TranslateKey(MSG& message);
    // Closes the game window and (if still there) the main window, then releases the global
    // objects. Safe to repeat.
    void Shutdown();

    // Read access for tests; Objects() only between Start and Shutdown.
    GlobalObjects& Objects() { return *objects_; }
    const NoticeBar& Notices() const { return notices_; }
    MainWindow& Main() { return mainWindow_; }
    GameWindow& Game() { return gameWindow_; }
    LibraryCommands& Library() { return *library_; }
    BossKey& Boss() { return *bossKey_; }
    MainWindowKeys& Keys() { return *mainWindowKeys_; }
    const NavigationState& Navigation() const { return navigation_.State(); }
    ProgramDiagnostics& Diagnostics() { return diagnostics_; }
    HiddenBrowser& Hidden() { return hiddenBrowser_; }

private:
    // NavigationHost
    std::string PageCountText() override;
    bool RunFetch(const FetchCommand& command) override;
    FetchThread StartFetch(const NavigationState& state);

    void OnMainWindowCreated(HWND window);
    void Page(int pagingButton);  // 首页, 末页, 上页 or 下页
    void OnMainWindowDoubleClicked();
    void OnSearchKeyDown(UINT virtualKey);
    bool OnMainWindowClosing();
    void OnShowRequested();
    // Keys the program handles before the focused window sees them; true when used.
    bool TranslateProgramKey(const MSG& message);
    void ShowFetchResult(const FetchCommand& command, const FetchResult& result);
    void ShowFetchNotice(std::string_view text);
    // Whether the fetch notice tells of a failed command (which F5 then tries again).
    bool FetchFailureShown() const;

    ProgramDiagnostics diagnostics_;  // the log: open before and after everything that logs
    std::optional<OleSession> ole_;   // from Start on; everything below may use OLE
    HINSTANCE instance_;
    std::unique_ptr<GlobalObjects> objects_;
    ::Navigation navigation_{*this};
    MainWindow mainWindow_;
    HiddenBrowser hiddenBrowser_;
    std::unique_ptr<ProcessAudio> audio_;  // before the windows and the boss key that use it
    GameWindow gameWindow_;
    std::unique_ptr<SkinMenu> skinMenu_;
    NoticeBar notices_;                               // the main window's, from every source
    std::unique_ptr<LibraryCommands> library_;        // between Start and Shutdown
    std::unique_ptr<BossKey> bossKey_;                // the same
    std::unique_ptr<MainWindowKeys> mainWindowKeys_;  // while the main window has its widgets
    std::unique_ptr<SingleInstance> singleInstance_;  // held by Run
    LoadingWindow loadingWindow_;
    // The main window's pictures, decoded while the window is created (Start).
    std::unique_ptr<PicturePreload> startPictures_;
    // The first screen's fetch, started before the main window is built (Start).
    FetchThread earlyFetch_;
    NavigationState earlyState_;
    // The main window was asked to close during a fetch: it closes once the command that
    // started the fetch has returned, and nothing new starts meanwhile.
    bool closing_ = false;
    bool fetchFailed_ =
        false;  // the last fetch failed (and the fetch notice says why, while shown)
};
