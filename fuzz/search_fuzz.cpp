// libFuzzer target: any bytes as a search reply, scraped both through the percent-decoding of
// the whole reply and as an already decoded page. Seeds: corpus/search/ (sample catalogue
// replies).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/search.h"
#include "fuzz/reply_checks.h"
#include "text/text_utils.h"

namespace {

using fuzz::Check;
using fuzz::kBase;
using fuzz::OneLine;

// Every text cut from the page is a piece of it (a title once its references are decoded, which
// never lengthens it); the page count without a pager is 0 or 1.
void CheckCutFrom(std::string_view page, const SearchPage& result) {
    Check(page.find(result.pageCountText) != std::string_view::npos ||
          result.pageCountText == (result.records.empty() ? "0" : "1"));
    // A page with entries is never taken for a wrong answer.
    Check(result.records.empty() || IsSearchPage(page));
    for (size_t i = 0; i < result.records.size(); ++i) {
        const GameRecord& record = result.records[i];
        Check(record.index == std::to_string(i + 1));
        Check(record.introduction == record.name);
        Check(record.name.size() <= page.size() && OneLine(record.name));
        if (record.link.empty()) continue;
        Check(std::string_view(record.link).substr(0, kBase.size() + 1) == "http://games.example/");
        Check(page.find(std::string_view(record.link).substr(kBase.size() + 1)) !=
              std::string_view::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One pattern object for every call, as in the program.
    static boost::regex pattern;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);

    const std::string page = PercentDecode(reply);
    CheckCutFrom(page, ParseSearchPage(page, kBase, pattern));
    CheckCutFrom(reply, ParseSearchPage(reply, kBase, pattern));
    return 0;
}
