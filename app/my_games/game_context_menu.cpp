#include "app/my_games/game_context_menu.h"

#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include "win/key_press.h"
#include "win/wide_text.h"

namespace {

struct MenuDestroy {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroy>;

}  // namespace

const char GameMenuTexts::kPlay[] = "开始游戏";
const char GameMenuTexts::kAddFavourite[] = "加入收藏";
const char GameMenuTexts::kRemoveFavourite[] = "取消收藏";
const char GameMenuTexts::kCopyLink[] = "复制游戏链接";

UINT ShowGameMenu(HWND owner, POINT screenPoint, bool favourite) {
    const UniqueMenu menu(CreatePopupMenu());
    if (!menu) return 0;
    const char* favouriteText =
        favourite ? GameMenuTexts::kRemoveFavourite : GameMenuTexts::kAddFavourite;
    AppendMenuW(menu.get(), MF_STRING, kPlayItem, GbkToWide(GameMenuTexts::kPlay).c_str());
    AppendMenuW(menu.get(), MF_STRING, kFavouriteItem, GbkToWide(favouriteText).c_str());
    AppendMenuW(menu.get(), MF_STRING, kCopyLinkItem, GbkToWide(GameMenuTexts::kCopyLink).c_str());
    SetMenuDefaultItem(menu.get(), kPlayItem, FALSE);  // what a double-click does
    // The menu closes when the user clicks elsewhere only if its owner is in the foreground.
    SetForegroundWindow(owner);
    const UINT item = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                       screenPoint.x, screenPoint.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);  // lets the owner leave the menu's modal state cleanly
    return item;
}

bool CopyTextToClipboard(HWND owner, std::string_view text) {
    const std::wstring wide = GbkToWide(text);
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    if (void* target = GlobalLock(memory)) {
        std::memcpy(target, wide.c_str(), bytes);
        GlobalUnlock(memory);
    }
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    // From here the clipboard owns the memory.
    const bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!placed) GlobalFree(memory);
    return placed;
}

bool IsFavouriteKey(const MSG& message, HWND mainWindow) {
    return IsKeyPress(message, 'D', kCtrlHeld) && IsFor(message, mainWindow);
}
