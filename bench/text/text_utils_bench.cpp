// Throughput of the text routines on reply-sized input. The searches must stay linear in the text
// length: bytes per second should not drop as the text grows.
#include <benchmark/benchmark.h>

#include <string>

#include "text/text_utils.h"

namespace {

std::string HotListReply(int records) {
    std::string reply = "{\"data\":[";
    for (int i = 0; i < records; ++i) {
        reply += "{\"app_id\":\"" + std::to_string(100000 + i) +
                 "\",\"app_name\":\"\\u8fde\\u8fde\\u770b\",\"app_shortdesc\":\"\\u7ecf\\u5178\","
                 "\"app_url\":\"x\"},";
    }
    return reply + "]}";
}

// Double-byte characters whose trail bytes form the needle over and over: every candidate the
// byte search finds has to be rejected.
std::string TrailByteTrap(size_t bytes) {
    std::string text = "\xB0";
    while (text.size() < bytes)
        text += "\xA1\xB0";
    return text;
}

// Every record, the way the reply parsers walk a reply: each search starts where the last ended.
void BM_FindTextWalkingHotList(benchmark::State& state) {
    const std::string reply = HotListReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        int found = 0;
        for (int at = FindText(reply, "app_name\":\""); at > 0;
             at = FindText(reply, "app_name\":\"", at + 1)) {
            ++found;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_FindTextWalkingHotList)->Arg(100)->Arg(1000)->Arg(10000);

void BM_FindTextOnTrailBytes(benchmark::State& state) {
    const std::string text = TrailByteTrap(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(FindText(text, "\xA1\xB0"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_FindTextOnTrailBytes)->Range(1 << 10, 1 << 20);

void BM_FindTextBackwardOnTrailBytes(benchmark::State& state) {
    const std::string text = TrailByteTrap(static_cast<size_t>(state.range(0)));
    const int end = static_cast<int>(text.size()) + 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(FindTextBackward(text, "\xA1\xB0", end));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_FindTextBackwardOnTrailBytes)->Range(1 << 10, 1 << 20);

// The pager's next-page button looked for in a whole result page: a long needle in a long text.
void BM_FindTextPagerButton(benchmark::State& state) {
    const std::string button = "<a class=\"next\" data-item=\"btn-page-next\"";
    std::string page;
    while (page.size() < static_cast<size_t>(state.range(0))) {
        page +=
            "<dd class=\"app-name\"><a href=\"/appweb/search?lb=x\">\xCB\xFE\xB7\xC0</a></dd>\n";
    }
    page += button;
    for (auto _ : state)
        benchmark::DoNotOptimize(FindText(page, button));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_FindTextPagerButton)->Range(1 << 12, 1 << 22);

void BM_PercentDecodePage(benchmark::State& state) {
    std::string page;
    while (page.size() < static_cast<size_t>(state.range(0))) {
        page += "<dd class=\"desc\">\xE5\xA5\xBD\xE7\x8E\xA9</dd>%E4%B8%AD width:100%\">";  // 好玩
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(PercentDecode(page));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_PercentDecodePage)->Range(1 << 10, 1 << 20);

void BM_DecodeUnicodeEscapes(benchmark::State& state) {
    std::string escapes;
    while (escapes.size() < static_cast<size_t>(state.range(0)))
        escapes += "\\u8fde\\u770b";
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeUnicodeEscapes(escapes));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * escapes.size()));
}
BENCHMARK(BM_DecodeUnicodeEscapes)->Range(1 << 8, 1 << 16);

}  // namespace

BENCHMARK_MAIN();
