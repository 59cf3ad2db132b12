// BuildMainWindow: puts every widget of the main window on it, in the fixed order, with its
// position, size, texts, pictures, options and click command.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/global_objects.h"
#include "widgets/picture_preload.h"

// The click commands of the main window's widgets.
struct MainWindowCommands {
    std::function<void(int listSection)> showListSection;  // a ListSectionIndex
    std::function<void()> openHomepage;
    std::function<void()> showSkinMenu;
    std::function<void(int pagingButton)> page;  // a PagingButton
    std::function<void()> submitSearch;          // the search button
    std::function<void(int genre)> showGenre;    // 0-based position in kGenres
};

// The standard skin, below the program directory.
constexpr char kStartSkin[] = "\\skin\\1.jpg";

// Attaches MainSkin with the skin at `skinPath` (GBK, full path; the player's remembered one,
// else the program directory + kStartSkin), then creates the widgets. Pictures come from the
// skin folder of `programDirectory` (GBK, no trailing separator); a missing file gives a
// widget without that picture, and so does an empty program directory (never the drive root).
// Those `pictures` holds decoded already are taken from it; the others are read here.
void BuildMainWindow(GlobalObjects& objects, HWND window, const std::string& programDirectory,
                     const std::string& skinPath, const MainWindowCommands& commands,
                     PicturePreload* pictures = nullptr);

// Moves the section bar's mark to the list section of `categoryKey`: the one whose hot list is
// shown or that paging returns to. Another key (none yet) leaves the mark where it is.
void MarkListSection(GlobalObjects& objects, std::string_view categoryKey);

// The picture files BuildMainWindow shows, the skin first: what to preload for it.
std::vector<std::string> MainWindowPictures(const std::string& programDirectory,
                                            const std::string& skinPath);

// The whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
