// CrashHandler: what the program leaves behind when it dies, so that "it closed by itself" can be
// looked into. An unhandled exception, std::terminate, a pure virtual call or an invalid CRT
// parameter writes a minidump (the threads, the modules, the exception) to the crash folder as
// "zentori-<date>-<time>.dmp", adds a last line naming the exception to the diagnostics log,
// and ends the process at once with the exception's code: nothing else of the program runs (no
// destructor, so the library is never written from there). The ten newest reports are kept.
//
// The dump is written by a thread of its own: the crashed thread may have no stack left, and
// MiniDumpWriteDump walks a thread's stack best from outside it. dbghelp.dll is loaded only
// then, so a start never pays for it. One per process, made at start, kept to the end.
#pragma once

#include <windows.h>

#include <filesystem>

class CrashHandler {
public:
    // The codes of the crashes that raise no exception of their own.
    static constexpr DWORD kTerminateCode = 0xE0000001;         // std::terminate
    static constexpr DWORD kPureCallCode = 0xE0000002;          // a pure virtual call
    static constexpr DWORD kInvalidParameterCode = 0xC0000417;  // STATUS_INVALID_CRUNTIME_PARAMETER
    static constexpr int kKeptReports = 10;
    // An empty hidden file beside the reports until the next start has told the user.
    static constexpr wchar_t kNewReportMarker[] = L"new-report";

    explicit CrashHandler(const std::filesystem::path& folder);
    ~CrashHandler();  // the handlers in place before it come back
    CrashHandler(const CrashHandler&) = delete;
    CrashHandler& operator=(const CrashHandler&) = delete;

private:
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter_ = nullptr;
    void (*previousTerminate_)() = nullptr;
    _purecall_handler previousPureCall_ = nullptr;
    _invalid_parameter_handler previousInvalidParameter_ = nullptr;
    _invalid_parameter_handler previousRuntimeInvalidParameter_ = nullptr;  // msvcrt.dll's
};
