#include "log/log_clock.h"

#include <time.h>
#include <unistd.h>

unsigned long CurrentThreadNumber() {
    return static_cast<unsigned long>(gettid());
}

LogTime LocalTimeOf(std::chrono::system_clock::time_point moment) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto sinceSecond = moment - std::chrono::system_clock::from_time_t(seconds);
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceSecond).count();
    return {local.tm_year + 1900,
            local.tm_mon + 1,
            local.tm_mday,
            local.tm_hour,
            local.tm_min,
            local.tm_sec,
            static_cast<int>(milliseconds)};
}
