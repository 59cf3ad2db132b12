// The sample catalogue's games: generated from word lists, the same on every run.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct Game {
    int id = 0;
    std::string name;          // UTF-8
    std::string introduction;  // UTF-8
    std::string usage;         // uses in ten-thousands, e.g. "12.5"
};

struct HotListPage {
    int total = 0;      // games in the whole list
    int pageCount = 0;  // pages of ten
    std::vector<const Game*> games;
};

struct SearchResult {
    int total = 0;
    std::vector<Game> games;  // the requested page only
};

class GameData {
public:
    static constexpr int kPageSize = 10;

    GameData();

    // One page of a hot list; a list the catalogue does not have, or a page beyond its end,
    // gives no games (a known list still reports its size).
    HotListPage HotList(std::string_view categoryKey, std::string_view sort, int page) const;

    // Games whose names contain the keyword (UTF-8). A keyword no game name contains gets
    // results made up around it, so most typed words find something; an empty keyword and any
    // keyword containing "没有" find nothing.
    SearchResult Search(const std::string& keyword, int page, int pageSize);

    std::optional<Game> Find(int id) const;

private:
    // A hot list: games of `pool` in an order of its own.
    struct List {
        std::string_view categoryKey;
        std::string_view sort;
        const std::vector<Game>* pool;
        std::vector<size_t> order;  // indices into `pool`, hottest first
    };

    const List* FindList(std::string_view categoryKey, std::string_view sort) const;
    std::vector<Game> InventResults(const std::string& keyword);

    std::vector<Game> smallGames_;
    std::vector<Game> webGames_;
    std::vector<Game> tools_;
    std::vector<List> lists_;

    // Games made up for searches, so their pages can be served later.
    mutable std::mutex inventedMutex_;
    std::map<int, Game> invented_;
};
