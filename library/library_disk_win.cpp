#include "library/library_disk.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>

#include "win/environment.h"

namespace {

struct HandleClose {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleClose>;

std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
    std::filesystem::path temporary = path;
    temporary += L".tmp";
    return temporary;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

std::filesystem::path LibraryFolder() {
    const std::wstring variable(std::begin(kLibraryFolderVariable),
                                std::end(kLibraryFolderVariable) - 1);  // ASCII
    const std::wstring chosen = EnvironmentVariable(variable.c_str());
    if (!chosen.empty()) return std::filesystem::path(chosen);
    const std::filesystem::path appData = KnownFolder(FOLDERID_RoamingAppData);
    return appData.empty() ? appData : appData / L"Zentori";
}

bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path temporary = TemporaryBeside(path);
    bool written = false;
    {
        UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            file.release();  // nothing to close
            return false;
        }
        written = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
    }
    // Write-through: the rename itself is on the disk when the call returns.
    if (written && MoveFileExW(temporary.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(temporary.c_str());
    return false;
}

bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}
