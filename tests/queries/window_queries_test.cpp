// The query routines where the window itself takes part, against pages
// served on 127.0.0.1 (page_server.h): closing it mid-search, and selecting a
// site through the registry's sequence.

#include "app/keyword_registry.h"
#include "app/main_window.h"
#include "app/site_registry.h"
#include "page_server.h"
#include "queries/rank_search.h"
#include "queries/site_overview.h"
#include "readers/rank_page.h"
#include "result_pages.h"
#include "store/schema.h"
#include "store/store.h"
#include "table_rows.h"
#include "view/keyword_column.h"
#include "view/message_box.h"
#include "view/qt_text.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace zv {
namespace {

const Text kSite = "www.example.com";

using test::g;
using test::q;
using test::resultPage;

class WindowQueries : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_data.isValid());
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
        qputenv("XDG_CACHE_HOME", m_data.path().toUtf8());
        qputenv("ZERAVUDEZ_PROXY", QByteArray::fromStdString(m_server.proxy()));
        setScriptedMessageBoxes(true);
        clearShownMessages();
        restart();
    }

    // A fresh window over the same database, as after restarting the program.
    void restart()
    {
        m_window.reset();
        m_window = std::make_unique<MainWindow>();
        ASSERT_TRUE(m_window->databaseOpen());
    }

    MainWindow& window() { return *m_window; }

    // Registers kSite with its two tables and the given keywords, and makes it
    // the current site with its keyword table loaded.
    void createSite(const std::vector<Text>& keywords)
    {
        Store& store = window().store();
        const Text table = siteTableName(kSite);
        ASSERT_TRUE(store.executeSql(createRankTableSql(table)));
        ASSERT_TRUE(store.executeSql(createRankDateIndexSql(table)));
        ASSERT_TRUE(store.executeSql(createOverviewTableSql(table)));
        selectSite();
        addKeywords(window(), keywords);
        loadKeywordList(window());
    }

    void selectSite() { window().组合框_网站列表->setEditText(toQString(kSite)); }

    void setRange(int index) { window().组合框_搜索范围->setCurrentIndex(index); }

    std::string rankAddress(const char* keywordUtf8, int page) { return rankSearchAddress(g(keywordUtf8), page); }

    QString rankShown(int row) { return window().cellText(row, KeywordColumn::Rank); }

    std::vector<test::TableRow> rows(const Text& table) { return test::tableRows(window().store(), table); }
    test::TableRow todayRow(const Text& table) { return test::todayTableRow(window().store(), table); }

    QTemporaryDir m_data;
    PageServer m_server;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(WindowQueries, ClosingTheWindowStopsTheSearchWithoutRecording)
{
    createSite({"alpha", "beta"});
    m_server.setPage(rankAddress("alpha", 1), resultPage({{1, "www.example.com/"}}));
    m_server.setPage(rankAddress("beta", 1), resultPage({{2, "www.example.com/"}}));
    // The close arrives while the first keyword's address is being built: the
    // request is abandoned before it goes out, and nothing more is asked.
    QTimer::singleShot(0, &window(), [this] { window().close(); });
    window().runOperation(queryKeywordRanks);
    EXPECT_TRUE(window().isClosing());
    EXPECT_EQ(m_server.requests().size(), 0u);
    EXPECT_TRUE(todayRow(siteTableName(kSite)).empty());
}

TEST_F(WindowQueries, OverviewWithEveryFetchFailedIsNotRecorded)
{
    createSite({});
    EXPECT_FALSE(querySiteOverview(window()));
    EXPECT_EQ(window().statusText(), q("网站综合信息查询失败！"));
    EXPECT_EQ(window().标签_百度快照->text(), q("无"));
    EXPECT_EQ(m_server.requests().size(), 6u);

    // Selecting the site records no overview row, so the next selection asks
    // the engine again.
    const Text table = siteTableName(kSite) + "_xx";
    for (int selection = 1; selection <= 2; ++selection) {
        m_server.clearRequests();
        onSiteSelected(window());
        EXPECT_EQ(m_server.requests().size(), 6u);
        EXPECT_TRUE(rows(table).empty());
    }
}

} // namespace
} // namespace zv
