// The library's file form: one UTF-8 JSON object.
//
//   {
//     "version": 1,
//     "favourites": [{"name": "...", "introduction": "...", "link": "...", "added": 1714560000}],
//     "recent": [{"name": "...", "introduction": "...", "link": "...", "played": 1714560000}],
//     "settings": {
//       "skin": {"menu": "\\skin\\2.jpg"}  or  {"file": "D:\\pictures\\sea.jpg"},
//       "gameWindow": {"width": 1024, "height": 700, "maximised": false},
//       "bossKey": "Ctrl+Alt+B",
//       "catalogueUrl": "https://games.example.com",  "homepageUrl": "https://www.example.com",
//       "gameZoom": {"http://...": 125}
//     }
//   }
//
// Lists are newest first; times are seconds since 1970-01-01 UTC. "gameZoom" holds a page zoom
// in percent (25 to 400) by game link, and none at 100. Every key but "version" may be
// missing. Keys this version does not know are kept and written back, so a file written by a
// later version of the same format loses nothing here; a file of a higher version is not read
// (IsLaterLibraryVersion tells it from a damaged one).
// A new setting is one more key of "settings": read it in ReadSettings, write it in
// WriteSettings (library_file.cpp).
//
// Portable; no exception leaves these functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "library/library.h"

constexpr int kLibraryFormatVersion = 1;

// The library a file holds; nothing when the text is not one: not JSON, nested absurdly deep, a
// version missing or above kLibraryFormatVersion, or a known key holding the wrong kind of value.
std::optional<Library> ParseLibrary(std::string_view utf8);

// The text is a JSON object (within the nesting limit) whose version is an integer above
// kLibraryFormatVersion: a later version of the program wrote it, and it is no damage.
bool IsLaterLibraryVersion(std::string_view utf8);

// The file's text, indented for a person to read; empty only when memory ran out.
std::string SerializeLibrary(const Library& library);
