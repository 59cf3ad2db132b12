#include "app/browse/catalogue_fetch.h"

#include <algorithm>

#include "catalogue/hot_list.h"
#include "catalogue/search.h"
#include "text/text_utils.h"

namespace {

std::string PageText(int page) {
    return "第" + std::to_string(page) + "页";
}

// Fetches `url` and, when a reply arrived, parses it with `parse`, which tells whether the reply
// was a catalogue reply at all.
FetchResult Fetch(const std::string& url, const NavigationState& state, FetchJob& job,
                  const std::function<bool(const std::string& reply, boost::regex& pattern,
                                           FetchResult& result)>& parse) {
    FetchResult result;
    result.pageText = PageText(state.CurrentPage);
    const HttpReply reply = HttpGet(url, job.HttpOptions());
    result.outcome = reply.outcome;
    result.bytes = reply.body.size();
    if (!result.outcome.Succeeded()) return result;
    bool recognised = false;
    if (!job.Parse(
            [&](boost::regex& pattern) { recognised = parse(reply.body, pattern, result); })) {
        result.outcome.status = FetchStatus::kCancelled;
    } else if (result.records.size() > kRecordLimit) {
        // No page holds that many games: it would only fill the list and the memory.
        result.outcome.status = FetchStatus::kTooLarge;
        result.records.clear();
    } else if (!recognised) {
        result.outcome.status = FetchStatus::kNotCatalogue;
    }
    return result;
}

}  // namespace

ServiceAddress CatalogueAddress(const std::optional<std::string>& setting) {
    return ChooseServiceAddress(kCatalogueVariable, setting, kDefaultCatalogueUrl);
}

FetchJob::FetchJob(std::shared_ptr<boost::regex> pattern, unsigned timeLimitMs)
    : started_(GetTickCount64()), deadline_(started_ + timeLimitMs), pattern_(std::move(pattern)) {}

HttpGetOptions FetchJob::HttpOptions() {
    HttpGetOptions options;
    const ULONGLONG now = GetTickCount64();
    options.timeLimitMs = static_cast<unsigned>(now < deadline_ ? deadline_ - now : 0);
    options.cancel = &cancel_;
    return options;
}

bool FetchJob::Parse(const std::function<void(boost::regex& pattern)>& parse) {
    std::lock_guard lock(parseLock_);
    if (!pattern_ || cancel_.Cancelled()) return false;
    parse(*pattern_);
    return true;
}

void FetchJob::Abandon() {
    cancel_.Cancel();
    std::lock_guard lock(parseLock_);
    pattern_.reset();
}

FetchResult FetchHotList(const NavigationState& state, std::string_view baseUrl, FetchJob& job) {
    return Fetch(HotListUrl(baseUrl, state.CurrentCategoryKey, state.CurrentPage), state, job,
                 [baseUrl](const std::string& reply, boost::regex& pattern, FetchResult& result) {
                     result.records = ParseHotList(reply, baseUrl, pattern);
                     return !result.records.empty() || IsHotListReply(reply);
                 });
}

FetchResult FetchSearch(const NavigationState& state, std::string_view baseUrl, FetchJob& job) {
    return Fetch(SearchUrl(baseUrl, state.SearchKeyword), state, job,
                 [baseUrl](const std::string& reply, boost::regex& pattern, FetchResult& result) {
                     const std::string page = PercentDecode(reply);
                     SearchPage parsed = ParseSearchPage(page, baseUrl, pattern);
                     result.pageCountText = "共" + parsed.pageCountText + "页";
                     result.records = std::move(parsed.records);
                     return !result.records.empty() || IsSearchPage(page);
                 });
}

FetchResult RunPendingFetch(const NavigationState& state, std::string_view baseUrl, FetchJob& job) {
    switch (state.PendingFetch) {
        case kHotListFetch:
            return FetchHotList(state, baseUrl, job);
        case kSearchFetch:
            return FetchSearch(state, baseUrl, job);
        default: {
            FetchResult nothing;
            nothing.outcome.status = FetchStatus::kFailed;
            return nothing;
        }
    }
}
