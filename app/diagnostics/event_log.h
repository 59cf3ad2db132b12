// The program's events as lines of the diagnostics log (diagnostics_log.h): what each part of
// the program calls at the moment it happens, so that a report of "it did not work" can be
// followed step by step. Window thread (each reads what the window thread owns).
#pragma once

#include <string>
#include <string_view>

// Declared only: the parts that log need not see each other's headers.
struct FetchCommand;
struct FetchResult;
struct KeyChord;
class Library;
struct LibraryLoadOutcome;

// The first line: program and Windows versions, the system code page and the display's DPI.
std::string StartLine();
// Once the main window exists: the face of its text and the services' addresses in use.
void LogStartSettings(std::string_view catalogueBase, std::string_view homepageBase);

// What a fetch was for: "section", "genre", "search" or "page".
const char* FetchCommandKind(const FetchCommand& command);
// A fetch as it ended: the command, the URL, how it ended (with the HTTP status or WinINet's
// error), the bytes of the reply and the milliseconds since it started.
void LogFetch(const FetchCommand& command, std::string_view catalogueBase,
              const FetchResult& result, unsigned long long milliseconds);

void LogLibraryLoad(const LibraryLoadOutcome& outcome, const Library& library, bool readOnly);
// After each change: written, failed, or not tried (`savingOn` false: an unreadable file).
void LogLibrarySave(bool saved, bool savingOn);
// Every notice shown (GBK).
void LogNotice(std::string_view text);
// A game window's page: a new window it opened (`opened` false: blocked, with why), its own
// page that could not be loaded (the HTTP status or error code), a script error (the `count`th
// of the window's, with what the page says of it; only the first few are written, then one line
// saying the rest are not).
void LogPopup(std::string_view url, bool opened, std::string_view why = {});
void LogPageError(std::string_view url, long status);
void LogScriptError(std::string_view url, int count, std::string_view description);
// The boss key registered, refused (`error`: GetLastError's), or turned off by the setting.
void LogBossKey(const KeyChord& key, bool registered, unsigned long error);
void LogBossKeyOff();
// The start given up: the main window could not be made (`error`: GetLastError's).
void LogMainWindowFailed(unsigned long error);
