#include "library/player_library.h"

PlayerLibrary::PlayerLibrary(std::filesystem::path folder, LibraryStore::Access access)
    : store_(std::move(folder), access) {}

LibraryLoadOutcome PlayerLibrary::Load(std::time_t now) {
    LibraryLoadOutcome outcome;
    library_ = store_.Load(now, outcome);
    return outcome;
}

bool PlayerLibrary::SetFavourite(const LibraryGame& game, bool favourite) {
    const bool changed =
        favourite ? library_.AddFavourite(game) : library_.RemoveFavourite(game.link);
    if (changed) Changed();
    return changed;
}

void PlayerLibrary::RecordPlayed(const LibraryGame& game) {
    if (library_.RecordPlayed(game)) Changed();
}

void PlayerLibrary::SetGameZoom(std::string_view link, int percent) {
    if (library_.SetGameZoom(link, percent)) Changed();
}

void PlayerLibrary::ChangeSettings(const std::function<void(LibrarySettings&)>& change) {
    change(library_.Settings());
    Changed();
}

void PlayerLibrary::Changed() {
    lastSaveFailed_ = !store_.Save(library_);
    // A copy: an observer may add another.
    const std::vector<std::function<void()>> observers = observers_;
    for (const auto& observer : observers)
        observer();
}
