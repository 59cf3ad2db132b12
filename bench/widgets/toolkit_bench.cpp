// Costs of the toolkit's main drawing paths, each next to a plain BitBlt of the same area onto
// the same window as the floor: SetSkin of a 1920 x 1080 JPEG, one Label repaint, and a full
// PaintWidgets of 50 labels. Counters: us_per_op, floor_us (BitBlt of the area) and x_floor (the
// ratio), and x_goal, us_per_op over its goal (40 ms for the skin, 50 us a label). Beside them the
// pace of a playing AnimatedPicture: frames_per_s (goal 10) and ms_per_frame. Figures only;
// nothing is asserted.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/main_window_places.h"
#include "tests/support/toolkit/images.h"
#include "tests/support/toolkit/test_form.h"
#include "tests/support/toolkit/seconds.h"
#include "widgets/animated_picture.h"
#include "widgets/label.h"

namespace {

constexpr int kFormWidth = main_window_places::kWindowSize[0];  // the main window's size
constexpr int kFormHeight = main_window_places::kWindowSize[1];
const DisplayScale kScale = DisplayScale::ForSystem();

using test::Seconds;

// Average seconds of `work` over enough runs to take about 50 ms.
double Average(const std::function<void()>& work) {
    work();
    int runs = 0;
    const double start = Seconds();
    double elapsed = 0;
    while (elapsed < 0.05 || runs < 10) {
        work();
        ++runs;
        elapsed = Seconds() - start;
    }
    GdiFlush();
    return (Seconds() - start) / runs;
}

// The floor: copying `rects` from the form's screen buffer to its window with BitBlt.
double BitBltFloor(const FormRecord& form, const std::vector<RECT>& rects) {
    return Average([&] {
        for (const RECT& r : rects) {
            BitBlt(form.windowDc, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   form.ScreenDc(), r.left, r.top, SRCCOPY);
        }
        GdiFlush();
    });
}

void Report(benchmark::State& state, double seconds, int iterations, double floor,
            double goalSeconds) {
    const double perOp = seconds / std::max(iterations, 1);
    state.counters["x_goal"] = perOp / goalSeconds;
    state.counters["us_per_op"] = perOp * 1e6;
    state.counters["floor_us"] = floor * 1e6;
    state.counters["x_floor"] = floor > 0 ? perOp / floor : 0;
}

test::TestForm::Options MainWindowLike() {
    test::TestForm::Options options;
    // At the system's display scale (the benchmarks run at 200 % too).
    options.window.width = kScale.Px(kFormWidth);
    options.window.height = kScale.Px(kFormHeight);
    options.form.captionMode = 2;
    options.form.fixedSize = 1;
    return options;
}

void BM_SetSkin1920x1080Jpeg(benchmark::State& state) {
    test::TempFile skin(L"bench-skin.jpg");
    skin.Write(test::EncodeImage(1920, 1080, test::ImageFormat::kJpeg, [](GpGraphics* graphics) {
        FillAlphaGradient(graphics, RectF(0, 0, 1920, 1080), 0x8040C0, 255, 120, 2);
    }));
    test::TestForm form(MainWindowLike());
    const std::string path = skin.GbkPath();
    double seconds = 0;
    int iterations = 0;
    for (auto _ : state) {
        const double start = Seconds();
        benchmark::DoNotOptimize(form.Form().SetSkin(path, 0));
        GdiFlush();
        seconds += Seconds() - start;
        ++iterations;
    }
    Report(state, seconds, iterations,
           BitBltFloor(form.Form().Record(), {kScale.Rect(0, 0, kFormWidth, kFormHeight)}), 0.040);
}
BENCHMARK(BM_SetSkin1920x1080Jpeg)->Unit(benchmark::kMillisecond);

void BM_LabelRepaint(benchmark::State& state) {
    test::TestForm form(MainWindowLike());
    Label label;
    label.Create(form.Handle(), "Zentori网页游戏盒子1.0", 580, 528, 120, 20);
    double seconds = 0;
    int iterations = 0;
    for (auto _ : state) {
        const double start = Seconds();
        label.Text("Zentori网页游戏盒子1.0");
        GdiFlush();
        seconds += Seconds() - start;
        ++iterations;
    }
    Report(state, seconds, iterations,
           BitBltFloor(form.Form().Record(), {kScale.Rect(580, 528, 120, 20)}), 50e-6);
}
BENCHMARK(BM_LabelRepaint)->Unit(benchmark::kMicrosecond);

void BM_PaintWidgets50Labels(benchmark::State& state) {
    test::TestForm::Options options = MainWindowLike();
    options.form.captionMode = 0;  // the labels are the only widgets
    test::TestForm form(options);
    std::vector<std::unique_ptr<Label>> labels;
    std::vector<RECT> areas;
    for (int i = 0; i < 50; ++i) {
        const int x = 10 + (i % 5) * 130, y = 40 + (i / 5) * 45;
        labels.push_back(std::make_unique<Label>());
        labels.back()->Create(form.Handle(), "第" + std::to_string(i + 1) + "页 游戏", x, y, 120,
                              20);
        areas.push_back(kScale.Rect(x, y, 120, 20));
    }
    double seconds = 0;
    int iterations = 0;
    for (auto _ : state) {
        const double start = Seconds();
        form.Form().PaintWidgets(0);
        GdiFlush();
        seconds += Seconds() - start;
        ++iterations;
    }
    Report(state, seconds, iterations, BitBltFloor(form.Form().Record(), areas), 50 * 50e-6);
}
BENCHMARK(BM_PaintWidgets50Labels)->Unit(benchmark::kMicrosecond);

// Ten frames of a playing picture, counted as the window thread dispatches them.
void BM_AnimationPace(benchmark::State& state) {
    test::EnsureGraphics();
    test::TestForm form(MainWindowLike());
    AnimatedPicture picture;
    const int id =
        picture.Create(form.Handle(), 10, 10, 100, 60,
                       test::EncodeSolidImage(20, 20, 0xFF0000, test::ImageFormat::kPng), true);
    constexpr int kFrames = 10;
    double seconds = 0;
    int frames = 0;
    for (auto _ : state) {
        const double start = Seconds();
        for (int seen = 0; seen < kFrames;) {
            MSG message;
            if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
            DispatchMessageW(&message);
            if (message.message == MsgWidgetPost && message.wParam == static_cast<WPARAM>(id)) {
                ++seen;
            }
        }
        seconds += Seconds() - start;
        frames += kFrames;
    }
    state.counters["frames_per_s"] = seconds > 0 ? frames / seconds : 0;
    state.counters["ms_per_frame"] = frames > 0 ? seconds / frames * 1e3 : 0;
}
BENCHMARK(BM_AnimationPace)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
