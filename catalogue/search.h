// Request and reply of the catalogue's search page.
//
// Portable: no Windows header, so the scraper is unit-tested, sanitised and fuzzed natively.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <boost/regex.hpp>

#include "catalogue/fetch_outcome.h"
#include "catalogue/game_record.h"

struct SearchPage {
    std::vector<GameRecord> records;
    std::string pageCountText;  // what the page-count label shows between its two characters
};

// URL of the first result page for an already percent-encoded keyword. The catalogue is always
// asked for page 1 with ten entries.
std::string SearchUrl(std::string_view baseUrl, std::string_view keyword);

// Scrapes a search page that has already been percent-decoded and converted to GBK.
// `pattern` is the program's shared record pattern object; it is recompiled here on every call.
// Without a pager the page count text is "1" when there are results and "0" when there are
// none. An entry lacking its id or title gets an empty text for that value. Never throws.
// At most kRecordLimit + 1 entries are cut: more than kRecordLimit means the page is over the
// cap (and the rest of it was not read).
SearchPage ParseSearchPage(std::string_view page, std::string_view baseUrl, boost::regex& pattern);

// The same for the reply as it arrives (a UTF-8 document): percent-decodes it to GBK first.
SearchPage ParseSearchReply(std::string_view reply, std::string_view baseUrl,
                            boost::regex& pattern);

// Whether a (decoded) page is a search page at all, entries or not: it holds a result entry,
// the pager's next-page button or a link back to the search. Any other page is not.
bool IsSearchPage(std::string_view page);
