// LibraryCommands: the player's library in the running program. Reads it at start-up; restores
// the remembered skin and game window; the favourite commands (the game menu of a row, Ctrl+D);
// records every game opened; the game window's 收藏 button and each game's page zoom; the two
// library views; and what the main window's notices say of the library.
//
// Created by the application once the global objects exist and destroyed before them; it
// refers to the application's objects, game window and notices, which outlive it. Window thread
// only.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "app/play/game_window.h"
#include "app/global_objects.h"
#include "app/my_games/library_views.h"
#include "app/main_window/notice_bar.h"
#include "app/browse/service_address.h"
#include "library/player_library.h"

class LibraryCommands {
public:
    // GBK. The kept-aside notice names the file after the first part.
    static const char kKeptAsideNotice[];
    static const char kKeptAsideNoticeEnd[];
    static const char kUnreadableNotice[];
    static const char kNewerNotice[];
    static const char kInUseNotice[];
    static const char kSaveFailedNotice[];
    static const char kAddedNotice[];    // followed by the game's name
    static const char kRemovedNotice[];  // followed by the game's name
    static const char kLinkCopiedNotice[];
    // Followed by the address and kNoBrowserNoticeEnd.
    static const char kNoBrowserNotice[];
    static const char kNoBrowserNoticeEnd[];
    static const char kAddressCopiedNotice[];
    // Names the settings that are no usable address: "游戏目录地址", "主页地址" or both.
    static const char kBadAddressNotice[];
    static const char kBadAddressNoticeEnd[];

    // `access`: kReadOnly when another copy of the program owns the library.
    LibraryCommands(GlobalObjects& objects, GameWindow& gameWindow, NoticeBar& notices,
                    HINSTANCE instance, std::filesystem::path folder, LibraryStore::Access access);
    ~LibraryCommands();
    LibraryCommands(const LibraryCommands&) = delete;
    LibraryCommands& operator=(const LibraryCommands&) = delete;

    PlayerLibrary& Library() { return library_; }
    LibraryViews& Views() { return views_; }

    // Start-up, before the main window: reads the library and places the game window.
    void Load();
    // The skin to start with (GBK, full path): the remembered one while its picture is there,
    // else programDirectory + "\skin\1.jpg".
    std::string StartSkinPath(const std::string& programDirectory) const;
    // Once the main window's widgets exist: the view buttons.
    void Attach(HWND mainWindow);
    // Once the first page is on screen: tells of a library file kept aside, not readable or a
    // later version's, of a library another copy owns, and of an address setting ignored.
    void ShowLoadNotice();
    // The services' base addresses (CatalogueAddress, HomepageAddress): a setting of the user's
    // own, unless it is no usable address. Asked for at each use, so that the variables that
    // come first can be changed by a test while the program runs.
    std::string CatalogueBase() const;
    std::string HomepageBase() const;

    // Opens a row's game (double-click, 开始游戏) and records it as played; false when nothing
    // was opened (no row, no link).
    bool PlayRow(int row);
    // The game menu of the row at a screen point (a right-click), or of the selected row at
    // (-1, -1) (the menu key). Right-clicking a row selects it.
    void OpenGameMenu(POINT screenPoint);
    // Ctrl+D: toggles the selected row's favourite state. True when `message` was that key.
    bool TranslateKey(const MSG& message);
    void ToggleFavourite(int row);
    // Adds the game (`game.time`: now) as a favourite or removes it, and says which it did.
    void ToggleFavourite(const LibraryGame& game);
    // The skin menu applied a skin: remembered for the next start.
    void OnSkinApplied(const SkinChoice& skin);

    // No browser could be opened at `url` (GBK): the notice gives the address, and a click on it
    // copies the address, so the player can go there another way.
    void TellNoBrowser(const std::string& url);

    // A catalogue page replaced the list's rows: a library view shown ends.
    void OnCataloguePage();
    bool ViewShown() const { return views_.Current() != LibraryViews::kNoView; }

private:
    LibraryGame GameAt(int row) const;  // time: now
    POINT MenuPointForSelection() const;
    void ShowAddressNotice();
    void OnLibraryChanged();
    // An empty view says how it fills, until it has games or is left.
    void OnViewFilled(LibraryViews::View view, size_t games);
    void CloseEmptyViewHint();

    GlobalObjects& objects_;
    GameWindow& gameWindow_;
    NoticeBar& notices_;
    HINSTANCE instance_;
    PlayerLibrary library_;
    LibraryViews views_;
    HWND mainWindow_ = nullptr;
    LibraryGame playing_;  // the game last opened in the game window
    LibraryLoadOutcome loadOutcome_;
    bool catalogueSettingIgnored_ = false;
    bool homepageSettingIgnored_ = false;
};
