// ProgramDiagnostics: the running program's diagnostics: the log open from the first moment to
// the last, the crash handler once the real program runs, and at start the notice of a crash in
// the last run, once, whose click opens the crash folder in Explorer.
//
// Owned by the application, made before and destroyed after everything that logs. Window
// thread only.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string_view>

#include "app/diagnostics/crash_handler.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/main_window/notice_bar.h"

class ProgramDiagnostics {
public:
    static const char kCrashNotice[];  // GBK

    // Opens the log (LogFolder()) with the start line; crash reports go to CrashFolder().
    ProgramDiagnostics();
    ProgramDiagnostics(const ProgramDiagnostics&) = delete;
    ProgramDiagnostics& operator=(const ProgramDiagnostics&) = delete;

    // From now on a crash leaves a report (the real program; tests leave it to the test runner).
    void CatchCrashes();
    // The main window and its notice strip exist: the start settings into the log, and the
    // notice of a report the last run left, among the strip's lasting notices.
    void OnMainWindowCreated(NoticeBar& notices, std::string_view catalogueBase,
                             std::string_view homepageBase);

    const std::filesystem::path& CrashReportFolder() const { return crashFolder_; }

private:
    DiagnosticsLog log_;
    std::filesystem::path crashFolder_;
    std::unique_ptr<CrashHandler> crashHandler_;
};
