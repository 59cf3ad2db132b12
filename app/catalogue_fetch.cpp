#include "app/catalogue_fetch.h"

#include <windows.h>

#include "catalogue/hot_list.h"
#include "catalogue/http_request.h"
#include "catalogue/search.h"

namespace {

constexpr char kDefaultCatalogueUrl[] = "http://game.zentori.com";

std::string PageText(int page) {
    return "第" + std::to_string(page) + "页";
}

}  // namespace

std::string CatalogueBaseUrl() {
    char value[512];
    DWORD length = GetEnvironmentVariableA("ZENTORI_CATALOGUE_URL", value, sizeof(value));
    if (length == 0 || length >= sizeof(value)) return kDefaultCatalogueUrl;
    std::string url(value, length);
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url.empty() ? kDefaultCatalogueUrl : url;
}

FetchResult FetchHotList(const NavigationState& state, std::string_view baseUrl,
                         boost::regex& pattern) {
    const std::string reply =
        HttpRequest(HotListUrl(baseUrl, state.CurrentCategoryKey, state.CurrentPage));
    FetchResult result;
    result.pageText = PageText(state.CurrentPage);
    result.records = ParseHotList(reply, baseUrl, pattern);
    return result;
}

FetchResult FetchSearch(const NavigationState& state, std::string_view baseUrl,
                        boost::regex& pattern) {
    const std::string reply = HttpRequest(SearchUrl(baseUrl, state.SearchKeyword));
    SearchPage page = ParseSearchReply(reply, baseUrl, pattern);
    FetchResult result;
    result.pageText = PageText(state.CurrentPage);
    result.pageCountText = "共" + page.pageCountText + "页";
    result.records = std::move(page.records);
    return result;
}

std::optional<FetchResult> RunPendingFetch(const NavigationState& state, std::string_view baseUrl,
                                           boost::regex& pattern) {
    switch (state.PendingFetch) {
        case kHotListFetch:
            return FetchHotList(state, baseUrl, pattern);
        case kSearchFetch:
            return FetchSearch(state, baseUrl, pattern);
        default:
            return std::nullopt;
    }
}
