// The worker-thread half of a catalogue fetch: build the request URL from the navigation state,
// ask the catalogue, and cut the games out of the reply. Touches no window and no widget; the
// window thread shows the result (Application::ShowFetchResult).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <boost/regex.hpp>

#include "app/browse/navigation.h"
#include "app/browse/service_address.h"
#include "catalogue/fetch_outcome.h"
#include "catalogue/game_record.h"
#include "catalogue/http_request.h"

constexpr char kDefaultCatalogueUrl[] = "http://game.zentori.com";
constexpr wchar_t kCatalogueVariable[] = L"ZENTORI_CATALOGUE_URL";

// Scheme and host (maybe a path) of the catalogue service, without a trailing slash: the
// environment variable ZENTORI_CATALOGUE_URL when set (tests and the sample catalogue use it),
// else `setting` (the library's catalogueUrl) when usable, else the service's own address.
ServiceAddress CatalogueAddress(const std::optional<std::string>& setting);
inline std::string CatalogueBaseUrl() {
    return CatalogueAddress(std::nullopt).base;
}

struct FetchResult {
    FetchOutcome outcome;
    std::string pageText;                      // "第n页"
    std::optional<std::string> pageCountText;  // "共n页"; only a search sets it
    std::vector<GameRecord> records;
    size_t bytes = 0;  // of the reply's body as it arrived
};

// One fetch as the window thread and its worker share it; whichever lets go last frees it. The
// window thread may stop waiting at any moment (a cancel, the time limit, the program closing):
// it then abandons the job, and the worker, which may stay blocked in WinINet for a while (Wine
// does not abort a blocked call), finds nothing of the program's own to touch afterwards.
class FetchJob {
public:
    // `pattern` is the program's record pattern object; the time limit starts now.
    explicit FetchJob(std::shared_ptr<boost::regex> pattern,
                      unsigned timeLimitMs = kFetchTimeLimitMs);
    FetchJob(const FetchJob&) = delete;
    FetchJob& operator=(const FetchJob&) = delete;

    ULONGLONG Started() const { return started_; }  // GetTickCount64 values
    ULONGLONG Deadline() const { return deadline_; }
    // Worker: HttpGet options for what is left of the time limit, cancelled by Abandon.
    HttpGetOptions HttpOptions();
    // Worker: runs `parse` with the record pattern; false, without running it, once abandoned.
    bool Parse(const std::function<void(boost::regex& pattern)>& parse);

    // Window thread: closes the exchange's connection and keeps the worker from parsing. Waits
    // for a parse under way, so the pattern is never used after this returns.
    void Abandon();
    bool Abandoned() const { return cancel_.Cancelled(); }

private:
    const ULONGLONG started_;
    const ULONGLONG deadline_;
    HttpCancel cancel_;
    std::mutex parseLock_;
    std::shared_ptr<boost::regex> pattern_;  // released by Abandon
};

FetchResult FetchHotList(const NavigationState& state, std::string_view baseUrl, FetchJob& job);
FetchResult FetchSearch(const NavigationState& state, std::string_view baseUrl, FetchJob& job);
// The fetch that state.PendingFetch names; kFailed for any other value.
FetchResult RunPendingFetch(const NavigationState& state, std::string_view baseUrl, FetchJob& job);
