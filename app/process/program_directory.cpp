#include "app/process/program_directory.h"

#include <windows.h>

#include "win/wide_text.h"

namespace {

// Position of the last separator; cut in UTF-16, where a backslash is always a separator.
size_t LastSeparator(const std::wstring& path) {
    return path.find_last_of(L"\\/");
}

}  // namespace

std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: try a larger buffer
    }
}

std::wstring ExecutableFileName() {
    const std::wstring path = ExecutablePath();
    const size_t slash = LastSeparator(path);
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ProgramDirectoryWide() {
    const std::wstring path = ExecutablePath();
    const size_t slash = LastSeparator(path);
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::string ProgramDirectory() {
    return GbkPathFor(ProgramDirectoryWide());
}

std::string GbkPathFor(std::wstring_view path) {
    if (path.empty()) return {};
    std::string gbk = WideToGbk(path);
    if (GbkToWide(gbk) == path) return gbk;

    const std::wstring full(path);
    const DWORD needed = GetShortPathNameW(full.c_str(), nullptr, 0);
    if (needed == 0) return {};
    std::wstring shortPath(needed, L'\0');
    const DWORD length = GetShortPathNameW(full.c_str(), shortPath.data(), needed);
    if (length == 0 || length >= needed) return {};
    shortPath.resize(length);
    gbk = WideToGbk(shortPath);
    return GbkToWide(gbk) == shortPath ? gbk : std::string();
}
