// What a log line needs of the system: the calling thread's number as the system's tools show it
// (GetCurrentThreadId on Windows) and the local time of a moment. log_clock_win.cpp and
// log_clock_posix.cpp.
#pragma once

#include <chrono>

#include "log/log_line.h"

unsigned long CurrentThreadNumber();
LogTime LocalTimeOf(std::chrono::system_clock::time_point moment);
