// Starts the sample catalogue on a free port and reads its replies with the program's parsers.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "catalogue/hot_list.h"
#include "catalogue/search.h"
#include "text/text_utils.h"

extern char** environ;

namespace {

std::string ServerPath() {
    if (const char* path = std::getenv("SAMPLE_CATALOGUE")) return path;
#ifdef ZENTORI_BIN_DIR
    return ZENTORI_BIN_DIR "/sample_catalogue";
#else
    return "sample_catalogue";
#endif
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct HttpReply {
    int status = 0;
    size_t contentLength = 0;
    std::string body;
};

// One sample catalogue process on a free port, with its own port file and request log; stopped
// and cleaned up with the object.
class SampleCatalogue {
public:
    explicit SampleCatalogue(std::vector<std::string> arguments = {}) {
        char folder[] = "/tmp/sample_catalogue_test.XXXXXX";
        if (!mkdtemp(folder)) return;
        folder_ = folder;
        const std::string path = ServerPath();
        std::vector<std::string> all = {path,
                                        "--port",
                                        "0",
                                        "--port-file",
                                        folder_ + "/port",
                                        "--log",
                                        folder_ + "/requests.log"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : all)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        // The server's own messages go to a file beside the log, not into the test output.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (folder_ + "/server.out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int spawned =
            posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            pid_ = -1;
            return;
        }
        for (int i = 0; i < 500 && port_ == 0; ++i) {
            usleep(20000);
            port_ = std::atoi(ReadFile(folder_ + "/port").c_str());
        }
    }

    ~SampleCatalogue() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (!folder_.empty()) {
            unlink((folder_ + "/port").c_str());
            unlink((folder_ + "/requests.log").c_str());
            unlink((folder_ + "/server.out").c_str());
            rmdir(folder_.c_str());
        }
    }

    SampleCatalogue(const SampleCatalogue&) = delete;
    SampleCatalogue& operator=(const SampleCatalogue&) = delete;

    int port() const { return port_; }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

    std::vector<std::string> LoggedTargets() const {
        std::vector<std::string> lines;
        std::istringstream log(ReadFile(folder_ + "/requests.log"));
        for (std::string line; std::getline(log, line);)
            lines.push_back(line);
        return lines;
    }

    // A connected socket to the server, or -1.
    int Connect() const {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const timeval timeout{10, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }

    // Sends a GET of `target` on a new connection; the socket, or -1.
    int Send(const std::string& target) const {
        const int fd = Connect();
        if (fd < 0) return fd;
        const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        return fd;
    }

    // Reads the reply up to the server's close and closes the socket.
    static HttpReply Receive(int fd) {
        HttpReply reply;
        if (fd < 0) return reply;
        std::string raw;
        char buffer[8192];
        for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;)
            raw.append(buffer, got);
        close(fd);
        const size_t blank = raw.find("\r\n\r\n");
        if (raw.rfind("HTTP/1.1 ", 0) != 0 || blank == std::string::npos) return reply;
        reply.status = std::atoi(raw.c_str() + 9);
        const size_t length = raw.find("Content-Length: ");
        if (length < blank)
            reply.contentLength = std::strtoul(raw.c_str() + length + 16, nullptr, 10);
        reply.body = raw.substr(blank + 4);
        return reply;
    }

    HttpReply Get(const std::string& target) const { return Receive(Send(target)); }
    bool Signal(int number) const { return pid_ > 0 && kill(pid_, number) == 0; }

private:
    std::string folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

constexpr char kHotListTarget[] = "/appweb/getcathotlist?cid=1&leaf_cid=0&sort=1&pn=1";

std::string TargetOf(const std::string& url, const std::string& baseUrl) {
    return url.substr(baseUrl.size());
}

bool HasNonAscii(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

class SampleCatalogueTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(server_.port(), 0) << "could not start " << ServerPath(); }

    std::vector<GameRecord> HotList(const std::string& key, int page) {
        const HttpReply reply = server_.Get(TargetOf(HotListUrl(base_, key, page), base_));
        EXPECT_EQ(reply.status, 200);
        return ParseHotList(reply.body, base_, pattern_);
    }

    SearchPage Search(const std::string& keyword) {
        const HttpReply reply = server_.Get(TargetOf(SearchUrl(base_, keyword), base_));
        EXPECT_EQ(reply.status, 200);
        return ParseSearchReply(reply.body, base_, pattern_);
    }

    SampleCatalogue server_;
    std::string base_ = server_.baseUrl();
    boost::regex pattern_;
};

// --- Hot lists

struct Section {
    const char* key;
    int pageCount;
};

// The fixed page counts the program shows for its sections.
constexpr Section kSections[] = {{"0", 644}, {"7", 619}, {"8", 2}, {"100", 644}, {"9", 25}};

TEST_F(SampleCatalogueTest, HotListPagesHoldTenGamesWithChineseNames) {
    for (const Section& section : kSections) {
        const auto records = HotList(section.key, 1);
        ASSERT_EQ(records.size(), 10u) << section.key;
        int chinese = 0;
        for (size_t i = 0; i < records.size(); ++i) {
            const GameRecord& record = records[i];
            EXPECT_EQ(record.index, std::to_string(i + 1));
            EXPECT_FALSE(record.name.empty()) << section.key;
            EXPECT_FALSE(record.introduction.empty()) << section.key;
            // every character of the data has a GBK form
            EXPECT_EQ(record.name.find('?'), std::string::npos) << record.name;
            EXPECT_EQ(record.introduction.find('?'), std::string::npos) << record.introduction;
            ASSERT_EQ(record.link.rfind(base_ + "/", 0), 0u) << record.link;
            EXPECT_NE(std::atoi(record.link.c_str() + base_.size() + 1), 0) << record.link;
            chinese += HasNonAscii(record.name);
        }
        EXPECT_GE(chinese, 8) << section.key;
    }
}

TEST_F(SampleCatalogueTest, HotListsEndAtTheProgramsPageCounts) {
    for (const Section& section : kSections) {
        EXPECT_FALSE(HotList(section.key, section.pageCount).empty()) << section.key;
        EXPECT_TRUE(HotList(section.key, section.pageCount + 1).empty()) << section.key;
        EXPECT_TRUE(HotList(section.key, 0).empty()) << section.key;
    }
    EXPECT_TRUE(HotList("5", 1).empty());
}

TEST_F(SampleCatalogueTest, SortOrdersAndPagesDiffer) {
    const auto hot = HotList("0", 1);
    const auto recent = HotList("100", 1);
    const auto second = HotList("0", 2);
    ASSERT_FALSE(hot.empty());
    EXPECT_NE(hot[0].link, recent[0].link);
    EXPECT_NE(hot[0].link, second[0].link);
    // the same request gives the same page
    EXPECT_EQ(HotList("0", 1)[0].name, hot[0].name);
}

TEST_F(SampleCatalogueTest, LogsEveryRequestTarget) {
    HotList("100", 3);
    Search("%E7%AD%96%E7%95%A5");
    const std::vector<std::string> expected = {
        "/appweb/getcathotlist?cid=1&leaf_cid=0&sort=2&pn=3",
        "/appweb/search?lb=%E7%AD%96%E7%95%A5&cid=1&lcid=0&ps=10&pn=1"};
    EXPECT_EQ(server_.LoggedTargets(), expected);
}

TEST_F(SampleCatalogueTest, ServesThePageOfEveryListedGame) {
    const auto records = HotList("8", 2);
    ASSERT_FALSE(records.empty());
    const HttpReply page = server_.Get(TargetOf(records[0].link, base_));
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(Utf8ToAnsi(page.body).find("<title>" + records[0].name + "</title>"),
              std::string::npos);
    EXPECT_NE(page.body.find("<canvas"), std::string::npos);
    EXPECT_EQ(server_.Get("/999").status, 404);
    EXPECT_EQ(server_.Get("/no/such/page").status, 404);
}

// --- Search

struct Genre {
    const char* caption;
    const char* key;
};

constexpr Genre kGenres[] = {
    {"策略", "%E7%AD%96%E7%95%A5"}, {"逃脱", "%E9%80%83%E8%84%B1"},
    {"益智", "%E7%9B%8A%E6%99%BA"}, {"角色扮演", "%E8%A7%92%E8%89%B2%E6%89%AE%E6%BC%94"},
    {"棋牌", "%E6%A3%8B%E7%89%8C"}, {"双人", "%E5%8F%8C%E4%BA%BA"},
    {"网游", "%E7%BD%91%E6%B8%B8"}, {"换装", "%E6%8D%A2%E8%A3%85"},
    {"冒险", "%E5%86%92%E9%99%A9"}, {"射击", "%E5%B0%84%E5%87%BB"},
    {"扑克", "%E6%89%91%E5%85%8B"}, {"美容", "%E7%BE%8E%E5%AE%B9"},
    {"经营", "%E7%BB%8F%E8%90%A5"}, {"技巧", "%E6%8A%80%E5%B7%A7"},
    {"竞速", "%E7%AB%9E%E9%80%9F"}, {"模仿", "%E6%A8%A1%E4%BB%BF"},
    {"社区", "%E7%A4%BE%E5%8C%BA"}, {"飞行", "%E9%A3%9E%E8%A1%8C"},
    {"夺宝", "%E5%A4%BA%E5%AE%9D"}, {"厨房", "%E5%8E%A8%E6%88%BF"},
    {"测试", "%E6%B5%8B%E8%AF%95"}, {"塔防", "%E5%A1%94%E9%98%B2"},
    {"闯关", "%E9%97%AF%E5%85%B3"}, {"麻将", "%E9%BA%BB%E5%B0%86"},
    {"记忆", "%E8%AE%B0%E5%BF%86"}, {"格斗", "%E6%A0%BC%E6%96%97"},
    {"教学", "%E6%95%99%E5%AD%A6"}, {"平衡", "%E5%B9%B3%E8%A1%A1"},
    {"休闲", "%E4%BC%91%E9%97%B2"}, {"动作", "%E5%8A%A8%E4%BD%9C"},
    {"战争", "%E6%88%98%E4%BA%89"}, {"找茬", "%E6%89%BE%E8%8C%AC"},
};

TEST_F(SampleCatalogueTest, EveryGenreFindsSeveralPages) {
    for (const Genre& genre : kGenres) {
        const SearchPage result = Search(genre.key);
        ASSERT_EQ(result.records.size(), 10u) << genre.caption;
        EXPECT_GE(std::atoi(result.pageCountText.c_str()), 2) << genre.caption;
        for (const GameRecord& record : result.records) {
            EXPECT_NE(record.name.find(genre.caption), std::string::npos) << record.name;
            EXPECT_EQ(record.introduction, record.name);
            EXPECT_EQ(record.link.rfind(base_ + "/", 0), 0u) << record.link;
        }
    }
}

TEST_F(SampleCatalogueTest, TypedKeywordsArriveAsGbk) {
    // Words the program percent-encodes from the search box's GBK text.
    // 猫 is C3 A8 in GBK, which also reads as UTF-8 (è).
    const char* words[] = {"连连看", "搜索游戏", "Q版", "2048", "猫"};
    for (const char* word : words) {
        const SearchPage result = Search(UrlEncode(word));
        ASSERT_FALSE(result.records.empty()) << word;
        EXPECT_NE(result.pageCountText, "0") << word;
        for (const GameRecord& record : result.records) {
            EXPECT_NE(record.name.find(word), std::string::npos) << record.name;
        }
    }
}

TEST_F(SampleCatalogueTest, SomeSearchesFindNothing) {
    const std::string keywords[] = {"", UrlEncode("没有这个游戏"), "%E6%B2%A1%E6%9C%89"};
    for (const std::string& keyword : keywords) {
        const SearchPage result = Search(keyword);
        EXPECT_TRUE(result.records.empty()) << keyword;
        EXPECT_EQ(result.pageCountText, "0") << keyword;
    }
}

TEST_F(SampleCatalogueTest, FoundGamesHaveTheirOwnPages) {
    const SearchPage result = Search(UrlEncode("火星探险队"));
    ASSERT_FALSE(result.records.empty());
    const HttpReply page = server_.Get(TargetOf(result.records.back().link, base_));
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(Utf8ToAnsi(page.body).find(result.records.back().name), std::string::npos);
}

// --- Options and fault modes

TEST(SampleCatalogueOptions, LinksPointAtTheBaseUrl) {
    SampleCatalogue server({"--base-url", "http://games.example/"});
    ASSERT_NE(server.port(), 0);
    const HttpReply list = server.Get("/appweb/getcathotlist?cid=1&leaf_cid=0&sort=1&pn=1");
    EXPECT_NE(list.body.find(R"("app_url":"http:\/\/games.example\/)"), std::string::npos);
    const HttpReply search = server.Get("/appweb/search?lb=%E5%A1%94%E9%98%B2&pn=1");
    EXPECT_NE(search.body.find(R"(href="http://games.example/)"), std::string::npos);
}

TEST(SampleCatalogueModes, ErrorAnswersWithAnErrorPage) {
    SampleCatalogue server({"--mode", "error"});
    ASSERT_NE(server.port(), 0);
    const HttpReply reply = server.Get("/appweb/getcathotlist?cid=1&leaf_cid=0&sort=1&pn=1");
    EXPECT_EQ(reply.status, 500);
    EXPECT_NE(reply.body.find("<html>"), std::string::npos);
    boost::regex pattern;
    EXPECT_TRUE(ParseHotList(reply.body, server.baseUrl(), pattern).empty());
}

TEST(SampleCatalogueModes, GarbageAnswersWithRandomBytes) {
    SampleCatalogue server({"--mode", "garbage"});
    ASSERT_NE(server.port(), 0);
    const HttpReply reply = server.Get("/appweb/search?lb=a");
    EXPECT_EQ(reply.status, 200);
    EXPECT_GE(reply.body.size(), 2048u);
    EXPECT_EQ(reply.body.size(), reply.contentLength);
    EXPECT_EQ(reply.body.find("<dl"), std::string::npos);
}

TEST(SampleCatalogueModes, CloseCutsTheBodyShort) {
    SampleCatalogue server({"--mode", "close"});
    ASSERT_NE(server.port(), 0);
    const HttpReply reply = server.Get("/appweb/getcathotlist?cid=1&leaf_cid=0&sort=1&pn=1");
    EXPECT_EQ(reply.status, 200);
    EXPECT_GT(reply.contentLength, 0u);
    EXPECT_EQ(reply.body.size(), reply.contentLength / 2);
}

// True when no byte and no close arrives on `fd` within half a second.
bool StaysSilent(int fd) {
    const timeval shortWait{0, 500000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &shortWait, sizeof shortWait);
    char byte;
    const bool silent = recv(fd, &byte, 1, MSG_PEEK) < 0;
    const timeval longWait{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &longWait, sizeof longWait);
    return silent;
}

TEST(SampleCatalogueModes, StallNeverAnswers) {
    SampleCatalogue server({"--mode", "stall"});
    ASSERT_NE(server.port(), 0);
    const int fd = server.Send("/appweb/search?lb=x");
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(StaysSilent(fd));
    close(fd);
    EXPECT_EQ(server.LoggedTargets(), std::vector<std::string>{"/appweb/search?lb=x"});
}

// Down (from the start, or after SIGUSR2), the port stays the server's: connections are refused
// and nothing else can bind it, until SIGUSR1 brings the catalogue up on it again.
TEST(SampleCatalogueModes, DownRefusesConnectionsOnAPortItHoldsUntilSignalled) {
    SampleCatalogue server({"--mode", "down"});
    ASSERT_NE(server.port(), 0);
    const auto expectHeld = [&](const char* when) {
        EXPECT_LT(server.Connect(), 0) << when;
        const int other = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(server.port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_NE(bind(other, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << when;
        close(other);
    };
    const auto comesUp = [&] {
        EXPECT_TRUE(server.Signal(SIGUSR1));
        HttpReply reply;
        for (int i = 0; i < 500 && reply.status == 0; ++i) {
            usleep(20000);
            reply = server.Get(kHotListTarget);
        }
        EXPECT_EQ(reply.status, 200);
        boost::regex pattern;
        EXPECT_EQ(ParseHotList(reply.body, server.baseUrl(), pattern).size(), 10u);
    };
    expectHeld("from the start");
    comesUp();

    ASSERT_TRUE(server.Signal(SIGUSR2));
    int connected = 0;
    for (int i = 0; i < 500 && (connected = server.Connect()) >= 0; ++i) {
        close(connected);
        usleep(20000);
    }
    expectHeld("taken down");
    comesUp();
}

// --- Switching modes at run time

TEST(SampleCatalogueControl, SwitchesTheModeOfLaterRequestsAndStaysOutOfTheLog) {
    SampleCatalogue server;
    ASSERT_NE(server.port(), 0);
    boost::regex pattern;
    struct Step {
        const char* mode;
        int status;        // of the hot list asked for next
        bool halfTheBody;  // the connection closed mid-reply
    };
    for (const Step& step : {Step{"error", 500, false}, Step{"garbage", 200, false},
                             Step{"close", 200, true}, Step{"proxylogin", 407, false},
                             Step{"crowded", 200, false}, Step{"normal", 200, false}}) {
        const HttpReply control = server.Get(std::string("/control/mode?m=") + step.mode);
        EXPECT_EQ(control.status, 200) << step.mode;
        EXPECT_EQ(control.body, std::string("mode ") + step.mode + "\n");
        const HttpReply reply = server.Get(kHotListTarget);
        EXPECT_EQ(reply.status, step.status) << step.mode;
        EXPECT_EQ(reply.body.size(),
                  step.halfTheBody ? reply.contentLength / 2 : reply.contentLength)
            << step.mode;
        EXPECT_EQ(ParseHotList(reply.body, server.baseUrl(), pattern).size() == 10,
                  std::string(step.mode) == "normal")
            << step.mode;
    }
    // `down` would take the control path away with the catalogue.
    EXPECT_EQ(server.Get("/control/mode?m=down").status, 400);
    EXPECT_EQ(server.Get("/control/mode?m=sideways").status, 400);
    EXPECT_EQ(server.Get("/control/mode").status, 400);
    EXPECT_EQ(server.Get("/control/other").status, 404);
    EXPECT_EQ(server.LoggedTargets(), std::vector<std::string>(6, kHotListTarget));
}

TEST(SampleCatalogueControl, StallHoldsCatalogueRequestsUntilTheModeChanges) {
    SampleCatalogue server;
    ASSERT_NE(server.port(), 0);
    ASSERT_EQ(server.Get("/control/mode?m=stall").status, 200);
    const int held = server.Send(kHotListTarget);
    ASSERT_GE(held, 0);
    EXPECT_TRUE(StaysSilent(held));
    // The control path answers during the stall; the held request then gets the new mode's reply.
    EXPECT_EQ(server.Get("/control/mode?m=normal").status, 200);
    const HttpReply reply = SampleCatalogue::Receive(held);
    EXPECT_EQ(reply.status, 200);
    boost::regex pattern;
    EXPECT_EQ(ParseHotList(reply.body, server.baseUrl(), pattern).size(), 10u);
    EXPECT_EQ(server.LoggedTargets(), std::vector<std::string>{kHotListTarget});
}

}  // namespace
