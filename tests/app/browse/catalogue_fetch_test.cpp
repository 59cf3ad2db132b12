// The running program against the sample catalogue: Enter in the search box, checked against
// the catalogue's request log and against what the list and the page labels show afterwards;
// then a catalogue that fails in every way it can (the fault table): each failure keeps the page
// on screen, names its cause in the notice, and a click on the notice tries again. Last, the
// program's GDI and USER objects over many game windows and fetches.
//
// What the list should show is what the program's parsers make of the catalogue's answer to the
// same request, asked again by the test.
#include <winsock2.h>

#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/browse/catalogue_fetch.h"
#include "catalogue/hot_list.h"
#include "catalogue/http_request.h"
#include "catalogue/search.h"
#include "text/text_utils.h"
#include "tests/support/program/running_program.h"
#include "tests/support/program/shared_program_test.h"
#include "tests/support/toolkit/test_form.h"
#include "tests/support/toolkit/window_manager.h"

namespace {

using test::HotListTarget;
using test::SearchTarget;
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

// A loopback port on which nothing listens, for the life of the object: a socket bound to it
// but not listening, held so that no other program can take the port meanwhile.
class RefusedPort {
public:
    RefusedPort() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof(address);
        if (socket_ != INVALID_SOCKET &&
            bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~RefusedPort() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        if (started_) WSACleanup();
    }
    RefusedPort(const RefusedPort&) = delete;
    RefusedPort& operator=(const RefusedPort&) = delete;

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    bool started_ = false;
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};

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
class CatalogueFetchTest : public test::SharedProgramTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(program_->Started());
        ASSERT_TRUE(test::SetCatalogueMode("normal")) << "no sample catalogue with /control";
        log_.Take();
    }

    GlobalObjects& Objects() { return program_->Objects(); }
    // What the notice strip shows (GBK); empty when it is hidden.
    std::string NoticeText() { return test::ShownNotice(program_->App().Notices()); }
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
        EXPECT_EQ(NoticeText(), "");
    }

    test::CatalogueLog log_;
};

// --- The search box (sections, paging and genres are checked by the navigation tests)

TEST_F(CatalogueFetchTest, EnterInTheSearchBoxSearchesItsTextAndKeepsTheCaret) {
    HWND box = program_->App().Main().SearchBox();
    SetWindowTextW(box, L"搜索游戏");
    ASSERT_TRUE(test::BringToFront(Window()));
    SetFocus(box);
    ASSERT_EQ(GetFocus(), box);
    // The box searches for its own text, sent as its GBK bytes.
    test::PressKey(box, VK_RETURN);
    ExpectFetched(SearchTarget("%CB%D1%CB%F7%D3%CE%CF%B7"), 1);
    EXPECT_GT(List().RowCount(), 0);
    EXPECT_EQ(GetFocus(), box) << "the next term could not be typed without a click";
}

// --- A catalogue that fails: the page on screen stays, the notice names the cause.

// Everything a failed command must leave as it was.
struct Screen {
    Rows rows;
    std::string page, count;
    int selected = 0;
    double thumb = 0;
    NavigationState state;

    bool operator==(const Screen& other) const {
        return rows == other.rows && page == other.page && count == other.count &&
               selected == other.selected && thumb == other.thumb &&
               state.CurrentCategoryKey == other.state.CurrentCategoryKey &&
               state.CurrentPage == other.state.CurrentPage &&
               state.SearchKeyword == other.state.SearchKeyword;
    }
};

constexpr char kRetry[] = "，按 F5 或点击这里重试";

TEST_F(CatalogueFetchTest, EachFailureKeepsThePageAndNamesItsCauseAndAClickOnTheNoticeRetries) {
    struct Case {
        const char* name;
        const char* mode;     // how the sample catalogue answers; nullptr: `address` instead
        std::string address;  // another catalogue address
        std::string notice;   // empty: the fetch succeeds
    };
    const RefusedPort refusedPort;
    const std::string refused = refusedPort.Url();
    const std::string cannotConnect = std::string("无法连接到游戏目录服务") + kRetry;
    const std::string noAnswer = std::string("游戏目录服务没有响应") + kRetry;
    const std::string unknown = std::string("收到的内容无法识别") + kRetry;
    const std::string tooLarge = std::string("游戏目录服务发来的内容太大") + kRetry;
    const std::string noSecureConnection = std::string("无法建立安全连接") + kRetry;
    const auto tls = [](const char* variable) {  // empty without scripts/with-tls
        char url[256] = "";
        GetEnvironmentVariableA(variable, url, sizeof url);
        return std::string(url);
    };
    const Case cases[] = {
        {"refused", nullptr, refused, cannotConnect},
        {"host not found", nullptr, "http://zentori-test.invalid", cannotConnect},
        {"404", "notfound", {}, std::string("游戏目录服务出错（HTTP 404）") + kRetry},
        {"500", "error", {}, std::string("游戏目录服务出错（HTTP 500）") + kRetry},
        {"an HTML page instead of JSON", "html", {}, unknown},
        {"random bytes", "garbage", {}, unknown},
        {"cut short", "close", {}, std::string("与游戏目录服务的连接中断了") + kRetry},
        {"stalled", "stall", {}, noAnswer},
        {"a byte every few seconds", "trickle", {}, noAnswer},
        {"an endless body", "endless", {}, tooLarge},
        {"20 MiB", "huge", {}, tooLarge},
        {"redirect to https", "https", {}, std::string("游戏目录服务出错（HTTP 302）") + kRetry},
        {"a proxy that wants a log-in",
         "proxylogin",
         {},
         std::string("代理服务器需要登录，请检查系统的代理设置") + kRetry},
        {"5,000 records", "crowded", {}, tooLarge},
        {"TLS handshake cut", nullptr, tls("ZENTORI_TLS_CUT_URL"), noSecureConnection},
        {"no TLS cipher in common", nullptr, tls("ZENTORI_TLS_NO_COMMON_URL"), noSecureConnection},
        {"chunked", "chunked", {}, {}},
    };
    ClickSection(kToolsButton);
    ExpectFetched(HotListTarget("9", "1", 1), 1, "共25页");
    ClickPaging(kNextPageButton);
    ExpectFetched(HotListTarget("9", "1", 2), 2, "共25页");
    const auto selectThirdRow = [&] {
        const ListVisibleItem& third = List().VisibleItems().at(2);
        test::Click(Window(), static_cast<int>(third.rect.X + 100),
                    static_cast<int>(third.rect.Y + third.rect.Height / 2));
        test::PlaceCursorAway();
        ASSERT_EQ(List().SelectedRow(), 3);
    };
    selectThirdRow();
    const auto screen = [&] {
        return Screen{RowsOf(List()),
                      PageText(),
                      PageCountText(),
                      List().SelectedRow(),
                      List().Scroll().thumbPosition,
                      program_->App().Navigation()};
    };
    const Screen before = screen();

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.mode && c.address.empty()) {
            std::printf("%-30s skipped: run with scripts/with-tls\n", c.name);
            continue;
        }
        std::optional<CatalogueAddress> elsewhere;
        if (c.mode) {
            ASSERT_TRUE(test::SetCatalogueMode(c.mode));
        } else {
            elsewhere.emplace(c.address);
        }
        const ULONGLONG start = GetTickCount64();
        ClickPaging(kNextPageButton);
        const double seconds = (GetTickCount64() - start) / 1000.0;
        std::printf("%-30s %5.1f s\n", c.name, seconds);
        // The whole fetch ends by its 30 s limit, not when a server that trickles for ever
        // stops (the figure above is the one to watch).
        EXPECT_LT(seconds, 90.0) << "the whole fetch is bounded";
        if (c.notice.empty()) {
            ExpectFetched(HotListTarget("9", "1", 3), 3, "共25页");
            ASSERT_TRUE(test::SetCatalogueMode("normal"));
            ClickPaging(kPrevPageButton);
            ExpectFetched(HotListTarget("9", "1", 2), 2, "共25页");
            selectThirdRow();
            continue;
        }
        EXPECT_EQ(log_.Take(), c.mode ? Targets{HotListTarget("9", "1", 3)} : Targets{});
        EXPECT_TRUE(screen() == before);
        EXPECT_EQ(NoticeText(), c.notice);
        EXPECT_EQ(test::FindLoadingWindow(), nullptr);
        EXPECT_TRUE(IsWindowEnabled(Window()));

        // The catalogue is back: a click on the notice loads the page the command asked for.
        elsewhere.reset();
        ASSERT_TRUE(test::SetCatalogueMode("normal"));
        test::Click(program_->App().Notices().Handle(), 20, 10);
        ExpectFetched(HotListTarget("9", "1", 3), 3, "共25页");
        ClickPaging(kPrevPageButton);
        ExpectFetched(HotListTarget("9", "1", 2), 2, "共25页");
        selectThirdRow();
    }
}

// A search for nothing is sent all the same, and asks for a term with the caret in the box.
TEST_F(CatalogueFetchTest, ASearchThatFindsNothingSaysSoUntilTheNextSuccess) {
    const HWND box = program_->App().Main().SearchBox();
    const auto setBox = [box](const char* gbk) {
        SetWindowTextW(box, reinterpret_cast<const wchar_t*>(AnsiToWide(gbk).c_str()));
    };
    const struct {
        const char* term;
        const char* notice;
    } cases[] = {
        {"没有这个游戏", "没有找到与“没有这个游戏”相关的游戏"},
        {"", "请输入要搜索的游戏名称"},
        {"  \t", "请输入要搜索的游戏名称"},
        {"　", "请输入要搜索的游戏名称"},  // a full-width blank
    };
    for (const auto& c : cases) {
        setBox(c.term);
        SetFocus(Window());
        Click(Objects().SearchButton());
        EXPECT_EQ(log_.Take(), Targets{SearchTarget(UrlEncode(c.term))}) << c.notice;
        EXPECT_EQ(NoticeText(), c.notice);
        EXPECT_EQ(GetFocus() == box, std::string(c.notice).starts_with("请输入")) << c.notice;
    }
    setBox("搜索游戏");

    ClickSection(kWebGamesButton);
    ExpectFetched(HotListTarget("8", "1", 1), 1, "共2页");
}

// F5 after a failure tries the failed command again, as the notice says, also over a library
// view; without a failure it reads the view again.
TEST_F(CatalogueFetchTest, F5AfterAFailureInALibraryViewTriesTheCommandAgain) {
    const auto pressF5 = [&] {
        MSG key{Window(), WM_KEYDOWN, VK_F5, 1, 0, {}};
        EXPECT_TRUE(program_->App().TranslateKey(key));
    };
    Click(program_->App().Library().Views().Button(LibraryViews::kFavouritesView));
    ASSERT_TRUE(test::SetCatalogueMode("error"));
    ClickSection(kSmallGamesButton);
    EXPECT_EQ(log_.Take(), Targets{HotListTarget("7", "1", 1)});
    EXPECT_EQ(NoticeText(), std::string("游戏目录服务出错（HTTP 500）") + kRetry);
    EXPECT_EQ(PageText(), "我的收藏");

    ASSERT_TRUE(test::SetCatalogueMode("normal"));
    pressF5();
    ExpectFetched(HotListTarget("7", "1", 1), 1, "共619页");
    Click(program_->App().Library().Views().Button(LibraryViews::kFavouritesView));
    pressF5();
    EXPECT_TRUE(log_.Take().empty());
    EXPECT_EQ(PageText(), "我的收藏");
}

// --- An https:// catalogue, through the TLS front of scripts/with-tls

// The test certificate authority of scripts/with-tls, trusted in the Wine prefix (the local
// machine's Root store) for the life of the object. Wine 8 keeps that store in the prefix's
// registry, one key per SHA-1 thumbprint, and each chain engine reads it afresh: the addition
// counts only once committed, and since a deletion through crypt32 leaves the key in place,
// the key itself goes at the end. An earlier run killed before its end left its authority
// behind: every test authority (scripts/with-tls names them so) goes first.
class TrustedTestAuthority {
public:
    TrustedTestAuthority() {
        char path[MAX_PATH] = "";
        GetEnvironmentVariableA("ZENTORI_TEST_CA", path, MAX_PATH);
        std::ifstream file(path, std::ios::binary);
        const std::string der((std::istreambuf_iterator<char>(file)), {});
        ForgetEarlierAuthorities();
        store_ = OpenRoot();
        if (!store_ || der.empty()) return;
        PCCERT_CONTEXT added = nullptr;
        if (!CertAddEncodedCertificateToStore(
                store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added)) {
            return;
        }
        thumbprint_ = Thumbprint(added);
        CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
        CertFreeCertificateContext(added);
    }
    ~TrustedTestAuthority() {
        if (store_) CertCloseStore(store_, 0);
        Forget(thumbprint_);
    }
    TrustedTestAuthority(const TrustedTestAuthority&) = delete;
    TrustedTestAuthority& operator=(const TrustedTestAuthority&) = delete;

    bool Trusted() const { return !thumbprint_.empty(); }

private:
    static std::wstring Thumbprint(PCCERT_CONTEXT certificate) {
        BYTE hash[20];
        DWORD size = sizeof hash;
        if (!CertGetCertificateContextProperty(certificate, CERT_SHA1_HASH_PROP_ID, hash, &size)) {
            return {};
        }
        std::wstring thumbprint;
        for (DWORD i = 0; i < size; ++i) {
            wchar_t digits[3];
            swprintf(digits, 3, L"%02X", hash[i]);
            thumbprint += digits;
        }
        return thumbprint;
    }
    static void Forget(const std::wstring& thumbprint) {
        if (thumbprint.empty()) return;
        RegDeleteKeyW(
            HKEY_LOCAL_MACHINE,
            (L"Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\" + thumbprint)
                .c_str());
    }
    static HCERTSTORE OpenRoot() {
        return CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE,
                             L"Root");
    }
    static void ForgetEarlierAuthorities() {
        const HCERTSTORE store = OpenRoot();
        if (!store) return;
        std::vector<std::wstring> earlier;
        PCCERT_CONTEXT certificate = nullptr;
        while ((certificate = CertEnumCertificatesInStore(store, certificate))) {
            wchar_t name[256] = L"";
            CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 256);
            const std::wstring_view subject(name);
            if (subject.starts_with(L"Zentori ") && subject.ends_with(L" test authority")) {
                earlier.push_back(Thumbprint(certificate));
            }
        }
        CertCloseStore(store, 0);
        for (const std::wstring& thumbprint : earlier)
            Forget(thumbprint);
    }

    HCERTSTORE store_ = nullptr;
    std::wstring thumbprint_;
};

// A certificate that fails the check (an authority no one trusts, another name, expired) is
// refused before anything is sent, and the notice says why.
TEST_F(CatalogueFetchTest, AnHttpsCatalogueLoadsItsPagesAndABadCertificateIsRefused) {
    char trusted[256] = "";
    GetEnvironmentVariableA("ZENTORI_TLS_URL", trusted, sizeof trusted);
    if (!*trusted) GTEST_SKIP() << "run with scripts/with-tls";
    TrustedTestAuthority authority;
    ASSERT_TRUE(authority.Trusted());
    {
        CatalogueAddress https(trusted);
        ClickSection(kToolsButton);
        ExpectFetched(HotListTarget("9", "1", 1), 1, "共25页");
        ASSERT_EQ(List().RowCount(), 10);
        // The game pages are on the catalogue's server, reached as it is.
        EXPECT_EQ(List().GetCellText(1, 4).rfind(std::string(trusted) + "/", 0), 0u);
        Click(Objects().GenreButtons(1));
        ExpectFetched(SearchTarget(UrlEncode(AnsiToUtf8(Objects().GenreButtons(1).Text()))), 1);
        EXPECT_GT(List().RowCount(), 0);
        EXPECT_EQ(List().GetCellText(1, 4).rfind(std::string(trusted) + "/", 0), 0u);
    }
    const Rows shown = RowsOf(List());
    const std::string count = PageCountText();
    for (const char* variable :
         {"ZENTORI_TLS_UNTRUSTED_URL", "ZENTORI_TLS_WRONG_NAME_URL", "ZENTORI_TLS_EXPIRED_URL"}) {
        SCOPED_TRACE(variable);
        char address[256] = "";
        GetEnvironmentVariableA(variable, address, sizeof address);
        ASSERT_NE(*address, '\0') << "scripts/with-tls sets every address";
        CatalogueAddress refused(address);
        ClickPaging(kNextPageButton);
        EXPECT_EQ(log_.Take(), Targets{}) << "nothing may reach a server not trusted";
        EXPECT_EQ(NoticeText(), std::string("证书无效，无法安全连接") + kRetry);
        EXPECT_EQ(RowsOf(List()), shown);
        EXPECT_EQ(PageText(), "第1页");
        EXPECT_EQ(PageCountText(), count);
        EXPECT_TRUE(IsWindowEnabled(Window()));
    }
    // Back on the plain catalogue, the notice's retry loads the page asked for (after a
    // search, the hot list's next page, with the hot list's count).
    test::Click(program_->App().Notices().Handle(), 20, 10);
    ExpectFetched(HotListTarget("9", "1", 2), 2, "共25页");
}

// --- Resources: nothing grows with the game windows opened and closed or the pages fetched.

TEST_F(CatalogueFetchTest, GdiAndUserObjectsStayFlatOverGameWindowsAndFetches) {
    ClickSection(kHotGamesButton);
    ExpectFetched(HotListTarget("0", "1", 1), 1, "共644页");
    const ListVisibleItem& first = List().VisibleItems().at(0);
    const int x = static_cast<int>(first.rect.X + 100);
    const int y = static_cast<int>(first.rect.Y + first.rect.Height / 2);
    test::Click(Window(), x, y);  // selects the game
    const auto playAndClose = [&] {
        test::SendMouse(Window(), WM_LBUTTONDBLCLK, x, y);
        const HWND game = FindWindowW(L"ZentoriGameWindow", nullptr);
        ASSERT_NE(game, nullptr);
        SendMessageW(game, WM_CLOSE, 0, 0);
        test::PumpMessages(20);
        ASSERT_FALSE(IsWindow(game));
    };
    const auto fetch = [&](int i) { ClickPaging(i % 2 ? kPrevPageButton : kNextPageButton); };
    // Once each first: what is made once and kept (caches, classes) is not a leak.
    playAndClose();
    fetch(0);
    fetch(1);
    test::Click(Window(), x, y);

    const test::GuiObjects start = test::CountGuiObjects();
    for (int i = 0; i < 20; ++i)
        playAndClose();
    const test::GuiObjects afterGames = test::CountGuiObjects();
    for (int i = 0; i < 50; ++i)
        fetch(i);
    const test::GuiObjects afterFetches = test::CountGuiObjects();
    log_.Take();

    std::printf("GDI objects %lu, after 20 game windows %lu, after 50 fetches %lu\n", start.gdi,
                afterGames.gdi, afterFetches.gdi);
    std::printf("USER objects %lu, after 20 game windows %lu, after 50 fetches %lu\n", start.user,
                afterGames.user, afterFetches.user);
    EXPECT_GT(start.gdi, 0u);
    EXPECT_GT(start.user, 0u);
    EXPECT_LE(afterGames.gdi, start.gdi);
    EXPECT_LE(afterGames.user, start.user);
    EXPECT_LE(afterFetches.gdi, afterGames.gdi);
    EXPECT_LE(afterFetches.user, afterGames.user);
}

}  // namespace
