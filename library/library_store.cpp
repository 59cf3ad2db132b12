#include "library/library_store.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

#include "library/library_disk.h"
#include "library/library_file.h"

namespace {

constexpr int kMostAsideNames = 100;

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return bytes;
}

std::string AsideSuffix(std::time_t now, int attempt) {
    char stamp[32] = "unknown";
    if (const std::tm* local = std::localtime(&now)) {
        std::strftime(stamp, sizeof(stamp), "%Y%m%d-%H%M%S", local);
    }
    std::string suffix = std::string(".broken-") + stamp;
    if (attempt > 1) suffix += "-" + std::to_string(attempt);
    return suffix;
}

}  // namespace

LibraryStore::LibraryStore(std::filesystem::path folder, Access access)
    : folder_(std::move(folder)), path_(folder_ / kFileName), access_(access) {
    savingOn_ = !folder_.empty() && access_ == Access::kOwner;
}

Library LibraryStore::Load(std::time_t now, LibraryLoadOutcome& outcome) {
    outcome = {};
    // Without a folder (the system could not tell one) there is nothing to read or write.
    if (folder_.empty()) {
        outcome.status = LibraryLoad::kUnreadable;
        return {};
    }
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path_, error);
    if (status.type() == std::filesystem::file_type::not_found) return {};
    if (status.type() == std::filesystem::file_type::regular) {
        const std::uintmax_t size = std::filesystem::file_size(path_, error);
        std::optional<std::string> bytes;
        if (!error && size <= kLargestFile) {
            bytes = ReadWholeFile(path_);
            // Locked or unreadable for now: not damaged, so it stays where it is.
            if (!bytes) {
                outcome.status = LibraryLoad::kUnreadable;
                savingOn_ = false;
                return {};
            }
        }
        if (bytes) {
            if (std::optional<Library> library = ParseLibrary(*bytes)) {
                outcome.status = LibraryLoad::kLoaded;
                return std::move(*library);
            }
            // Not damage: back on the later version, the user finds everything where it was.
            if (IsLaterLibraryVersion(*bytes)) {
                outcome.status = LibraryLoad::kNewer;
                savingOn_ = false;
                return {};
            }
        }
        for (int attempt = 1; access_ == Access::kOwner && attempt <= kMostAsideNames; ++attempt) {
            std::filesystem::path aside = path_;
            aside += AsideSuffix(now, attempt);
            if (RenameWithoutReplacing(path_, aside)) {
                outcome.status = LibraryLoad::kKeptAside;
                outcome.keptAside = std::move(aside);
                return {};
            }
            if (!std::filesystem::exists(aside, error)) break;  // the rename itself failed
        }
    }
    // A folder or something else by that name, or a damaged file that cannot (or may not) be
    // moved.
    outcome.status = LibraryLoad::kUnreadable;
    savingOn_ = false;
    return {};
}

bool LibraryStore::Save(const Library& library) {
    if (!savingOn_) return false;
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    const std::string text = SerializeLibrary(library);
    return !text.empty() && ReplaceFileContents(path_, text);
}
