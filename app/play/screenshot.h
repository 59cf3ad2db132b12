// Screenshots of the game: what the screen shows of the browser, saved as a PNG file named
// after the game and the time in the player's pictures folder.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>

// Names the folder of the screenshots instead of Pictures\Zentori (tests use it).
constexpr wchar_t kScreenshotFolderVariable[] = L"ZENTORI_SCREENSHOT_DIR";

// kScreenshotFolderVariable when set, else the user's Pictures folder + "\Zentori"; empty when
// neither is known.
std::filesystem::path ScreenshotFolder();

// "<game> 2024-05-01 09-30-15.png": the game's name with what a file name cannot hold (\ / : *
// ? " < > | and control characters) turned into "_", without trailing dots or blanks, at most
// kNameLimit characters; "Zentori" when nothing is left of it. A name that Windows would take for
// a device (CON, PRN, AUX, NUL, COM0-9, LPT0-9 before its first dot) gets a leading "_".
std::wstring ScreenshotFileName(std::wstring_view gameName, const SYSTEMTIME& time);

// Copies what the screen shows in `area` (screen coordinates) and writes it as a PNG into
// `folder` (made when missing) under `fileName`, or, when that file exists, "<stem> (2).png"
// and so on. The path written; empty when nothing was (an empty area, a folder that cannot be
// made, a full disk). GDI+ must be started.
std::filesystem::path SaveScreenArea(const RECT& area, const std::filesystem::path& folder,
                                     std::wstring_view fileName);
