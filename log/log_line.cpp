#include "log/log_line.h"

#include <cstdio>

std::string FormatLogLine(const LogTime& time, unsigned long thread, std::string_view text) {
    char head[64];
    const int length = std::snprintf(head, sizeof head, "%04d-%02d-%02d %02d:%02d:%02d.%03d [%lu] ",
                                     time.year, time.month, time.day, time.hour, time.minute,
                                     time.second, time.millisecond, thread);
    std::string line(head, length > 0 ? static_cast<size_t>(length) : 0);
    line.reserve(line.size() + text.size() + 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        line.push_back(byte < 0x20 || byte == 0x7F ? ' ' : c);
    }
    line += "\r\n";
    return line;
}
