// The pop-up menu of a game row (right-click, or the menu key, on a row of the game list):
// "开始游戏", "加入收藏" or "取消收藏", "复制游戏链接"; the clipboard copy behind the last
// item; and Ctrl+D, which toggles the selected game's favourite state.
#pragma once

#include <windows.h>

#include <string_view>

enum GameMenuItem : UINT {
    kPlayItem = 1,
    kFavouriteItem,  // 加入收藏 or 取消收藏
    kCopyLinkItem,
};

struct GameMenuTexts {
    static const char kPlay[];  // GBK
    static const char kAddFavourite[];
    static const char kRemoveFavourite[];
    static const char kCopyLink[];
};

// Shows the menu at `screenPoint` for a game that is a favourite or not, and returns the item
// chosen; 0 when the menu was dismissed.
UINT ShowGameMenu(HWND owner, POINT screenPoint, bool favourite);

// Puts `text` (GBK) on the clipboard as text; false when the clipboard cannot be had.
bool CopyTextToClipboard(HWND owner, std::string_view text);

// A first press (no auto-repeat) of Ctrl+D, without Alt or Shift, for `mainWindow` or a window
// inside it (the search box).
bool IsFavouriteKey(const MSG& message, HWND mainWindow);
