// The benchmarks' clock: seconds from the performance counter, for the figures they print.
#pragma once

#include <windows.h>

namespace test {

inline double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace test
