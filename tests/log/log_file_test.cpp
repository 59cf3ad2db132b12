// The diagnostics log's file: the line format, rolling at the size limit with the older files
// kept, a folder that cannot be written given up for the run, and the writer thread's lines in
// UTF-8. Runs natively and under Wine.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "log/log_line.h"
#include "log/log_writer.h"
#include "log/rolling_log_file.h"

namespace {

namespace fs = std::filesystem;

struct LineRow {
    const char* name;
    LogTime time;
    unsigned long thread;
    std::string_view text;
    std::string_view expected;
};

const LineRow kLines[] = {
    {"padded",
     {2024, 5, 1, 9, 3, 7, 45},
     4242,
     "start",
     "2024-05-01 09:03:07.045 [4242] start\r\n"},
    {"last moment of a year",
     {2023, 12, 31, 23, 59, 59, 999},
     7,
     "x",
     "2023-12-31 23:59:59.999 [7] x\r\n"},
    {"line breaks and tabs become spaces",
     {2024, 1, 2, 3, 4, 5, 6},
     1,
     "a\r\nb\tc\x7f",
     "2024-01-02 03:04:05.006 [1] a  b c \r\n"},
    {"bytes above ASCII stay",
     {2024, 1, 2, 3, 4, 5, 6},
     1,
     "\xe6\xb8\xb8",
     "2024-01-02 03:04:05.006 [1] \xe6\xb8\xb8\r\n"},
};

TEST(LogLine, FormatsTimeThreadAndOneLineOfText) {
    for (const LineRow& row : kLines) {
        EXPECT_EQ(FormatLogLine(row.time, row.thread, row.text), row.expected) << row.name;
    }
}

class LogFileTest : public testing::Test {
protected:
    void SetUp() override {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("zentori-log-") + test->name());
        fs::remove_all(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    static std::string Read(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    }

    fs::path folder_;
};

TEST_F(LogFileTest, RollsAtTheLimitKeepingThreeOlderFiles) {
    RollingLogFile file(folder_ / "logs", "zentori", 100, 3);
    for (int n = 10; n < 40; ++n) {  // 30 lines of 30 bytes: three to a file
        ASSERT_TRUE(file.Append("line " + std::to_string(n) + std::string(22, '.') + "\r\n"));
    }
    ASSERT_TRUE(file.Flush());
    const auto line = [](int n) {
        return "line " + std::to_string(n) + std::string(22, '.') + "\r\n";
    };
    EXPECT_EQ(Read(file.FilePath()), line(37) + line(38) + line(39));
    EXPECT_EQ(Read(file.OlderPath(1)), line(34) + line(35) + line(36));
    EXPECT_EQ(Read(file.OlderPath(3)), line(28) + line(29) + line(30));
    EXPECT_FALSE(fs::exists(file.OlderPath(4)));
    EXPECT_EQ(file.FilePath().filename(), "zentori.log");
    EXPECT_EQ(file.OlderPath(1).filename(), "zentori.1.log");
}

TEST_F(LogFileTest, AFileLeftFromTheLastRunIsContinuedUntilTheLimit) {
    fs::create_directories(folder_);
    std::ofstream(folder_ / "zentori.log", std::ios::binary) << std::string(90, 'o');
    RollingLogFile file(folder_, "zentori", 100, 3);
    ASSERT_TRUE(file.Append("0123456789"));
    ASSERT_TRUE(file.Append("next"));
    ASSERT_TRUE(file.Flush());
    EXPECT_EQ(Read(file.OlderPath(1)), std::string(90, 'o') + "0123456789");
    EXPECT_EQ(Read(file.FilePath()), "next");
}

// The folder cannot be made (a file has its name, as a read-only parent would refuse it): the
// log gives up at once and does not try again in this run, even once the way is clear.
TEST_F(LogFileTest, AFolderThatCannotBeWrittenIsGivenUpForTheRun) {
    fs::create_directories(folder_);
    std::ofstream(folder_ / "logs", std::ios::binary) << "in the way";
    RollingLogFile file(folder_ / "logs", "zentori");
    EXPECT_FALSE(file.Append("first\r\n"));
    EXPECT_TRUE(file.GivenUp());

    fs::remove(folder_ / "logs");
    EXPECT_FALSE(file.Append("second\r\n"));
    EXPECT_FALSE(file.Flush());
    EXPECT_FALSE(fs::exists(folder_ / "logs"));
}

// Lines from several threads all arrive, each whole, in UTF-8, in each thread's order; the
// destructor writes what is still queued.
TEST_F(LogFileTest, TheWriterWritesEveryThreadsLinesInUtf8) {
    {
        LogWriter writer(RollingLogFile(folder_, "zentori"));
        std::vector<std::thread> threads;
        for (int t = 0; t < 3; ++t) {
            threads.emplace_back([&writer, t] {
                for (int n = 0; n < 100; ++n)
                    writer.Add("游戏 " + std::to_string(t) + " " + std::to_string(n));
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        writer.Flush();
        EXPECT_NE(Read(folder_ / "zentori.log").find("] \xe6\xb8\xb8\xe6\x88\x8f 0 99\r\n"),
                  std::string::npos);
        writer.Add("last");
    }
    const std::string log = Read(folder_ / "zentori.log");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 301);
    EXPECT_TRUE(log.ends_with("] last\r\n")) << log.substr(log.size() - 40);
    for (int t = 0; t < 3; ++t) {
        size_t at = 0;
        for (int n = 0; n < 100; ++n) {
            const std::string text = " " + std::to_string(t) + " " + std::to_string(n) + "\r\n";
            at = log.find(text, at);
            ASSERT_NE(at, std::string::npos) << text;
        }
    }
}

TEST_F(LogFileTest, TheFinalLineFollowsWhatWasQueued) {
    LogWriter writer(RollingLogFile(folder_, "zentori"));
    writer.Add("queued");
    writer.WriteFinal("crash", std::chrono::milliseconds(500));
    writer.Add("after the crash");
    writer.Flush();
    const std::string log = Read(folder_ / "zentori.log");
    EXPECT_NE(log.find("] queued\r\n"), std::string::npos) << log;
    EXPECT_TRUE(log.ends_with("] crash\r\n")) << log;
}

}  // namespace
