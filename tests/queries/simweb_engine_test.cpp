// The rank search and the overview query against simweb playing an engine
// that fails: error statuses, a stalled page, a broken first page, the
// no-results notice (tests/scenarios/engine_answers.json), and its security
// check after a few requests. Each test starts a simweb of its own, since the
// security check lasts for the rest of a simweb's run; its request log shows
// what the program asked.

#include "fake_query_view.h"
#include "queries/query_support.h"
#include "queries/rank_search.h"
#include "queries/site_overview.h"
#include "store/schema.h"
#include "store/store.h"
#include "view/qt_text.h"
#include "web/http_request.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace zv {
namespace {

using test::FakeQueryView;
using namespace std::chrono_literals;

const Text kSite = "www.shop-demo.cn";

QString q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

class SimwebEngine : public ::testing::Test
{
protected:
    void TearDown() override
    {
        setHttpTimeout(0ms);
        if (m_started)
            std::system((std::string(ZV_SIMWEB_EXE) + " --stop " + path("pid")).c_str());
    }

    std::string path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)).toStdString(); }

    // Starts simweb on the scenario and a view of the site with the keywords.
    void start(const std::string& scenario, const std::vector<const char*>& keywords)
    {
        ASSERT_TRUE(m_dir.isValid());
        const std::string command = std::string(ZV_SIMWEB_EXE) + " --daemon --port 0 --scenario " + scenario + " --log "
            + path("requests.log") + " --port-file " + path("port") + " --pid-file " + path("pid") + " > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        m_started = true;
        std::ifstream in(path("port"));
        int port = 0;
        ASSERT_TRUE(in >> port);
        qputenv("ZERAVUDEZ_PROXY", QByteArray("127.0.0.1:") + QByteArray::number(port));

        m_view = std::make_unique<FakeQueryView>(path("web.db"));
        ASSERT_TRUE(m_view->opened);
        Store& store = m_view->store();
        const Text table = siteTableName(kSite);
        ASSERT_TRUE(store.executeSql(createRankTableSql(table)));
        ASSERT_TRUE(store.executeSql(createRankDateIndexSql(table)));
        ASSERT_TRUE(store.executeSql(createOverviewTableSql(table)));
        std::vector<QString> shown;
        for (const char* keyword : keywords) {
            ASSERT_TRUE(store.openRecordset(addKeywordColumnSql(table, utf8ToGbkString(keyword)), SqlText));
            shown.push_back(q(keyword));
        }
        m_view->site = toQString(kSite);
        m_view->showKeywords(shown);
    }

    // The request log, one line a request.
    std::vector<std::string> logged() const
    {
        std::vector<std::string> lines;
        std::ifstream in(path("requests.log"));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    static int countContaining(const std::vector<std::string>& lines, const std::string& needle)
    {
        int n = 0;
        for (const std::string& line : lines)
            n += line.find(needle) != std::string::npos ? 1 : 0;
        return n;
    }

    // Today's row of a table: each column's text, "<null>" for no value.
    std::vector<std::string> todayValues(const Text& table)
    {
        Store& store = m_view->store();
        std::vector<std::string> values;
        EXPECT_TRUE(store.openRecordset(todayRowStatement(table), SqlText));
        if (store.recordCount() != 1)
            return values;
        for (int c = 0; !store.fieldName(c).empty(); ++c) {
            Text text;
            store.readText(Field(c), text);
            values.push_back(store.isNull(Field(c)) ? "<null>" : text);
        }
        return values;
    }

    void expectTheCheckStopsEverything(const char* form);

    QString rankShown(int row) const { return m_view->cellText(row, KeywordColumn::Rank); }

    QTemporaryDir m_dir;
    bool m_started = false;
    std::unique_ptr<FakeQueryView> m_view;
};

TEST_F(SimwebEngine, FailedPagesRecordNothingButAPositionFoundBeforeThem)
{
    start(ZV_SCENARIO_DIR "/engine_answers.json",
          {"网站优化", "外链建设", "网站建设", "没有结果的词", "坏页面", "关键词排名"});
    setHttpTimeout(500ms); // the stalled page
    m_view->rangeIndex = 1; // "200"
    queryKeywordRanks(*m_view);

    // 网站优化: 4 on page 1, page 2 stalls. 外链建设: page 1 answers 500.
    // 网站建设: 503 everywhere. 没有结果的词: the engine's notice.
    // 坏页面: a broken first page. 关键词排名: 7 on page 1, page 2 answers 503.
    EXPECT_EQ(rankShown(0), q("4. "));
    EXPECT_EQ(rankShown(1), q("查询失败"));
    EXPECT_EQ(rankShown(2), q("查询失败"));
    EXPECT_EQ(rankShown(3), q("200名以后 :("));
    EXPECT_EQ(rankShown(4), q("查询失败"));
    EXPECT_EQ(rankShown(5), q("7 "));
    EXPECT_EQ(m_view->statusText(), q("搜索完毕，3个关键词查询失败！"));
    const auto row = todayValues(siteTableName(kSite));
    ASSERT_EQ(row.size(), 8u);
    EXPECT_EQ((std::vector<std::string>(row.begin() + 2, row.end())),
              (std::vector<std::string> {"4", "<null>", "<null>", "0", "<null>", "7"}));
    EXPECT_EQ(countContaining(logged(), "www.baidu.com/s?wd="), 12) << "every page of every keyword asked once";

    // The overview: today's count answers 503 and backlinks 500; both are
    // shown as failed and recorded as no value, the others as read.
    ASSERT_TRUE(querySiteOverview(*m_view));
    EXPECT_EQ(m_view->figureText(FigureBox::IndexedToday), q("查询失败"));
    EXPECT_EQ(m_view->figureText(FigureBox::Backlinks), q("查询失败"));
    EXPECT_EQ(m_view->figureText(FigureBox::Indexed), q("12,345"));
    saveTodayOverview(*m_view);
    const auto overview = todayValues(siteTableName(kSite) + "_xx");
    ASSERT_EQ(overview.size(), 7u);
    EXPECT_EQ((std::vector<std::string>(overview.begin() + 1, overview.end())),
              (std::vector<std::string> {"2024-5-19", "12345", "<null>", "<null>", "345", "1234"}));
}

// Three engine requests are answered, the fourth gets the check in the
// given form: alpha's two pages and beta's first are read, beta's second is
// the check, and nothing more goes to the engine.
void SimwebEngine::expectTheCheckStopsEverything(const char* form)
{
    const std::string scenario = path("scenario.json");
    std::ofstream(scenario) << R"({"sites": {"www.shop-demo.cn": {"ranks": {
        "alpha": [{"position": 3, "home": true}], "beta": [{"position": 150}], "gamma": [{"position": 1}]}}},
        "engine": {"verification": {"after": 3, "form": ")"
                            << form << R"("}}})";
    start(scenario, {"alpha", "beta", "gamma"});
    m_view->rangeIndex = 1;
    queryKeywordRanks(*m_view);

    EXPECT_EQ(m_view->statusText(), q("搜索引擎要求安全验证，搜索已停止！"));
    EXPECT_EQ(rankShown(0), q("3. "));
    EXPECT_EQ(rankShown(1), q("查询失败"));
    EXPECT_EQ(rankShown(2), q("查询失败"));
    const std::vector<std::string> log = logged();
    EXPECT_EQ(countContaining(log, "\"url\":\"http://www.baidu.com/"), 4);
    EXPECT_EQ(countContaining(log, "wd=gamma"), 0);
    const auto row = todayValues(siteTableName(kSite));
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ((std::vector<std::string>(row.begin() + 2, row.end())),
              (std::vector<std::string> {"3", "<null>", "<null>"}));

    // The overview meets the check on its first page and asks no more:
    // nothing answered, nothing recorded.
    EXPECT_FALSE(querySiteOverview(*m_view));
    EXPECT_EQ(m_view->statusText(), q("网站综合信息查询失败！"));
    EXPECT_EQ(countContaining(logged(), "\"url\":\"http://www.baidu.com/"), 5);
    EXPECT_TRUE(todayValues(siteTableName(kSite) + "_xx").empty());
}

TEST_F(SimwebEngine, ARedirectionToTheCheckStopsTheSearchAndTheOverview)
{
    expectTheCheckStopsEverything("redirect");
}

TEST_F(SimwebEngine, TheCheckPageStopsTheSearchAndTheOverview)
{
    expectTheCheckStopsEverything("page");
}

} // namespace
} // namespace zv
