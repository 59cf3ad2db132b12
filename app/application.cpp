#include "app/application.h"

#include <float.h>

#include <vector>

int Application::Run(int showCommand) {
    // The runtime may be entered with a foreign floating-point control word (some injected
    // DLLs change it); start from the default state.
    _fpreset();

    MainWindow::Handlers handlers;
    handlers.created = [this](HWND window) { OnMainWindowCreated(window); };
    handlers.doubleClicked = [this] { OnMainWindowDoubleClicked(); };
    if (!mainWindow_.Create(instance_, std::move(handlers), showCommand)) return 1;

    MSG message;
    int result;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CloseRemainingWindows();
    return result < 0 ? 1 : static_cast<int>(message.wParam);
}

// The start-up work, run when MainWindow reports that it has been created.
void Application::OnMainWindowCreated(HWND) {}

void Application::OnMainWindowDoubleClicked() {}

// Closing MainWindow ends the program, also while other windows of it (a game window) are open:
// destroy them so they release what they hold before the process exits.
void Application::CloseRemainingWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        if (IsWindow(window)) DestroyWindow(window);
    }
}
