// The worker-thread half of a catalogue fetch: build the request URL from the navigation state,
// ask the catalogue, and cut the games out of the reply. Touches no window and no widget; the
// window thread shows the result (Application::ShowFetchResult).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <boost/regex.hpp>

#include "app/navigation.h"
#include "catalogue/game_record.h"

// Scheme and host of the catalogue service, without a trailing slash: the environment variable
// ZENTORI_CATALOGUE_URL when set (tests and the sample catalogue use it), else the service's
// own address.
std::string CatalogueBaseUrl();

struct FetchResult {
    std::string pageText;                      // "第n页"
    std::optional<std::string> pageCountText;  // "共n页"; only a search sets it
    std::vector<GameRecord> records;
};

// `pattern` is the program's one record pattern object; each fetch recompiles it.
FetchResult FetchHotList(const NavigationState& state, std::string_view baseUrl,
                         boost::regex& pattern);
FetchResult FetchSearch(const NavigationState& state, std::string_view baseUrl,
                        boost::regex& pattern);
// The fetch that state.PendingFetch names; nothing for any other value.
std::optional<FetchResult> RunPendingFetch(const NavigationState& state, std::string_view baseUrl,
                                           boost::regex& pattern);
