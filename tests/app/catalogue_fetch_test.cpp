// The running program against the sample catalogue: clicks on the section, genre, paging and
// search widgets and keys in the search box, checked against the catalogue's request log and
// against what the list and the page labels show afterwards; then a catalogue that is down,
// answers garbage or an error page, closes mid-reply or stalls.
//
// What the list should show is what the program's parsers make of the catalogue's answer to the
// same request, asked again by the test.
#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/catalogue_fetch.h"
#include "catalogue/hot_list.h"
#include "catalogue/http_request.h"
#include "catalogue/search.h"
#include "text/text_utils.h"
#include "tests/support/running_program.h"
#include "tests/support/test_form.h"

namespace {

using Rows = std::vector<std::array<std::string, 4>>;
using Targets = std::vector<std::string>;

Rows RowsOf(const std::vector<GameRecord>& records) {
    Rows rows;
    for (const GameRecord& record : records) {
        rows.push_back({record.index, record.name, record.introduction, record.link});
    }
    return rows;
}

Rows RowsOf(const ListControl& list) {
    Rows rows;
    for (int row = 1; row <= list.RowCount(); ++row) {
        rows.push_back({list.GetCellText(row, 1), list.GetCellText(row, 2),
                        list.GetCellText(row, 3), list.GetCellText(row, 4)});
    }
    return rows;
}

std::string HotListTarget(const char* key, const char* sort, int page) {
    return std::string("/appweb/getcathotlist?cid=1&leaf_cid=") + key + "&sort=" + sort +
           "&pn=" + std::to_string(page);
}

std::string SearchTarget(const std::string& keyword) {
    return "/appweb/search?lb=" + keyword + "&cid=1&lcid=0&ps=10&pn=1";
}

// The caption's UTF-8 bytes as upper-case %XX: the form the catalogue expects a genre in.
std::string GenreKey(const std::string& gbkCaption) {
    const std::u16string wide = AnsiToWide(gbkCaption);
    char utf8[64];
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(wide.data()),
                            static_cast<int>(wide.size()), utf8, sizeof(utf8), nullptr, nullptr);
    std::string key;
    for (int i = 0; i < length; ++i) {
        static const char kHex[] = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(utf8[i]);
        key += {'%', kHex[byte >> 4], kHex[byte & 15]};
    }
    return key;
}

// A loopback port on which nothing listens.
int RefusedPort() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    int port = 0;
    const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (probe != INVALID_SOCKET &&
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (probe != INVALID_SOCKET) closesocket(probe);
    WSACleanup();
    return port;
}

// Points the program at another catalogue address for the life of the object.
class CatalogueAddress {
public:
    explicit CatalogueAddress(const std::string& url) : saved_(CatalogueBaseUrl()) {
        SetEnvironmentVariableA("ZENTORI_CATALOGUE_URL", url.c_str());
    }
    ~CatalogueAddress() { SetEnvironmentVariableA("ZENTORI_CATALOGUE_URL", saved_.c_str()); }

private:
    std::string saved_;
};

// One program for all tests: starting it takes a while under Wine, and each test begins with
// a click that sets the state it needs.
class CatalogueFetchTest : public testing::Test {
protected:
    static void SetUpTestSuite() { program_ = new test::RunningProgram(); }
    static void TearDownTestSuite() {
        delete program_;
        program_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(program_->Started());
        ASSERT_TRUE(test::SetCatalogueMode("normal")) << "no sample catalogue with /control";
        log_.Take();
    }

    GlobalObjects& Objects() { return program_->Objects(); }
    HWND Window() { return program_->Window(); }
    ListControl& List() { return Objects().GameList(); }
    std::string PageText() { return Objects().PageLabel().Text(); }
    std::string PageCountText() { return Objects().PageCountLabel().Text(); }

    void Click(const FormWidget& widget) { test::ClickWidget(Window(), widget); }
    void ClickSection(int button) { Click(Objects().SectionButtons(button)); }
    void ClickPaging(int button) { Click(Objects().PagingButtons(button)); }

    // The catalogue's answer to `target` now, through the program's parsers; the search's page
    // count goes to `pageCount`.
    Rows Answer(const std::string& target, std::string* pageCount = nullptr) {
        const std::string base = CatalogueBaseUrl();
        const std::string reply = HttpRequest(base + target);
        log_.Take();  // the test's own request
        boost::regex pattern;
        if (target.starts_with("/appweb/search")) {
            SearchPage page = ParseSearchReply(reply, base, pattern);
            if (pageCount) *pageCount = page.pageCountText;
            return RowsOf(page.records);
        }
        return RowsOf(ParseHotList(reply, base, pattern));
    }

    // After a fetch: exactly `target` was requested, the list shows the answer to it, the
    // labels read 第`page`页 and the count (a search's own count when `countText` is empty),
    // and the loading window has gone.
    void ExpectFetched(const std::string& target, int page, std::string countText = {}) {
        EXPECT_EQ(log_.Take(), Targets{target});
        std::string searchCount;
        EXPECT_EQ(RowsOf(List()), Answer(target, &searchCount)) << target;
        if (countText.empty()) countText = "共" + searchCount + "页";
        EXPECT_EQ(PageText(), "第" + std::to_string(page) + "页") << target;
        EXPECT_EQ(PageCountText(), countText) << target;
        EXPECT_EQ(test::FindLoadingWindow(), nullptr);
        EXPECT_TRUE(IsWindowEnabled(Window()));
    }

    static test::RunningProgram* program_;
    test::CatalogueLog log_;
};

test::RunningProgram* CatalogueFetchTest::program_ = nullptr;

// --- Navigation

TEST_F(CatalogueFetchTest, EachListSectionRequestsPageOneOfItsHotList) {
    struct Case {
        int button;
        const char* count;
        const char* key;
        const char* sort;
    };
    for (const Case& c :
         {Case{kSmallGamesButton, "共619页", "7", "1"}, Case{kWebGamesButton, "共2页", "8", "1"},
          Case{kRecentButton, "共644页", "0", "2"}, Case{kToolsButton, "共25页", "9", "1"},
          Case{kHotGamesButton, "共644页", "0", "1"}}) {
        ClickSection(c.button);
        ExpectFetched(HotListTarget(c.key, c.sort, 1), 1, c.count);
        EXPECT_EQ(List().RowCount(), 10) << c.key;
    }
}

TEST_F(CatalogueFetchTest, PagingStopsAtBothEndsAndAfterASearchPagesTheLastHotList) {
    ClickSection(kWebGamesButton);  // 共2页
    ExpectFetched(HotListTarget("8", "1", 1), 1, "共2页");
    const Rows firstPage = RowsOf(List());

    ClickPaging(kPrevPageButton);  // on page 1: nothing
    EXPECT_TRUE(log_.Take().empty());
    EXPECT_EQ(RowsOf(List()), firstPage);
    EXPECT_EQ(PageText(), "第1页");

    ClickPaging(kNextPageButton);
    ExpectFetched(HotListTarget("8", "1", 2), 2, "共2页");
    ClickPaging(kNextPageButton);  // on the last page: nothing
    EXPECT_TRUE(log_.Take().empty());
    EXPECT_EQ(PageText(), "第2页");

    ClickPaging(kFirstPageButton);
    ExpectFetched(HotListTarget("8", "1", 1), 1, "共2页");
    ClickPaging(kLastPageButton);  // the page the count label names
    ExpectFetched(HotListTarget("8", "1", 2), 2, "共2页");

    // A search shows its own page count; the next page is the hot list's page 2 all the same.
    Click(Objects().GenreButtons(0));
    ExpectFetched(SearchTarget(GenreKey(Objects().GenreButtons(0).Text())), 1);
    const std::string searchCount = PageCountText();
    ASSERT_NE(searchCount, "共1页");
    ClickPaging(kNextPageButton);
    ExpectFetched(HotListTarget("8", "1", 2), 2, searchCount);
}

TEST_F(CatalogueFetchTest, EveryGenreSearchesItsCaptionAndKeepsTheCategory) {
    ClickSection(kToolsButton);
    log_.Take();
    for (int genre = 0; genre < kGenreButtonCount; ++genre) {
        const TextButton& button = Objects().GenreButtons(genre);
        Click(button);
        ExpectFetched(SearchTarget(GenreKey(button.Text())), 1);
        EXPECT_GT(List().RowCount(), 0) << genre;
    }
    EXPECT_EQ(program_->App().Navigation().CurrentCategoryKey, "9");
}

TEST_F(CatalogueFetchTest, SearchBoxSearchesItsTextOnEnterAndTheSearchButton) {
    HWND box = program_->App().Main().SearchBox();
    SetForegroundWindow(Window());
    SetFocus(box);
    ASSERT_EQ(GetFocus(), box);
    // Untouched, the box searches for its own text, sent as its GBK bytes.
    test::PressKey(box, VK_RETURN);
    ExpectFetched(SearchTarget("%CB%D1%CB%F7%D3%CE%CF%B7"), 1);
    EXPECT_GT(List().RowCount(), 0);
    EXPECT_EQ(GetFocus(), box) << "the next term could not be typed without a click";

    SendMessageW(box, EM_SETSEL, 0, -1);
    test::TypeText(box, L"tank");  // keys other than Enter start nothing
    EXPECT_TRUE(log_.Take().empty());
    test::PressKey(box, VK_RETURN);
    ExpectFetched(SearchTarget("tank"), 1);
    ASSERT_GT(List().RowCount(), 0);
    EXPECT_NE(List().GetCellText(1, 2).find("tank"), std::string::npos);

    Click(Objects().SearchButton());
    ExpectFetched(SearchTarget("tank"), 1);
}

TEST_F(CatalogueFetchTest, TheMainWindowIsDisabledWhileAFetchRuns) {
    ASSERT_TRUE(test::SetCatalogueMode("stall"));
    // Watches from another thread while the window thread waits for the fetch, then lets the
    // catalogue answer.
    std::atomic<bool> sawDisabled{false}, sawLoadingWindow{false};
    const HWND window = Window();
    std::thread watcher([&] {
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (GetTickCount64() < deadline && !(sawDisabled && sawLoadingWindow)) {
            sawLoadingWindow = IsWindowVisible(test::FindLoadingWindow()) != FALSE;
            sawDisabled = sawLoadingWindow && !IsWindowEnabled(window);
            Sleep(10);
        }
        test::SetCatalogueMode("normal");
    });
    ClickSection(kSmallGamesButton);
    watcher.join();
    EXPECT_TRUE(sawLoadingWindow);
    EXPECT_TRUE(sawDisabled);
    ExpectFetched(HotListTarget("7", "1", 1), 1, "共619页");
    EXPECT_EQ(List().RowCount(), 10);
}

// --- A catalogue that misbehaves: the loading window always closes, the list shows what the
// reply gave, and the next fetch from a sound catalogue works.

TEST_F(CatalogueFetchTest, FaultyRepliesShowWhatArrivedAndTheProgramCarriesOn) {
    struct Case {
        const char* mode;
        bool search;
    };
    for (const Case& c : {Case{"garbage", false}, Case{"garbage", true}, Case{"error", false},
                          Case{"error", true}, Case{"close", false}, Case{"close", true}}) {
        SCOPED_TRACE(std::string(c.mode) + (c.search ? " search" : " hot list"));
        ASSERT_TRUE(test::SetCatalogueMode(c.mode));
        if (c.search) {
            Click(Objects().GenreButtons(5));
            ExpectFetched(SearchTarget(GenreKey(Objects().GenreButtons(5).Text())), 1);
        } else {
            ClickSection(kToolsButton);
            ExpectFetched(HotListTarget("9", "1", 1), 1, "共25页");
        }
        // Half a reply holds some whole records; garbage and an error page hold none.
        const int rows = List().RowCount();
        if (std::string(c.mode) == "close") {
            EXPECT_GT(rows, 0);
            EXPECT_LT(rows, 10);
        } else {
            EXPECT_EQ(rows, 0);
        }

        ASSERT_TRUE(test::SetCatalogueMode("normal"));
        ClickSection(kWebGamesButton);
        ExpectFetched(HotListTarget("8", "1", 1), 1, "共2页");
        EXPECT_EQ(List().RowCount(), 10);
    }
}

TEST_F(CatalogueFetchTest, ACatalogueThatIsDownLeavesTheListEmpty) {
    const int port = RefusedPort();
    ASSERT_NE(port, 0);
    {
        CatalogueAddress down("http://127.0.0.1:" + std::to_string(port));
        ClickSection(kRecentButton);
        EXPECT_EQ(List().RowCount(), 0);
        EXPECT_EQ(PageText(), "第1页");
        EXPECT_EQ(test::FindLoadingWindow(), nullptr);
        EXPECT_TRUE(IsWindowEnabled(Window()));
    }
    EXPECT_TRUE(log_.Take().empty());
    ClickPaging(kNextPageButton);
    ExpectFetched(HotListTarget("0", "2", 2), 2, "共644页");
    EXPECT_EQ(List().RowCount(), 10);
}

TEST_F(CatalogueFetchTest, AStalledCatalogueIsGivenUpAfterTheTimeOut) {
    ClickSection(kHotGamesButton);
    ExpectFetched(HotListTarget("0", "1", 1), 1, "共644页");
    ASSERT_TRUE(test::SetCatalogueMode("stall"));
    const ULONGLONG start = GetTickCount64();
    ClickPaging(kLastPageButton);
    const ULONGLONG waited = GetTickCount64() - start;
    EXPECT_GE(waited, 17000u);  // the 18 s receive time-out, give or take the timer's grain
    EXPECT_EQ(log_.Take(), Targets{HotListTarget("0", "1", 644)});
    EXPECT_EQ(List().RowCount(), 0);
    EXPECT_EQ(PageText(), "第644页");
    EXPECT_EQ(test::FindLoadingWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(Window()));

    ASSERT_TRUE(test::SetCatalogueMode("normal"));
    ClickPaging(kPrevPageButton);
    ExpectFetched(HotListTarget("0", "1", 643), 643, "共644页");
    EXPECT_EQ(List().RowCount(), 10);
}

}  // namespace
