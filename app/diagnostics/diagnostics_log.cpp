#include "app/diagnostics/diagnostics_log.h"

#include <windows.h>

#include <shlobj.h>

#include <atomic>

namespace {

// The log LogEvent writes to: the one DiagnosticsLog open, set and cleared by it.
std::atomic<DiagnosticsLog*> gOpenLog{nullptr};

std::filesystem::path FolderOf(const wchar_t* variable, const wchar_t* leaf) {
    std::wstring chosen(GetEnvironmentVariableW(variable, nullptr, 0), L'\0');
    if (!chosen.empty()) {
        chosen.resize(
            GetEnvironmentVariableW(variable, chosen.data(), static_cast<DWORD>(chosen.size())));
        if (!chosen.empty()) return std::filesystem::path(chosen);
    }
    PWSTR localAppData = nullptr;
    std::filesystem::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &localAppData))) {
        folder = std::filesystem::path(localAppData) / L"Zentori" / leaf;
    }
    CoTaskMemFree(localAppData);
    return folder;
}

}  // namespace

std::filesystem::path LogFolder() {
    return FolderOf(kLogFolderVariable, L"logs");
}

std::filesystem::path CrashFolder() {
    return FolderOf(kCrashFolderVariable, L"crashes");
}

DiagnosticsLog::DiagnosticsLog(std::filesystem::path folder)
    : writer_(RollingLogFile(std::move(folder), "zentori")) {
    DiagnosticsLog* none = nullptr;
    gOpenLog.compare_exchange_strong(none, this);
}

DiagnosticsLog::~DiagnosticsLog() {
    DiagnosticsLog* self = this;
    gOpenLog.compare_exchange_strong(self, nullptr);
}

void LogEvent(std::string text) {
    if (DiagnosticsLog* log = gOpenLog.load(std::memory_order_acquire)) {
        log->Writer().Add(std::move(text));
    }
}

void LogFinalEvent(std::string text) {
    constexpr std::chrono::milliseconds kLockWait(2000);
    if (DiagnosticsLog* log = gOpenLog.load(std::memory_order_acquire)) {
        log->Writer().WriteFinal(std::move(text), kLockWait);
    }
}
