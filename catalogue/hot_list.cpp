#include "catalogue/hot_list.h"

#include "catalogue/record_matching.h"
#include "text/text_utils.h"

namespace {

using record_matching::Slice;

// One record runs from the key app_id to the key app_url; group 1 holds the id value and the
// record's other keys.
constexpr char kRecordPattern[] = R"re(app_id(.*?)"app_url":")re";
constexpr std::string_view kRecordEnd = R"re("app_url":")re";  // closing part of the pattern
constexpr std::string_view kValueSeparator = R"(":")";
constexpr std::string_view kValueTerminator = R"(",)";
constexpr std::string_view kNameKey = R"(app_name":")";
constexpr std::string_view kIntroductionKey = R"(app_shortdesc":")";
constexpr std::string_view kEscapeMarker = R"(\u)";

std::string_view CutId(std::string_view segment) {
    const int separator = FindText(segment, kValueSeparator);
    if (separator < 0) return {};
    const int start = separator + static_cast<int>(kValueSeparator.size());
    return Slice(segment, start, FindText(segment, kValueTerminator, start));
}

// The value of `key` as the catalogue sent it, its "\u" escapes decoded. Text in front of the
// first escape stays as it is, and a value without escapes is not touched, because the escape
// decoder reads every piece as hex digits.
std::string CutEscapedValue(std::string_view segment, std::string_view key) {
    const int found = FindText(segment, key);
    if (found < 0) return {};
    const int start = found + static_cast<int>(key.size());
    const std::string_view raw = Slice(segment, start, FindText(segment, kValueTerminator, start));
    const int escape = FindText(raw, kEscapeMarker);
    if (escape < 0) return std::string(raw);
    if (escape == 1) return DecodeUnicodeEscapes(raw);
    const std::string_view plain = raw.substr(0, escape - 1);
    const std::string decoded = DecodeUnicodeEscapes(raw.substr(escape - 1));
    std::string value;
    value.reserve(plain.size() + decoded.size());
    value.append(plain).append(decoded);
    return value;
}

GameRecord CutRecord(std::string_view segment, std::string_view baseUrl, size_t position) {
    GameRecord record;
    record.index = std::to_string(position);
    record.name = ShownText(CutEscapedValue(segment, kNameKey));
    record.introduction = ShownText(CutEscapedValue(segment, kIntroductionKey));
    const std::string_view id = CutId(segment);
    if (!id.empty()) {
        record.link.reserve(baseUrl.size() + 1 + id.size());
        record.link.append(baseUrl).append("/").append(id);
    }
    return record;
}

}  // namespace

std::string HotListUrl(std::string_view baseUrl, std::string_view categoryKey, int page) {
    std::string url(baseUrl);
    if (categoryKey == "100") {
        url += "/appweb/getcathotlist?cid=1&leaf_cid=0&sort=2&pn=";
    } else {
        url += "/appweb/getcathotlist?cid=1&leaf_cid=";
        url += categoryKey;
        url += "&sort=1&pn=";
    }
    url += std::to_string(page);
    return url;
}

std::vector<GameRecord> ParseHotList(std::string_view reply, std::string_view baseUrl,
                                     boost::regex& pattern) {
    return record_matching::CutRecords(reply, kRecordPattern, kRecordEnd, pattern,
                                       [baseUrl](std::string_view segment, size_t number) {
                                           return CutRecord(segment, baseUrl, number);
                                       });
}

bool IsHotListReply(std::string_view reply) {
    constexpr std::string_view kBlank = " \t\r\n";
    const size_t first = reply.find_first_not_of(kBlank);
    const size_t last = reply.find_last_not_of(kBlank);
    return first != std::string_view::npos && reply[first] == '{' && reply[last] == '}';
}
