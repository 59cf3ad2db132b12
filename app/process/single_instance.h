// SingleInstance: one running copy of the program per library, so that two copies never write
// the same library file. The first copy holds a named mutex for its life and marks its main
// window; a later copy finds that window, brings it to the front and ends.
//
// The mutex is named after the library's folder: copies with different libraries (tests give
// each program run its own) do not meet. "Local\": copies in other sessions of the same user
// are not seen.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

class SingleInstance {
public:
    explicit SingleInstance(const std::filesystem::path& libraryFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // This copy is the first: it holds the mutex.
    bool First() const { return first_; }
    // Marks `mainWindow` as the first copy's, for later copies to find.
    void Publish(HWND mainWindow) const;
    // Brings the first copy's main window to the front, restored when minimised. Waits up to
    // `timeoutMs` for it while the first copy is still starting; false when none was found.
    bool BringFirstForward(DWORD timeoutMs) const;

private:
    HWND FindFirstWindow() const;

    std::wstring name_;  // of the mutex, and of the atom naming the main window's mark
    HANDLE mutex_ = nullptr;
    ATOM mark_ = 0;  // the first copy's reference to the atom; a property by atom adds none
    bool first_ = true;
};
