// A program that crashes on purpose, with the program's log and crash handler in place (the log
// and report folders come from the environment, as the program's do). The crash is the argument:
// access-violation or terminate.
#include <windows.h>

#include <exception>
#include <string_view>

#include "app/diagnostics/crash_handler.h"
#include "app/diagnostics/diagnostics_log.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring_view crash = argv[1];
    DiagnosticsLog log;
    CrashHandler handler(CrashFolder());
    LogEvent("about to crash");
    if (crash == L"access-violation") {
        *static_cast<volatile int*>(nullptr) = 1;
    } else if (crash == L"terminate") {
        std::terminate();
    }
    return 3;
}
