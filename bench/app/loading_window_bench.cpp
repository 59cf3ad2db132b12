// How soon the loading window gives control back when a fetch is cancelled while the worker is
// blocked (as in a WinINet call Wine does not abort): from Esc posted to the window until Run
// returns. Counters: cancel_ms (goal: well under a frame's worth of user patience, 100 ms) and
// x_goal. Figures only; nothing is asserted.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <vector>

#include "app/browse/loading_window.h"
#include "tests/support/program/running_program.h"
#include "tests/support/toolkit/seconds.h"

namespace {

constexpr double kCancelGoalSeconds = 0.100;

using test::Seconds;

void BM_CancelWhileTheWorkerIsBlocked(benchmark::State& state) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const HWND main = CreateWindowExW(0, L"STATIC", L"main", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200,
                                      nullptr, nullptr, instance, nullptr);
    LoadingWindow loading;
    std::vector<HANDLE> releases;
    double seconds = 0;
    int iterations = 0;
    for (auto _ : state) {
        // Released after the wait returned, so each worker ends soon after its iteration.
        const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::atomic<double> posted{0};
        loading.Run(instance, main, std::make_shared<FetchJob>(nullptr),
                    [&posted, release](FetchJob&) {
                        posted = Seconds();
                        PostMessageW(test::FindLoadingWindow(), WM_KEYDOWN, VK_ESCAPE, 1);
                        WaitForSingleObject(release, 30000);
                        return FetchResult{};
                    });
        seconds += Seconds() - posted;
        ++iterations;
        SetEvent(release);
        releases.push_back(release);
    }
    Sleep(100);  // the last worker leaves its wait before the events go
    for (const HANDLE release : releases)
        CloseHandle(release);
    const double perCancel = seconds / (iterations > 0 ? iterations : 1);
    state.counters["cancel_ms"] = perCancel * 1e3;
    state.counters["x_goal"] = perCancel / kCancelGoalSeconds;
    DestroyWindow(main);
}
BENCHMARK(BM_CancelWhileTheWorkerIsBlocked)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
