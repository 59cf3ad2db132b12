#include "app/diagnostics/program_diagnostics.h"

#include <shellapi.h>

#include "app/diagnostics/event_log.h"

const char ProgramDiagnostics::kCrashNotice[] = "程序上次意外关闭，诊断信息已保存";

ProgramDiagnostics::ProgramDiagnostics() : crashFolder_(CrashFolder()) {
    LogEvent(StartLine());
}

void ProgramDiagnostics::CatchCrashes() {
    if (!crashHandler_) crashHandler_ = std::make_unique<CrashHandler>(crashFolder_);
}

void ProgramDiagnostics::OnMainWindowCreated(NoticeBar& notices, std::string_view catalogueBase,
                                             std::string_view homepageBase) {
    LogStartSettings(catalogueBase, homepageBase);
    // The marker goes as the notice shows: the next start says nothing of this crash again.
    if (crashFolder_.empty()) return;
    const std::filesystem::path marker = crashFolder_ / CrashHandler::kNewReportMarker;
    if (GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    DeleteFileW(marker.c_str());
    notices.ShowLasting(NoticeKind::kCrashReport, kCrashNotice, [this, &notices] {
        ShellExecuteW(nullptr, L"explore", crashFolder_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        notices.Close(NoticeKind::kCrashReport);
    });
}
