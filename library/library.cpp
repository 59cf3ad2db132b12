#include "library/library.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

namespace {

// Keeps the first entry of each link, drops entries without one, and at most `limit`.
std::vector<LibraryGame> Distinct(std::vector<LibraryGame> games, std::size_t limit) {
    std::vector<LibraryGame> kept;
    std::unordered_set<std::string> links;
    for (LibraryGame& game : games) {
        if (kept.size() == limit) break;
        if (game.link.empty() || !links.insert(game.link).second) continue;
        kept.push_back(std::move(game));
    }
    return kept;
}

auto WithLink(std::string_view link) {
    return [link](const LibraryGame& game) { return game.link == link; };
}

}  // namespace

Library::Library(std::vector<LibraryGame> favourites, std::vector<LibraryGame> recent,
                 LibrarySettings settings, std::string original)
    : favourites_(Distinct(std::move(favourites), std::numeric_limits<std::size_t>::max())),
      recent_(Distinct(std::move(recent), kRecentLimit)),
      settings_(std::move(settings)),
      original_(std::move(original)) {}

bool Library::IsFavourite(std::string_view link) const {
    return std::any_of(favourites_.begin(), favourites_.end(), WithLink(link));
}

bool Library::AddFavourite(LibraryGame game) {
    if (game.link.empty() || IsFavourite(game.link)) return false;
    favourites_.insert(favourites_.begin(), std::move(game));
    return true;
}

bool Library::RemoveFavourite(std::string_view link) {
    return std::erase_if(favourites_, WithLink(link)) > 0;
}

bool Library::RecordPlayed(LibraryGame game) {
    if (game.link.empty()) return false;
    const auto older = std::find_if(recent_.begin(), recent_.end(), WithLink(game.link));
    if (older != recent_.end()) {
        // What a later version stored with the entry stays with it.
        if (game.original.empty()) game.original = std::move(older->original);
        recent_.erase(older);
    }
    recent_.insert(recent_.begin(), std::move(game));
    if (recent_.size() > kRecentLimit) recent_.resize(kRecentLimit);
    return true;
}

int Library::GameZoom(std::string_view link) const {
    const auto found = settings_.gameZoom.find(link);
    return found == settings_.gameZoom.end() ? kDefaultGameZoom : found->second;
}

bool Library::SetGameZoom(std::string_view link, int percent) {
    percent = std::clamp(percent, kLowestGameZoom, kHighestGameZoom);
    if (link.empty() || GameZoom(link) == percent) return false;
    if (percent == kDefaultGameZoom) {
        settings_.gameZoom.erase(settings_.gameZoom.find(link));
    } else {
        settings_.gameZoom.insert_or_assign(std::string(link), percent);
    }
    return true;
}
