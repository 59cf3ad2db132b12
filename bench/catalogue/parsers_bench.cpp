// Parse throughput of the two reply parsers, each next to a floor: one memmem pass over the same
// bytes for the record's opening. Prints, after the usual table, the parse/floor ratio (goal at
// 1,000 records, the most one reply may hold: 15 or less), the share of its main parts, and the
// linearity (cost per record at 1,000 records over the cost per record at 10).
#include <string.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

#include "catalogue/hot_list.h"
#include "catalogue/search.h"
#include "text/text_utils.h"

namespace {

constexpr std::string_view kBase = "http://games.example";
constexpr std::string_view kHotListOpening = "app_id";
constexpr std::string_view kSearchOpening =
    R"(<dl class="app-single-item app-single-item-details">)";
constexpr int kSmall = 10;
constexpr int kLarge = static_cast<int>(kRecordLimit);  // a reply beyond is not parsed on

// A CJK ideograph that GBK has (U+4E00..U+9FA5), chosen by `seed`.
unsigned Ideograph(uint64_t seed) {
    return 0x4E00 + static_cast<unsigned>((seed * 2654435761u) % 0x51A6);
}

std::string Escapes(uint64_t seed, int count) {
    std::string text;
    char escape[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(escape, sizeof escape, "\\u%04x", Ideograph(seed * 131 + i));
        text += escape;
    }
    return text;
}

std::string Utf8Ideographs(uint64_t seed, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const unsigned code = Ideograph(seed * 131 + i);
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
    return text;
}

// A reply as the catalogue writes it: names partly Latin, introductions with punctuation.
std::string HotListReply(int records) {
    std::string list;
    for (int i = 0; i < records; ++i) {
        const std::string id = std::to_string(10000 + i);
        std::string name = Escapes(i, 3 + i % 6);
        if (i % 5 == 0) name = "3D" + name + "Pro";
        const std::string intro = Escapes(i + 7, 12) + "\\uff0c" + Escapes(i + 11, 10) + "\\u3002";
        if (!list.empty()) list += ",";
        list += R"({"app_id":")" + id + R"(","app_name":")" + name + R"(","app_shortdesc":")" +
                intro + R"(","app_url":"http:\/\/games.example\/)" + id +
                R"(","app_icon":"http:\/\/games.example\/icon\/)" + id +
                R"(.png","app_usage":"12.3"})";
    }
    return R"({"errno":0,"errmsg":"","data":{"pagecount":644,"list":[)" + list + "]}}";
}

// A UTF-8 result page with percent-escaped links, as the catalogue writes it.
std::string SearchReply(int records) {
    const std::string keyword = "%E5%A1%94%E9%98%B2";
    std::string page = R"(<!DOCTYPE html><html><head><meta charset="utf-8"><style>.bar{width:100%})"
                       "</style></head><body>\n";
    for (int i = 0; i < records; ++i) {
        const std::string id = std::to_string(10000 + i);
        const std::string title = Utf8Ideographs(i, 4 + i % 5) + (i % 4 == 0 ? "2" : "");
        page += std::string(kSearchOpening) + "\n<dt><a href=\"http://games.example/" + id +
                "\" data-appid=\"" + id +
                "\" target=\"_blank\"><i class=\"app-single-round\" title=\"" + title +
                "\"></i><img src=\"http://games.example/icon/" + id +
                ".png\" alt=\"\"></a></dt>\n<dd class=\"app-name\"><a href=\"/appweb/search?lb=" +
                keyword + "\">" + title + "</a></dd>\n<dd class=\"app-desc\">" +
                Utf8Ideographs(i + 3, 20) +
                "</dd>\n<dd><span><strong>12.5</strong>"
                "\xE4\xB8\x87\xE6\xAC\xA1\xE4\xBD\xBF\xE7\x94\xA8"  // 万次使用
                "</span></dd>\n</dl>\n";
    }
    page += R"(<div class="pager"><a href="/appweb/search?lb=)" + keyword +
            R"(&amp;pn=2" data-item="btn-page">2</a><a href="/appweb/search?lb=)" + keyword +
            R"(&amp;pn=64" data-item="btn-page">64</a><a class="next" data-item="btn-page-next">)"
            "</a></div></body></html>\n";
    return page;
}

const std::string& Reply(bool search, int records) {
    static std::map<std::pair<bool, int>, std::string> replies;
    std::string& reply = replies[{search, records}];
    if (reply.empty()) reply = search ? SearchReply(records) : HotListReply(records);
    return reply;
}

size_t CountOpenings(std::string_view text, std::string_view opening) {
    size_t count = 0;
    const char* at = text.data();
    const char* end = text.data() + text.size();
    while (const void* found =
               memmem(at, static_cast<size_t>(end - at), opening.data(), opening.size())) {
        ++count;
        at = static_cast<const char*>(found) + opening.size();
    }
    return count;
}

void Finish(benchmark::State& state, const std::string& reply, size_t records) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
    state.counters["records"] = static_cast<double>(records);
    state.counters["per_record"] =
        benchmark::Counter(static_cast<double>(state.iterations() * records),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void HotListParse(benchmark::State& state) {
    const std::string& reply = Reply(false, static_cast<int>(state.range(0)));
    boost::regex pattern;
    size_t records = 0;
    for (auto _ : state) {
        const auto parsed = ParseHotList(reply, kBase, pattern);
        records = parsed.size();
        benchmark::DoNotOptimize(parsed.data());
    }
    if (records != static_cast<size_t>(state.range(0))) state.SkipWithError("wrong record count");
    Finish(state, reply, records);
}

void HotListFloor(benchmark::State& state) {
    const std::string& reply = Reply(false, static_cast<int>(state.range(0)));
    size_t records = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(records = CountOpenings(reply, kHotListOpening));
    Finish(state, reply, records);
}

void SearchParse(benchmark::State& state) {
    const std::string& reply = Reply(true, static_cast<int>(state.range(0)));
    boost::regex pattern;
    size_t records = 0;
    for (auto _ : state) {
        const SearchPage parsed = ParseSearchReply(reply, kBase, pattern);
        records = parsed.records.size();
        benchmark::DoNotOptimize(parsed.records.data());
    }
    if (records != static_cast<size_t>(state.range(0))) state.SkipWithError("wrong record count");
    Finish(state, reply, records);
}

void SearchFloor(benchmark::State& state) {
    const std::string& reply = Reply(true, static_cast<int>(state.range(0)));
    size_t records = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(records = CountOpenings(reply, kSearchOpening));
    Finish(state, reply, records);
}

// Where the parse time goes: the pattern matching alone, and for the search the percent-decoding
// and code-page conversion of the whole page alone.
size_t CountMatches(std::string_view text, const char* pattern) {
    const boost::regex compiled(pattern, boost::regex::perl | boost::regex::mod_s);
    size_t count = 0;
    const boost::cregex_iterator end;
    for (boost::cregex_iterator match(text.data(), text.data() + text.size(), compiled);
         match != end; ++match) {
        ++count;
    }
    return count;
}

void HotListMatch(benchmark::State& state) {
    const std::string& reply = Reply(false, static_cast<int>(state.range(0)));
    size_t records = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(records = CountMatches(reply, R"re(app_id(.*?)"app_url":")re"));
    }
    Finish(state, reply, records);
}

void SearchDecode(benchmark::State& state) {
    const std::string& reply = Reply(true, static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(PercentDecode(reply).size());
    Finish(state, reply, static_cast<size_t>(state.range(0)));
}

void SearchMatch(benchmark::State& state) {
    const std::string& reply = Reply(true, static_cast<int>(state.range(0)));
    const std::string page = PercentDecode(reply);
    size_t records = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            records =
                CountMatches(page, R"(<dl class="app-single-item app-single-item-details">(.*?))"
                                   "</strong>\xCD\xF2\xB4\xCE\xCA\xB9\xD3\xC3</span>"));
    }
    Finish(state, reply, records);
}

BENCHMARK(HotListParse)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(HotListFloor)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(SearchParse)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(SearchFloor)->Arg(kSmall)->Arg(kLarge);
BENCHMARK(HotListMatch)->Arg(kLarge);
BENCHMARK(SearchDecode)->Arg(kLarge);
BENCHMARK(SearchMatch)->Arg(kLarge);

// Keeps the CPU seconds per iteration of every run for the summary (CPU time, so that other
// load on the machine disturbs the ratios less).
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) {
                continue;
            }
            seconds_[run.benchmark_name()] =
                run.cpu_accumulated_time / static_cast<double>(run.iterations);
        }
    }

    void PrintSummary() const {
        std::printf("\nsummary, CPU time (goal: parse/floor <= 15 at %d records)\n", kLarge);
        for (const char* parser : {"HotList", "Search"}) {
            double perRecord[2] = {0, 0};
            for (int i = 0; i < 2; ++i) {
                const int records = i == 0 ? kSmall : kLarge;
                const double parse = Seconds(parser, "Parse", records);
                const double floor = Seconds(parser, "Floor", records);
                if (parse <= 0 || floor <= 0) continue;
                perRecord[i] = parse / records;
                std::printf("  %-7s %5d records: parse %10.1f us, floor %8.2f us, ratio %6.1f%s\n",
                            parser, records, parse * 1e6, floor * 1e6, parse / floor,
                            records == kLarge
                                ? (parse / floor <= 15 ? "  (goal met)" : "  (goal missed)")
                                : "");
            }
            const double floor = Seconds(parser, "Floor", kLarge);
            for (const char* part : {"Match", "Decode"}) {
                const double seconds = Seconds(parser, part, kLarge);
                if (seconds > 0 && floor > 0) {
                    std::printf("  %-7s %5d records: %-6s alone %10.1f us, %6.1f x floor\n", parser,
                                kLarge, part, seconds * 1e6, seconds / floor);
                }
            }
            if (perRecord[0] > 0 && perRecord[1] > 0) {
                std::printf("  %-7s linearity: per-record cost at %d / at %d = %.2f\n", parser,
                            kLarge, kSmall, perRecord[1] / perRecord[0]);
            }
        }
    }

private:
    double Seconds(const std::string& parser, const std::string& kind, int records) const {
        const auto found = seconds_.find(parser + kind + "/" + std::to_string(records));
        return found == seconds_.end() ? 0 : found->second;
    }

    std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
