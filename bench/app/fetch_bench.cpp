// Click-to-rows latency of the running program against the sample catalogue: from the click on
// a list section (or a genre button) until its rows are on screen and the loading window has
// closed, beside the bare HttpRequest of the same URL. Figures only; nothing is asserted.
// Each click is timed in the same iteration as its bare request, so the ratio holds on a busy
// machine. The clicks go to two targets in turn, so every click shows a page of other texts
// than the one before, as a user's clicks do.
//   click_ms   click to rows (the iteration time)
//   bare_ms    HttpRequest of the URL the click requests
//   ratio      click_ms / bare_ms (goal: at most 1.2, that is the program adds at most 20%)
//   own_ms     click_ms - bare_ms, the program's own share, and x_goal, own_ms over its goal
//              (16 ms, one frame)
//   rows       rows on screen after the last click
// Run with the sample catalogue (scripts/with-server), as CTest does.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <string>

#include "app/browse/catalogue_fetch.h"
#include "catalogue/hot_list.h"
#include "catalogue/http_request.h"
#include "catalogue/search.h"
#include "tests/support/program/running_program.h"
#include "tests/support/toolkit/seconds.h"

namespace {

test::RunningProgram* program = nullptr;

// The program's own share of a click: one 60 Hz frame.
constexpr double kOwnShareGoalSeconds = 0.016;

using test::Seconds;

// One thing to click: `widget` picks the widget; `url` is what the click requests.
struct Target {
    std::function<FormWidget&()> widget;
    std::string url;
};

void ClickToRows(benchmark::State& state, const Target& first, const Target& second) {
    double clicks = 0, bare = 0;
    int iterations = 0;
    for (auto _ : state) {
        const Target& target = iterations % 2 == 0 ? first : second;
        double start = Seconds();
        test::ClickWidget(program->Window(), target.widget());
        const double click = Seconds() - start;
        state.SetIterationTime(click);
        clicks += click;

        start = Seconds();
        benchmark::DoNotOptimize(HttpRequest(target.url));
        bare += Seconds() - start;
        ++iterations;

        if (program->Objects().GameList().RowCount() == 0 || test::FindLoadingWindow()) {
            state.SkipWithError("the click did not end with rows and the loading window closed");
            break;
        }
    }
    const double n = std::max(iterations, 1);
    state.counters["click_ms"] = clicks / n * 1e3;
    state.counters["bare_ms"] = bare / n * 1e3;
    state.counters["ratio"] = bare > 0 ? clicks / bare : 0;
    state.counters["own_ms"] = (clicks - bare) / n * 1e3;
    state.counters["x_goal"] = (clicks - bare) / n / kOwnShareGoalSeconds;
    state.counters["rows"] = program->Objects().GameList().RowCount();
}

// 热门游戏 and 小游戏 in turn.
void BM_ClickHotList(benchmark::State& state) {
    ClickToRows(
        state,
        {[]() -> FormWidget& { return program->Objects().SectionButtons(kHotGamesButton); },
         HotListUrl(CatalogueBaseUrl(), "0", 1)},
        {[]() -> FormWidget& { return program->Objects().SectionButtons(kSmallGamesButton); },
         HotListUrl(CatalogueBaseUrl(), "7", 1)});
}

// A search answer is HTML of several times the size of a hot list, percent-decoded and scraped:
// 策略 and 逃脱 in turn.
void BM_ClickGenreSearch(benchmark::State& state) {
    ClickToRows(state,
                {[]() -> FormWidget& { return program->Objects().GenreButtons(0); },
                 SearchUrl(CatalogueBaseUrl(), "%E7%AD%96%E7%95%A5")},
                {[]() -> FormWidget& { return program->Objects().GenreButtons(1); },
                 SearchUrl(CatalogueBaseUrl(), "%E9%80%83%E8%84%B1")});
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    test::RunningProgram running;
    if (!running.Started()) return 1;
    program = &running;
    for (auto* bench : {benchmark::RegisterBenchmark("BM_ClickHotList", BM_ClickHotList),
                        benchmark::RegisterBenchmark("BM_ClickGenreSearch", BM_ClickGenreSearch)}) {
        bench->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
