// Result lists: what keeping each day's first results costs. The reading of
// a result page for the site's positions alone against the same reading that
// also keeps the first 20 entries and the site's own; the storing of one
// keyword's list; a site-year (50 keywords x 365 days at depth 20) of lists
// written to a database file, its size, and the time the window takes to
// read one day's list against the day before. Pages and lists come from the
// simulated web's generator, so hosts drift from day to day as they do there.

#include "readers/engine_profile.h"
#include "readers/rank_page.h"
#include "readers/result_entries.h"
#include "store/result_lists.h"
#include "store/store.h"
#include "tools/simweb/pages.h"
#include "tools/simweb/world.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kKeywords = 50;
constexpr int kDays = 365;
constexpr int kDepth = 20;
const zv::Text kSite = "www.example.com";
const zv::Text kTable = "www_example_com";

const zv::simweb::World& world()
{
    static std::unique_ptr<zv::simweb::World> w = [] {
        std::string error;
        return zv::simweb::World::fromScenarioText(R"({"date": "2025-01-01", "sites": {"www.example.com": {}}})", ".",
                                                   error);
    }();
    return *w;
}

double processCpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string keywordUtf8(int k)
{
    return "网站优化" + std::to_string(k);
}

// The first result page (100 results) of every keyword on the scenario's day.
const std::vector<zv::ByteBlock>& pages()
{
    static const std::vector<zv::ByteBlock> all = [] {
        std::vector<zv::ByteBlock> out;
        for (int k = 1; k <= kKeywords; ++k)
            out.push_back(zv::simweb::rankPage(world(), keywordUtf8(k), 0, 100, world().day()));
        return out;
    }();
    return all;
}

void readPages(benchmark::State& state, bool keep)
{
    const zv::EngineProfile& engine = zv::builtinEngineProfile();
    zv::PageForm form;
    zv::PageMatcher tables;
    zv::PageMatcher entries;
    std::int64_t read = 0;
    for (auto _ : state) {
        for (const zv::ByteBlock& page : pages()) {
            form.read(page);
            const zv::Text found = zv::siteRankEntries(engine, form, kSite, tables, entries);
            if (keep)
                benchmark::DoNotOptimize(zv::resultEntries(engine, form, kSite, found, tables, entries, kDepth));
            benchmark::DoNotOptimize(found);
            ++read;
        }
    }
    state.counters["pages"] = benchmark::Counter(static_cast<double>(read), benchmark::Counter::kIsRate);
}

void BM_ReadPageRanksOnly(benchmark::State& state)
{
    readPages(state, false);
}
BENCHMARK(BM_ReadPageRanksOnly)->Unit(benchmark::kMillisecond);

void BM_ReadPageKeepingEntries(benchmark::State& state)
{
    readPages(state, true);
}
BENCHMARK(BM_ReadPageKeepingEntries)->Unit(benchmark::kMillisecond);

// The kept list of keyword k on day: the first kDepth results.
std::vector<zv::KeptEntry> listOf(int k, zv::simweb::Day day)
{
    std::vector<zv::KeptEntry> list;
    for (const zv::simweb::ResultItem& item : zv::simweb::resultItems(world(), keywordUtf8(k), 1, kDepth, day)) {
        const zv::Text address = zv::utf8ToGbkString(item.host + item.path);
        list.push_back({item.position, address, zv::addressHost(address), item.host == kSite});
    }
    return list;
}

std::string dayText(zv::simweb::Day day)
{
    return zv::simweb::isoDayText(day);
}

struct YearFile
{
    std::filesystem::path path;
    std::uintmax_t emptyBytes = 0;
    std::uintmax_t yearBytes = 0;
    double fillSeconds = 0;
    double storeCpuSeconds = 0;
};

// The database file with a site-year of lists, made once for the run.
const YearFile& yearFile()
{
    static const YearFile file = [] {
        YearFile f;
        f.path = std::filesystem::temp_directory_path() / ("zv_result_list_bench_" + std::to_string(getpid()) + ".db");
        std::filesystem::remove(f.path);
        zv::Store::createDatabaseFile(f.path.string());
        zv::Store store;
        store.connectAccess(f.path.string());
        f.emptyBytes = std::filesystem::file_size(f.path);
        const zv::simweb::Day first = world().day() - kDays;
        const auto start = std::chrono::steady_clock::now();
        // One day's search stores its lists in one transaction, as the rank
        // search does.
        for (int d = 0; d < kDays; ++d) {
            std::vector<zv::resultLists::KeywordList> lists;
            for (int k = 1; k <= kKeywords; ++k)
                lists.push_back({zv::utf8ToGbkString(keywordUtf8(k)), listOf(k, first + d)});
            const double cpuStart = processCpuSeconds();
            zv::resultLists::recordDay(store, kTable, dayText(first + d), lists);
            f.storeCpuSeconds += processCpuSeconds() - cpuStart;
        }
        f.fillSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        f.yearBytes = std::filesystem::file_size(f.path);
        return f;
    }();
    return file;
}

void BM_SiteYearOfLists(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(yearFile());
    const YearFile& f = yearFile();
    state.counters["MB_per_site_year"] = static_cast<double>(f.yearBytes - f.emptyBytes) / 1e6;
    state.counters["bytes_per_entry"]
        = static_cast<double>(f.yearBytes - f.emptyBytes) / (static_cast<double>(kKeywords) * kDays * kDepth);
    state.counters["ms_per_list_stored"] = f.fillSeconds * 1e3 / (kKeywords * kDays);
    state.counters["cpu_us_per_list_stored"] = f.storeCpuSeconds * 1e6 / (kKeywords * kDays);
}
BENCHMARK(BM_SiteYearOfLists)->Iterations(1)->Unit(benchmark::kSecond);

// What the window does to show a day: the recorded days for the picker, then
// the day's list against the day before.
void BM_OpenOneDaysList(benchmark::State& state)
{
    zv::Store store;
    store.connectAccess(yearFile().path.string());
    const zv::Text keyword = zv::utf8ToGbkString(keywordUtf8(25));
    const zv::Text day = dayText(world().day() - kDays / 2);
    std::size_t listed = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zv::resultLists::days(store, kTable, keyword));
        listed = zv::resultLists::compared(store, kTable, keyword, day).entries.size();
    }
    state.counters["entries"] = static_cast<double>(listed);
}
BENCHMARK(BM_OpenOneDaysList)->Unit(benchmark::kMillisecond);

} // namespace
