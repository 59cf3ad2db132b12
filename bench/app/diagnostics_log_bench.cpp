// What a line of the diagnostics log costs the thread that logs it (the window thread): LogEvent
// of a fetch's line with the log open, the writer thread writing meanwhile. Counters: us_per_op;
// floor_us, a plain copy of the same text (the least a queued line can cost); direct_us, the
// same line written straight to a file with WriteFile (what the window thread would pay without
// the writer); x_goal, us_per_op over its goal of 5 us. Figures only; nothing is asserted.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/diagnostics/diagnostics_log.h"

#include "tests/support/toolkit/seconds.h"

namespace {

constexpr double kGoalSeconds = 5e-6;
const std::string kLine =
    "fetch page http://127.0.0.1:41234/appweb/getcathotlist?cid=1&leaf_cid=0&sort=1&pn=2: "
    "HTTP error, HTTP 500, 0 bytes, 12 ms";

using test::Seconds;

double Average(int runs, const std::function<void()>& work) {
    const double start = Seconds();
    for (int i = 0; i < runs; ++i)
        work();
    return (Seconds() - start) / runs;
}

void BM_LogLine(benchmark::State& state) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "zentori-log-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    constexpr int kRuns = 2000;
    double seconds = 0;
    {
        DiagnosticsLog log(folder);
        for (auto _ : state) {
            seconds += Average(kRuns, [] { LogEvent(kLine); });
            log.Writer().Flush();  // each round starts with the writer idle, as between events
        }
    }
    const double floor = Average(kRuns, [] {
        std::string copy = kLine;
        benchmark::DoNotOptimize(copy.data());
    });
    HANDLE file = CreateFileW((folder / L"direct.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const double direct = Average(kRuns, [file] {
        DWORD written = 0;
        WriteFile(file, kLine.data(), static_cast<DWORD>(kLine.size()), &written, nullptr);
    });
    CloseHandle(file);
    std::filesystem::remove_all(folder);

    const double perOp = seconds / std::max<benchmark::IterationCount>(state.iterations(), 1);
    state.counters["us_per_op"] = perOp * 1e6;
    state.counters["floor_us"] = floor * 1e6;
    state.counters["direct_us"] = direct * 1e6;
    state.counters["x_goal"] = perOp / kGoalSeconds;
}
BENCHMARK(BM_LogLine)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
