// The documents the sample catalogue serves, in the shapes the program's parsers read.
#pragma once

#include <string>
#include <string_view>

#include "game_data.h"

// The hot-list reply: JSON with one record per game, keys app_id, app_name, app_shortdesc,
// app_url in that order, non-ASCII text as "\u" escapes.
std::string HotListJson(const HotListPage& page, std::string_view baseUrl, int pageNumber);

// The search result page (UTF-8 HTML): one <dl> entry per game and, when there is more than
// one page, a pager whose last numbered link before the next-page button is the page count.
std::string SearchHtml(const std::string& keyword, const SearchResult& result, int pageNumber,
                       int pageSize, std::string_view baseUrl);

// The page of one game: a canvas with a small playable toy.
std::string GameHtml(const Game& game, std::string_view baseUrl);

std::string IndexHtml(std::string_view baseUrl);
std::string ErrorHtml(int status, std::string_view reason);
// A page that is neither a hot list nor a search page, as a network's log-in portal sends
// in place of whatever was asked for.
std::string PortalHtml();
