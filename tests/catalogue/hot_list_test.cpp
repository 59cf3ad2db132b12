#include "catalogue/hot_list.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr char kBase[] = "http://games.example";

// One record the way the catalogue writes it: keys in the order app_id, app_name,
// app_shortdesc, app_url, non-ASCII characters as "\u" escapes.
std::string Record(const std::string& id, const std::string& name, const std::string& intro) {
    return R"({"app_id":")" + id + R"(","app_name":")" + name + R"(","app_shortdesc":")" + intro +
           R"(","app_url":"http:\/\/games.example\/)" + id + R"(","app_score":"4.5"})";
}

std::string Reply(const std::vector<std::string>& records) {
    std::string list;
    for (const std::string& record : records)
        list += (list.empty() ? "" : ",") + record;
    return R"({"errno":0,"data":{"pagecount":644,"list":[)" + list + "]}}";
}

std::vector<GameRecord> Parse(const std::string& reply) {
    boost::regex pattern;
    return ParseHotList(reply, kBase, pattern);
}

// --- URL

struct UrlCase {
    const char* key;
    int page;
    const char* query;
};

TEST(HotListUrl, PlacesKeySortAndPage) {
    const UrlCase cases[] = {
        {"0", 1, "cid=1&leaf_cid=0&sort=1&pn=1"},
        {"7", 3, "cid=1&leaf_cid=7&sort=1&pn=3"},
        {"8", 2, "cid=1&leaf_cid=8&sort=1&pn=2"},
        {"9", 25, "cid=1&leaf_cid=9&sort=1&pn=25"},
        // "recently updated" is category 0 in sort order 2
        {"100", 1, "cid=1&leaf_cid=0&sort=2&pn=1"},
        {"100", 644, "cid=1&leaf_cid=0&sort=2&pn=644"},
        // only the exact key "100" is special
        {"1000", 1, "cid=1&leaf_cid=1000&sort=1&pn=1"},
        {"10", 1, "cid=1&leaf_cid=10&sort=1&pn=1"},
        {"0", 0, "cid=1&leaf_cid=0&sort=1&pn=0"},
    };
    for (const UrlCase& c : cases) {
        EXPECT_EQ(HotListUrl(kBase, c.key, c.page),
                  std::string(kBase) + "/appweb/getcathotlist?" + c.query)
            << c.key << " page " << c.page;
    }
}

// --- Records

TEST(ParseHotList, CutsRecordsInReplyOrder) {
    const auto records = Parse(Reply({
        Record("10234", R"(\u8d85\u7ea7\u739b\u4e3d)", R"(\u7ecf\u5178\u95ef\u5173)"),
        Record("10007", R"(\u5766\u514b)", R"(\u53cc\u4eba\u5bf9\u6218)"),
        Record("5", R"(\u9ebb\u5c06)", R"(\u56db\u4eba)"),
    }));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].index, "1");
    EXPECT_EQ(records[0].name, "超级玛丽");
    EXPECT_EQ(records[0].introduction, "经典闯关");
    EXPECT_EQ(records[0].link, "http://games.example/10234");
    EXPECT_EQ(records[1].index, "2");
    EXPECT_EQ(records[1].name, "坦克");
    EXPECT_EQ(records[1].introduction, "双人对战");
    EXPECT_EQ(records[1].link, "http://games.example/10007");
    EXPECT_EQ(records[2].index, "3");
    EXPECT_EQ(records[2].name, "麻将");
    EXPECT_EQ(records[2].link, "http://games.example/5");
}

// A reply without records is still a hot-list reply (an empty page) when it is a JSON object;
// anything else is a wrong answer, which the program reports instead of an empty list.
TEST(ParseHotList, RepliesWithoutRecordsGiveNoRowsAndOnlyAJsonObjectIsAnEmptyPage) {
    const struct {
        const char* reply;
        bool hotList;
    } cases[] = {
        {"", false},
        {R"({"errno":0,"data":{"pagecount":644,"list":[]}})", true},
        {" \r\n{\"list\":[]}\n", true},
        {"<html><body>502 Bad Gateway</body></html>", false},
        {"{ not closed", false},
        // opening key without the closing key app_url
        {R"({"app_id":"1","app_name":"\u4e2d","app_shortdesc":"x"})", true},
        // the pattern is case-sensitive
        {R"({"APP_ID":"1","app_name":"x","app_shortdesc":"y","APP_URL":"z"})", true},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(Parse(c.reply).empty()) << c.reply;
        EXPECT_EQ(IsHotListReply(c.reply), c.hotList) << c.reply;
    }
}

TEST(ParseHotList, RecordsMaySpanLines) {
    const auto records = Parse(
        "[{\"app_id\":\"77\",\n\"app_name\":\"\\u4e2d\",\r\n"
        "\"app_shortdesc\":\"\\u6587\",\n\"app_url\":\"x\"}]");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "中");
    EXPECT_EQ(records[0].introduction, "文");
    EXPECT_EQ(records[0].link, "http://games.example/77");
}

// Openings without a closing key behind them match nothing, however many there are, and do not
// cost the records in front of them.
TEST(ParseHotList, KeepsRecordsInFrontOfUnclosedOpenings) {
    std::string reply = Reply({Record("1", "a", "b"), Record("2", "c", "d")});
    for (int i = 0; i < 20000; ++i)
        reply += R"({"app_id":"9","app_name":"x",)";
    const auto records = Parse(reply);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].link, "http://games.example/2");
}

// A page holds 10 records: a reply of many thousands is cut no further than one record beyond
// the cap, which tells the fetch that it is over it.
TEST(ParseHotList, CutsNoMoreThanOneRecordBeyondTheCap) {
    for (const size_t sent : {kRecordLimit, kRecordLimit + 1, size_t{100000}}) {
        std::string reply;
        for (size_t i = 0; i < sent; ++i)
            reply += (i ? "," : "[") + Record("1", "a", "b");
        EXPECT_EQ(Parse(reply + "]").size(), std::min(sent, kRecordLimit + 1)) << sent;
    }
}

// The program keeps one pattern object for both parsers; whatever it held before, the hot-list
// pattern is compiled into it.
TEST(ParseHotList, RecompilesTheSharedPattern) {
    boost::regex pattern("<dl>(.*?)</dl>");
    const std::string reply = Reply({Record("1", "a", "b"), Record("2", "c", "d")});
    EXPECT_EQ(ParseHotList(reply, kBase, pattern).size(), 2u);
    EXPECT_EQ(ParseHotList(reply, kBase, pattern).size(), 2u);
}

// --- Names and introductions

struct ValueCase {
    const char* sent;
    const char* shown;
};

TEST(ParseHotList, ShowsValuesAsTheCatalogueSentThem) {
    const ValueCase cases[] = {
        // escapes only
        {R"(\u4e2d\u6587)", "中文"},
        {R"(\u4E2D\u6587)", "中文"},
        // Latin text in front of, between and after escapes is kept
        {R"(abc\u4e2d\u6587)", "abc中文"},
        {R"(3D\u8d5b\u8f66Pro)", "3D赛车Pro"},
        {R"(Q\u7248\u6ce1\u6ce1\u5802)", "Q版泡泡堂"},
        {R"(\u8fde\u8fde\u770b2\uff1a\u7ecf\u5178\u7248)", "连连看2：经典版"},
        {R"(\u4e2dabc)", "中abc"},
        // values without escapes are not read as hex digits
        {"Tetris", "Tetris"},
        {"2048", "2048"},
        {"beef", "beef"},
        {"", ""},
        // GBK bytes sent as they are stay in front of the escapes
        {"中\\u6587", "中文"},
        // character references are decoded once, after the escapes; unknown ones stay
        {"x&amp;y", "x&y"},
        {R"(&lt;b&gt;\u5927\u4f5c\u6218)", "<b>大作战"},
        {"&quot;Q&quot; &#39;R&apos;", "\"Q\" 'R'"},
        {"&#20013;&#x6587;&#X6587;", "中文文"},
        {"&amp;lt;", "&lt;"},
        {"&nbsp;&#;&#x;&#12a;a&b &amp", "&nbsp;&#;&#x;&#12a;a&b &amp"},
        // a character GBK cannot hold, or none at all, is one "?"
        {"&#xAC00;&#128512;&#0;&#xD800;&#x110000;", "?????"},
        // control characters, sent or referenced, become blanks
        {"a\tb\nc\x7f"
         "d&#10;e",
         "a b c d e"},
    };
    for (const ValueCase& c : cases) {
        const auto records = Parse(Reply({Record("9", c.sent, c.sent)}));
        ASSERT_EQ(records.size(), 1u) << c.sent;
        EXPECT_EQ(records[0].name, c.shown) << c.sent;
        EXPECT_EQ(records[0].introduction, c.shown) << c.sent;
    }
}

// The halves of a surrogate pair are converted one by one; neither has a GBK form, so each
// becomes the default character, and the characters around them are unharmed.
TEST(ParseHotList, SurrogatePairEscapesBecomeOneDefaultCharacter) {
    const auto records =
        Parse(Reply({Record("9", R"(\u4e2d\ud83d\ude00\u6587)", R"(Go\ud83c\udfae)")}));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "中?文");
    EXPECT_EQ(records[0].introduction, "Go?");
    EXPECT_EQ(records[0].link, "http://games.example/9");
}

// --- Records with missing keys: the missing value is empty, the rest of the record is cut as
// usual, and no cell is taken from a position computed from a failed search.

struct MissingKeyCase {
    const char* label;
    const char* reply;
    GameRecord expected;
};

TEST(ParseHotList, MissingKeysGiveEmptyCells) {
    const MissingKeyCase cases[] = {
        {"no name key",
         R"({"app_id":"12","app_shortdesc":"\u6587","app_url":"x"})",
         {"1", "", "文", "http://games.example/12"}},
        {"no introduction key",
         R"({"app_id":"12","app_name":"\u4e2d","app_url":"x"})",
         {"1", "中", "", "http://games.example/12"}},
        {"nothing between the keys", R"({"app_id""app_url":"x"})", {"1", "", "", ""}},
        {"no value separator", R"({"app_id", "app_name", "app_url":"x"})", {"1", "", "", ""}},
        {"empty id", R"({"app_id":"","app_name":"\u4e2d","app_url":"x"})", {"1", "中", "", ""}},
        {"unterminated last value",
         R"({"app_id":"12","app_name":"\u4e2d","app_shortdesc":"\u6587""app_url":"x"})",
         {"1", "中", "", "http://games.example/12"}},
        {"id at the very end", R"(app_id":"12"app_url":")", {"1", "", "", ""}},
    };
    for (const MissingKeyCase& c : cases) {
        const auto records = Parse(c.reply);
        ASSERT_EQ(records.size(), 1u) << c.label;
        EXPECT_EQ(records[0].index, c.expected.index) << c.label;
        EXPECT_EQ(records[0].name, c.expected.name) << c.label;
        EXPECT_EQ(records[0].introduction, c.expected.introduction) << c.label;
        EXPECT_EQ(records[0].link, c.expected.link) << c.label;
    }
}

TEST(ParseHotList, ARecordWithMissingKeysKeepsItsPlace) {
    const auto records = Parse(Reply({
        Record("1", R"(\u4e00)", "a"),
        R"({"app_id":"2","app_url":"x"})",
        Record("3", R"(\u4e09)", "c"),
    }));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].index, "2");
    EXPECT_EQ(records[1].name, "");
    EXPECT_EQ(records[1].link, "http://games.example/2");
    EXPECT_EQ(records[2].index, "3");
    EXPECT_EQ(records[2].name, "三");
}

}  // namespace
