#include "app/process/single_instance.h"

#include <cstdint>
#include <cwctype>

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

SingleInstance::SingleInstance(const std::filesystem::path& libraryFolder)
    : name_(L"Local\\Zentori-library-" + FolderKey(libraryFolder)) {
    mutex_ = CreateMutexW(nullptr, FALSE, name_.c_str());
    // Without a mutex (no rights, no memory) this copy runs: better than refusing to start.
    first_ = !(mutex_ && GetLastError() == ERROR_ALREADY_EXISTS);
    if (first_) mark_ = GlobalAddAtomW(name_.c_str());
}

SingleInstance::~SingleInstance() {
    if (mark_) GlobalDeleteAtom(mark_);
    if (mutex_) CloseHandle(mutex_);
}

void SingleInstance::Publish(HWND mainWindow) const {
    if (mark_) SetPropW(mainWindow, MAKEINTATOM(mark_), reinterpret_cast<HANDLE>(1));
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
    // This copy was started by the user, so it may hand the foreground on.
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    AllowSetForegroundWindow(processId);
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    return true;
}
