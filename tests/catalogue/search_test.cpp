#include "catalogue/search.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr char kBase[] = "http://games.example";

// Replies arrive as UTF-8; u8 literals keep these bytes whatever the execution character set.
std::string Utf8(std::u8string_view text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

// One result entry in the catalogue's markup.
std::string Entry(std::string_view id, std::u8string_view title) {
    return Utf8(u8R"(<dl class="app-single-item app-single-item-details"><dt><a href="/)") +
           std::string(id) + R"(" data-appid=")" + std::string(id) +
           R"(" target="_blank"><i class="app-single-round" title=")" + Utf8(title) +
           Utf8(
               u8R"("></i></a></dt><dd class="desc">好玩</dd>)"
               u8R"(<dd><span><strong>12.5</strong>万次使用</span></dd></dl>)");
}

// A pager with numbered links up to `last` and the next-page button.
std::string Pager(int last) {
    std::string pager = R"(<div class="pager"><span class="current">1</span>)";
    for (int n = 2; n <= last; ++n) {
        pager += R"(<a href="/appweb/search?lb=%E5%A1%94%E9%98%B2&pn=)" + std::to_string(n) +
                 R"(" data-item="btn-page">)" + std::to_string(n) + "</a>";
    }
    return pager + Utf8(u8R"(<a class="next" data-item="btn-page-next" href="#">下一页</a></div>)");
}

std::string Page(const std::string& body) {
    return Utf8(u8R"(<!DOCTYPE html><html><head><meta charset="utf-8"><title>搜索</title>)") +
           "</head><body>" + body + "</body></html>";
}

SearchPage ParseReply(const std::string& reply) {
    boost::regex pattern;
    return ParseSearchReply(reply, kBase, pattern);
}

// --- URL

TEST(SearchUrl, AlwaysAsksForTheFirstPageOfTen) {
    EXPECT_EQ(SearchUrl(kBase, "%E7%AD%96%E7%95%A5"),
              "http://games.example/appweb/search?lb=%E7%AD%96%E7%95%A5&cid=1&lcid=0&ps=10&pn=1");
    EXPECT_EQ(SearchUrl(kBase, "%CB%D1%CB%F7%D3%CE%CF%B7"),
              "http://games.example/appweb/search?lb=%CB%D1%CB%F7%D3%CE%CF%B7&cid=1&lcid=0&ps=10"
              "&pn=1");
    EXPECT_EQ(SearchUrl(kBase, ""),
              "http://games.example/appweb/search?lb=&cid=1&lcid=0&ps=10&pn=1");
}

// --- Entries

TEST(ParseSearchReply, CutsIdAndTitleOfEachEntry) {
    const SearchPage result =
        ParseReply(Page(Entry("12345", u8"连连看2：经典版") + Entry("678", u8"3D赛车Pro") +
                        Entry("9", u8"Q版泡泡堂") + Pager(7)));
    ASSERT_EQ(result.records.size(), 3u);
    const GameRecord expected[] = {
        {"1", "连连看2：经典版", "连连看2：经典版", "http://games.example/12345"},
        {"2", "3D赛车Pro", "3D赛车Pro", "http://games.example/678"},
        {"3", "Q版泡泡堂", "Q版泡泡堂", "http://games.example/9"},
    };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(result.records[i].index, expected[i].index);
        EXPECT_EQ(result.records[i].name, expected[i].name);
        EXPECT_EQ(result.records[i].introduction, expected[i].introduction);
        EXPECT_EQ(result.records[i].link, expected[i].link);
    }
    EXPECT_EQ(result.pageCountText, "7");
}

TEST(ParseSearchPage, ReadsAnAlreadyDecodedGbkPage) {
    const std::string page =
        R"(<dl class="app-single-item app-single-item-details"><a data-appid="42" target="_blank">)"
        R"(<i class="app-single-round" title="找茬高手"></i><strong>1</strong>万次使用</span>)"
        R"(<a href="?pn=3">3</a><a class="next" data-item="btn-page-next">)";
    boost::regex pattern;
    const SearchPage result = ParseSearchPage(page, kBase, pattern);
    ASSERT_EQ(result.records.size(), 1u);
    EXPECT_EQ(result.records[0].name, "找茬高手");
    EXPECT_EQ(result.records[0].link, "http://games.example/42");
    EXPECT_EQ(result.pageCountText, "3");
}

// Whether a page is a search page at all: one without entries is an empty result only when it
// still shows something of the search; any other page is a wrong answer.
TEST(IsSearchPage, TellsAnEmptyResultFromAnotherPage) {
    const struct {
        std::string page;
        bool search;
    } cases[] = {
        {Page(Entry("1", u8"塔防")), true},
        {Page(Pager(3)), true},
        {Page(R"(<form action="/appweb/search"><input name="lb"></form><p>none</p>)"), true},
        {Page("<h1>Welcome</h1><form action=\"/login\"></form>"), false},
        {"", false},
        {"\x89PNG\r\n\x1a\n", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSearchPage(c.page), c.search) << c.page;
}

// Titles as the catalogue's markup writes them and as the list shows them.
TEST(ParseSearchReply, ShowsTitlesAsTheyRead) {
    const struct {
        std::u8string_view sent;
        const char* shown;
    } cases[] = {
        {u8"", ""},
        {u8"Tom &amp; Jerry", "Tom & Jerry"},
        {u8"x&amp;y大作战", "x&y大作战"},
        {u8"&lt;b&gt;大作战", "<b>大作战"},
        {u8"&#20013;&#x6587;&#xAC00;", "中文?"},
        {u8"100%大作战", "100%大作战"},
        {u8"a%&amp;大作战", "a%&大作战"},
        {u8"%0A换%09行&#13;", " 换 行 "},
    };
    for (const auto& c : cases) {
        const SearchPage result = ParseReply(Page(Entry("7", c.sent)));
        ASSERT_EQ(result.records.size(), 1u) << c.shown;
        EXPECT_EQ(result.records[0].name, c.shown);
        EXPECT_EQ(result.records[0].introduction, c.shown);
        EXPECT_EQ(result.records[0].link, "http://games.example/7") << c.shown;
    }
}

// Opening tags without the usage-count suffix behind them match nothing, however many there
// are, and do not cost the entries in front of them.
TEST(ParseSearchReply, KeepsEntriesInFrontOfUnclosedOpenings) {
    std::string body = Entry("1", u8"甲") + Entry("2", u8"乙");
    for (int i = 0; i < 20000; ++i)
        body += R"(<dl class="app-single-item app-single-item-details">)";
    const SearchPage result = ParseReply(Page(body));
    ASSERT_EQ(result.records.size(), 2u);
    EXPECT_EQ(result.records[1].link, "http://games.example/2");
}

TEST(ParseSearchReply, CutsNoMoreThanOneEntryBeyondTheCap) {
    for (const size_t sent : {kRecordLimit, size_t{20000}}) {
        std::string body;
        for (size_t i = 0; i < sent; ++i)
            body += Entry("1", u8"甲");
        EXPECT_EQ(ParseReply(Page(body)).records.size(), std::min(sent, kRecordLimit + 1)) << sent;
    }
}

// The program keeps one pattern object for both parsers; whatever it held before, the search
// pattern is compiled into it.
TEST(ParseSearchReply, RecompilesTheSharedPattern) {
    boost::regex pattern(R"re(app_id(.*?)"app_url":")re");
    const std::string reply = Page(Entry("1", u8"甲") + Entry("2", u8"乙"));
    EXPECT_EQ(ParseSearchReply(reply, kBase, pattern).records.size(), 2u);
    EXPECT_EQ(ParseSearchReply(reply, kBase, pattern).records.size(), 2u);
}

// --- Page count

struct CountCase {
    const char* label;
    std::string reply;
    size_t records;
    const char* count;
};

TEST(ParseSearchReply, ReadsThePageCountFromThePager) {
    const std::string two = Entry("1", u8"甲") + Entry("2", u8"乙");
    const CountCase cases[] = {
        {"pager reading 7", Page(two + Pager(7)), 2, "7"},
        {"pager reading 2", Page(two + Pager(2)), 2, "2"},
        {"pager reading 64", Page(two + Pager(64)), 2, "64"},
        {"single page without pager", Page(two), 2, "1"},
        {"no results", Page(Utf8(u8"<p>没有找到相关游戏</p>")), 0, "0"},
        {"empty reply", "", 0, "0"},
        {"next button without a link before it", R"(<a class="next" data-item="btn-page-next">)", 0,
         "0"},
        {"next button, no link closer after the last link",
         two + R"(<a href="x">5<a class="next" data-item="btn-page-next">)", 2, "1"},
    };
    for (const CountCase& c : cases) {
        const SearchPage result = ParseReply(c.reply);
        EXPECT_EQ(result.records.size(), c.records) << c.label;
        EXPECT_EQ(result.pageCountText, c.count) << c.label;
    }
}

// --- Percent signs: the whole reply is percent-decoded, so escapes in links become text; a "%"
// the HTML uses for itself stays as it is.

TEST(ParseSearchReply, SurvivesPercentSignsInTheHtml) {
    const std::string reply =
        Page(R"(<div class="bar" style="width:100%"><a href="/s?lb=%E5%A1%94%E9%98%B2">)"
             R"(%E5%A1%94%E9%98%B2</a></div>)" +
             Entry("31", u8"植物塔防") + R"(<div style="width: 50%; height:100%">)" +
             Entry("32", u8"100%好玩") + Pager(7));
    const SearchPage result = ParseReply(reply);
    ASSERT_EQ(result.records.size(), 2u);
    EXPECT_EQ(result.records[0].name, "植物塔防");
    EXPECT_EQ(result.records[0].link, "http://games.example/31");
    EXPECT_EQ(result.records[1].link, "http://games.example/32");
    EXPECT_EQ(result.records[1].name, "100%好玩");
    EXPECT_EQ(result.pageCountText, "7");
}

TEST(ParseSearchReply, DecodesPercentEscapedText) {
    const std::string reply =
        Page(Entry("5", u8"%E5%A1%94%E9%98%B2%E5%A4%A7%E5%B8%88") +
             R"(<a href="?pn=9">%39</a><a class="next" data-item="btn-page-next">)");
    const SearchPage result = ParseReply(reply);
    ASSERT_EQ(result.records.size(), 1u);
    EXPECT_EQ(result.records[0].name, "塔防大师");
    EXPECT_EQ(result.pageCountText, "9");
}

// --- Entries with missing keys: the missing value is empty, the rest is cut as usual, and no
// cell is taken from a position computed from a failed search.

struct MissingKeyCase {
    const char* label;
    const char* entry;
    const char* name;
    const char* link;
};

TEST(ParseSearchPage, MissingKeysGiveEmptyCells) {
    const MissingKeyCase cases[] = {
        {"no id key", R"(<a href="/7" target="_blank"><i class="app-single-round" title="甲"></i>)",
         "甲", ""},
        {"no target after the id",
         R"(<a data-appid="7"><i class="app-single-round" title="甲"></i>)", "甲", ""},
        {"id key right before target",
         R"(<a data-appid="target"><i class="app-single-round" )"
         R"(title="甲"></i>)",
         "甲", ""},
        {"no title key", R"(<a data-appid="7" target="_blank"><i class="round"></i>)", "",
         "http://games.example/7"},
        {"unclosed title",
         R"(<a data-appid="7" target="_blank"><i class="app-single-round" )"
         R"(title="甲">)",
         "", "http://games.example/7"},
        {"empty entry", "", "", ""},
    };
    for (const MissingKeyCase& c : cases) {
        const std::string page =
            std::string(R"(<dl class="app-single-item app-single-item-details">)") + c.entry +
            "</strong>万次使用</span>";
        boost::regex pattern;
        const SearchPage result = ParseSearchPage(page, kBase, pattern);
        ASSERT_EQ(result.records.size(), 1u) << c.label;
        EXPECT_EQ(result.records[0].index, "1") << c.label;
        EXPECT_EQ(result.records[0].name, c.name) << c.label;
        EXPECT_EQ(result.records[0].introduction, c.name) << c.label;
        EXPECT_EQ(result.records[0].link, c.link) << c.label;
        EXPECT_EQ(result.pageCountText, "1") << c.label;
    }
}

}  // namespace
