// The query routines on a query view without any window (fake_query_view.h)
// and a real database, against pages served on 127.0.0.1 (page_server.h): what
// the user sees, what is recorded, which addresses are fetched. No
// QApplication exists in this program.

#include "fake_query_view.h"
#include "page_server.h"
#include "queries/home_page_import.h"
#include "queries/query_support.h"
#include "queries/rank_search.h"
#include "queries/site_overview.h"
#include "readers/engine_profile.h"
#include "readers/rank_page.h"
#include "result_pages.h"
#include "store/schema.h"
#include "store/store.h"
#include "table_rows.h"
#include "view/qt_text.h"
#include "web/pattern_matcher.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

namespace zv {
namespace {

using test::FakeQueryView;

const Text kSite = "www.example.com";

using test::g;
using test::listResultPage;
using test::q;
using test::resultPage;

// The second engine's profile, with "from" replaced by "to" when given.
EngineProfile exampleEngine(const std::string& from = {}, const std::string& to = {})
{
    std::ifstream in(std::string(ZV_SOURCE_DIR) + "/tests/engines/example.json", std::ios::binary);
    std::string json {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!from.empty())
        json.replace(json.find(from), from.size(), to);
    EngineProfileLoad load = parseEngineProfile(json);
    EXPECT_TRUE(load.profile) << load.problem.text();
    return load.profile.value_or(builtinEngineProfile());
}

class QueryRoutines : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(QCoreApplication::instance(), nullptr);
        ASSERT_TRUE(m_data.isValid());
        qputenv("XDG_CACHE_HOME", m_data.path().toUtf8());
        qputenv("ZERAVUDEZ_PROXY", QByteArray::fromStdString(m_server.proxy()));
        restart();
    }

    // A fresh view over the same database, as after restarting the program;
    // the site and its keyword rows are shown again.
    void restart()
    {
        m_view.reset();
        m_view = std::make_unique<FakeQueryView>(m_data.filePath(QStringLiteral("web.db")).toStdString());
        ASSERT_TRUE(m_view->opened);
        m_view->site = m_site;
        m_view->showKeywords(m_keywords);
    }

    FakeQueryView& view() { return *m_view; }

    // Registers kSite's two tables with the given keyword columns, and shows
    // it as the current site with one row per keyword.
    void createSite(const std::vector<const char*>& keywords)
    {
        Store& store = view().store();
        const Text table = siteTableName(kSite);
        ASSERT_TRUE(store.executeSql(createRankTableSql(table)));
        ASSERT_TRUE(store.executeSql(createRankDateIndexSql(table)));
        ASSERT_TRUE(store.executeSql(createOverviewTableSql(table)));
        m_keywords.clear();
        for (const char* keyword : keywords) {
            ASSERT_TRUE(store.openRecordset(addKeywordColumnSql(table, g(keyword)), SqlText));
            m_keywords.push_back(q(keyword));
        }
        m_site = toQString(kSite);
        view().site = m_site;
        view().showKeywords(m_keywords);
    }

    void setRange(int index) { view().rangeIndex = index; }

    void expectSecurityCheckStopsTheSearch(bool redirect);

    std::string rankAddress(const char* keywordUtf8, int page) { return rankSearchAddress(g(keywordUtf8), page); }

    QString rankShown(int row) { return view().cellText(row, KeywordColumn::Rank); }

    std::vector<test::TableRow> rows(const Text& table) { return test::tableRows(view().store(), table); }
    test::TableRow todayRow(const Text& table) { return test::todayTableRow(view().store(), table); }

    QTemporaryDir m_data;
    PageServer m_server;
    QString m_site;
    std::vector<QString> m_keywords;
    std::unique_ptr<FakeQueryView> m_view;
};

TEST_F(QueryRoutines, RankSearchShowsAndRecordsPositions)
{
    createSite({"alpha", "beta", "中文"});
    ASSERT_EQ(view().keywordRowCount(), 3);
    m_server.setPage(rankAddress("alpha", 1),
                     resultPage({{1, "www.other.com/"}, {3, "www.example.com/"}, {17, "www.example.com/a.html"}}));
    m_server.setPage(rankAddress("beta", 1), resultPage({{5, "WWW.EXAMPLE.COM/"}, {9, "www.other.com/"}}));
    m_server.setPage(rankAddress("中文", 1), resultPage({{5, "www.example.com/news/"}}));

    queryKeywordRanks(view());

    EXPECT_EQ(rankShown(0), q("3. 17 "));
    EXPECT_EQ(rankShown(1), q("100名以后 :("));
    EXPECT_EQ(rankShown(2), q("5 "));
    EXPECT_EQ(view().statusText(), q("保存当天排名成功！"));
    EXPECT_FALSE(view().busy);
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

    queryKeywordRanks(view());
    EXPECT_EQ(rankShown(0), q("150 201. "));
    EXPECT_EQ(rankShown(1), q("300名以后 :("));
    EXPECT_EQ(m_server.requests().size(), 6u);

    // Same day, program restarted: the recorded ranks, no request.
    restart();
    m_server.clearRequests();
    showTodayRanks(view());
    EXPECT_EQ(rankShown(0), q("150"));
    EXPECT_EQ(rankShown(1), q("100名以后 :("));
    EXPECT_TRUE(m_server.requests().empty());
}

TEST_F(QueryRoutines, SecondSearchOfTheDayRewritesTodaysRowOnly)
{
    createSite({"alpha"});
    m_server.setPage(rankAddress("alpha", 1), resultPage({{7, "www.example.com/"}}));
    queryKeywordRanks(view());
    // A row of a later day stands last in the table (a clock set back).
    const Text table = siteTableName(kSite);
    ASSERT_TRUE(view().store().executeSql("insert into " + table + " (keydate, alpha) values ('2999-01-01', 42)"));

    m_server.setPage(rankAddress("alpha", 1), resultPage({{2, "www.example.com/b"}}));
    queryKeywordRanks(view());
    EXPECT_EQ(view().statusText(), q("保存当天排名成功！"));
    const auto all = rows(table);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0][2], "2");
    EXPECT_EQ(all[1][2], "42");
}

TEST_F(QueryRoutines, SiteWithoutKeywordsStillGetsTodaysRow)
{
    createSite({});
    queryKeywordRanks(view());
    EXPECT_EQ(view().statusText(), q("保存当天排名成功！"));
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
    m_server.setPage(rankAddress("gamma", 1), resultPage({{1, "www.other.com/"}}));
    m_server.setPage(rankAddress("gamma", 2), resultPage({{150, "www.example.com/"}}));
    queryKeywordRanks(view());
    ASSERT_EQ(todayRow(siteTableName(kSite))[3], "8");

    // beta's first page now fails, gamma's second: neither value is touched,
    // and the status says how many keywords could not be searched.
    m_server.removePage(rankAddress("beta", 1));
    m_server.removePage(rankAddress("gamma", 2));
    m_server.setPage(rankAddress("alpha", 1), resultPage({{6, "www.example.com/"}}));
    m_server.clearRequests();
    queryKeywordRanks(view());
    EXPECT_EQ(rankShown(0), q("6. "));
    EXPECT_EQ(rankShown(1), q("查询失败"));
    EXPECT_EQ(rankShown(2), q("查询失败"));
    EXPECT_EQ(view().statusText(), q("搜索完毕，2个关键词查询失败！"));
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

TEST_F(QueryRoutines, APositionFoundBeforeAFailedPageStands)
{
    createSite({"alpha", "beta", "gamma"});
    setRange(1); // "200"
    m_server.setPage(rankAddress("alpha", 1), resultPage({{4, "www.example.com/"}}));
    m_server.setStatus(rankAddress("alpha", 2), 500, "<title>500 Internal Server Error</title>");
    // Failed before any hit: a later hit cannot tell the best position.
    m_server.setStatus(rankAddress("beta", 1), 503);
    m_server.setPage(rankAddress("beta", 2), resultPage({{120, "www.example.com/"}}));
    // An empty list after the first page is the end of the results.
    m_server.setPage(rankAddress("gamma", 1), resultPage({{1, "www.other.com/"}}));
    m_server.setPage(rankAddress("gamma", 2), resultPage({}));

    queryKeywordRanks(view());
    EXPECT_EQ(rankShown(0), q("4. "));
    EXPECT_EQ(rankShown(1), q("查询失败"));
    EXPECT_EQ(rankShown(2), q("200名以后 :("));
    EXPECT_EQ(view().statusText(), q("搜索完毕，1个关键词查询失败！"));
    EXPECT_EQ(m_server.requests().size(), 6u);
    const auto row = todayRow(siteTableName(kSite));
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ((std::vector<Text> {row[2], row[3], row[4]}), (std::vector<Text> {"4", "", "0"}));
}

TEST_F(QueryRoutines, AFailureOnTheDaysFirstSearchLeavesNoValue)
{
    createSite({"alpha", "beta"});
    m_server.setPage(rankAddress("alpha", 1), resultPage({{9, "www.example.com/x"}}));
    m_server.setStatus(rankAddress("beta", 1), 500);
    queryKeywordRanks(view());
    const Text table = siteTableName(kSite);
    Store& store = view().store();
    ASSERT_TRUE(store.openRecordset(todayRowStatement(table), SqlText));
    ASSERT_EQ(store.recordCount(), 1);
    EXPECT_FALSE(store.isNull("alpha"));
    EXPECT_TRUE(store.isNull("beta")) << "not the column default 0";

    // Reselecting the site that day shows the failure, not "not ranked", and
    // asks nothing.
    restart();
    m_server.clearRequests();
    showTodayRanks(view());
    EXPECT_EQ(rankShown(0), q("9"));
    EXPECT_EQ(rankShown(1), q("查询失败"));
    EXPECT_TRUE(m_server.requests().empty());

    // A second search that day that fills the gap records the value; one
    // that fails again keeps what today's row holds.
    m_server.setPage(rankAddress("beta", 1), resultPage({{2, "www.example.com/"}}));
    m_server.setStatus(rankAddress("alpha", 1), 500);
    queryKeywordRanks(view());
    const auto row = todayRow(table);
    EXPECT_EQ((std::vector<Text> {row[2], row[3]}), (std::vector<Text> {"9", "2"}));
}

TEST_F(QueryRoutines, AFirstPageThatIsNoAnswerFails)
{
    createSite({"broken", "none", "error"});
    m_server.setPage(rankAddress("broken", 1), "<html><head><title>broken_百度搜索</title></head><body><form>");
    m_server.setPage(rankAddress("none", 1),
                     "<div class=\"nors\"><p>很抱歉，没有找到与<em>none</em>相关的网页。</p></div>");
    // A proxy's error page with a success status: its table is no result block.
    m_server.setPage(rankAddress("error", 1), "<html><body><table><tr><td>Bad gateway</td></tr></table></body></html>");
    queryKeywordRanks(view());
    EXPECT_EQ(rankShown(0), q("查询失败"));
    EXPECT_EQ(rankShown(1), q("100名以后 :("));
    EXPECT_EQ(rankShown(2), q("查询失败"));
    const auto row = todayRow(siteTableName(kSite));
    EXPECT_EQ((std::vector<Text> {row[2], row[3], row[4]}), (std::vector<Text> {"", "0", ""}));
}

// The check comes on beta's second page: alpha keeps its result, beta and
// gamma get no value, and nothing more is asked of the engine.
TEST_F(QueryRoutines, AnotherEnginesProfileFindsThePositionsInItsMarkup)
{
    const EngineProfile engine = exampleEngine();
    const auto address
        = [&engine](const char* keyword, int page) { return engineSearchAddress(engine, g(keyword), page); };
    createSite({"alpha", "中文", "beta"});
    setRange(1);
    view().engine = &engine;
    m_server.setPage(address("alpha", 1),
                     listResultPage({{1, "www.other.com/"}, {3, "www.example.com/"}, {7, "www.example.com.cn/"}}));
    m_server.setPage(address("alpha", 2), listResultPage({{150, "www.example.com/a.html"}}));
    m_server.setPage(address("中文", 1),
                     "<html><body><div class=\"empty\">未找到与“中文”相关的结果</div></body></html>");
    m_server.setPage(address("中文", 2), "<html><body></body></html>");
    // The built-in engine's markup means nothing to this profile.
    m_server.setPage(address("beta", 1), resultPage({{2, "www.example.com/"}}));

    queryKeywordRanks(view());

    EXPECT_EQ(rankShown(0), q("3. 7 150 "));
    EXPECT_EQ(rankShown(1), q("200名以后 :("));
    EXPECT_EQ(rankShown(2), q("查询失败"));
    EXPECT_EQ(view().statusText(), q("搜索完毕，1个关键词查询失败！"));
    const std::vector<std::string> expected {address("alpha", 1), address("alpha", 2), address("中文", 1),
                                             address("中文", 2),  address("beta", 1),  address("beta", 2)};
    EXPECT_EQ(m_server.requests(), expected);
    EXPECT_EQ(expected.front(), "http://search.example.com/search?q=alpha&first=1&count=100");
    EXPECT_EQ(expected[1], "http://search.example.com/search?q=alpha&first=101&count=100");
    const auto row = todayRow(siteTableName(kSite));
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ((std::vector<Text> {row[2], row[3], row[4]}), (std::vector<Text> {"3", "0", ""}));
}

TEST_F(QueryRoutines, TheBuiltInProfileFindsNoResultPageInAnotherMarkup)
{
    createSite({"alpha"});
    m_server.setPage(rankAddress("alpha", 1), listResultPage({{3, "www.example.com/"}}));
    queryKeywordRanks(view());
    // A failed fetch, not "not ranked": nothing is recorded for the keyword.
    EXPECT_EQ(rankShown(0), q("查询失败"));
    const auto row = todayRow(siteTableName(kSite));
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EQ(row[2], "");
}

TEST_F(QueryRoutines, AProfileWithSmallerPagesAsksMorePagesAndItsCheckStopsTheSearch)
{
    const EngineProfile engine = exampleEngine("\"resultsPerPage\": 100", "\"resultsPerPage\": 50");
    const auto address
        = [&engine](const char* keyword, int page) { return engineSearchAddress(engine, g(keyword), page); };
    createSite({"alpha", "beta"});
    view().engine = &engine;
    m_server.setPage(address("alpha", 1), listResultPage({{40, "www.other.com/"}}));
    m_server.setPage(address("alpha", 2), listResultPage({{60, "www.example.com/"}}));
    const std::string check = "http://verify.example.com/check?from=search";
    m_server.setRedirect(address("beta", 1), check);
    m_server.setPage(check, "<html><head><title>人机验证</title></head><body></body></html>");

    queryKeywordRanks(view());

    EXPECT_EQ(rankShown(0), q("60. "));
    EXPECT_EQ(rankShown(1), q("查询失败"));
    EXPECT_EQ(view().statusText(), q("搜索引擎要求安全验证，搜索已停止！"));
    const std::vector<std::string> expected {address("alpha", 1), address("alpha", 2), address("beta", 1), check};
    EXPECT_EQ(m_server.requests(), expected);
    EXPECT_EQ(expected[1], "http://search.example.com/search?q=alpha&first=51&count=50");
}

void QueryRoutines::expectSecurityCheckStopsTheSearch(bool redirect)
{
    const std::string checkPage = "<html><head><title>百度安全验证</title></head><body>网络不给力，请稍后重试"
                                  "<form>请输入验证码：<input name=\"code\"></form></body></html>";
    const std::string check = "http://wappass.baidu.com/static/captcha/tuxing.html?&ak=1";
    createSite({"alpha", "beta", "gamma"});
    setRange(1);
    m_server.setPage(rankAddress("alpha", 1), resultPage({{3, "www.example.com/"}}));
    m_server.setPage(rankAddress("alpha", 2), resultPage({{101, "www.other.com/"}}));
    m_server.setPage(rankAddress("beta", 1), resultPage({{5, "www.example.com/"}}));
    if (redirect) {
        m_server.setRedirect(rankAddress("beta", 2), check);
        m_server.setPage(check, checkPage);
    } else {
        m_server.setPage(rankAddress("beta", 2), checkPage);
    }
    m_server.setPage(rankAddress("gamma", 1), resultPage({{1, "www.example.com/"}}));

    queryKeywordRanks(view());
    EXPECT_EQ(view().statusText(), q("搜索引擎要求安全验证，搜索已停止！"));
    EXPECT_EQ(rankShown(0), q("3. "));
    EXPECT_EQ(rankShown(1), q("查询失败"));
    EXPECT_EQ(rankShown(2), q("查询失败"));
    std::vector<std::string> expected {rankAddress("alpha", 1), rankAddress("alpha", 2), rankAddress("beta", 1),
                                       rankAddress("beta", 2)};
    if (redirect)
        expected.push_back(check);
    EXPECT_EQ(m_server.requests(), expected);
    const auto row = todayRow(siteTableName(kSite));
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ((std::vector<Text> {row[2], row[3], row[4]}), (std::vector<Text> {"3", "", ""}));
}

TEST_F(QueryRoutines, TheSecurityCheckPageStopsTheWholeSearch)
{
    expectSecurityCheckStopsTheSearch(false);
}

TEST_F(QueryRoutines, ARedirectionToTheCheckHostStopsTheWholeSearch)
{
    expectSecurityCheckStopsTheSearch(true);
}

TEST_F(QueryRoutines, OverviewFailuresAreNoValue)
{
    createSite({});
    const std::string search = "http://www.baidu.com/s?wd=";
    m_server.setStatus(search + "http://www.example.com", 503, "<title>503 Service Unavailable</title>");
    m_server.setPage(search + "site%3Awww.example.com", "百度为您找到相关结果数1,234个");
    // The engine's check on the third page: nothing further is asked.
    m_server.setPage(search + "domain%3Awww.example.com", "<title>百度安全验证</title>请输入验证码：");
    m_server.setPage(search + "site%3Awww.example.com&lm=1", "找到相关结果数约3个");

    ASSERT_TRUE(loadTodayOverview(view()));
    EXPECT_TRUE(querySiteOverview(view()));
    EXPECT_EQ(m_server.requests().size(), 3u);
    EXPECT_EQ(view().figureText(FigureBox::Snapshot), q("查询失败"));
    EXPECT_EQ(view().figureText(FigureBox::Indexed), q("1,234"));
    for (FigureBox box :
         {FigureBox::Backlinks, FigureBox::IndexedToday, FigureBox::IndexedWeek, FigureBox::IndexedMonth})
        EXPECT_EQ(view().figureText(box), q("查询失败"));
    saveTodayOverview(view());
    EXPECT_EQ(view().statusText(), q("保存当天网站综合信息成功！"));
    Store& store = view().store();
    ASSERT_TRUE(store.openRecordset(todayRowStatement(siteTableName(kSite) + "_xx"), SqlText));
    ASSERT_EQ(store.recordCount(), 1);
    EXPECT_TRUE(store.isNull("baidukuaizhao"));
    EXPECT_FALSE(store.isNull("baidushoulu"));
    for (const char* column : {"baidufanlian", "jinrishoulu", "zuijinyizhou", "zuijinyiyue"})
        EXPECT_TRUE(store.isNull(column)) << column;

    restart();
    EXPECT_FALSE(loadTodayOverview(view()));
    EXPECT_EQ(view().figureText(FigureBox::Snapshot), q("查询失败"));
    EXPECT_EQ(view().figureText(FigureBox::Indexed), q("1234"));
    EXPECT_EQ(view().figureText(FigureBox::Backlinks), q("查询失败"));
}

TEST_F(QueryRoutines, OverviewWithEveryPageFailedRecordsNothing)
{
    createSite({});
    // Every page answers 404.
    EXPECT_FALSE(querySiteOverview(view()));
    EXPECT_EQ(m_server.requests().size(), 6u);
    EXPECT_EQ(view().statusText(), q("网站综合信息查询失败！"));
    // The query failed as a whole: no figure claims a failure of its own.
    EXPECT_EQ(view().figureText(FigureBox::Snapshot), q("无"));
    EXPECT_EQ(view().figureText(FigureBox::Indexed), q(""));
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
    // The month page fails: shown as failed and recorded as no value.

    ASSERT_TRUE(loadTodayOverview(view()));
    EXPECT_TRUE(querySiteOverview(view()));
    EXPECT_EQ(m_server.requests().size(), 6u);
    EXPECT_EQ(view().figureText(FigureBox::Snapshot), q(" 2024-5-6"));
    EXPECT_EQ(view().figureText(FigureBox::Indexed), q("1,234"));
    EXPECT_EQ(view().figureText(FigureBox::Backlinks), q("5,000"));
    EXPECT_EQ(view().figureText(FigureBox::IndexedToday), q("约3"));
    EXPECT_EQ(view().figureText(FigureBox::IndexedMonth), q("查询失败"));
    saveTodayOverview(view());
    EXPECT_EQ(view().statusText(), q("保存当天网站综合信息成功！"));

    restart();
    m_server.clearRequests();
    EXPECT_FALSE(loadTodayOverview(view()));
    EXPECT_TRUE(m_server.requests().empty());
    EXPECT_EQ(view().figureText(FigureBox::Snapshot), q(" 2024-5-6"));
    EXPECT_EQ(view().figureText(FigureBox::Indexed), q("1234"));
    EXPECT_EQ(view().figureText(FigureBox::Backlinks), q("5000"));
    EXPECT_EQ(view().figureText(FigureBox::IndexedToday), q("0"));
    EXPECT_EQ(view().figureText(FigureBox::IndexedWeek), q("12"));
    EXPECT_EQ(view().figureText(FigureBox::IndexedMonth), q("查询失败"));
    EXPECT_EQ(todayRow(siteTableName(kSite) + "_xx")[6], "") << "no value";
}

TEST_F(QueryRoutines, OverviewRecordedTwiceKeepsOneRowForToday)
{
    createSite({});
    const Text table = siteTableName(kSite) + "_xx";
    ASSERT_TRUE(view().store().executeSql("insert into " + table + " (keydate, baidushoulu) values ('2999-01-01', 9)"));
    view().setFigureText(FigureBox::Snapshot, q("快照快照快照快照快照快照快照快照快照快照快照"));
    view().setFigureText(FigureBox::Indexed, q("10"));
    saveTodayOverview(view());
    view().setFigureText(FigureBox::Indexed, q("20"));
    saveTodayOverview(view());
    EXPECT_EQ(view().statusText(), q("保存当天网站综合信息成功！"));
    const auto all = rows(table);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0][1], g("快照快照快照快照快照快照快照快照快照快照")); // 20 characters kept
    EXPECT_EQ(all[0][2], "20");
    EXPECT_EQ(all[1][2], "9");
}

TEST_F(QueryRoutines, ClosedViewStartsNoSearch)
{
    createSite({"alpha"});
    m_server.setPage(rankAddress("alpha", 1), resultPage({{1, "www.example.com/"}}));
    view().closing = true;
    queryKeywordRanks(view());
    EXPECT_TRUE(m_server.requests().empty());
    EXPECT_EQ(view().busyEntries, 0);
    EXPECT_TRUE(todayRow(siteTableName(kSite)).empty());
    EXPECT_EQ(rankShown(0), QString());
}

// A profile whose block pattern backtracks exponentially over a block that
// starts with a long word and no heading: the search of such a page gives up.
TEST_F(QueryRoutines, APageThePatternSearchGivesUpOnIsAFailedRead)
{
    const EngineProfile engine = exampleEngine(R"([\\s\\S]*?</li>)", R"((?:\\w+\\s?)*\\s*<h3>[\\s\\S]*?</li>)");
    const auto address
        = [&engine](const char* keyword, int page) { return engineSearchAddress(engine, g(keyword), page); };
    createSite({"alpha", "beta"});
    view().engine = &engine;
    // alpha: another site's block, the hostile block, then the site's block,
    // which the search never reaches: no "not ranked".
    std::string page = listResultPage({{1, "www.other.com/"}, {7, "www.example.com/"}});
    page.insert(page.find("<li class=\"result\" data-pos=\"7\""),
                "<li class=\"result\" data-pos=\"2\">" + std::string(40, 'a') + "!</li>\n");
    m_server.setPage(address("alpha", 1), page);
    m_server.setPage(address("beta", 1), listResultPage({{3, "www.example.com/"}}));
    queryKeywordRanks(view());
    EXPECT_EQ(rankShown(0), q("查询失败"));
    EXPECT_EQ(rankShown(1), q("3. "));
    EXPECT_EQ(view().statusText(), q("搜索完毕，1个关键词查询失败！"));
    const auto row = todayRow(siteTableName(kSite));
    EXPECT_EQ((std::vector<Text> {row[2], row[3]}), (std::vector<Text> {"", "3"}));
}

// The built-in patterns stay far below the limits on any page; a lowered
// limit stands for a page too much for them.
TEST_F(QueryRoutines, AnOverviewPageThePatternSearchGivesUpOnIsAFailedFigure)
{
    createSite({});
    const std::string search = "http://www.baidu.com/s?wd=";
    std::string junk;
    for (int i = 0; i < 2'000; ++i)
        junk += "<table 找到相关结果数";
    m_server.setPage(search + "http://www.example.com", junk + "\n</table>");
    m_server.setPage(search + "site%3Awww.example.com", junk + "\n找到相关结果数1,234个");
    m_server.setPage(search + "site%3Awww.example.com&lm=1", "找到相关结果数3个");
    const PatternMatcher::ScopedWorkLimit lowered(20'000);
    ASSERT_TRUE(loadTodayOverview(view()));
    EXPECT_TRUE(querySiteOverview(view()));
    EXPECT_EQ(view().figureText(FigureBox::Snapshot), q("查询失败"));
    EXPECT_EQ(view().figureText(FigureBox::Indexed), q("查询失败"));
    EXPECT_EQ(view().figureText(FigureBox::IndexedToday), q("3"));
    saveTodayOverview(view());
    const auto overview = todayRow(siteTableName(kSite) + "_xx");
    ASSERT_EQ(overview.size(), 7u);
    EXPECT_EQ((std::vector<Text> {overview[1], overview[2], overview[4]}), (std::vector<Text> {"", "", "3"}));
}

TEST_F(QueryRoutines, AHomePageThePatternSearchGivesUpOnImportsNothingAndSaysSo)
{
    createSite({});
    std::string metas;
    for (int i = 0; i < 2'000; ++i)
        metas += "<meta keywords ";
    m_server.setPage("http://www.example.com/", metas + "\n<meta name=\"keywords\" content=\"网站优化,排名查询\">");
    const PatternMatcher::ScopedWorkLimit lowered(20'000);
    EXPECT_TRUE(importHomePageKeywords(view()).empty());
    EXPECT_EQ(view().statusText(), q("页面过于复杂，未能完整读取！"));
}

TEST_F(QueryRoutines, MissingSiteIsReportedBeforeAnySearch)
{
    createSite({"alpha"});
    view().site.clear();
    queryKeywordRanks(view());
    EXPECT_EQ(view().statusText(), q("请选择网站地址！"));
    EXPECT_EQ(view().busyEntries, 0);
    EXPECT_TRUE(m_server.requests().empty());
}

TEST_F(QueryRoutines, HomePageImportReturnsTheDeclaredKeywords)
{
    createSite({});
    m_server.setPage("http://www.example.com/",
                     "<meta charset=\"utf-8\"><meta name=\"keywords\" content=\"网站优化,排名查询\">");
    EXPECT_EQ(importHomePageKeywords(view()), (std::vector<Text> {g("网站优化"), g("排名查询")}));
    EXPECT_EQ(m_server.requests(), std::vector<std::string> {"http://www.example.com/"});
    // The import adds no keyword column itself.
    EXPECT_FALSE(view().store().executeSql(dropKeywordColumnSql(siteTableName(kSite), g("网站优化"))));

    // Without a site, or once the view is closing, nothing is asked.
    m_server.clearRequests();
    view().site.clear();
    EXPECT_TRUE(importHomePageKeywords(view()).empty());
    view().site = toQString(kSite);
    view().closing = true;
    EXPECT_TRUE(importHomePageKeywords(view()).empty());
    EXPECT_TRUE(m_server.requests().empty());
}

} // namespace
} // namespace zv
