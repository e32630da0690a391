// The result lists a rank search keeps, against simweb over two simulated
// days (tests/scenarios/serp_day*.json): a competitor passes the site and the
// site's landing page changes. What is kept, the CSV export, the window's
// lists and the landing page tool tip are read back; a failed keyword, the
// engine's security check and a second search on the same day each leave
// exactly the lists they should.

#include "app/result_list_export.h"
#include "charts/result_list_window.h"
#include "fake_query_view.h"
#include "queries/rank_search.h"
#include "store/result_lists.h"
#include "store/schema.h"
#include "store/store.h"
#include "view/chart_view.h"
#include "view/landing_tip.h"
#include "view/qt_text.h"

#include <QBuffer>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace zv {
namespace {

using test::FakeQueryView;

const Text kSite = "www.shop-demo.cn";
const Text kTable = siteTableName(kSite);

QString q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

Text g(const char* utf8)
{
    return utf8ToGbkString(utf8);
}

// A query view whose day is set by the test, and the chart view the result
// list window reads through.
class DayView : public FakeQueryView, public ChartView
{
public:
    using FakeQueryView::FakeQueryView;
    QDate day;
    int depth = kDefaultResultListDepth;
    int listsKept = 0;

    QDate today() const override { return day; }
    int resultListDepth() const override { return depth; }
    void resultListsKept() override { ++listsKept; }

    Store& store() override { return FakeQueryView::store(); }
    QString currentSite() const override { return site; }
    QWidget* chartParent() override { return nullptr; }
    void beginOperation() override { }
    void endOperation() override { }
};

class ResultLists : public ::testing::Test
{
protected:
    void TearDown() override { stopSimweb(); }

    std::string path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)).toStdString(); }

    void stopSimweb()
    {
        if (m_started)
            std::system((std::string(ZV_SIMWEB_EXE) + " --stop " + path("pid")).c_str());
        m_started = false;
    }

    // Serves the scenario (another day's world in place of the last one).
    void serve(const char* scenario)
    {
        stopSimweb();
        const std::string command = std::string(ZV_SIMWEB_EXE) + " --daemon --port 0 --scenario " + ZV_SCENARIO_DIR
            + "/" + scenario + " --port-file " + path("port") + " --pid-file " + path("pid") + " > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        m_started = true;
        std::ifstream in(path("port"));
        int port = 0;
        ASSERT_TRUE(in >> port);
        qputenv("ZERAVUDEZ_PROXY", QByteArray("127.0.0.1:") + QByteArray::number(port));
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_view = std::make_unique<DayView>(path("web.db"));
        ASSERT_TRUE(m_view->opened);
        Store& store = m_view->store();
        ASSERT_TRUE(store.executeSql(createRankTableSql(kTable)));
        ASSERT_TRUE(store.executeSql(createRankDateIndexSql(kTable)));
        std::vector<QString> shown;
        for (const char* keyword : {"网站优化", "网站建设", "关键词排名"}) {
            ASSERT_TRUE(store.openRecordset(addKeywordColumnSql(kTable, g(keyword)), SqlText));
            shown.push_back(q(keyword));
        }
        m_view->site = toQString(kSite);
        m_view->showKeywords(shown);
    }

    // Searches every keyword on the day the scenario serves.
    void searchDay(const char* scenario, const char* day)
    {
        serve(scenario);
        m_view->day = QDate::fromString(q(day), Qt::ISODate);
        queryKeywordRanks(*m_view);
    }

    std::vector<KeptEntry> kept(const char* keyword, const char* day)
    {
        return resultLists::entries(m_view->store(), kTable, g(keyword), g(day)).value_or(std::vector<KeptEntry>());
    }

    static const KeptEntry* at(const std::vector<KeptEntry>& list, int position)
    {
        for (const KeptEntry& e : list) {
            if (e.position == position)
                return &e;
        }
        return nullptr;
    }

    QTemporaryDir m_dir;
    bool m_started = false;
    std::unique_ptr<DayView> m_view;
};

TEST_F(ResultLists, TwoDaysKeepWhoPassedTheSiteAndItsLandingPage)
{
    searchDay("serp_day1.json", "2024-05-20");
    searchDay("serp_day2.json", "2024-05-21");
    EXPECT_EQ(m_view->listsKept, 2);

    // The first 20 entries, and the site's page at 45 beyond them.
    const std::vector<KeptEntry> first = kept("网站优化", "2024-05-20");
    ASSERT_EQ(first.size(), 21u);
    for (int position = 1; position <= 20; ++position)
        EXPECT_TRUE(at(first, position)) << position;
    ASSERT_TRUE(at(first, 3) && at(first, 45) && at(first, 5));
    EXPECT_EQ(*at(first, 3), (KeptEntry {3, "www.shop-demo.cn/", "www.shop-demo.cn", true}));
    EXPECT_TRUE(at(first, 45)->own);
    EXPECT_EQ(at(first, 5)->host, "www.rival-shop.com");
    EXPECT_FALSE(at(first, 5)->own);
    EXPECT_EQ(std::count_if(first.begin(), first.end(), [](const KeptEntry& e) { return e.own; }), 2);

    const std::vector<KeptEntry> second = kept("网站优化", "2024-05-21");
    ASSERT_TRUE(at(second, 2) && at(second, 6));
    EXPECT_EQ(at(second, 2)->host, "www.rival-shop.com");
    EXPECT_TRUE(at(second, 6)->own);
    const Text landing = at(second, 6)->address;
    EXPECT_NE(landing, "www.shop-demo.cn/");
    EXPECT_EQ(landing.rfind("www.shop-demo.cn/", 0), 0u) << landing;

    // The failed keyword has no list on either day: nothing reads as
    // "nobody ranked".
    EXPECT_TRUE(resultLists::days(m_view->store(), kTable, g("网站建设")).empty());
    EXPECT_EQ(resultLists::days(m_view->store(), kTable, g("网站优化")),
              (std::vector<Text> {"2024-05-20", "2024-05-21"}));

    // The landing page and its change.
    const LandingPage page = resultLists::landingPage(m_view->store(), kTable, g("网站优化"), "2024-05-21");
    EXPECT_EQ(page.address, landing);
    EXPECT_EQ(page.previousAddress, Text("www.shop-demo.cn/"));
    EXPECT_TRUE(page.changed);
    const QString tip = landingToolTip(m_view->store(), m_view->site, q("网站优化"), QDate(2024, 5, 21));
    EXPECT_TRUE(tip.contains(toQString(landing))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(q("着陆页已变化"))) << tip.toStdString();
    EXPECT_FALSE(
        landingToolTip(m_view->store(), m_view->site, q("关键词排名"), QDate(2024, 5, 21)).contains(q("已变化")));
    EXPECT_TRUE(landingToolTip(m_view->store(), m_view->site, q("网站建设"), QDate(2024, 5, 21)).isEmpty());

    // The CSV: the competitor at 2, 5 the day before; the site's new page.
    QBuffer csv;
    csv.open(QIODevice::WriteOnly);
    QString error;
    ASSERT_TRUE(writeResultListCsv(m_view->store(), {kTable, QDate(2024, 5, 21), {}, q("网站优化")}, csv, error));
    const QList<QByteArray> rows = csv.data().split('\n');
    EXPECT_EQ(rows.front(), "date,keyword,position,host,address,own,previous_position\r");
    EXPECT_EQ(rows.size(), 20 + 2); // header, 20 rows, the empty rest
    const QByteArray rival = "2024-05-21," + q("网站优化").toUtf8() + ",2,www.rival-shop.com,";
    const QByteArray own = "2024-05-21," + q("网站优化").toUtf8() + ",6,www.shop-demo.cn,"
        + QByteArray::fromStdString(landing) + ",1,3\r";
    bool rivalFound = false;
    for (const QByteArray& row : rows)
        rivalFound = rivalFound || (row.startsWith(rival) && row.endsWith(",0,5\r"));
    EXPECT_TRUE(rivalFound) << csv.data().toStdString();
    EXPECT_TRUE(rows.contains(own)) << csv.data().toStdString();

    // The window: the newest day first, the moves, the site's rows marked,
    // and the hosts gone since the day before.
    ResultListWindow window(*m_view, g("网站优化"));
    ASSERT_EQ(window.组合框_日期->count(), 2);
    EXPECT_EQ(window.组合框_日期->currentText(), q("2024-05-21"));
    QTableWidget& list = *window.超级列表框_搜索结果;
    ASSERT_EQ(list.rowCount(), 20);
    EXPECT_EQ(list.item(1, 0)->text(), q("2"));
    EXPECT_EQ(list.item(1, 1)->text(), q("www.rival-shop.com"));
    EXPECT_EQ(list.item(1, 3)->text(), q("上升 3"));
    EXPECT_EQ(list.item(5, 1)->text(), q("www.shop-demo.cn"));
    EXPECT_EQ(list.item(5, 3)->text(), q("下降 3"));
    EXPECT_NE(list.item(5, 0)->background(), list.item(1, 0)->background());
    QStringList listed;
    for (int row = 0; row < list.rowCount(); ++row)
        listed.append(list.item(row, 1)->text());
    for (int row = 0; row < window.超级列表框_离开->rowCount(); ++row)
        EXPECT_FALSE(listed.contains(window.超级列表框_离开->item(row, 1)->text()));
    window.showDay("2024-05-20");
    EXPECT_EQ(list.rowCount(), 21);
    EXPECT_EQ(list.item(0, 3)->text(), q("新"));
    EXPECT_EQ(window.超级列表框_离开->rowCount(), 0);
}

TEST_F(ResultLists, ASecondSearchTheSameDayReplacesTheDaysLists)
{
    m_view->depth = 10;
    searchDay("serp_day1.json", "2024-05-20");
    const std::vector<KeptEntry> once = kept("网站优化", "2024-05-20");
    ASSERT_EQ(once.size(), 10u + 1u); // the first ten and the site's page at 45
    searchDay("serp_day1.json", "2024-05-20");
    EXPECT_EQ(kept("网站优化", "2024-05-20"), once);
    EXPECT_EQ(resultLists::days(m_view->store(), kTable, g("网站优化")).size(), 1u);
}

TEST_F(ResultLists, TheSecurityCheckLeavesTheRestWithoutLists)
{
    // One page is answered, the next asks for the check.
    searchDay("serp_verification.json", "2024-05-22");
    EXPECT_EQ(kept("网站优化", "2024-05-22").size(), 20u);
    EXPECT_FALSE(resultLists::entries(m_view->store(), kTable, g("网站建设"), "2024-05-22"));
    EXPECT_FALSE(resultLists::entries(m_view->store(), kTable, g("关键词排名"), "2024-05-22"));
}

TEST_F(ResultLists, DeletingAKeywordOrTheSiteDeletesItsLists)
{
    searchDay("serp_day1.json", "2024-05-20");
    Store& store = m_view->store();
    ASSERT_TRUE(store.executeSql(dropKeywordColumnSql(kTable, g("网站优化"))));
    EXPECT_TRUE(resultLists::days(store, kTable, g("网站优化")).empty());
    EXPECT_EQ(resultLists::days(store, kTable, g("关键词排名")).size(), 1u);
    ASSERT_TRUE(store.executeSql(dropRankTableSql(kTable)));
    EXPECT_TRUE(resultLists::days(store, kTable, g("关键词排名")).empty());
    // A keyword added again under the same name starts with no lists.
    ASSERT_TRUE(store.executeSql(createRankTableSql(kTable)));
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql(kTable, g("网站优化")), SqlText));
    EXPECT_TRUE(resultLists::days(store, kTable, g("网站优化")).empty());
}

} // namespace
} // namespace zv
