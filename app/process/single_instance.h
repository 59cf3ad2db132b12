// SingleInstance: one running copy of the program per library, so that two copies never write
// the same library file.
//
// Two things, for two questions. Which copy owns the library: the one holding an exclusive lock
// on library.lock in the library's folder, taken at start and kept for the whole run; it sees
// copies of every session and every user rights level that share the folder. Which copy the
// user means: the first in this session holds a named mutex ("Local\", named after the
// library's folder, so copies with different libraries do not meet) and marks its main window;
// a later copy finds that window, asks it to show itself and ends. A copy that finds no window
// to bring forward runs; without the lock (the owner runs in another session) it reads the
// library and never writes it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

class SingleInstance {
public:
    static constexpr wchar_t kLockFileName[] = L"library.lock";

    // The mutex of the copies of this session that use the library in `libraryFolder`.
    static std::wstring MutexName(const std::filesystem::path& libraryFolder);

    explicit SingleInstance(const std::filesystem::path& libraryFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // No other copy of this session was found: this one created the mutex. A mutex this copy
    // may not open (made by a copy running as administrator) is another copy's.
    bool First() const { return first_; }
    // This copy holds the library's lock, so it alone may write the library. Also true when the
    // lock cannot be had for another reason than another copy holding it (no folder, no
    // rights): the library's own errors then tell the user.
    bool OwnsLibrary() const { return lock_ != INVALID_HANDLE_VALUE || !heldElsewhere_; }
    // Marks `mainWindow` as the first copy's, for later copies to find, and lets them ask it to
    // show itself (MainWindow::ShowRequestMessage), also when this copy runs with higher rights.
    void Publish(HWND mainWindow) const;
    // Asks the first copy's main window to show itself. Waits up to `timeoutMs` for it while the
    // first copy is still starting; false when none was found.
    bool BringFirstForward(DWORD timeoutMs) const;

private:
    HWND FindFirstWindow() const;
    void TakeLock(const std::filesystem::path& libraryFolder);

    std::wstring name_;  // of the mutex, and of the atom naming the main window's mark
    HANDLE mutex_ = nullptr;
    ATOM mark_ = 0;  // the first copy's reference to the atom; a property by atom adds none
    bool first_ = true;
    HANDLE lock_ = INVALID_HANDLE_VALUE;  // library.lock, open without sharing and locked
    bool heldElsewhere_ = false;          // another copy holds the lock
};
