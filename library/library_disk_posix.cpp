#include "library/library_disk.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cstdlib>

namespace {

std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    return temporary;
}

bool WriteAll(int file, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(file, bytes.data(), bytes.size());
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The rename is durable once the folder holding it is.
void SyncFolder(const std::filesystem::path& folder) {
    const int handle = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (handle < 0) return;
    fsync(handle);
    close(handle);
}

}  // namespace

std::filesystem::path LibraryFolder() {
    if (const char* folder = std::getenv(kLibraryFolderVariable); folder && *folder) return folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        return std::filesystem::path(config) / "zentori";
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::filesystem::path(home) / ".config" / "zentori";
    }
    return {};
}

bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path temporary = TemporaryBeside(path);
    const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0) return false;
    const bool written = WriteAll(file, bytes) && fsync(file) == 0;
    const bool closed = close(file) == 0;
    if (written && closed && rename(temporary.c_str(), path.c_str()) == 0) {
        SyncFolder(path.parent_path());
        return true;
    }
    unlink(temporary.c_str());
    return false;
}

bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}
