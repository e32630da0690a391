// The client side of a rank search without a window: 50 keywords x 8 result
// pages fetched from the simulated web on loopback and searched for the site's
// entries, once with the conversion and search per subject (the page through
// utf8ToGbk, the entry pattern over each block's text) and once on a page form
// searched in place; beside them the bare fetching of the same pages.
// bench/rank_search_baseline.py does the same work in Python.

#include "bench/simulated_web.h"
#include "text/text.h"
#include "web/codepage.h"
#include "web/http_request.h"
#include "web/pattern_matcher.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int kKeywords = 50;
constexpr int kPages = 8;
const zv::Text kSite = "www.example.com";
const zv::Text kBlockPattern = "<table.*?id=\"(.*?)\"[\\s\\S]*?</table>";
const zv::Text kAddressLinePattern = "<span class=.g.>.*?</span>";

zv::bench::SimulatedWeb& simulatedWeb()
{
    static zv::bench::SimulatedWeb web(true);
    static const bool learned = web.running() && !zv::httpRequest("http://" + kSite + "/").empty();
    (void)learned;
    return web;
}

std::vector<zv::Text> addresses()
{
    std::vector<zv::Text> list;
    for (int k = 1; k <= kKeywords; ++k) {
        const zv::Text keyword = zv::utf8ToGbkString("网站优化" + std::to_string(k));
        for (int p = 1; p <= kPages; ++p)
            list.push_back("http://www.baidu.com/s?wd=" + zv::urlEncode(keyword, true, true)
                           + "&pn=" + std::to_string((p - 1) * 100) + "&rn=100&ie=utf-8");
    }
    return list;
}

double processCpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The site's entries of one page, the site's home page marked with a dot.
template <typename Matcher, typename SearchBlock>
zv::Text entriesOf(const Matcher& blocks, const Matcher& lines, SearchBlock searchBlock)
{
    zv::Text entries;
    for (int n = 1; n <= blocks.matchCount(); ++n) {
        searchBlock(n);
        for (int m = 1; m <= lines.matchCount(); ++m) {
            const zv::Text line = lines.matchText(m);
            if (!zv::containsText(line, kSite))
                continue;
            entries += blocks.subMatchText(n, 1) + (zv::containsText(line, kSite + "/ ") ? ". " : " ");
            break;
        }
    }
    return entries;
}

template <typename ReadPage> void runSearch(benchmark::State& state, ReadPage readPage)
{
    if (!simulatedWeb().running()) {
        state.SkipWithError("simweb could not be started");
        return;
    }
    const std::vector<zv::Text> list = addresses();
    std::int64_t pages = 0;
    std::int64_t found = 0;
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        for (const zv::Text& address : list) {
            found += !readPage(zv::httpRequest(address)).empty();
            ++pages;
        }
    }
    state.counters["pages_per_second"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
    // CPU of this process (client side only: simweb runs in its own).
    state.counters["cpu_us_per_page"] = pages ? (processCpuSeconds() - cpuStart) * 1e6 / pages : 0;
    state.counters["found_per_search"] = pages ? static_cast<double>(found) * kKeywords * kPages / pages : 0;
}

void BM_RankSearch_PerSubject(benchmark::State& state)
{
    zv::PatternMatcher blocks;
    zv::PatternMatcher lines;
    runSearch(state, [&](const zv::ByteBlock& body) {
        blocks.execute(kBlockPattern, zv::utf8ToGbk(body));
        return entriesOf(blocks, lines, [&](int n) { lines.execute(kAddressLinePattern, blocks.matchText(n)); });
    });
}
BENCHMARK(BM_RankSearch_PerSubject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RankSearch_PageForm(benchmark::State& state)
{
    zv::PageForm page;
    zv::PageMatcher blocks;
    zv::PageMatcher lines;
    runSearch(state, [&](const zv::ByteBlock& body) {
        page.read(body);
        blocks.execute(kBlockPattern, page);
        return entriesOf(blocks, lines, [&](int n) { lines.execute(kAddressLinePattern, page, blocks.matchRange(n)); });
    });
}
BENCHMARK(BM_RankSearch_PageForm)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline: the same requests, bodies discarded.
void BM_FetchOnly(benchmark::State& state)
{
    runSearch(state, [](const zv::ByteBlock&) { return zv::Text(); });
}
BENCHMARK(BM_FetchOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
