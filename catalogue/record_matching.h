// What the two reply parsers share: matching the record pattern over a reply and cutting byte
// ranges out of it by 1-based positions. Portable, header-only, internal to the catalogue.
#pragma once

#include <exception>
#include <string_view>
#include <vector>

#include <boost/regex.hpp>

#include "catalogue/fetch_outcome.h"
#include "catalogue/game_record.h"

namespace record_matching {

// The bytes from 1-based position `from` up to, not including, 1-based position `to`. A failed
// search on either side (-1) or a reversed range gives the empty text, so a record with a
// missing key never reads from a computed position.
inline std::string_view Slice(std::string_view text, int from, int to) {
    if (from < 1 || to < from || to - 1 > static_cast<int>(text.size())) return {};
    return text.substr(from - 1, to - from);
}

// Compiles `pattern` into the shared pattern object (Perl syntax, case-sensitive, the dot
// matches newlines) and cuts one record out of capture group 1 of each match, left to right:
// cut(segment, 1-based record number).
//
// No match can end behind the last `closing` part of the pattern. Matching only up to it spares
// the matcher a scan to the end of the text for every opening behind it, which would make a long
// garbage reply take quadratic time. Boost reports a bad pattern, a match too complex for its
// limits and exhausted memory by throwing; the records found so far are returned then.
//
// Matching stops one record beyond kRecordLimit: the caller learns that the text is over the cap
// without the time and memory of cutting every record of a huge reply.
template <typename Cut>
std::vector<GameRecord> CutRecords(std::string_view text, const char* pattern,
                                   std::string_view closing, boost::regex& regex, Cut cut) {
    std::vector<GameRecord> records;
    try {
        regex.assign(pattern, boost::regex::perl | boost::regex::mod_s);
        const size_t last = text.rfind(closing);
        if (last == std::string_view::npos) return records;
        const std::string_view range = text.substr(0, last + closing.size());
        const boost::cregex_iterator end;
        for (boost::cregex_iterator match(range.data(), range.data() + range.size(), regex);
             match != end; ++match) {
            const auto& group = (*match)[1];
            const std::string_view segment(group.first, static_cast<size_t>(group.length()));
            records.push_back(cut(segment, records.size() + 1));
            if (records.size() > kRecordLimit) break;
        }
    } catch (const std::exception&) {
    }
    return records;
}

}  // namespace record_matching
