// The window-side figures, each beside a baseline from the same run:
// start-up to a shown main window over a registry of 100 sites (baseline: an
// empty registry), selecting a site with 500 keywords and a year of history
// whose figures are all recorded today, so that no request is made
// (baseline: a site without keywords or history), and drawing one keyword's
// rank curve page from a year of history (baseline: the drawing alone, with
// the 30 values at hand).

#include "app/main_window.h"
#include "app/site_registry.h"
#include "bench/window_application.h"
#include "charts/drawing_surface.h"
#include "charts/rank_curve_renderer.h"
#include "charts/rank_curve_window.h"
#include "imaging/bmp.h"
#include "imaging/fitting.h"
#include "queries/keyword_index.h"
#include "readers/hex_text.h"
#include "store/schema.h"
#include "store/store.h"
#include "view/qt_text.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSites = 100;
constexpr int kKeywords = 500;
constexpr int kHistoryDays = 365;
const zv::Text kBigSite = "www.site0.com";
const zv::Text kEmptySite = "www.site1.com";

zv::Text keyword(int i)
{
    return zv::utf8ToGbkString("优化词" + std::to_string(i));
}

std::string isoDay(int daysAgo)
{
    return QDate::currentDate().addDays(-daysAgo).toString(QStringLiteral("yyyy-MM-dd")).toStdString();
}

void registerSite(zv::Store& store, const zv::Text& address)
{
    const zv::Text table = zv::siteTableName(address);
    store.executeSql(zv::createRankTableSql(table));
    store.executeSql(zv::createRankDateIndexSql(table));
    store.executeSql(zv::createOverviewTableSql(table));
    store.openRecordset(zv::siteRegistryTable(), zv::TableName);
    store.addNew();
    store.writeText(0, table);
    store.update();
}

// A data folder whose database registers `sites` sites; with history, the
// first one has 500 keywords, a year of daily rows in both of its tables
// (today's included) and a stored index picture per keyword.
struct DataFolder
{
    QTemporaryDir dir;

    DataFolder(int sites, bool history)
    {
        const std::string file = dir.path().toStdString() + "/zeravudez/web.db";
        zv::Store::createDatabaseFile(file);
        zv::Store store;
        store.connectAccess(file);
        store.bindConnection();
        store.executeSql(zv::createSiteRegistrySql());
        store.executeSql(zv::createKeywordIndexTableSql());
        for (int s = 0; s < sites; ++s)
            registerSite(store, "www.site" + std::to_string(s) + ".com");
        if (!history)
            return;
        // The small site's figures are recorded today as well.
        const zv::Text small = zv::siteTableName(kEmptySite);
        for (const zv::Text& todayTable : {small, zv::overviewTableName(small)}) {
            store.openRecordset(todayTable, zv::TableName);
            store.addNew();
            store.update();
        }
        const zv::Text table = zv::siteTableName(kBigSite);
        for (int k = 0; k < kKeywords; ++k)
            store.openRecordset(zv::addKeywordColumnSql(table, keyword(k)), zv::SqlText);
        // Rows are added through the table opened once, so the year costs one
        // statement per row.
        store.openRecordset(table, zv::TableName);
        for (int day = kHistoryDays - 1; day >= 0; --day) {
            store.addNew();
            store.writeText(1, isoDay(day));
            for (int k = 0; k < kKeywords; ++k)
                store.writeInteger(k + 2, (day * 7 + k) % 120);
            store.update();
        }
        store.openRecordset(zv::overviewTableName(table), zv::TableName);
        for (int day = kHistoryDays - 1; day >= 0; --day) {
            store.addNew();
            store.writeText(0, isoDay(day));
            store.writeText(1, isoDay(day + 1));
            for (int c = 2; c <= 6; ++c)
                store.writeInteger(c, day * 10 + c);
            store.update();
        }
        store.openRecordset("web_baiduzhishu", zv::TableName);
        for (int k = 0; k < kKeywords; ++k) {
            zv::Picture picture = zv::solidPicture(80, 16, 255, 255, 255);
            for (int x = 0; x < 40; ++x)
                picture.pixel(x, k % 16)[1] = static_cast<std::uint8_t>(k % 200);
            store.addNew();
            store.writeText(0, keyword(k));
            store.writeText(1, zv::bytesToHex(zv::encodeBmp24(picture)));
            store.update();
        }
    }

    void use() const
    {
        qputenv("XDG_DATA_HOME", dir.path().toUtf8());
        qputenv("XDG_CACHE_HOME", dir.path().toUtf8());
    }
};

QApplication& application()
{
    // Nothing may reach the network: a request meets a closed loopback port.
    qputenv("ZERAVUDEZ_PROXY", "127.0.0.1:9");
    return zv::bench::windowApplication("window_bench");
}

const DataFolder& folderWithSites(int sites)
{
    static const DataFolder full(kSites, true);
    static const DataFolder empty(0, false);
    return sites == 0 ? empty : full;
}

void BM_StartUpToShownWindow(benchmark::State& state)
{
    application();
    const int sites = static_cast<int>(state.range(0));
    folderWithSites(sites).use();
    for (auto _ : state) {
        auto window = std::make_unique<zv::MainWindow>();
        window->show();
        while (!window->windowHandle() || !window->windowHandle()->isExposed())
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        if (window->组合框_网站列表->count() != sites) {
            state.SkipWithError("the site list was not filled");
            break;
        }
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToShownWindow)->Arg(0)->Arg(kSites)->Unit(benchmark::kMillisecond);

// Selecting the site as the user does; argument 1: the site with 500
// keywords and a year of history, 0: a site without either.
void BM_SelectSite(benchmark::State& state)
{
    application();
    folderWithSites(kSites).use();
    zv::MainWindow window;
    const bool big = state.range(0) == 1;
    window.组合框_网站列表->setEditText(zv::toQString(big ? kBigSite : kEmptySite));
    for (auto _ : state) {
        zv::onSiteSelected(window);
        if (window.keywordRowCount() != (big ? kKeywords : 0)) {
            state.SkipWithError("the keyword table was not filled");
            break;
        }
    }
    state.counters["keywords"] = window.keywordRowCount();
}
BENCHMARK(BM_SelectSite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One page of a keyword's rank curve read from a year of history and drawn.
void BM_RankCurveDraw(benchmark::State& state)
{
    application();
    folderWithSites(kSites).use();
    zv::MainWindow window;
    window.组合框_网站列表->setEditText(zv::toQString(kBigSite));
    zv::rankCurveSelection().curveKeyword = keyword(kKeywords / 2);
    zv::rankCurveSelection().rankPage = 0;
    zv::RankCurveWindow curve(window);
    for (auto _ : state) {
        if (!curve.drawRankCurve()) {
            state.SkipWithError("the curve was not drawn");
            break;
        }
    }
}
BENCHMARK(BM_RankCurveDraw)->Unit(benchmark::kMillisecond);

// The baseline: the frame and the curve of the same 30 values drawn on the
// same surface, without reading them from the store.
void BM_RankCurveRenderOnly(benchmark::State& state)
{
    application();
    zv::DrawingSurface surface;
    surface.resize(1056, 448);
    std::vector<QString> labels;
    std::vector<int> values;
    for (int i = 0; i < 30; ++i) {
        labels.push_back(QString::number(i + 1));
        values.push_back((i * 7) % 120);
    }
    for (auto _ : state)
        zv::renderRankCurve(surface, 30, labels, values);
}
BENCHMARK(BM_RankCurveRenderOnly)->Unit(benchmark::kMillisecond);

} // namespace
