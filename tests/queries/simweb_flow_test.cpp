// Adding and selecting sites end to end against the simulated web of the
// simweb test fixture (tests/scenarios/basic.json): figures, imported
// keywords, ranks, and what reselecting the same day asks for.

#include "app/main_window.h"
#include "queries/rank_search.h"
#include "app/site_registry.h"
#include "store/store.h"
#include "view/qt_text.h"
#include "web/codepage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace zv {
namespace {

QString q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// A file of the simweb fixture's folder; empty when not run under it.
std::string fixtureFile(const char* name)
{
    const char* dir = std::getenv("ZV_SIMWEB_DIR");
    return dir ? std::string(dir) + "/" + name : std::string();
}

// The request log of the fixture, shared by every test of the run: only lines
// that name what this test asks for are counted.
int loggedRequests(const std::vector<std::string>& needles)
{
    std::ifstream in(fixtureFile("requests.log"));
    int count = 0;
    std::string line;
    while (std::getline(in, line)) {
        for (const std::string& needle : needles) {
            if (line.find(needle) != std::string::npos) {
                ++count;
                break;
            }
        }
    }
    return count;
}

class SimwebFlow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string portFile = fixtureFile("port");
        if (portFile.empty())
            GTEST_SKIP() << "not started by the simweb fixture";
        std::ifstream in(portFile);
        int port = 0;
        ASSERT_TRUE(in >> port) << portFile;
        qputenv("ZERAVUDEZ_PROXY", QByteArray("127.0.0.1:") + QByteArray::number(port));
        ASSERT_TRUE(m_data.isValid());
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
        qputenv("XDG_CACHE_HOME", m_data.path().toUtf8());
        restart();
    }

    void restart()
    {
        m_window.reset();
        m_window = std::make_unique<MainWindow>();
        ASSERT_TRUE(m_window->databaseOpen());
    }

    MainWindow& window() { return *m_window; }

    void add(const char* site)
    {
        window().编辑框_网站地址->setText(q(site));
        addSite(window());
        ASSERT_EQ(window().组合框_网站列表->currentText(), q(site));
    }

    std::vector<QString> column(KeywordColumn c)
    {
        std::vector<QString> texts;
        for (int r = 0; r < window().keywordRowCount(); ++r)
            texts.push_back(window().cellText(r, c));
        return texts;
    }

    std::vector<int> todayIntegers(const Text& table, const std::vector<Text>& fields)
    {
        std::vector<int> values;
        Store& store = window().store();
        EXPECT_TRUE(store.openRecordset("select * from " + table + " where keydate=date()", SqlText));
        if (store.recordCount() != 1)
            return values;
        for (const Text& field : fields) {
            int value = -1;
            store.readInteger(Field(field), value);
            values.push_back(value);
        }
        return values;
    }

    QTemporaryDir m_data;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(SimwebFlow, AddedSiteIsFilledAndReselectingItTheSameDayAsksNothing)
{
    window().组合框_搜索范围->setCurrentIndex(1); // "200"
    add("www.shop-demo.cn");

    EXPECT_EQ(window().标签_百度快照->text(), q("2024-5-19"));
    EXPECT_EQ(window().标签_总收录->text(), q("12,345"));
    EXPECT_EQ(window().标签_最近一月收录->text(), q("1,234"));
    EXPECT_EQ(column(KeywordColumn::Keyword), (std::vector<QString> {q("网站优化"), q("关键词排名"), q("seo工具")}));
    // Near misses (capitals, mark-up in the host, a cut address) never count;
    // the block with two lines of the site counts once.
    EXPECT_EQ(column(KeywordColumn::Rank), (std::vector<QString> {q("3. 17 150 "), q("5 "), q("200名以后 :(")}));
    EXPECT_FALSE(window().isBusy());

    const Text table = siteTableName("www.shop-demo.cn");
    const std::vector<Text> keywords {utf8ToGbkString("网站优化"), utf8ToGbkString("关键词排名"),
                                      utf8ToGbkString("seo工具")};
    EXPECT_EQ(todayIntegers(table, keywords), (std::vector<int> {3, 5, 0}));
    EXPECT_EQ(todayIntegers(table + "_xx", {"baidushoulu", "jinrishoulu", "zuijinyizhou", "zuijinyiyue"}),
              (std::vector<int> {12345, 12, 345, 1234}));

    // Restart the program the same day and pick the site from the list.
    std::vector<std::string> needles {"shop-demo"};
    for (const Text& keyword : keywords)
        needles.push_back("wd=" + urlEncode(keyword, true, true) + "&");
    const int before = loggedRequests(needles);
    ASSERT_GT(before, 0);
    restart();
    ASSERT_EQ(window().组合框_网站列表->count(), 1);
    window().组合框_网站列表->setCurrentIndex(0);
    onSiteSelected(window());
    EXPECT_EQ(loggedRequests(needles), before);
    EXPECT_EQ(window().标签_总收录->text(), q("12345"));
    EXPECT_EQ(window().标签_百度快照->text(), q("2024-5-19"));
    EXPECT_EQ(column(KeywordColumn::Rank), (std::vector<QString> {q("3"), q("5"), q("100名以后 :(")}));
}

TEST_F(SimwebFlow, FiguresWithAboutAndKeywordsFromAGbkPage)
{
    add("www.about-figures.com");
    EXPECT_EQ(window().标签_百度快照->text(), q("无"));
    EXPECT_EQ(window().标签_总收录->text(), q("约1,234"));
    EXPECT_EQ(window().标签_百度反链->text(), q("5,000"));
    const Text table = siteTableName("www.about-figures.com") + "_xx";
    EXPECT_EQ(todayIntegers(table, {"baidushoulu", "baidufanlian", "zuijinyizhou"}), (std::vector<int> {0, 5000, 7}));
    // Content before name, separated by "，" in a GBK page.
    EXPECT_EQ(column(KeywordColumn::Keyword), (std::vector<QString> {q("外链建设"), q("友情链接")}));
}

TEST_F(SimwebFlow, KeywordsSplitAtUnderscoreFromAPageDeclaringUtf8InCapitals)
{
    add("www.caps-meta.org");
    EXPECT_EQ(column(KeywordColumn::Keyword), (std::vector<QString> {q("虚拟主机"), q("域名查询")}));
}

} // namespace
} // namespace zv
