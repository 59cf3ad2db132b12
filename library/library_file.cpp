#include "library/library_file.h"

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <limits>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "text/text_utils.h"

namespace {

// Keys keep the order they have in the file.
using Json = nlohmann::ordered_json;
using Keys = std::initializer_list<std::string_view>;

// Nothing the program writes nests deeper than 4; deeper values (kept only under unknown keys)
// are refused, so that writing them back cannot exhaust the stack.
constexpr int kDeepestNesting = 32;

const Keys kGameTexts = {"name", "introduction", "link"};
const Keys kAddressKeys = {"catalogueUrl", "homepageUrl"};

template <typename List>
bool Contains(const List& keys, std::string_view key) {
    for (std::string_view known : keys) {
        if (known == key) return true;
    }
    return false;
}

// GBK cannot hold every character of the text.
bool LosesCharacters(const std::string& utf8) {
    return AnsiToUtf8(Utf8ToAnsi(utf8)) != utf8;
}

// Reads values of known keys, remembering whether any had the wrong kind.
class Reader {
public:
    bool Failed() const { return failed_; }

    // The member, when present; nullptr when missing or when it is not of `type`.
    const Json* Member(const Json& object, std::string_view key, Json::value_t type) {
        const auto found = object.find(key);
        if (found == object.end()) return nullptr;
        if (found->type() != type) {
            Fail();
            return nullptr;
        }
        return &*found;
    }

    std::string Text(const Json& object, std::string_view key) {
        const Json* value = Member(object, key, Json::value_t::string);
        return value ? Utf8ToAnsi(value->get_ref<const std::string&>()) : std::string();
    }

    std::optional<std::int64_t> Integer(const Json& object, std::string_view key,
                                        std::int64_t lowest, std::int64_t highest) {
        const auto found = object.find(key);
        if (found == object.end()) return std::nullopt;
        bool fits = false;
        std::int64_t value = 0;
        if (found->is_number_unsigned()) {
            const auto unsignedValue = found->get<std::uint64_t>();
            fits = unsignedValue <= static_cast<std::uint64_t>(highest);
            value = static_cast<std::int64_t>(unsignedValue);
        } else if (found->is_number_integer()) {
            value = found->get<std::int64_t>();
            fits = true;
        }
        if (!fits || value < lowest || value > highest) {
            Fail();
            return std::nullopt;
        }
        return value;
    }

    std::optional<bool> Boolean(const Json& object, std::string_view key) {
        const Json* value = Member(object, key, Json::value_t::boolean);
        return value ? std::optional<bool>(value->get<bool>()) : std::nullopt;
    }

    void Fail() { failed_ = true; }

private:
    bool failed_ = false;
};

// What of `object` this version would not write itself: unknown keys, and texts (`texts`) that
// GBK cannot hold. Empty when nothing.
std::string Leftovers(const Json& object, const std::vector<std::string_view>& known,
                      Keys texts = {}) {
    Json kept = Json::object();
    for (const auto& [key, value] : object.items()) {
        if (!Contains(known, key) || (Contains(texts, key) && value.is_string() &&
                                      LosesCharacters(value.get_ref<const std::string&>()))) {
            kept[key] = value;
        }
    }
    return kept.empty() ? std::string() : kept.dump();
}

// Puts the leftovers back: unknown keys after the known ones, and a text in its original
// spelling while the program's text still says the same.
void MergeLeftovers(Json& object, const std::string& original, Keys texts = {}) {
    if (original.empty()) return;
    const Json kept = Json::parse(original, nullptr, false);
    if (!kept.is_object()) return;
    for (const auto& [key, value] : kept.items()) {
        const auto ours = object.find(key);
        if (ours == object.end()) {
            object[key] = value;
        } else if (Contains(texts, key) && value.is_string() && ours->is_string() &&
                   Utf8ToAnsi(value.get_ref<const std::string&>()) ==
                       Utf8ToAnsi(ours->get_ref<const std::string&>())) {
            *ours = value;
        }
    }
}

std::vector<LibraryGame> ReadGames(Reader& reader, const Json& root, std::string_view listKey,
                                   std::string_view timeKey) {
    std::vector<LibraryGame> games;
    const Json* list = reader.Member(root, listKey, Json::value_t::array);
    if (!list) return games;
    const Keys known = {"name", "introduction", "link", timeKey};
    for (const Json& entry : *list) {
        if (!entry.is_object()) {
            reader.Fail();
            break;
        }
        LibraryGame game;
        game.name = reader.Text(entry, "name");
        game.introduction = reader.Text(entry, "introduction");
        game.link = reader.Text(entry, "link");
        game.time = reader
                        .Integer(entry, timeKey, std::numeric_limits<std::int64_t>::min(),
                                 std::numeric_limits<std::int64_t>::max())
                        .value_or(0);
        // The program never writes a game without a link: such an entry is not ours.
        if (game.link.empty()) {
            reader.Fail();
            break;
        }
        game.original = Leftovers(entry, known, kGameTexts);
        games.push_back(std::move(game));
    }
    return games;
}

Json WriteGames(const std::vector<LibraryGame>& games, std::string_view timeKey) {
    Json list = Json::array();
    for (const LibraryGame& game : games) {
        Json entry = Json::object();
        entry["name"] = AnsiToUtf8(game.name);
        entry["introduction"] = AnsiToUtf8(game.introduction);
        entry["link"] = AnsiToUtf8(game.link);
        entry[timeKey] = game.time;
        MergeLeftovers(entry, game.original, kGameTexts);
        list.push_back(std::move(entry));
    }
    return list;
}

LibrarySettings ReadSettings(Reader& reader, const Json& root) {
    LibrarySettings settings;
    const Json* object = reader.Member(root, "settings", Json::value_t::object);
    if (!object) return settings;

    if (const Json* skin = reader.Member(*object, "skin", Json::value_t::object)) {
        const bool custom = skin->contains("file");
        std::string path = reader.Text(*skin, custom ? "file" : "menu");
        if (path.empty()) reader.Fail();
        settings.skin = SkinChoice{custom, std::move(path)};
    }
    if (const Json* window = reader.Member(*object, "gameWindow", Json::value_t::object)) {
        constexpr std::int64_t kLargest = std::numeric_limits<int>::max();
        WindowSize size;
        size.width = static_cast<int>(reader.Integer(*window, "width", 0, kLargest).value_or(0));
        size.height = static_cast<int>(reader.Integer(*window, "height", 0, kLargest).value_or(0));
        size.maximised = reader.Boolean(*window, "maximised").value_or(false);
        settings.gameWindow = size;
    }
    if (const Json* key = reader.Member(*object, "bossKey", Json::value_t::string)) {
        settings.bossKey = Utf8ToAnsi(key->get_ref<const std::string&>());
    }
    if (const Json* zoom = reader.Member(*object, "gameZoom", Json::value_t::object)) {
        for (const auto& entry : zoom->items()) {
            const auto percent =
                reader.Integer(*zoom, entry.key(), kLowestGameZoom, kHighestGameZoom);
            if (percent && *percent != kDefaultGameZoom) {
                settings.gameZoom[Utf8ToAnsi(entry.key())] = static_cast<int>(*percent);
            }
        }
    }
    // The addresses are the user's own writing, never the program's: a value of the wrong kind
    // is a bad address (ignored and reported by the program, kept in the file as it is), not a
    // damaged library.
    std::vector<std::string_view> known = {"skin", "gameWindow", "bossKey", "gameZoom"};
    for (const auto& [key, address] : {std::pair{"catalogueUrl", &settings.catalogueUrl},
                                       std::pair{"homepageUrl", &settings.homepageUrl}}) {
        const auto found = object->find(key);
        if (found == object->end()) continue;
        if (found->is_string()) {
            *address = Utf8ToAnsi(found->get_ref<const std::string&>());
            known.push_back(key);
        } else {
            *address = std::string();
        }
    }
    settings.original = Leftovers(*object, known, kAddressKeys);
    return settings;
}

Json WriteSettings(const LibrarySettings& settings) {
    Json object = Json::object();
    if (settings.skin) {
        object["skin"] = {
            {settings.skin->custom ? "file" : "menu", AnsiToUtf8(settings.skin->path)}};
    }
    if (settings.gameWindow) {
        object["gameWindow"] = {{"width", settings.gameWindow->width},
                                {"height", settings.gameWindow->height},
                                {"maximised", settings.gameWindow->maximised}};
    }
    if (settings.bossKey) object["bossKey"] = AnsiToUtf8(*settings.bossKey);
    for (const auto& [key, address] : {std::pair{"catalogueUrl", &settings.catalogueUrl},
                                       std::pair{"homepageUrl", &settings.homepageUrl}}) {
        if (*address && !(*address)->empty()) object[key] = AnsiToUtf8(**address);
    }
    if (!settings.gameZoom.empty()) {
        Json& zoom = object["gameZoom"] = Json::object();
        for (const auto& [link, percent] : settings.gameZoom)
            zoom[AnsiToUtf8(link)] = percent;
    }
    MergeLeftovers(object, settings.original, kAddressKeys);
    return object;
}

// The file's JSON object; null when the text is no JSON object or nests too deep.
Json ParseObject(std::string_view utf8) {
    bool tooDeep = false;
    Json root = Json::parse(
        utf8,
        [&tooDeep](int depth, Json::parse_event_t, Json&) {
            if (depth > kDeepestNesting) tooDeep = true;
            return !tooDeep;
        },
        false);
    if (tooDeep || !root.is_object()) return nullptr;
    return root;
}

std::optional<Library> ReadLibrary(std::string_view utf8) {
    const Json root = ParseObject(utf8);
    if (!root.is_object()) return std::nullopt;

    Reader reader;
    const std::optional<std::int64_t> version =
        reader.Integer(root, "version", 1, kLibraryFormatVersion);
    if (!version) return std::nullopt;
    std::vector<LibraryGame> favourites = ReadGames(reader, root, "favourites", "added");
    std::vector<LibraryGame> recent = ReadGames(reader, root, "recent", "played");
    LibrarySettings settings = ReadSettings(reader, root);
    if (reader.Failed()) return std::nullopt;
    return Library(std::move(favourites), std::move(recent), std::move(settings),
                   Leftovers(root, {"version", "favourites", "recent", "settings"}));
}

}  // namespace

std::optional<Library> ParseLibrary(std::string_view utf8) {
    try {
        return ReadLibrary(utf8);
    } catch (const std::exception&) {
        return std::nullopt;  // out of memory
    }
}

bool IsLaterLibraryVersion(std::string_view utf8) {
    try {
        const Json root = ParseObject(utf8);
        if (!root.is_object()) return false;
        const auto version = root.find("version");
        // The parser reads every integer from 0 up as unsigned.
        return version != root.end() && version->is_number_unsigned() &&
               version->get<std::uint64_t>() > kLibraryFormatVersion;
    } catch (const std::exception&) {
        return false;  // out of memory
    }
}

std::string SerializeLibrary(const Library& library) try {
    Json root = Json::object();
    root["version"] = kLibraryFormatVersion;
    root["favourites"] = WriteGames(library.Favourites(), "added");
    root["recent"] = WriteGames(library.Recent(), "played");
    root["settings"] = WriteSettings(library.Settings());
    MergeLeftovers(root, library.Original());
    // ensure_ascii off: Chinese stays readable. Every text is valid UTF-8 by construction, so the
    // replacement handler only guards against a fault.
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
} catch (const std::exception&) {
    return {};  // out of memory
}
