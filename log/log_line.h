// One line of the diagnostics log: local time to the millisecond, the thread, the event.
// Portable.
#pragma once

#include <string>
#include <string_view>

struct LogTime {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// "2024-05-01 09:30:15.123 [4242] text\r\n" (CRLF, so that every Windows editor shows lines).
// Control characters in `text` (a line break inside a notice, say) become spaces: one event is
// always one line.
std::string FormatLogLine(const LogTime& time, unsigned long thread, std::string_view text);
