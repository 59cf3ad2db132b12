// Crash reports as the player's program leaves them: a program that crashes on purpose leaves a
// minidump whose exception stream names the crash, the log's last line names it too, only the
// ten newest reports stay, and the next start of the program says so once.
#include <windows.h>

#include <dbghelp.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/diagnostics/crash_handler.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/diagnostics/program_diagnostics.h"
#include "win/wide_text.h"
#include "tests/support/program/running_program.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::vector<fs::path> Reports(const fs::path& folder) {
    std::vector<fs::path> reports;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".dmp") reports.push_back(entry.path());
    }
    std::sort(reports.begin(), reports.end());
    return reports;
}

// The exception code in a minidump's exception stream; 0 without one.
DWORD DumpedExceptionCode(const std::string& dump) {
    MINIDUMP_HEADER header;
    if (dump.size() < sizeof header) return 0;
    memcpy(&header, dump.data(), sizeof header);
    for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
        MINIDUMP_DIRECTORY entry;
        const size_t at = header.StreamDirectoryRva + i * sizeof entry;
        if (at + sizeof entry > dump.size()) return 0;
        memcpy(&entry, dump.data() + at, sizeof entry);
        if (entry.StreamType != ExceptionStream) continue;
        MINIDUMP_EXCEPTION_STREAM stream;
        if (entry.Location.Rva + sizeof stream > dump.size()) return 0;
        memcpy(&stream, dump.data() + entry.Location.Rva, sizeof stream);
        return stream.ExceptionRecord.ExceptionCode;
    }
    return 0;
}

bool HasStream(const std::string& dump, ULONG32 type) {
    MINIDUMP_HEADER header;
    memcpy(&header, dump.data(), sizeof header);
    for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
        MINIDUMP_DIRECTORY entry;
        memcpy(&entry, dump.data() + header.StreamDirectoryRva + i * sizeof entry, sizeof entry);
        if (entry.StreamType == type) return true;
    }
    return false;
}

class CrashReportTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / "zentori-crash-report-test";
        fs::remove_all(folder_);
        SetEnvironmentVariableW(kCrashFolderVariable, Crashes().c_str());
        SetEnvironmentVariableW(kLogFolderVariable, (folder_ / "logs").c_str());
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path Crashes() const { return folder_ / "crashes"; }

    // Runs the crashing program and returns its exit code.
    static DWORD Crash(const wchar_t* how) {
        wchar_t self[MAX_PATH];
        const fs::path program =
            fs::path(std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH)))
                .parent_path() /
            L"crash_victim.exe";
        std::wstring command = L"\"" + program.wstring() + L"\" " + how;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            ADD_FAILURE() << "cannot start crash_victim.exe";
            return 0;
        }
        DWORD code = 0;
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return code;
    }

    fs::path folder_;
};

struct CrashRow {
    const wchar_t* how;
    DWORD code;
    const char* name;
};

const CrashRow kCrashes[] = {
    {L"access-violation", EXCEPTION_ACCESS_VIOLATION, "access violation 0xC0000005"},
    {L"terminate", CrashHandler::kTerminateCode, "std::terminate 0xE0000001"},
};

TEST_F(CrashReportTest, ACrashLeavesAMinidumpNamingItAndALastLogLine) {
    for (const CrashRow& row : kCrashes) {
        SCOPED_TRACE(WideToGbk(row.how));
        fs::remove_all(folder_);
        EXPECT_EQ(Crash(row.how), row.code);

        const std::vector<fs::path> reports = Reports(Crashes());
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_TRUE(std::regex_match(reports[0].filename().string(),
                                     std::regex(R"(zentori-\d{8}-\d{6}\.dmp)")))
            << reports[0].filename().string();
        const std::string dump = Read(reports[0]);
        ASSERT_GE(dump.size(), sizeof(MINIDUMP_HEADER));
        EXPECT_EQ(dump.substr(0, 4), "MDMP");
        EXPECT_EQ(DumpedExceptionCode(dump), row.code);
        EXPECT_TRUE(HasStream(dump, ThreadListStream));
        EXPECT_TRUE(HasStream(dump, ModuleListStream));
        EXPECT_TRUE(fs::exists(Crashes() / CrashHandler::kNewReportMarker));

        const std::string log = Read(folder_ / "logs" / "zentori.log");
        const std::string last = log.substr(log.rfind('\n', log.size() - 3) + 1);
        EXPECT_NE(log.find("] about to crash\r\n"), std::string::npos) << log;
        EXPECT_NE(last.find(std::string("] crash: ") + row.name), std::string::npos) << last;
        EXPECT_NE(last.find("report " + reports[0].filename().string()), std::string::npos) << last;
    }
}

TEST_F(CrashReportTest, OnlyTheTenNewestReportsStay) {
    fs::create_directories(Crashes());
    for (int n = 0; n < 12; ++n) {
        const fs::path old =
            Crashes() / ("zentori-200001" + std::to_string(10 + n) + "-000000.dmp");
        std::ofstream(old) << "MDMP";
        fs::last_write_time(old,
                            fs::file_time_type::clock::now() - std::chrono::hours(24 * (20 - n)));
    }
    Crash(L"access-violation");
    const std::vector<fs::path> reports = Reports(Crashes());
    ASSERT_EQ(reports.size(), 10u);
    EXPECT_EQ(reports.front().filename(), "zentori-20000113-000000.dmp");  // the three oldest gone
    EXPECT_EQ(Read(reports.back()).substr(0, 4), "MDMP");
    EXPECT_NE(reports.back().filename().string().substr(0, 12), "zentori-2000");
}

TEST_F(CrashReportTest, TheNextStartSaysSoOnce) {
    Crash(L"access-violation");
    {
        test::RunningProgram program;
        ASSERT_TRUE(program.Started());
        const NoticeBar& notices = program.App().Notices();
        ASSERT_NE(notices.Handle(), nullptr);
        EXPECT_TRUE(IsWindowVisible(notices.Handle()));
        EXPECT_TRUE(std::ranges::count(notices.LastingTexts(),
                                       GbkToWide(ProgramDiagnostics::kCrashNotice)));
    }
    test::RunningProgram again;
    ASSERT_TRUE(again.Started());
    EXPECT_FALSE(std::ranges::count(again.App().Notices().LastingTexts(),
                                    GbkToWide(ProgramDiagnostics::kCrashNotice)));
}

}  // namespace
