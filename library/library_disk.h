// What the library needs of the file system beyond reading a file: where the library lives,
// replacing a file in one step, and renaming a file aside without overwriting another.
// library_disk_win.cpp is the Windows implementation; library_disk_posix.cpp its native
// counterpart, so that the store is tested natively too.
#pragma once

#include <filesystem>
#include <string_view>

// The environment variable that moves the library (tests give each program run its own).
constexpr char kLibraryFolderVariable[] = "ZENTORI_LIBRARY_DIR";

// The library's folder: kLibraryFolderVariable when set, else %APPDATA%\Zentori on Windows and
// $XDG_CONFIG_HOME/zentori (~/.config/zentori) elsewhere. Empty when the system cannot tell.
std::filesystem::path LibraryFolder();

// Writes `bytes` to `path` so that a crash or a full disk leaves either the old file or the new
// one, never a torn one: a temporary file beside `path` is written and flushed to the disk, then
// replaces `path` in one step. False on failure; `path` is then unchanged and the temporary file
// gone.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes);

// Renames `from` to `to`; false when `to` exists already or the rename fails.
bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);
