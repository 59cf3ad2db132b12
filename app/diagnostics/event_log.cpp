#include "app/diagnostics/event_log.h"

#include <cstdio>

#include <windows.h>

#include <winternl.h>

#include <string>

#include "app/browse/catalogue_fetch.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/browse/navigation.h"
#include "catalogue/hot_list.h"
#include "catalogue/search.h"
#include "library/key_chord.h"
#include "library/library_store.h"
#include "widgets/display_scale.h"
#include "widgets/drawing.h"

namespace {

// The program's own version resource, read without version.dll: "1.0.0.0", or "?" without one
// (a test program).
std::string ProgramVersion() {
    constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(nullptr, found) : 0;
    for (DWORD at = 0; bytes && at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        VS_FIXEDFILEINFO info;
        memcpy(&info, bytes + at, sizeof info);
        if (info.dwSignature != kFixedInfoSignature) continue;
        return std::to_string(HIWORD(info.dwFileVersionMS)) + "." +
               std::to_string(LOWORD(info.dwFileVersionMS)) + "." +
               std::to_string(HIWORD(info.dwFileVersionLS)) + "." +
               std::to_string(LOWORD(info.dwFileVersionLS));
    }
    return "?";
}

// RtlGetVersion tells the truth whatever the manifest declares (GetVersionEx would not); under
// Wine the Wine version is added, since Wine's faults are not Windows'.
std::string WindowsVersion() {
    using RtlGetVersionFunction = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    using WineVersionFunction = const char*(CDECL*)();
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    std::string text = "Windows ?";
    RTL_OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (const auto get = reinterpret_cast<RtlGetVersionFunction>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
        get && get(&version) == 0) {
        text = "Windows " + std::to_string(version.dwMajorVersion) + "." +
               std::to_string(version.dwMinorVersion) + "." + std::to_string(version.dwBuildNumber);
    }
    if (const auto wine = reinterpret_cast<WineVersionFunction>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")))) {
        text += std::string(" (Wine ") + wine() + ")";
    }
    return text;
}

const char* StatusName(FetchStatus status) {
    switch (status) {
        case FetchStatus::kSucceeded:
            return "succeeded";
        case FetchStatus::kCancelled:
            return "cancelled";
        case FetchStatus::kCannotConnect:
            return "cannot connect";
        case FetchStatus::kCertificateInvalid:
            return "certificate invalid";
        case FetchStatus::kTimedOut:
            return "timed out";
        case FetchStatus::kInterrupted:
            return "interrupted";
        case FetchStatus::kHttpError:
            return "HTTP error";
        case FetchStatus::kTooLarge:
            return "too large";
        case FetchStatus::kNotCatalogue:
            return "not a catalogue reply";
        case FetchStatus::kFailed:
            return "failed";
        default:  // an outcome newer than this list: its number
            return "outcome";
    }
}

std::string FetchUrl(const NavigationState& state, std::string_view catalogueBase) {
    return state.PendingFetch == kSearchFetch
               ? SearchUrl(catalogueBase, state.SearchKeyword)
               : HotListUrl(catalogueBase, state.CurrentCategoryKey, state.CurrentPage);
}

}  // namespace

// The system's DPI is asked without a screen DC: the display's first use is a good part of the
// start, and it waits until the pictures' decoding is under way (Application::Start).
std::string StartLine() {
    return "start: Zentori " + ProgramVersion() + ", " + WindowsVersion() + ", code page " +
           std::to_string(GetACP()) + ", display " +
           std::to_string(DisplayScale::ForSystem().Dpi()) + " dpi";
}

void LogStartSettings(std::string_view catalogueBase, std::string_view homepageBase) {
    LogEvent("text font: " + FromWide(DefaultFontFace()));
    LogEvent("catalogue: " + std::string(catalogueBase) +
             ", homepage: " + std::string(homepageBase));
}

const char* FetchCommandKind(const FetchCommand& command) {
    switch (command.kind) {
        case FetchKind::kGenre:
            return "genre";
        case FetchKind::kSearch:
            return "search";
        case FetchKind::kPage:
            return "page";
        case FetchKind::kSection:
            break;
    }
    return "section";
}

void LogFetch(const FetchCommand& command, std::string_view catalogueBase,
              const FetchResult& result, unsigned long long milliseconds) {
    const FetchOutcome& outcome = result.outcome;
    std::string line = std::string("fetch ") + FetchCommandKind(command) + " " +
                       FetchUrl(command.state, catalogueBase) + ": " + StatusName(outcome.status);
    if (StatusName(outcome.status) == std::string_view("outcome")) {
        line += " " + std::to_string(static_cast<int>(outcome.status));
    }
    if (outcome.httpStatus != 0) line += ", HTTP " + std::to_string(outcome.httpStatus);
    if (outcome.systemError != 0) line += ", WinINet error " + std::to_string(outcome.systemError);
    line += ", " + std::to_string(result.bytes) + " bytes, " + std::to_string(milliseconds) + " ms";
    LogEvent(std::move(line));
}

// The library's folder stays out: it holds the user's name.
void LogLibraryLoad(const LibraryLoadOutcome& outcome, const Library& library, bool readOnly) {
    std::string line = "library: ";
    switch (outcome.status) {
        case LibraryLoad::kNoFile:
            line += "no file yet, starting empty";
            break;
        case LibraryLoad::kLoaded:
            line += "read, " + std::to_string(library.Favourites().size()) + " favourites, " +
                    std::to_string(library.Recent().size()) + " played";
            break;
        case LibraryLoad::kKeptAside:
            line += "damaged, set aside as " + outcome.keptAside.filename().string() +
                    ", starting empty";
            break;
        case LibraryLoad::kUnreadable:
            line += "unreadable, read-only for this run";
            break;
        case LibraryLoad::kNewer:
            line += "written by a later version, left as it is, read-only for this run";
            break;
    }
    if (readOnly && outcome.status != LibraryLoad::kUnreadable &&
        outcome.status != LibraryLoad::kNewer) {
        line += ", read-only for this run (another copy owns it)";
    }
    LogEvent(std::move(line));
}

void LogLibrarySave(bool saved, bool savingOn) {
    LogEvent(saved      ? "library: saved"
             : savingOn ? "library: save failed"
                        : "library: not saved (read-only for this run)");
}

void LogNotice(std::string_view text) {
    LogEvent("notice: " + std::string(text));
}

void LogPopup(std::string_view url, bool opened, std::string_view why) {
    std::string line = "pop-up " + std::string(url) + (opened ? ": opened" : ": blocked");
    if (!why.empty()) line += ", " + std::string(why);
    LogEvent(std::move(line));
}

void LogPageError(std::string_view url, long status) {
    char code[16] = {};
    // HTTP statuses read best in decimal, error codes (INET_E_*) in hexadecimal.
    std::snprintf(code, sizeof(code), status >= 0 && status < 1000 ? "%ld" : "0x%08lX", status);
    LogEvent("page error " + std::string(url) + ": " + code);
}

void LogScriptError(std::string_view url, int count, std::string_view description) {
    constexpr int kLogged = 20;
    if (count > kLogged + 1) return;
    if (count > kLogged) {
        LogEvent("further script errors of this window are not logged");
        return;
    }
    std::string line = "script error " + std::to_string(count) + " on " + std::string(url);
    if (!description.empty()) line += ": " + std::string(description);
    LogEvent(std::move(line));
}

void LogBossKey(const KeyChord& key, bool registered, unsigned long error) {
    LogEvent("boss key " + FormatKeyChord(key) +
             (registered ? ": registered" : ": refused, error " + std::to_string(error)));
}

void LogBossKeyOff() {
    LogEvent("boss key: off (setting)");
}

void LogMainWindowFailed(unsigned long error) {
    LogFinalEvent("start: the main window could not be made (error " + std::to_string(error) + ")");
}
