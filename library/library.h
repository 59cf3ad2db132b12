// Library: the player's own games and choices, kept between runs: favourite games, the games
// played lately, and settings (the skin, the game window's size, the boss key). A plain value owned
// by its user (PlayerLibrary in the running program); library_file.h turns it into the file's text.
//
// Portable: no Windows header. Texts are GBK, like all text inside the program. A game is
// identified by its link: no list holds two entries with the same link, and none holds an entry
// without a link.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LibraryGame {
    std::string name;          // GBK
    std::string introduction;  // GBK
    std::string link;          // GBK; the game's page and its identity
    std::int64_t time = 0;     // seconds since 1970-01-01 UTC: when added, or last played
    // The entry as the file last held it (a JSON object, UTF-8), empty for an entry made by the
    // program: keys this version does not know, and texts GBK cannot hold, are written back from
    // it unchanged.
    std::string original;
};

struct SkinChoice {
    bool custom = false;  // false: a picture of the skin menu
    std::string path;     // GBK: below the program folder (a menu skin), or a full path
    bool operator==(const SkinChoice&) const = default;
};

struct WindowSize {
    int width = 0;
    int height = 0;
    bool maximised = false;
    bool operator==(const WindowSize&) const = default;
};

// Each setting is optional: nothing stored means the program's default.
struct LibrarySettings {
    std::optional<SkinChoice> skin;
    std::optional<WindowSize> gameWindow;  // its size when not maximised
    // The boss key as the player wrote it (see key_chord.h); an empty text turns it off.
    std::optional<std::string> bossKey;
    // Base addresses the user put in the file in place of the built-in ones, as written (GBK);
    // the program checks them before use. A value that is no text at all reads as "".
    std::optional<std::string> catalogueUrl;
    std::optional<std::string> homepageUrl;
    // The zoom of each game's page the player chose, in percent, by the game's link (GBK); a game
    // at kDefaultGameZoom has no entry.
    std::map<std::string, int, std::less<>> gameZoom;
    std::string original;  // as LibraryGame::original
};

constexpr int kDefaultGameZoom = 100;
constexpr int kLowestGameZoom = 25;
constexpr int kHighestGameZoom = 400;

class Library {
public:
    static constexpr std::size_t kRecentLimit = 100;

    Library() = default;
    // The lists as stored, newest first. An entry without a link, or whose link an earlier
    // entry of the same list already has, is left out; Recent keeps its first kRecentLimit.
    Library(std::vector<LibraryGame> favourites, std::vector<LibraryGame> recent,
            LibrarySettings settings, std::string original = {});

    const std::vector<LibraryGame>& Favourites() const { return favourites_; }  // newest first
    const std::vector<LibraryGame>& Recent() const { return recent_; }          // newest first
    const LibrarySettings& Settings() const { return settings_; }
    LibrarySettings& Settings() { return settings_; }
    const std::string& Original() const { return original_; }  // the whole file's object

    bool IsFavourite(std::string_view link) const;
    // Puts the game at the top of the favourites; false (nothing changes) for an empty link or
    // a game that is a favourite already.
    bool AddFavourite(LibraryGame game);
    bool RemoveFavourite(std::string_view link);
    // Puts the game at the top of Recent, dropping its older entry and, beyond kRecentLimit,
    // the oldest; false (nothing changes) for an empty link.
    bool RecordPlayed(LibraryGame game);

    // The zoom remembered for the game's page, kDefaultGameZoom when none.
    int GameZoom(std::string_view link) const;
    // Remembers the zoom (kept within kLowestGameZoom..kHighestGameZoom; the default is
    // forgotten); false (nothing changes) for an empty link or the zoom already remembered.
    bool SetGameZoom(std::string_view link, int percent);

private:
    std::vector<LibraryGame> favourites_;
    std::vector<LibraryGame> recent_;
    LibrarySettings settings_;
    std::string original_;
};
