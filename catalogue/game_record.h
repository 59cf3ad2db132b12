// One game as a catalogue reply lists it: one row of the game list.
#pragma once

#include <string>

// All texts are GBK bytes.
struct GameRecord {
    std::string index;         // 1-based position of the game in the reply, decimal
    std::string name;          // shown name
    std::string introduction;  // short description (a search result repeats the name)
    std::string link;          // page of the game: catalogue base URL + "/" + app id
};
