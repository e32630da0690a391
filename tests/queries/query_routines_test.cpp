// The query routines on a real main window and database, against pages served
// on 127.0.0.1 (page_server.h): what the user sees, what is recorded, which
// addresses are fetched.

#include "app/main_window.h"
#include "page_server.h"
#include "queries/rank_search.h"
#include "queries/site_overview.h"
#include "readers/rank_page.h"
#include "app/keyword_registry.h"
#include "app/site_registry.h"
#include "store/schema.h"
#include "store/store.h"
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

Text g(std::string_view utf8)
{
    return utf8ToGbkString(utf8);
}

QString q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

std::string resultPage(const std::vector<std::pair<int, std::string>>& results)
{
    std::string page = "<html><body>\n";
    for (const auto& [position, address] : results) {
        page += "<table class=\"result\" id=\"" + std::to_string(position) + "\"><tr><td><h3>结果</h3>\n";
        page += "<span class=\"g\">" + address + " 2024-5-6 </span>\n</td></tr></table>\n";
    }
    return page + "</body></html>";
}

class QueryRoutines : public ::testing::Test
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

    // Every row of a per-site table: column texts by position.
    std::vector<std::vector<Text>> rows(const Text& table)
    {
        std::vector<std::vector<Text>> result;
        Store& store = window().store();
        EXPECT_TRUE(store.openRecordset("select * from " + table + " order by keydate", SqlText));
        for (int r = 0; r < store.recordCount(); ++r, store.moveNext()) {
            std::vector<Text> row;
            for (int c = 0; !store.fieldName(c).empty(); ++c) {
                Text value;
                store.readText(Field(c), value);
                row.push_back(value);
            }
            result.push_back(row);
        }
        return result;
    }

    std::vector<Text> todayRow(const Text& table)
    {
        Store& store = window().store();
        std::vector<Text> row;
        EXPECT_TRUE(store.openRecordset("select * from " + table + " where keydate=date()", SqlText));
        if (store.recordCount() != 1)
            return row;
        for (int c = 0; !store.fieldName(c).empty(); ++c) {
            Text value;
            store.readText(Field(c), value);
            row.push_back(value);
        }
        return row;
    }

    QTemporaryDir m_data;
    PageServer m_server;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(QueryRoutines, RankSearchShowsAndRecordsPositions)
{
    createSite({"alpha", "beta", g("中文")});
    ASSERT_EQ(window().keywordRowCount(), 3);
    m_server.setPage(rankAddress("alpha", 1),
                     resultPage({{1, "www.other.com/"}, {3, "www.example.com/"}, {17, "www.example.com/a.html"}}));
    m_server.setPage(rankAddress("beta", 1), resultPage({{5, "WWW.EXAMPLE.COM/"}, {9, "www.other.com/"}}));
    m_server.setPage(rankAddress("中文", 1), resultPage({{5, "www.example.com/news/"}}));

    queryKeywordRanks(window());

    EXPECT_EQ(rankShown(0), q("3. 17 "));
    EXPECT_EQ(rankShown(1), q("100名以后 :("));
    EXPECT_EQ(rankShown(2), q("5 "));
    EXPECT_EQ(window().statusText(), q("保存当天排名成功！"));
    EXPECT_FALSE(window().isBusy());
    // Range "100": one request per keyword, for offset 0.
    const std::vector<std::string> expected {rankAddress("alpha", 1), rankAddress("beta", 1), rankAddress("中文", 1)};
    EXPECT_EQ(m_server.requests(), expected);
    const auto row = todayRow(siteTableName(kSite));
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ((std::vector<Text> {row[2], row[3], row[4]}), (std::vector<Text> {"3", "0", "5"}));
}

TEST_F(QueryRoutines, WiderRangeAndTheSameDayAfterRestart)
{
    createSite({"alpha", "beta"});
    setRange(2); // "300"
    m_server.setPage(rankAddress("alpha", 1), resultPage({{1, "www.other.com/"}}));
    m_server.setPage(rankAddress("alpha", 2), resultPage({{150, "www.example.com/x"}}));
    m_server.setPage(rankAddress("alpha", 3), resultPage({{201, "www.example.com/"}}));
    for (int p = 1; p <= 3; ++p)
        m_server.setPage(rankAddress("beta", p), resultPage({{p * 100, "www.other.com/"}}));

    queryKeywordRanks(window());
    EXPECT_EQ(rankShown(0), q("150 201. "));
    EXPECT_EQ(rankShown(1), q("300名以后 :("));
    EXPECT_EQ(m_server.requests().size(), 6u);

    // Same day, program restarted: the recorded ranks, no request.
    restart();
    m_server.clearRequests();
    selectSite();
    loadKeywordList(window());
    showTodayRanks(window());
    EXPECT_EQ(rankShown(0), q("150"));
    EXPECT_EQ(rankShown(1), q("100名以后 :("));
    EXPECT_TRUE(m_server.requests().empty());
}

TEST_F(QueryRoutines, SecondSearchOfTheDayRewritesTodaysRowOnly)
{
    createSite({"alpha"});
    m_server.setPage(rankAddress("alpha", 1), resultPage({{7, "www.example.com/"}}));
    queryKeywordRanks(window());
    // A row of a later day stands last in the table (a clock set back).
    const Text table = siteTableName(kSite);
    ASSERT_TRUE(window().store().executeSql("insert into " + table + " (keydate, alpha) values ('2999-01-01', 42)"));

    m_server.setPage(rankAddress("alpha", 1), resultPage({{2, "www.example.com/b"}}));
    queryKeywordRanks(window());
    EXPECT_EQ(window().statusText(), q("保存当天排名成功！"));
    const auto all = rows(table);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0][2], "2");
    EXPECT_EQ(all[1][2], "42");
}

TEST_F(QueryRoutines, SiteWithoutKeywordsStillGetsTodaysRow)
{
    createSite({});
    queryKeywordRanks(window());
    EXPECT_EQ(window().statusText(), q("保存当天排名成功！"));
    EXPECT_EQ(todayRow(siteTableName(kSite)).size(), 2u);
    EXPECT_TRUE(m_server.requests().empty());
}

TEST_F(QueryRoutines, FailedFetchIsNotRecordedAsNotRanked)
{
    createSite({"alpha", "beta", "gamma"});
    setRange(1);
    m_server.setPage(rankAddress("alpha", 1), resultPage({{4, "www.example.com/"}}));
    m_server.setPage(rankAddress("alpha", 2), resultPage({}));
    m_server.setPage(rankAddress("beta", 1), resultPage({{8, "www.example.com/"}}));
    m_server.setPage(rankAddress("beta", 2), resultPage({}));
    m_server.setPage(rankAddress("gamma", 1), resultPage({}));
    m_server.setPage(rankAddress("gamma", 2), resultPage({{150, "www.example.com/"}}));
    queryKeywordRanks(window());
    ASSERT_EQ(todayRow(siteTableName(kSite))[3], "8");

    // beta's first page now fails, gamma's second: neither value is touched,
    // and the status says how many keywords could not be searched.
    m_server.removePage(rankAddress("beta", 1));
    m_server.removePage(rankAddress("gamma", 2));
    m_server.setPage(rankAddress("alpha", 1), resultPage({{6, "www.example.com/"}}));
    m_server.clearRequests();
    queryKeywordRanks(window());
    EXPECT_EQ(rankShown(0), q("6. "));
    EXPECT_EQ(rankShown(1), q("查询失败"));
    EXPECT_EQ(rankShown(2), q("查询失败"));
    EXPECT_EQ(window().statusText(), q("搜索完毕，2个关键词查询失败！"));
    // A failed page does not cut the keyword's search short: every page of
    // every keyword is still asked for, in order.
    std::vector<std::string> expected;
    for (const char* keyword : {"alpha", "beta", "gamma"}) {
        for (int p = 1; p <= 2; ++p)
            expected.push_back(rankAddress(keyword, p));
    }
    EXPECT_EQ(m_server.requests(), expected);
    const auto row = todayRow(siteTableName(kSite));
    EXPECT_EQ((std::vector<Text> {row[2], row[3], row[4]}), (std::vector<Text> {"6", "8", "150"}));
}

TEST_F(QueryRoutines, ClosingTheWindowStopsTheSearchWithoutRecording)
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

TEST_F(QueryRoutines, OverviewShownRecordedAndReloaded)
{
    createSite({});
    const std::string search = "http://www.baidu.com/s?wd=";
    m_server.setPage(search + "http://www.example.com",
                     "<table id=\"1\"><span class=\"g\"><b>www.example.com</b>/ 2024-5-6</span></table>");
    m_server.setPage(search + "site%3Awww.example.com", "百度为您找到相关结果数1,234个");
    m_server.setPage(search + "domain%3Awww.example.com", "<span class=\"nums\">百度为您找到相关结果约5,000个</span>");
    m_server.setPage(search + "site%3Awww.example.com&lm=1", "找到相关结果数约3个");
    m_server.setPage(search + "site%3Awww.example.com&lm=7", "找到相关结果数12个");
    // The month page fails: a partial failure is recorded as the page gave it.

    ASSERT_TRUE(loadTodayOverview(window()));
    EXPECT_TRUE(querySiteOverview(window()));
    EXPECT_EQ(m_server.requests().size(), 6u);
    EXPECT_EQ(window().标签_百度快照->text(), q(" 2024-5-6"));
    EXPECT_EQ(window().标签_总收录->text(), q("1,234"));
    EXPECT_EQ(window().标签_百度反链->text(), q("5,000"));
    EXPECT_EQ(window().标签_今日收录->text(), q("约3"));
    EXPECT_EQ(window().标签_最近一月收录->text(), q(""));
    saveTodayOverview(window());
    EXPECT_EQ(window().statusText(), q("保存当天网站综合信息成功！"));

    restart();
    m_server.clearRequests();
    selectSite();
    EXPECT_FALSE(loadTodayOverview(window()));
    EXPECT_TRUE(m_server.requests().empty());
    EXPECT_EQ(window().标签_百度快照->text(), q(" 2024-5-6"));
    EXPECT_EQ(window().标签_总收录->text(), q("1234"));
    EXPECT_EQ(window().标签_百度反链->text(), q("5000"));
    EXPECT_EQ(window().标签_今日收录->text(), q("0"));
    EXPECT_EQ(window().标签_最近一周收录->text(), q("12"));
    EXPECT_EQ(window().标签_最近一月收录->text(), q("0"));
}

TEST_F(QueryRoutines, OverviewRecordedTwiceKeepsOneRowForToday)
{
    createSite({});
    const Text table = siteTableName(kSite) + "_xx";
    ASSERT_TRUE(
        window().store().executeSql("insert into " + table + " (keydate, baidushoulu) values ('2999-01-01', 9)"));
    window().标签_百度快照->setText(q("快照快照快照快照快照快照快照快照快照快照快照"));
    window().标签_总收录->setText(q("10"));
    saveTodayOverview(window());
    window().标签_总收录->setText(q("20"));
    saveTodayOverview(window());
    EXPECT_EQ(window().statusText(), q("保存当天网站综合信息成功！"));
    const auto all = rows(table);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0][1], g("快照快照快照快照快照快照快照快照快照快照")); // 20 characters kept
    EXPECT_EQ(all[0][2], "20");
    EXPECT_EQ(all[1][2], "9");
}

TEST_F(QueryRoutines, OverviewWithEveryFetchFailedIsNotRecorded)
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
