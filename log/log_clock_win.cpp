#include "log/log_clock.h"

#include <windows.h>

unsigned long CurrentThreadNumber() {
    return GetCurrentThreadId();
}

// Through the time zone rules of the moment itself, so a line written just after a change to
// summer time carries the new hour.
LogTime LocalTimeOf(std::chrono::system_clock::time_point moment) {
    constexpr long long kFileTimeAtUnixEpoch = 116444736000000000LL;  // 100 ns since 1601
    const long long ticks =
        std::chrono::duration_cast<std::chrono::microseconds>(moment.time_since_epoch()).count() *
            10 +
        kFileTimeAtUnixEpoch;
    ULARGE_INTEGER value{};
    value.QuadPart = static_cast<ULONGLONG>(ticks);
    const FILETIME fileTime{value.LowPart, value.HighPart};
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&fileTime, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
        GetLocalTime(&local);
    }
    return {local.wYear,   local.wMonth,  local.wDay,         local.wHour,
            local.wMinute, local.wSecond, local.wMilliseconds};
}
