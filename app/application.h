// Application: the program's spine.
//
// Owns the global objects, the navigation state, the three windows and the player's library
// (through LibraryCommands); runs start-up, the message loop and shutdown; and answers the main
// window's commands. Exactly one exists, on WinMain's stack, for the whole life of the process.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/browser_host.h"
#include "app/catalogue_fetch.h"
#include "app/game_window.h"
#include "app/global_objects.h"
#include "app/homepage.h"
#include "app/library_commands.h"
#include "app/main_window.h"
#include "app/navigation.h"
#include "app/single_instance.h"
#include "app/skin_menu.h"

class Application : private NavigationHost {
public:
    explicit Application(HINSTANCE instance);
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
    // Closes what is left of the windows and releases the global objects. Safe to repeat.
    void Shutdown();

    // Read access for tests; Objects() only between Start and Shutdown.
    GlobalObjects& Objects() { return *objects_; }
    MainWindow& Main() { return mainWindow_; }
    const NavigationState& Navigation() const { return navigation_.State(); }

private:
    // NavigationHost
    std::string PageCountText() override;
    void SetPageCountText(const std::string& text) override;
    void RunFetch(const NavigationState& state) override;

    void OnMainWindowCreated(HWND window);
    void OnMainWindowDoubleClicked();
    void OnSearchKeyDown(UINT virtualKey);
    void ShowFetchResult(const FetchResult& result);
    void CloseRemainingWindows();

    OleSession ole_;  // first in, last out: everything below may use OLE
    HINSTANCE instance_;
    std::unique_ptr<GlobalObjects> objects_;
    ::Navigation navigation_{*this};
    MainWindow mainWindow_;
    HiddenBrowser hiddenBrowser_;
    GameWindow gameWindow_;
    std::unique_ptr<SkinMenu> skinMenu_;
    std::unique_ptr<LibraryCommands> library_;        // between Start and Shutdown
    std::unique_ptr<SingleInstance> singleInstance_;  // held by Run
};
