// Application: the program's spine.
//
// Owns the navigation state and the main window; runs start-up, the message loop and shutdown.
// Exactly one exists, on WinMain's stack, for the whole life of the process.
#pragma once

#include <windows.h>

#include <string>

#include "app/main_window.h"
#include "app/navigation.h"
#include "widgets/skin_form.h"

class Application {
public:
    explicit Application(HINSTANCE instance) : instance_(instance) {}
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up, message loop until MainWindow closes, shutdown. Returns the exit code.
    int Run(int showCommand);

    NavigationState& Navigation() { return navigation_; }
    HWND MainWindowHandle() const { return mainWindow_.Handle(); }
    // The skinned form of MainWindow: its skin, caption buttons and widget routing.
    SkinForm& MainSkin() { return mainSkin_; }

private:
    void OnMainWindowCreated(HWND window);
    void OnMainWindowDoubleClicked();
    void CloseRemainingWindows();

    HINSTANCE instance_;
    NavigationState navigation_;
    MainWindow mainWindow_;
    SkinForm mainSkin_;
};
