// The library model and its file form: what survives a write and a read, and which files are
// refused. Narrow literals are GBK (the program's text); u8 literals are the file's UTF-8.
#include "library/library_file.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "text/text_utils.h"

namespace {

std::string Utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

LibraryGame Game(std::string name, std::string link, std::int64_t time = 1714550400) {
    return {std::move(name), "intro", std::move(link), time, {}};
}

std::vector<std::string> Links(const std::vector<LibraryGame>& games) {
    std::vector<std::string> links;
    for (const LibraryGame& game : games)
        links.push_back(game.link);
    return links;
}

TEST(Library, ListsKeepOneEntryPerLinkNewestFirst) {
    Library library;
    EXPECT_TRUE(library.AddFavourite(Game("a", "http://g/1")));
    EXPECT_TRUE(library.AddFavourite(Game("b", "http://g/2")));
    EXPECT_FALSE(library.AddFavourite(Game("a again", "http://g/1")));
    EXPECT_FALSE(library.AddFavourite(Game("no link", "")));
    EXPECT_EQ(Links(library.Favourites()), (std::vector<std::string>{"http://g/2", "http://g/1"}));
    EXPECT_TRUE(library.RemoveFavourite("http://g/2"));
    EXPECT_FALSE(library.RemoveFavourite("http://g/2"));
    EXPECT_FALSE(library.IsFavourite("http://g/2"));

    for (int i = 0; i < 150; ++i)
        library.RecordPlayed(Game("g", "http://g/" + std::to_string(i)));
    library.RecordPlayed(Game("again", "http://g/140"));
    ASSERT_EQ(library.Recent().size(), Library::kRecentLimit);
    EXPECT_EQ(library.Recent()[0].name, "again");
    EXPECT_EQ(library.Recent()[1].link, "http://g/149");
    EXPECT_EQ(library.Recent().back().link, "http://g/50");

    // A page zoom is remembered per game, within 25 to 400 %; 100 % is no entry at all.
    EXPECT_EQ(library.GameZoom("http://g/1"), kDefaultGameZoom);
    EXPECT_TRUE(library.SetGameZoom("http://g/1", 125));
    EXPECT_FALSE(library.SetGameZoom("http://g/1", 125));
    EXPECT_FALSE(library.SetGameZoom("", 125));
    EXPECT_TRUE(library.SetGameZoom("http://g/2", 1000));
    EXPECT_EQ(library.GameZoom("http://g/2"), kHighestGameZoom);
    EXPECT_EQ(library.GameZoom("http://g/1"), 125);
    EXPECT_TRUE(library.SetGameZoom("http://g/2", kDefaultGameZoom));
    EXPECT_EQ(library.Settings().gameZoom.size(), 1u);
}

TEST(LibraryFile, WriteAndReadKeepEveryTextAndSetting) {
    const std::string texts[] = {
        "植物大战僵尸",   "Bubble Shooter", "say \"hi\"",         "C:\\games\\x\\",
        "tab\tand\nline", "全角！？【】",   "{\"json\": [1, 2]}", "",
    };
    Library library;
    int id = 0;
    for (const std::string& text : texts) {
        const std::string link = "http://g/" + std::to_string(++id) + text;
        library.AddFavourite({text, text + "介绍", link, -5 + id, {}});
        library.RecordPlayed({text, text, link, 1714550400LL * 1000 + id, {}});
    }
    library.Settings().skin = SkinChoice{true, "D:\\图片\\海边 \"1\".jpg"};
    library.Settings().gameWindow = WindowSize{1024, 700, true};
    library.Settings().bossKey = "Ctrl+Shift+老板";  // kept as written, even when no key
    library.SetGameZoom("http://g/1植物大战僵尸", 25);
    library.SetGameZoom("http://g/2", 400);

    const std::optional<Library> read = ParseLibrary(SerializeLibrary(library));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->Favourites().size(), std::size(texts));
    for (size_t i = 0; i < std::size(texts); ++i) {
        const LibraryGame &written = library.Favourites()[i], &back = read->Favourites()[i];
        EXPECT_EQ(back.name, written.name);
        EXPECT_EQ(back.introduction, written.introduction);
        EXPECT_EQ(back.link, written.link);
        EXPECT_EQ(back.time, written.time);
        EXPECT_EQ(read->Recent()[i].time, library.Recent()[i].time);
    }
    EXPECT_EQ(read->Settings().skin, library.Settings().skin);
    EXPECT_EQ(read->Settings().gameWindow, library.Settings().gameWindow);
    EXPECT_EQ(read->Settings().bossKey, library.Settings().bossKey);
    EXPECT_EQ(read->Settings().gameZoom, library.Settings().gameZoom);
}

// A file holding characters GBK cannot hold, and keys of a later version: the program shows
// what GBK can, and writes the file back without losing either.
TEST(LibraryFile, WritesBackWhatItCannotShowOrDoesNotKnow) {
    const std::string file = Utf8(
        u8R"({"version": 1, "favourites": [{"name": "游戏🎮乐园", "introduction": "™ ✓",)"
        u8R"( "link": "http://g/7", "added": 5, "rating": {"stars": [5]}}],)"
        u8R"( "settings": {"volume": 30, "skin": {"menu": "\\skin\\2.jpg"},)"
        u8R"( "gameZoom": {"http://g/7": 150, "http://g/8": 100}},)"
        u8R"( "syncedAt": null})");
    std::optional<Library> library = ParseLibrary(file);
    ASSERT_TRUE(library);
    EXPECT_EQ(library->Favourites()[0].name, "游戏??乐园");  // the two UTF-16 units of the emoji
    EXPECT_EQ(library->Settings().skin, (SkinChoice{false, "\\skin\\2.jpg"}));
    EXPECT_EQ(library->GameZoom("http://g/7"), 150);

    library->RecordPlayed(library->Favourites()[0]);
    const std::string written = SerializeLibrary(*library);
    for (std::u8string_view kept :
         {u8"\"游戏🎮乐园\"", u8"\"™ ✓\"", u8"\"rating\": {", u8"\"volume\": 30",
          u8"\"syncedAt\": null", u8"\"http://g/7\": 150"}) {
        EXPECT_NE(written.find(Utf8(kept)), std::string::npos) << Utf8(kept) << "\n" << written;
    }
    EXPECT_EQ(written.find("http://g/8"), std::string::npos) << "100 % is written as nothing";
    // A text the program changed is written as the program has it.
    library->Settings().skin = SkinChoice{false, "\\skin\\3.jpg"};
    library->RemoveFavourite("http://g/7");
    library->AddFavourite({"新名字", "", "http://g/7", 6, library->Recent()[0].original});
    const std::string changed = SerializeLibrary(*library);
    EXPECT_NE(changed.find(AnsiToUtf8("\"新名字\"")), std::string::npos) << changed;
    EXPECT_NE(changed.find(Utf8(u8"\"rating\": {")), std::string::npos) << changed;
    EXPECT_NE(changed.find("3.jpg"), std::string::npos);
}

// The service addresses are written by the user: a value of the wrong kind is no damage to the
// library; the program is told of it as an address that is no address, and the file keeps it.
TEST(LibraryFile, ReadsTheUsersAddressesAndWritesThemBackAsWritten) {
    const std::string file = Utf8(
        u8R"({"version": 1, "settings": {"catalogueUrl": "https://games.example.com:8443",)"
        u8R"( "homepageUrl": 42}})");
    std::optional<Library> library = ParseLibrary(file);
    ASSERT_TRUE(library);
    EXPECT_EQ(library->Settings().catalogueUrl, "https://games.example.com:8443");
    EXPECT_EQ(library->Settings().homepageUrl, "");
    EXPECT_EQ(ParseLibrary(R"({"version": 1})")->Settings().catalogueUrl, std::nullopt);

    library->Settings().skin = SkinChoice{false, "\\skin\\3.jpg"};
    const std::string written = SerializeLibrary(*library);
    for (std::string_view kept :
         {"\"catalogueUrl\": \"https://games.example.com:8443\"", "\"homepageUrl\": 42"}) {
        EXPECT_NE(written.find(kept), std::string::npos) << kept << "\n" << written;
    }
    const std::optional<Library> again = ParseLibrary(written);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Settings().catalogueUrl, library->Settings().catalogueUrl);
    EXPECT_EQ(again->Settings().homepageUrl, "");
}

TEST(LibraryFile, RefusesTextsThatAreNoLibrary) {
    const std::u8string_view files[] = {
        u8"",
        u8"   \n",
        u8"library",
        u8"\xEF\xBB\xBF",
        u8R"({"version": 1, "favourites": [{"name": "a", "link": "http://g/1")",  // truncated
        u8R"({"version": 1, "favourites": [{"name": "a", "link": "http://g/1"},])",
        u8R"([{"version": 1}])",
        u8R"({})",
        u8R"({"version": 2})",
        u8R"({"version": 0})",
        u8R"({"version": "1"})",
        u8R"({"version": 1.0})",
        u8R"({"version": 1, "favourites": {}})",
        u8R"({"version": 1, "recent": ["http://g/1"]})",
        u8R"({"version": 1, "recent": [{"name": "no link"}]})",
        u8R"({"version": 1, "recent": [{"name": 7, "link": "http://g/1"}]})",
        u8R"({"version": 1, "recent": [{"link": "http://g/1", "played": "today"}]})",
        u8R"({"version": 1, "settings": {"skin": {"menu": ""}}})",
        u8R"({"version": 1, "settings": {"skin": "2.jpg"}})",
        u8R"({"version": 1, "settings": {"gameWindow": {"width": -1}}})",
        u8R"({"version": 1, "settings": {"gameWindow": {"width": 4294967296}}})",
        u8R"({"version": 1, "settings": {"gameWindow": {"maximised": 1}}})",
        u8R"({"version": 1, "settings": {"bossKey": ["Ctrl", "B"]}})",
        u8R"({"version": 1, "settings": {"gameZoom": [125]}})",
        u8R"({"version": 1, "settings": {"gameZoom": {"http://g/1": "125%"}}})",
        u8R"({"version": 1, "settings": {"gameZoom": {"http://g/1": 1.25}}})",
        u8R"({"version": 1, "settings": {"gameZoom": {"http://g/1": 24}}})",
        u8R"({"version": 1, "settings": {"gameZoom": {"http://g/1": 401}}})",
        u8"{\"version\": 1, \"name\": \"\xFF\"}",  // not UTF-8
    };
    for (std::u8string_view file : files) {
        EXPECT_FALSE(ParseLibrary(Utf8(file))) << Utf8(file);
    }
    const std::string deep = std::string(100, '[') + std::string(100, ']');
    EXPECT_FALSE(ParseLibrary(R"({"version": 1, "x": )" + deep + "}"));
    // A BOM (as Notepad writes one) and missing lists are fine.
    EXPECT_TRUE(ParseLibrary(Utf8(u8"\xEF\xBB\xBF{\"version\": 1}")));
}

}  // namespace
