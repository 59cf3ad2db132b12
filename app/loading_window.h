// LoadingWindow: the small window shown while one catalogue fetch runs on a worker thread.
//
// Run() is modal: it disables the main window (so no command of it can start), opens the window
// without an owner, runs the work on a worker thread and returns the work's result on the
// window thread once the work has finished. The user cannot close the window halfway; a
// result is handed over only to the Run() call that started its work.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "app/catalogue_fetch.h"

class LoadingWindow {
public:
    static constexpr int kLeft = 50;
    static constexpr int kTop = 50;
    static constexpr int kWidth = 370;
    static constexpr int kHeight = 30;
    static const char kText[];  // GBK

    using Work = std::function<std::optional<FetchResult>()>;

    // Returns the work's result, or nothing when the work gave none, the window could not be
    // created, or the program is quitting (WM_QUIT arrived during the wait; it is posted again).
    static std::optional<FetchResult> Run(HINSTANCE instance, HWND mainWindow, Work work);
};
