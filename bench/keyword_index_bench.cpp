// Loading the stored index pictures of a site with 500 keywords, as selecting
// the site does: one statement per keyword, the hex text decoded and the
// picture shown in the keyword table. No request is made.

#include "app/keyword_registry.h"
#include "app/main_window.h"
#include "bench/window_application.h"
#include "imaging/bmp.h"
#include "imaging/fitting.h"
#include "queries/keyword_index.h"
#include "readers/hex_text.h"
#include "store/schema.h"
#include "store/store.h"
#include "view/qt_text.h"

#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kKeywords = 500;
const zv::Text kSite = "www.example.com";

struct LoadedSite
{
    QTemporaryDir data;
    std::unique_ptr<zv::MainWindow> window;

    LoadedSite()
    {
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        qputenv("XDG_CACHE_HOME", data.path().toUtf8());
        window = std::make_unique<zv::MainWindow>();
        zv::Store& store = window->store();
        const zv::Text table = zv::siteTableName(kSite);
        store.executeSql(zv::createRankTableSql(table));
        store.executeSql(zv::createRankDateIndexSql(table));
        store.executeSql(zv::createOverviewTableSql(table));
        window->组合框_网站列表->setEditText(zv::toQString(kSite));
        std::vector<zv::Text> keywords;
        for (int i = 0; i < kKeywords; ++i)
            keywords.push_back("keyword" + std::to_string(i));
        zv::addKeywords(*window, keywords);
        zv::loadKeywordList(*window);
        // Every keyword has a stored picture, each slightly different.
        for (int i = 0; i < kKeywords; ++i) {
            zv::Picture picture = zv::solidPicture(80, 16, 255, 255, 255);
            for (int x = 0; x < 40; ++x)
                picture.pixel(x, i % 16)[1] = static_cast<std::uint8_t>(i % 200);
            const zv::Text hex = zv::bytesToHex(zv::encodeBmp24(picture));
            store.executeSql("insert into web_baiduzhishu (keywords, baiduzhishu) values ('" + keywords[i] + "', '"
                             + hex + "')");
        }
    }
};

void BM_LoadKeywordIndexes500(benchmark::State& state)
{
    zv::bench::windowApplication("keyword_index_bench");
    LoadedSite site;
    if (site.window->keywordRowCount() != kKeywords) {
        state.SkipWithError("the keyword table was not filled");
        return;
    }
    for (auto _ : state)
        zv::loadKeywordIndexes(*site.window);
    state.SetItemsProcessed(state.iterations() * kKeywords);
}
BENCHMARK(BM_LoadKeywordIndexes500)->Unit(benchmark::kMillisecond);

} // namespace
