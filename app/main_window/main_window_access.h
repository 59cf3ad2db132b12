// What a screen reader hears of the main window beyond what each widget knows of itself: the
// names of the logo and the game list, which columns name and describe a game, the keys that
// reach the paging buttons and the search box, and what a reader's default action on a row does.
#pragma once

#include <windows.h>

#include <functional>

#include "app/global_objects.h"

// `openRow` opens the game of a row (1-based), as Enter does for the selected one.
void DescribeMainWindow(GlobalObjects& objects, std::function<void(int row)> openRow);

// The search box's name (搜索) and key (Ctrl+F), annotated on the system's own object of the
// native box where the system supports annotations (Wine does not).
void DescribeSearchBox(HWND box);
