// PlayerLibrary: the running program's library: the model, written to its store after every
// change, and the observers that show it (a view of the favourites, a favourite button).
//
// One object for the program's life, owned by the application; window thread only. Observers
// are called after every change, when the store has been written or has failed to be.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "library/library.h"
#include "library/library_store.h"

class PlayerLibrary {
public:
    explicit PlayerLibrary(std::filesystem::path folder,
                           LibraryStore::Access access = LibraryStore::Access::kOwner);

    // Reads the stored library (see LibraryStore::Load); call once, before anything else.
    LibraryLoadOutcome Load(std::time_t now);

    const Library& Get() const { return library_; }
    const LibraryStore& Store() const { return store_; }
    bool IsFavourite(std::string_view link) const { return library_.IsFavourite(link); }

    // Makes the game a favourite (at the top, `game.time` as the time added) or no favourite;
    // false when nothing changed (already so, or a game without a link).
    bool SetFavourite(const LibraryGame& game, bool favourite);
    // Puts the game at the top of the recently played games; `game.time` is when.
    void RecordPlayed(const LibraryGame& game);
    // Remembers the zoom of the game's page (see Library::SetGameZoom); saves when it changed.
    void SetGameZoom(std::string_view link, int percent);
    // Changes settings through `change`, then saves.
    void ChangeSettings(const std::function<void(LibrarySettings&)>& change);

    void AddObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }
    // Whether the last change could not be written.
    bool LastSaveFailed() const { return lastSaveFailed_; }

private:
    void Changed();

    LibraryStore store_;
    Library library_;
    std::vector<std::function<void()>> observers_;
    bool lastSaveFailed_ = false;
};
