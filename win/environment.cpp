#include "win/environment.h"

#include <shlobj.h>

std::wstring EnvironmentVariable(const wchar_t* name) {
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed <= 1) return {};
    std::wstring value(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), needed);
    // Changed between the two calls (another thread): read as not set.
    if (length == 0 || length >= needed) return {};
    value.resize(length);
    return value;
}

std::filesystem::path KnownFolder(REFKNOWNFOLDERID folder, DWORD flags) {
    PWSTR path = nullptr;
    std::filesystem::path result;
    if (SUCCEEDED(SHGetKnownFolderPath(folder, flags, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}
