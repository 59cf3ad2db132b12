#include "app/application.h"

#include <float.h>

#include <vector>

#include "widgets/drawing.h"

namespace {

// The folder of zentori.exe (GBK, no trailing separator). Cut in UTF-16: a GBK trail byte may
// look like a backslash.
std::string ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return FromWide(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

}  // namespace

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
void Application::OnMainWindowCreated(HWND window) {
    StartGraphics();
    SkinFormOptions skin;
    skin.captionMode = 2;
    skin.widgetFade = 0;
    skin.fixedSize = 1;
    mainSkin_.Attach(window, ProgramDirectory() + "\\skin\\1.jpg", skin);
}

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
