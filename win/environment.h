// The two places the program reads where things live: environment variables (the test and
// sample-catalogue overrides) and the shell's known folders.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <filesystem>
#include <string>

// The variable's value; empty when it is not set (or set to nothing).
std::wstring EnvironmentVariable(const wchar_t* name);

// A known folder (FOLDERID_RoamingAppData, FOLDERID_Pictures, ...); empty when the shell has
// none. `flags` as SHGetKnownFolderPath takes them (KF_FLAG_CREATE makes it exist).
std::filesystem::path KnownFolder(REFKNOWNFOLDERID folder, DWORD flags = 0);
