#include "catalogue/search.h"

#include "catalogue/record_matching.h"
#include "text/text_utils.h"

namespace {

using record_matching::Slice;

// An entry runs from its opening tag to the usage-count suffix; the suffix is matched as the
// GBK bytes of the converted page.
constexpr char kRecordPattern[] =
    R"(<dl class="app-single-item app-single-item-details">(.*?)</strong>)"
    "\xCD\xF2\xB4\xCE\xCA\xB9\xD3\xC3"  // 万次使用
    "</span>";
constexpr std::string_view kRecordEnd =
    "</strong>\xCD\xF2\xB4\xCE\xCA\xB9\xD3\xC3</span>";  // closing part of the pattern
constexpr std::string_view kEntryClass = "app-single-item";
constexpr std::string_view kSearchPath = "/appweb/search";
constexpr std::string_view kNextPageMarker = R"(<a class="next" data-item="btn-page-next")";
constexpr std::string_view kLinkTextOpener = R"(">)";
constexpr std::string_view kLinkCloser = "</a>";
constexpr std::string_view kIdKey = R"(data-appid=")";
constexpr std::string_view kIdEndMarker = "target";
constexpr std::string_view kTitleKey = R"(app-single-round" title=")";
constexpr std::string_view kTitleEndMarker = "></i>";

// The value after `key`, ending `dropped` bytes before the next `endMarker`.
std::string_view CutAttribute(std::string_view segment, std::string_view key,
                              std::string_view endMarker, int dropped) {
    const int found = FindText(segment, key);
    if (found < 0) return {};
    const int start = found + static_cast<int>(key.size());
    const int end = FindText(segment, endMarker, start);
    if (end < 0) return {};
    return Slice(segment, start, end - dropped);
}

GameRecord CutRecord(std::string_view segment, std::string_view baseUrl, size_t position) {
    GameRecord record;
    record.index = std::to_string(position);
    // The id attribute ends with a quote and a blank in front of the target attribute.
    const std::string_view id = CutAttribute(segment, kIdKey, kIdEndMarker, 2);
    // The title attribute ends with its quote in front of the closing of the empty <i> tag.
    record.name = ShownText(CutAttribute(segment, kTitleKey, kTitleEndMarker, 1));
    record.introduction = record.name;
    if (!id.empty()) {
        record.link.reserve(baseUrl.size() + 1 + id.size());
        record.link.append(baseUrl).append("/").append(id);
    }
    return record;
}

std::vector<GameRecord> CutRecords(std::string_view page, std::string_view baseUrl,
                                   boost::regex& pattern) {
    return record_matching::CutRecords(page, kRecordPattern, kRecordEnd, pattern,
                                       [baseUrl](std::string_view segment, size_t number) {
                                           return CutRecord(segment, baseUrl, number);
                                       });
}

// The text of the last pager link in front of the next-page button: the number of the last
// page. A page without that button (a single result page, or no results) has no pager.
std::string PageCountText(std::string_view page, size_t recordCount) {
    const std::string withoutPager = recordCount > 0 ? "1" : "0";
    const int next = FindText(page, kNextPageMarker);
    if (next < 0) return withoutPager;
    const int opener = FindTextBackward(page, kLinkTextOpener, next);
    if (opener < 0) return withoutPager;
    const int start = opener + static_cast<int>(kLinkTextOpener.size());
    const int closer = FindText(page, kLinkCloser, start);
    if (closer < 0) return withoutPager;
    return std::string(Slice(page, start, closer));
}

}  // namespace

std::string SearchUrl(std::string_view baseUrl, std::string_view keyword) {
    std::string url(baseUrl);
    url += "/appweb/search?lb=";
    url += keyword;
    url += "&cid=1&lcid=0&ps=10&pn=1";
    return url;
}

SearchPage ParseSearchPage(std::string_view page, std::string_view baseUrl, boost::regex& pattern) {
    SearchPage result;
    result.records = CutRecords(page, baseUrl, pattern);
    result.pageCountText = PageCountText(page, result.records.size());
    return result;
}

SearchPage ParseSearchReply(std::string_view reply, std::string_view baseUrl,
                            boost::regex& pattern) {
    return ParseSearchPage(PercentDecode(reply), baseUrl, pattern);
}

bool IsSearchPage(std::string_view page) {
    for (std::string_view mark : {kEntryClass, kNextPageMarker, kSearchPath}) {
        if (page.find(mark) != std::string_view::npos) return true;
    }
    return false;
}
