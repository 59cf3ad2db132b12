// Request and reply of the catalogue's hot list: one page of the popular games of a category.
//
// Portable: no Windows header, so the parser is unit-tested, sanitised and fuzzed natively.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <boost/regex.hpp>

#include "catalogue/fetch_outcome.h"
#include "catalogue/game_record.h"

// URL of one hot-list page. The key "100" is the "recently updated" list: category 0 in sort
// order 2; every other key is sent unchanged with sort order 1.
std::string HotListUrl(std::string_view baseUrl, std::string_view categoryKey, int page);

// Cuts the games out of a hot-list reply (JSON-like text with "\u" escapes), in reply order.
// `pattern` is the program's shared record pattern object; it is recompiled here on every call.
// A record lacking a key gets an empty text for that value (and an empty link without an id).
// Never throws; a reply the pattern cannot be matched against gives the records found so far.
// At most kRecordLimit + 1 records are cut: more than kRecordLimit means the reply is over the
// cap (and the rest of it was not read).
std::vector<GameRecord> ParseHotList(std::string_view reply, std::string_view baseUrl,
                                     boost::regex& pattern);

// Whether a reply is a hot-list reply at all, records or not: a JSON object. An HTML page, an
// error text or random bytes are not, so an empty list can be told from a wrong answer.
bool IsHotListReply(std::string_view reply);
