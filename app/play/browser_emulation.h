// Standards mode for the embedded browser. Without a per-program entry the system's browser
// control renders every page in its oldest compatibility mode; the entry under
// HKEY_CURRENT_USER (no administrator rights needed) asks for the newest one. The control reads
// it when the first browser of the process is created, so it is written before that.
#pragma once

#include <windows.h>

#include <string_view>

// 11001: the newest standards mode, whatever the page's DOCTYPE says.
constexpr DWORD kBrowserEmulationMode = 11001;
constexpr wchar_t kBrowserEmulationKey[] =
    L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";

// Writes kBrowserEmulationMode for `exeName` (a file name such as "zentori.exe"). False when the
// name is empty or the registry refuses.
bool WriteBrowserEmulation(std::wstring_view exeName);
// The same for the running executable's file name.
bool WriteBrowserEmulation();
