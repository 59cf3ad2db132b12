#include "app/process/single_instance.h"

#include <cstdint>
#include <cwctype>
#include <system_error>

#include "app/main_window/main_window.h"

namespace {

// FNV-1a of the folder, case folded: Windows file names ignore case.
std::wstring FolderKey(const std::filesystem::path& folder) {
    std::uint32_t hash = 2166136261u;
    for (const wchar_t c : folder.wstring()) {
        hash = (hash ^ static_cast<std::uint32_t>(std::towlower(c))) * 16777619u;
    }
    wchar_t key[9];
    swprintf(key, 9, L"%08X", hash);
    return key;
}

}  // namespace

std::wstring SingleInstance::MutexName(const std::filesystem::path& libraryFolder) {
    return L"Local\\Zentori-library-" + FolderKey(libraryFolder);
}

SingleInstance::SingleInstance(const std::filesystem::path& libraryFolder)
    : name_(MutexName(libraryFolder)) {
    mutex_ = CreateMutexW(nullptr, FALSE, name_.c_str());
    const DWORD error = GetLastError();
    // A mutex this copy may not open exists: another copy, with higher rights, made it. Without
    // a mutex for another reason (no memory) this copy runs: better than refusing to start.
    first_ = mutex_ ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
    if (first_) mark_ = GlobalAddAtomW(name_.c_str());
    TakeLock(libraryFolder);
}

SingleInstance::~SingleInstance() {
    if (lock_ != INVALID_HANDLE_VALUE) CloseHandle(lock_);  // the lock goes with the handle
    if (mark_) GlobalDeleteAtom(mark_);
    if (mutex_) CloseHandle(mutex_);
}

// The file is opened without sharing, and its first byte locked as well: a byte lock reaches
// the file system's own locks, where a sharing mode may be kept within one system (Wine keeps
// it within one of its servers). The file stays when the program ends: deleting it would let
// a copy starting meanwhile fail to open it.
void SingleInstance::TakeLock(const std::filesystem::path& libraryFolder) {
    if (libraryFolder.empty()) return;
    std::error_code ignored;
    std::filesystem::create_directories(libraryFolder, ignored);
    const std::filesystem::path path = libraryFolder / kLockFileName;
    lock_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lock_ == INVALID_HANDLE_VALUE) {
        heldElsewhere_ = GetLastError() == ERROR_SHARING_VIOLATION;
        return;
    }
    OVERLAPPED start{};
    if (!LockFileEx(lock_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) {
        heldElsewhere_ = GetLastError() == ERROR_LOCK_VIOLATION;
        CloseHandle(lock_);
        lock_ = INVALID_HANDLE_VALUE;
    }
}

void SingleInstance::Publish(HWND mainWindow) const {
    if (!mark_) return;
    SetPropW(mainWindow, MAKEINTATOM(mark_), reinterpret_cast<HANDLE>(1));
    // A copy started without administrator rights may still ask one that has them.
    ChangeWindowMessageFilterEx(mainWindow, MainWindow::ShowRequestMessage(), MSGFLT_ALLOW,
                                nullptr);
}

HWND SingleInstance::FindFirstWindow() const {
    const ATOM mark = GlobalFindAtomW(name_.c_str());
    if (!mark) return nullptr;
    struct Search {
        ATOM mark;
        HWND found = nullptr;
    } search{mark};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            if (std::wstring_view(className) != MainWindow::kClassName ||
                !GetPropW(window, MAKEINTATOM(search->mark))) {
                return TRUE;
            }
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool SingleInstance::BringFirstForward(DWORD timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HWND window;
    while (!(window = FindFirstWindow())) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
    // This copy was started by the user, so it may hand the foreground on. The first copy
    // shows itself: only it knows what the boss key hid.
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    AllowSetForegroundWindow(processId);
    PostMessageW(window, MainWindow::ShowRequestMessage(), 0, 0);
    return true;
}
