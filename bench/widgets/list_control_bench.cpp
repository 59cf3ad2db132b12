// Costs of the game list's drawing and filling, on the application's list (560 x 400 on a
// main-window-sized form). Figures only; nothing is asserted. Each operation is timed in the
// same iteration as its reference and its floor, so the ratios are fair on a busy machine.
//   BM_ListRedraw: a full Redraw with 10,000 rows scrolled to the middle (us_per_op), next to
//     a list of 20 rows with texts of the same lengths (rows20_us); x_rows20 is the ratio (goal:
//     at most 1.2, since only the visible rows are laid out). floor_us: BitBlt of the bounds.
//   BM_ListHoverChange: the pointer moves from one row to another (two items repainted).
//   BM_ListWheelNotch: one wheel notch (all visible rows redrawn and shown).
//     Both with redraw_us (a full Redraw) and floor_us, and the ratios x_redraw and x_floor.
//   BM_ListNewPage: the rows replaced by 20 rows of new texts and drawn, as a click on a section
//     shows its page, with redraw_us (the same rows drawn again) and floor_us; text_us is the
//     share of one new cell text, (us_per_op - redraw_us) over the 60 texts shown.
//   BM_NewCellText: one new text in a list cell (the name column, then the introduction
//     column, in turn): new_text_us through the cell's kept picture, fresh_picture_us through a
//     picture made for it (the cost before pictures were kept across pages), paint_text_us
//     drawn directly, and x_fresh, new_text_us over fresh_picture_us.
//   Every figure but the fill's comes with x_goal, us_per_op over its goal (5 ms for a full
//     redraw, a hover change and a wheel notch; 16 ms, the program's whole share of a click, for
//     a new page).
//   BM_ListFill10000OffScreen: AddRow and three SetCell per row for 10,000 rows below the
//     visible ones: us_per_row, and last_to_first, the time of the last 1,000 rows over the first
//     1,000 (stays near 1 when a row costs the same however many there are).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "tests/support/toolkit/list_control_fixture.h"
#include "tests/support/toolkit/seconds.h"
#include "widgets/text_picture.h"

namespace {

using list_test::kListLeft;

// A full redraw and a wheel notch each fit well inside one 60 Hz frame.
constexpr double kRedrawGoalMicroseconds = 5000;
constexpr double kWheelGoalMicroseconds = 5000;
// The program's whole share of a click, of which a new page's drawing is a part.
constexpr double kClickGoalMicroseconds = 16000;

using test::Seconds;

template <typename Work>
double TimeOnce(Work&& work) {
    const double start = Seconds();
    work();
    GdiFlush();
    return Seconds() - start;
}

// Sums of paired timings: the operation, its reference and the floor are timed one after the
// other in every iteration, so the ratios hold under whatever load the machine carries.
struct Paired {
    double op = 0, reference = 0, floor = 0;
    int iterations = 0;

    void Report(benchmark::State& state, const char* referenceName, const char* ratioName,
                double goalMicroseconds) const {
        const double n = std::max(iterations, 1);
        state.counters["x_goal"] = op / n * 1e6 / goalMicroseconds;
        state.counters["us_per_op"] = op / n * 1e6;
        state.counters[referenceName] = reference / n * 1e6;
        state.counters[ratioName] = reference > 0 ? op / reference : 0;
        state.counters["floor_us"] = floor / n * 1e6;
        state.counters["x_floor"] = floor > 0 ? op / floor : 0;
    }
};

// The application's list on its own form; the skin file lives as long as the form.
struct Stage {
    Stage()
        : skin(list_test::MakeSkin(list_test::kSkinColour, L"bench-list-skin.png")),
          form(list_test::MainWindowOptions(*skin)) {
        list_test::CreateApplicationList(list, form.Handle());
    }
    HWND Window() const { return form.Handle(); }
    void BitBltBounds() const {
        const FormRecord& record = form.Form().Record();
        RECT bounds{};
        BoundsToRect(list.GetBounds(), bounds);
        BitBlt(record.windowDc, bounds.left, bounds.top, bounds.right - bounds.left,
               bounds.bottom - bounds.top, record.ScreenDc(), bounds.left, bounds.top, SRCCOPY);
    }
    // Drags the thumb so that its top lies `fraction` down the track.
    void ScrollTo(double fraction) {
        const RECT& bar = list.ScrollBarRect();
        const int x = (bar.left + bar.right) / 2;
        const int grab = static_cast<int>(list.Scroll().thumbPosition) + 2;
        const int top = static_cast<int>(list.ContentArea().Y);
        const int track = static_cast<int>(list.ContentArea().Height) - list.Scroll().thumbLength;
        list_test::MoveTo(Window(), x, grab);
        list_test::Press(Window(), x, grab);
        list_test::MoveTo(Window(), x, grab);
        const int target = top + static_cast<int>(track * fraction) + 2;
        list_test::MoveTo(Window(), x, target);
        list_test::Release(Window(), x, target);
    }

    std::unique_ptr<test::TempFile> skin;
    test::TestForm form;
    ListControl list;
};

// Rows whose texts have the same length whatever their number, so that lists of different
// sizes draw the same amount of text.
void FillEvenRows(ListControl& list, int count) {
    list.Clear();
    for (int row = 1; row <= count; ++row) {
        const std::string number = std::to_string(10000 + row);
        list.AddRow(row, number);
        list.SetCell(row, 2, "游戏" + number);
        list.SetCell(row, 3, "第" + number + "个游戏的介绍");
        list.SetCell(row, 4, "http://127.0.0.1/" + number);
    }
    list.Redraw();
}

void BM_ListRedraw(benchmark::State& state) {
    Stage small, large;
    FillEvenRows(small.list, 20);
    FillEvenRows(large.list, 10000);
    large.ScrollTo(0.5);
    Paired times;
    for (auto _ : state) {
        times.op += TimeOnce([&] { large.list.Redraw(); });
        state.PauseTiming();
        times.reference += TimeOnce([&] { small.list.Redraw(); });
        times.floor += TimeOnce([&] { large.BitBltBounds(); });
        state.ResumeTiming();
        ++times.iterations;
    }
    times.Report(state, "rows20_us", "x_rows20", kRedrawGoalMicroseconds);
    state.counters["first_row"] = large.list.VisibleItems().front().row;
}
BENCHMARK(BM_ListRedraw)->Unit(benchmark::kMicrosecond);

void BM_ListHoverChange(benchmark::State& state) {
    Stage stage;
    list_test::FillRows(stage.list, 60);
    const POINT a = list_test::PointOnRow(stage.list, 3);
    const POINT b = list_test::PointOnRow(stage.list, 5);
    list_test::MoveTo(stage.Window(), a.x, a.y);
    bool onA = true;
    Paired times;
    for (auto _ : state) {
        const POINT to = onA ? b : a;
        times.op += TimeOnce([&] { list_test::MoveTo(stage.Window(), to.x, to.y); });
        state.PauseTiming();
        times.reference += TimeOnce([&] { stage.list.Redraw(); });
        times.floor += TimeOnce([&] { stage.BitBltBounds(); });
        state.ResumeTiming();
        onA = !onA;
        ++times.iterations;
    }
    times.Report(state, "redraw_us", "x_redraw", kRedrawGoalMicroseconds);
}
BENCHMARK(BM_ListHoverChange)->Unit(benchmark::kMicrosecond);

void BM_ListWheelNotch(benchmark::State& state) {
    Stage stage;
    list_test::FillRows(stage.list, 1000);
    stage.ScrollTo(0.5);
    const int x = kListLeft + 300, y = list_test::kListTop + 200;
    int delta = -WHEEL_DELTA;
    Paired times;
    for (auto _ : state) {
        times.op += TimeOnce([&] { list_test::Wheel(stage.Window(), x, y, delta); });
        state.PauseTiming();
        times.reference += TimeOnce([&] { stage.list.Redraw(); });
        times.floor += TimeOnce([&] { stage.BitBltBounds(); });
        state.ResumeTiming();
        delta = -delta;
        ++times.iterations;
    }
    times.Report(state, "redraw_us", "x_redraw", kWheelGoalMicroseconds);
}
BENCHMARK(BM_ListWheelNotch)->Unit(benchmark::kMicrosecond);

// A new page, as a click shows it: the rows replaced by 20 of new texts and drawn once.
void BM_ListNewPage(benchmark::State& state) {
    Stage stage;
    FillEvenRows(stage.list, 20);
    int page = 0;
    Paired times;
    for (auto _ : state) {
        ++page;
        times.op += TimeOnce([&] {
            stage.list.Clear(false);
            for (int row = 1; row <= 20; ++row) {
                const std::string number = std::to_string(page * 100 + row);
                stage.list.AddRow(row, number);
                stage.list.SetCell(row, 2, "游戏" + number);
                stage.list.SetCell(row, 3, "第" + number + "个游戏的介绍");
                stage.list.SetCell(row, 4, "http://127.0.0.1/" + number);
            }
            stage.list.Redraw();
        });
        state.PauseTiming();
        times.reference += TimeOnce([&] { stage.list.Redraw(); });
        times.floor += TimeOnce([&] { stage.BitBltBounds(); });
        state.ResumeTiming();
        ++times.iterations;
    }
    times.Report(state, "redraw_us", "x_redraw", kClickGoalMicroseconds);
    constexpr int kTextsShown = 20 * 3;  // index, name and introduction of every row
    state.counters["text_us"] =
        (times.op - times.reference) / std::max(times.iterations, 1) / kTextsShown * 1e6;
}
BENCHMARK(BM_ListNewPage)->Unit(benchmark::kMicrosecond);

void BM_NewCellText(benchmark::State& state) {
    Stage stage;
    const FormRecord& form = stage.form.Form().Record();
    // The cells of the application's name and introduction columns, as ListControl draws them.
    const RectF cells[] = {RectF(kListLeft + 42, 120, 174, 20),
                           RectF(kListLeft + 222, 120, 314, 20)};
    const TextStyle style{.font = nullptr,  // the list's font, DefaultFont
                          .alpha = 230,
                          .alignment = 3,
                          .trimming = 3,
                          .formatFlags = 0x1000};
    const RECT clip{0, 0, list_test::kFormWidth, list_test::kFormHeight};
    TextPicture kept[2];
    double keptSeconds = 0, freshSeconds = 0, directSeconds = 0;
    int texts = 0;
    for (auto _ : state) {
        const int cell = texts % 2;
        const std::string number = std::to_string(100000 + texts);
        const std::string text =
            cell == 0 ? "游戏名称" + number : "用方向键控制第" + number + "关，闯过重重难关！";
        const auto paint = [&](TextPicture& picture, const std::string& shown) {
            picture.Paint(form.ScreenDc(), form.ScreenGraphics(), cells[cell], shown, style, clip);
        };
        keptSeconds += TimeOnce([&] { paint(kept[cell], text); });
        state.PauseTiming();
        freshSeconds += TimeOnce([&] {
            TextPicture fresh;
            paint(fresh, text + "。");
        });
        directSeconds += TimeOnce([&] {
            PaintText(cells[cell], form.ScreenGraphics(), text + "！", style);
            GdipFlush(form.ScreenGraphics(), Gdiplus::FlushIntentionSync);
        });
        state.ResumeTiming();
        ++texts;
    }
    const double n = std::max(texts, 1);
    state.counters["new_text_us"] = keptSeconds / n * 1e6;
    state.counters["fresh_picture_us"] = freshSeconds / n * 1e6;
    state.counters["paint_text_us"] = directSeconds / n * 1e6;
    state.counters["x_fresh"] = freshSeconds > 0 ? keptSeconds / freshSeconds : 0;
}
BENCHMARK(BM_NewCellText)->Unit(benchmark::kMicrosecond);

void BM_ListFill10000OffScreen(benchmark::State& state) {
    constexpr int kRows = 10000, kBlock = 1000, kShown = 20;
    Stage stage;
    const std::string name = "游戏名称很长的一个游戏", intro = "这是一段游戏介绍文字，说明玩法。";
    double total = 0, first = 0, last = 0;
    int rounds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        list_test::FillRows(stage.list, kShown);  // rows 1..20 on screen, the rest below
        state.ResumeTiming();
        for (int block = 0; block < kRows / kBlock; ++block) {
            const double start = Seconds();
            for (int i = 0; i < kBlock; ++i) {
                const int row = kShown + block * kBlock + i + 1;
                stage.list.AddRow(row, std::to_string(row));
                stage.list.SetCell(row, 2, name);
                stage.list.SetCell(row, 3, intro);
                stage.list.SetCell(row, 4, "http://127.0.0.1/" + std::to_string(row));
            }
            const double elapsed = Seconds() - start;
            total += elapsed;
            if (block == 0) first += elapsed;
            if (block == kRows / kBlock - 1) last += elapsed;
        }
        ++rounds;
    }
    state.counters["us_per_row"] = total / std::max(rounds, 1) / kRows * 1e6;
    state.counters["last_to_first"] = first > 0 ? last / first : 0;
    state.counters["rows"] = stage.list.RowCount();
}
BENCHMARK(BM_ListFill10000OffScreen)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
