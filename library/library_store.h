// LibraryStore: the library's file, library.json in the library folder (library_disk.h).
//
// Load reads it; a file that is not a library is renamed aside, never overwritten, and the
// library starts empty. A file of a later format version is left as it is and never written.
// Save writes the whole library after each change through ReplaceFileContents, so the file on
// disk is always a whole library, old or new. A store that does not own the library (another
// copy of the program does) only reads: it renames nothing and writes nothing.
// Portable; the caller owns the store and calls it from one thread.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>

#include "library/library.h"

enum class LibraryLoad {
    kNoFile,      // nothing stored yet: an empty library
    kLoaded,      // the file's library
    kKeptAside,   // the file was no library; renamed to keptAside, the library starts empty
    kUnreadable,  // the file could be neither read nor renamed aside (nor renamed at all, by
                  // a store that does not own the library): an empty library, and saving stays
                  // off for this run so that the file is not overwritten
    kNewer,       // a later version of the program wrote the file: it stays as it is, the
                  // library starts empty and saving stays off for this run
};

struct LibraryLoadOutcome {
    LibraryLoad status = LibraryLoad::kNoFile;
    std::filesystem::path keptAside;
};

class LibraryStore {
public:
    static constexpr char kFileName[] = "library.json";
    // Larger files are no library the program wrote (10,000 favourites take about 3 MB).
    static constexpr std::uintmax_t kLargestFile = 16 << 20;

    enum class Access {
        kOwner,     // reads, writes, and renames a damaged file aside
        kReadOnly,  // another copy of the program owns the library: reads only
    };

    explicit LibraryStore(std::filesystem::path folder, Access access = Access::kOwner);

    const std::filesystem::path& FilePath() const { return path_; }

    // A damaged file goes to "library.json.broken-<date>-<time>" (`now` in local time, e.g.
    // library.json.broken-20240501-093015), with "-2", "-3"... when that name is taken.
    Library Load(std::time_t now, LibraryLoadOutcome& outcome);
    // Writes the library, creating the folder when needed. False when it could not be written
    // (no folder, no room, no rights, or saving is off: read only, or the file was not loaded);
    // the file on disk is then unchanged.
    bool Save(const Library& library);
    bool SavingOn() const { return savingOn_; }
    bool ReadOnly() const { return access_ == Access::kReadOnly; }

private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
    Access access_;
    bool savingOn_ = true;
};
