// Rank search throughput: 50 keywords x 8 result pages fetched from the
// simulated web on loopback, each page read into a page form and searched in
// place for the site's entries, as the rank search does; then the whole search as the
// button runs it on a real window, beside the bare fetching of the same pages.
// The simweb program is started next to this one (build/simweb, or the path
// in ZV_SIMWEB).

#include "app/keyword_registry.h"
#include "app/main_window.h"
#include "bench/simulated_web.h"
#include "bench/window_application.h"
#include "queries/rank_search.h"
#include "readers/rank_page.h"
#include "store/schema.h"
#include "store/store.h"
#include "view/qt_text.h"
#include "web/codepage.h"
#include "web/http_request.h"
#include "web/pattern_matcher.h"

#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int kKeywords = 50;
constexpr int kPages = 8;
const zv::Text kSite = "www.example.com";

// The simweb process for the whole run.
zv::bench::SimulatedWeb& simulatedWeb()
{
    static zv::bench::SimulatedWeb web;
    return web;
}

std::vector<zv::Text> keywords()
{
    std::vector<zv::Text> list;
    for (int k = 1; k <= kKeywords; ++k)
        list.push_back(zv::utf8ToGbkString("网站优化" + std::to_string(k)));
    return list;
}

double processCpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The whole search: every page fetched, converted and matched.
void BM_RankSearch(benchmark::State& state)
{
    if (!simulatedWeb().running()) {
        state.SkipWithError("simweb could not be started");
        return;
    }
    const auto list = keywords();
    zv::PageForm form;
    zv::PageMatcher tables;
    zv::PageMatcher entries;
    std::int64_t pages = 0;
    std::int64_t bytes = 0;
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        for (const zv::Text& keyword : list) {
            for (int p = 1; p <= kPages; ++p) {
                const zv::ByteBlock body = zv::httpRequest(zv::rankSearchAddress(keyword, p));
                bytes += static_cast<std::int64_t>(body.size());
                form.read(body);
                benchmark::DoNotOptimize(zv::siteRankEntries(form, kSite, tables, entries));
                ++pages;
            }
        }
    }
    state.counters["pages_per_second"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
    // CPU of this process (client side only: simweb runs in its own).
    state.counters["cpu_us_per_page"] = pages ? (processCpuSeconds() - cpuStart) * 1e6 / pages : 0;
    state.counters["page_bytes"] = benchmark::Counter(pages ? static_cast<double>(bytes) / pages : 0);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_RankSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline: the same pages fetched and nothing else done with them.
void BM_FetchOnly(benchmark::State& state)
{
    if (!simulatedWeb().running()) {
        state.SkipWithError("simweb could not be started");
        return;
    }
    const auto list = keywords();
    std::int64_t pages = 0;
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        for (const zv::Text& keyword : list) {
            for (int p = 1; p <= kPages; ++p) {
                benchmark::DoNotOptimize(zv::httpRequest(zv::rankSearchAddress(keyword, p)));
                ++pages;
            }
        }
    }
    state.counters["pages_per_second"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
    state.counters["cpu_us_per_page"] = pages ? (processCpuSeconds() - cpuStart) * 1e6 / pages : 0;
}
BENCHMARK(BM_FetchOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole search from the button's routine on a real window: 50 keyword
// rows, range "800", the rank column filled and today's row recorded.
// Arguments: the result list depth (0: no lists kept) and the pages per
// keyword.
void BM_RankSearchInWindow(benchmark::State& state)
{
    const int depth = static_cast<int>(state.range(0));
    const int pagesPerKeyword = static_cast<int>(state.range(1));
    if (!simulatedWeb().running()) {
        state.SkipWithError("simweb could not be started");
        return;
    }
    zv::bench::windowApplication("rank_search_bench");
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    qputenv("XDG_CACHE_HOME", data.path().toUtf8());
    zv::MainWindow window;
    window.setResultListDepth(depth);
    const zv::Text table = zv::siteTableName(kSite);
    window.store().executeSql(zv::createRankTableSql(table));
    window.store().executeSql(zv::createRankDateIndexSql(table));
    window.store().executeSql(zv::createOverviewTableSql(table));
    window.组合框_网站列表->setEditText(zv::toQString(kSite));
    zv::addKeywords(window, keywords());
    zv::loadKeywordList(window);
    window.组合框_搜索范围->setCurrentIndex(pagesPerKeyword - 1);
    if (window.keywordRowCount() != kKeywords) {
        state.SkipWithError("the keyword table was not filled");
        return;
    }
    std::int64_t pages = 0;
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        zv::queryKeywordRanks(window);
        pages += kKeywords * pagesPerKeyword;
    }
    if (window.statusText() != QStringLiteral("保存当天排名成功！"))
        state.SkipWithError("the search did not record its ranks");
    state.counters["pages_per_second"] = benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
    state.counters["cpu_us_per_page"] = pages ? (processCpuSeconds() - cpuStart) * 1e6 / pages : 0;
}
BENCHMARK(BM_RankSearchInWindow)
    ->ArgNames({"depth", "pages"})
    ->Args({0, 1})
    ->Args({20, 1})
    ->Args({0, kPages})
    ->Args({20, kPages})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The steps of one page on their own, over one page fetched once.
zv::ByteBlock samplePage()
{
    static const zv::ByteBlock page
        = simulatedWeb().running() ? zv::httpRequest(zv::rankSearchAddress(keywords().front(), 1)) : zv::ByteBlock();
    return page;
}

void BM_FetchPage(benchmark::State& state)
{
    if (!simulatedWeb().running()) {
        state.SkipWithError("simweb could not be started");
        return;
    }
    const zv::Text address = zv::rankSearchAddress(keywords().front(), 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(zv::httpRequest(address));
}
BENCHMARK(BM_FetchPage)->Unit(benchmark::kMicrosecond);

void BM_ConvertPage(benchmark::State& state)
{
    const zv::ByteBlock page = samplePage();
    for (auto _ : state)
        benchmark::DoNotOptimize(zv::utf8ToGbk(page));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ConvertPage)->Unit(benchmark::kMicrosecond);

void BM_MatchPage(benchmark::State& state)
{
    const zv::Text text = zv::utf8ToGbk(samplePage());
    zv::PatternMatcher tables;
    zv::PatternMatcher entries;
    for (auto _ : state)
        benchmark::DoNotOptimize(zv::siteRankEntries(text, kSite, tables, entries));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_MatchPage)->Unit(benchmark::kMicrosecond);

// What the rank search does with a page now: read into the form it keeps,
// then both patterns in place.
void BM_ReadPage(benchmark::State& state)
{
    const zv::ByteBlock page = samplePage();
    zv::PageForm form;
    zv::PageMatcher tables;
    zv::PageMatcher entries;
    for (auto _ : state) {
        form.read(page);
        benchmark::DoNotOptimize(zv::siteRankEntries(form, kSite, tables, entries));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ReadPage)->Unit(benchmark::kMicrosecond);

} // namespace
