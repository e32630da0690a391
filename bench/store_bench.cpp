// The store on a site recorded for ten years: a rank table of 3,650 daily
// rows and 200 keyword columns, read the ways the keyword table and the rank
// curve read it.
#include "store/schema.h"
#include "store/store.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

constexpr int kDays = 3650;
constexpr int kKeywords = 200;
const zv::Text kTable = "www_example_com";

std::string keywordName(int k)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "k%03d", k);
    return buf;
}

// The local date daysAgo days before today (by calendar, not by 86,400 s).
std::string dayText(int daysAgo, bool padded)
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    local.tm_hour = 12;
    local.tm_mday -= daysAgo;
    std::mktime(&local);
    char buf[16];
    std::snprintf(buf, sizeof buf, padded ? "%04d-%02d-%02d" : "%d-%d-%d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return buf;
}

// Builds the database once per run: the schema through the store, the rows
// in one transaction directly (a row per transaction would only measure the
// disk).
struct RankDatabase
{
    std::filesystem::path folder;
    std::string path;
    zv::Store store;

    RankDatabase()
    {
        char pattern[] = "/tmp/zv_store_bench_XXXXXX";
        folder = mkdtemp(pattern);
        path = (folder / "web.db").string();
        zv::Store::createDatabaseFile(path);
        store.connectAccess(path);
        store.executeSql(zv::createRankTableSql(kTable));
        store.executeSql(zv::createRankDateIndexSql(kTable));
        store.bindConnection();
        for (int k = 1; k <= kKeywords; ++k) {
            store.openRecordset(zv::addKeywordColumnSql(kTable, keywordName(k)), 1);
        }
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        std::string columns = "keydate";
        std::string params = "?1";
        for (int k = 1; k <= kKeywords; ++k) {
            columns += ",\"" + keywordName(k) + "\"";
            params += ",?" + std::to_string(k + 1);
        }
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, ("INSERT INTO " + kTable + " (" + columns + ") VALUES (" + params + ")").c_str(), -1,
                           &insert, nullptr);
        for (int day = 0; day < kDays; ++day) {
            const std::string key = dayText(day, true);
            sqlite3_bind_text(insert, 1, key.c_str(), -1, SQLITE_TRANSIENT);
            for (int k = 1; k <= kKeywords; ++k) {
                sqlite3_bind_int(insert, k + 1, (day * 7 + k * 13) % 801);
            }
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }

    ~RankDatabase()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

RankDatabase& database()
{
    static RankDatabase db;
    return db;
}

void BM_OpenWholeRankTable(benchmark::State& state)
{
    zv::Store& store = database().store;
    for (auto _ : state) {
        store.openRecordset(zv::selectRankTableSql(kTable), 1);
        benchmark::DoNotOptimize(store.recordCount());
    }
    if (store.recordCount() != kDays) {
        state.SkipWithError("rows missing");
    }
}
BENCHMARK(BM_OpenWholeRankTable)->Unit(benchmark::kMillisecond);

void BM_OpenAndReadEveryCell(benchmark::State& state)
{
    zv::Store& store = database().store;
    long long sum = 0;
    for (auto _ : state) {
        store.openRecordset(zv::selectRankTableSql(kTable), 1);
        for (int row = store.recordCount(); row > 0; --row) {
            for (int field = 2; field < 2 + kKeywords; ++field) {
                int value = 0;
                store.readInteger(field, value);
                sum += value;
            }
            store.moveNext();
        }
    }
    benchmark::DoNotOptimize(sum);
    state.counters["cells"]
        = benchmark::Counter(static_cast<double>(kDays) * kKeywords * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OpenAndReadEveryCell)->Unit(benchmark::kMillisecond);

void BM_ReadEveryCellByName(benchmark::State& state)
{
    zv::Store& store = database().store;
    std::vector<zv::Field> fields;
    for (int k = 1; k <= kKeywords; ++k) {
        fields.emplace_back(keywordName(k));
    }
    long long sum = 0;
    for (auto _ : state) {
        store.openRecordset(zv::selectRankTableSql(kTable), 1);
        for (int row = store.recordCount(); row > 0; --row) {
            for (const zv::Field& field : fields) {
                int value = 0;
                store.readInteger(field, value);
                sum += value;
            }
            store.moveNext();
        }
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ReadEveryCellByName)->Unit(benchmark::kMillisecond);

// One page of the rank curve: 30 day look-ups by "like", one keyword read each.
// Argument 1: zero-padded day keys, 0: keys without padding.
void BM_ThirtyDayLookupsByLike(benchmark::State& state)
{
    zv::Store& store = database().store;
    const bool padded = state.range(0) == 1;
    std::vector<zv::Text> queries;
    for (int day = 0; day < 30; ++day) {
        queries.push_back("select * from " + kTable + " where keydate like '" + dayText(day + 400, padded) + "'");
    }
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (const zv::Text& query : queries) {
            store.openRecordset(query, 1);
            int value = 0;
            if (store.recordCount() == 1 && store.readInteger("k100", value)) {
                ++found;
            }
        }
    }
    if (found != 30) {
        state.SkipWithError("a day was not found");
    }
}
BENCHMARK(BM_ThirtyDayLookupsByLike)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_MaxOfKeyword(benchmark::State& state)
{
    zv::Store& store = database().store;
    int best = 0;
    for (auto _ : state) {
        store.openRecordset("select max([k100]) as themax from " + kTable, 1);
        store.readInteger("themax", best);
    }
    benchmark::DoNotOptimize(best);
}
BENCHMARK(BM_MaxOfKeyword)->Unit(benchmark::kMicrosecond);

} // namespace
