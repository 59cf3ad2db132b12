// What the fetch notice in the main window's list area says: why a fetch failed, in plain
// Chinese, and that F5 (or a click on the notice) tries again; or that a search found nothing.
#pragma once

#include <string>
#include <string_view>

#include "catalogue/fetch_outcome.h"

// GBK texts.
std::string FetchFailureNotice(const FetchOutcome& outcome);
std::string NoSearchResultsNotice(std::string_view searchText);
// What a search for nothing says, whatever the catalogue answered.
extern const char kEmptySearchNotice[];

// Whether a typed search term (GBK) is empty or only blanks, ASCII or full-width.
bool IsBlankSearchText(std::string_view searchText);
