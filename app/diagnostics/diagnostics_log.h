// DiagnosticsLog: the program's diagnostics log while it is open, zentori.log in
// %LOCALAPPDATA%\Zentori\logs (ZENTORI_LOG_DIR moves it): what happened, one line per event, for
// the player who has to tell why "the list stays empty". Nothing secret goes in: no cookies, no
// page content.
//
// At most one is open at a time; LogEvent writes to it from any thread, for a few microseconds
// of the caller's time (the disk is the writer thread's), and does nothing while none is open.
// The destructor writes every line queued before it returns.
#pragma once

#include <filesystem>
#include <string>

#include "log/log_writer.h"

constexpr wchar_t kLogFolderVariable[] = L"ZENTORI_LOG_DIR";
constexpr wchar_t kCrashFolderVariable[] = L"ZENTORI_CRASH_DIR";

// The folders of the log and of the crash reports: the variable when set, else
// %LOCALAPPDATA%\Zentori\logs and ...\crashes. Empty when the system cannot tell.
std::filesystem::path LogFolder();
std::filesystem::path CrashFolder();

class DiagnosticsLog {
public:
    explicit DiagnosticsLog(std::filesystem::path folder = LogFolder());
    ~DiagnosticsLog();
    DiagnosticsLog(const DiagnosticsLog&) = delete;
    DiagnosticsLog& operator=(const DiagnosticsLog&) = delete;

    LogWriter& Writer() { return writer_; }

private:
    LogWriter writer_;
};

// One event (GBK) into the open log.
void LogEvent(std::string text);
// The last line of a crash, written on the calling thread whatever the writer thread is doing.
void LogFinalEvent(std::string text);
