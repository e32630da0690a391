// The keyword index lookup on a real main window and database against the
// simulated web: the pictures shown per keyword, what is stored, and what a
// later load shows without asking the service.

#include "app/main_window.h"
#include "imaging/bmp.h"
#include "imaging/builtin_pictures.h"
#include "imaging/fitting.h"
#include "queries/keyword_index.h"
#include "readers/hex_text.h"
#include "app/keyword_registry.h"
#include "app/site_registry.h"
#include "store/schema.h"
#include "store/store.h"
#include "tools/simweb/pictures.h"
#include "tools/simweb/proxy_server.h"
#include "tools/simweb/world.h"
#include "view/qt_text.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

namespace zv {
namespace {

const Text kSite = "www.shop-demo.cn";

Text g(std::string_view utf8)
{
    return utf8ToGbkString(utf8);
}

// Keywords of the scenario (UTF-8): one picture per format, an exact 80 x 16
// one, a keyword the service does not list, one whose cell differs in letter
// case, and pictures that cannot be downloaded or are no picture.
const char* const kScenario = R"({
  "index": {
    "keywords": {
      "网站优化": {"value": 1234, "format": "png", "related": []},
      "关键词排名": {"value": 88, "format": "jpg"},
      "seo工具": {"value": 56789, "format": "tif"},
      "外链建设": {"value": 7, "format": "bmp", "width": 120, "height": 30},
      "exact": {"value": 4321, "format": "png", "width": 80, "height": 16},
      "流量统计": {"listed": false},
      "SEO": {"cell": "seo", "related": []},
      "broken": {"picture": "empty.png"},
      "junk": {"picture": "junk.png"}
    }
  }
})";

class KeywordIndex : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_data.isValid());
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
        qputenv("XDG_CACHE_HOME", m_data.path().toUtf8());
        writeFile("empty.png", "");
        writeFile("junk.png", "this is not a picture");
        startWeb(kScenario);
        m_window = std::make_unique<MainWindow>();
        ASSERT_TRUE(m_window->databaseOpen());
    }

    void TearDown() override
    {
        m_window.reset();
        stopWeb();
    }

    void writeFile(const std::string& name, const std::string& bytes)
    {
        std::ofstream(m_data.filePath(QString::fromStdString(name)).toStdString(), std::ios::binary) << bytes;
    }

    void startWeb(const std::string& scenario)
    {
        stopWeb();
        std::string error;
        m_world = simweb::World::fromScenarioText(scenario, m_data.path().toStdString(), error);
        ASSERT_TRUE(m_world) << error;
        m_proxy = std::make_unique<simweb::ProxyServer>(*m_world);
        ASSERT_TRUE(m_proxy->setLogFile(logPath()));
        m_port = m_proxy->start(0);
        ASSERT_GT(m_port, 0);
        qputenv("ZERAVUDEZ_PROXY", QByteArray("127.0.0.1:") + QByteArray::number(m_port));
    }

    // The proxy address stays set, so every request now fails.
    void stopWeb()
    {
        if (m_proxy)
            m_proxy->stop();
        m_proxy.reset();
    }

    std::string logPath() const { return m_data.filePath(QStringLiteral("simweb.log")).toStdString(); }

    int indexServiceRequests() const
    {
        std::ifstream log(logPath());
        int count = 0;
        for (std::string line; std::getline(log, line);)
            count += line.find("index.zeravudez.com") != std::string::npos;
        return count;
    }

    MainWindow& window() { return *m_window; }

    void restart()
    {
        m_window.reset();
        m_window = std::make_unique<MainWindow>();
    }

    void createSite(const std::vector<Text>& keywords)
    {
        Store& store = window().store();
        const Text table = siteTableName(kSite);
        ASSERT_TRUE(store.executeSql(createRankTableSql(table)));
        ASSERT_TRUE(store.executeSql(createRankDateIndexSql(table)));
        ASSERT_TRUE(store.executeSql(createOverviewTableSql(table)));
        window().组合框_网站列表->setEditText(toQString(kSite));
        addKeywords(window(), keywords);
        loadKeywordList(window());
        ASSERT_EQ(window().keywordRowCount(), static_cast<int>(keywords.size()));
    }

    // The stored baiduzhishu of keyword; none when it has no row.
    std::optional<Text> stored(const Text& keyword)
    {
        Store& store = window().store();
        if (!store.openRecordset("select * from web_baiduzhishu where keywords='" + keyword + "'", SqlText)
            || store.recordCount() == 0)
            return std::nullopt;
        Text value;
        store.readText(1, value);
        return value;
    }

    void store(const Text& keyword, const Text& value)
    {
        ASSERT_TRUE(window().store().executeSql("insert into web_baiduzhishu (keywords, baiduzhishu) values ('"
                                                + keyword + "', '" + value + "')"));
    }

    // The index picture a lookup makes of what the service serves for keyword.
    ByteBlock expectedPicture(const std::string& keywordUtf8)
    {
        return fitIndexPictureFile(simweb::pictureBytes(m_world->indexPicture(keywordUtf8, m_world->day())));
    }

    // The picture the index cell of row shows, null when none.
    QImage shown(int row)
    {
        const QIcon icon = window().超级列表框_关键词排名->topLevelItem(row)->icon(3);
        return icon.isNull() ? QImage() : icon.pixmap(QSize(80, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
    }

    // Whether row shows the index picture bmp, white pixels transparent.
    ::testing::AssertionResult showsPicture(int row, const ByteBlock& bmp)
    {
        const QImage image = shown(row);
        const Picture expected = decodeBmp(bmp);
        if (image.isNull() || image.size() != QSize(80, 16) || expected.width != 80 || expected.height != 16)
            return ::testing::AssertionFailure() << "row " << row << " shows no 80 x 16 picture";
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 80; ++x) {
                const std::uint8_t* p = expected.pixel(x, y);
                const QRgb got = image.pixel(x, y);
                const bool white = p[0] == 255 && p[1] == 255 && p[2] == 255;
                const bool same = white
                    ? qAlpha(got) == 0
                    : qAlpha(got) == 255 && qRed(got) == p[0] && qGreen(got) == p[1] && qBlue(got) == p[2];
                if (!same)
                    return ::testing::AssertionFailure() << "row " << row << " differs at " << x << "," << y;
            }
        }
        return ::testing::AssertionSuccess();
    }

    QTemporaryDir m_data;
    std::unique_ptr<simweb::World> m_world;
    std::unique_ptr<simweb::ProxyServer> m_proxy;
    int m_port = 0;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(KeywordIndex, ShowsAndStoresAPicturePerFormat)
{
    const std::vector<std::string> keywords = {"网站优化", "关键词排名", "seo工具", "外链建设"};
    std::vector<Text> gbkKeywords;
    for (const auto& k : keywords)
        gbkKeywords.push_back(g(k));
    createSite(gbkKeywords);

    window().按钮_查询百度指数->click();

    EXPECT_EQ(window().statusText(), QStringLiteral("查询完毕"));
    EXPECT_FALSE(window().isBusy());
    EXPECT_EQ(indexServiceRequests(), 8); // one lookup and one download each
    for (int r = 0; r < 4; ++r) {
        const ByteBlock expected = expectedPicture(keywords[r]);
        ASSERT_EQ(expected.size(), 3894u);
        EXPECT_NE(expected, encodeBmp24(solidPicture(80, 16, 255, 255, 255))) << keywords[r];
        EXPECT_TRUE(showsPicture(r, expected));
        EXPECT_EQ(window().cellText(r, KeywordColumn::Index), QString());
        const std::optional<Text> hex = stored(gbkKeywords[r]);
        ASSERT_TRUE(hex) << keywords[r];
        EXPECT_EQ(hex->size(), 7788u);
        EXPECT_EQ(*hex, bytesToHex(expected)) << keywords[r];
    }
    // The temporary file holds the last keyword's picture as a 24-bit BMP.
    QFile file(m_data.filePath(QStringLiteral("zeravudez/100.bmp")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray last = file.readAll();
    const Picture lastPicture = decodeBmp(ByteBlock(last.constData(), static_cast<std::size_t>(last.size())));
    EXPECT_EQ(lastPicture.width, 120);
    EXPECT_EQ(static_cast<std::size_t>(last.size()), bmp24FileSize(120, 30));

    // Selecting the site again in a new run shows the stored pictures and
    // asks the service nothing.
    restart();
    window().组合框_网站列表->setEditText(toQString(kSite));
    onSiteSelected(window());
    for (int r = 0; r < 4; ++r)
        EXPECT_TRUE(showsPicture(r, expectedPicture(keywords[r])));
    EXPECT_EQ(indexServiceRequests(), 8);
}

TEST_F(KeywordIndex, ExactSizePictureFillsAboutTheTopTwelveRows)
{
    createSite({"exact"});
    onIndexButtonClicked(window());
    const Picture exact = decodeBmp(hexToBytes(stored("exact").value_or("")));
    ASSERT_EQ(exact.height, 16);
    int inkedRows = 0;
    for (int y = 0; y < 16; ++y) {
        bool inked = false;
        for (int x = 0; x < 80; ++x)
            inked = inked || exact.pixel(x, y)[0] != 255;
        inkedRows += inked;
        if (y >= 12) {
            EXPECT_FALSE(inked) << y;
        }
    }
    EXPECT_GE(inkedRows, 9);
}

TEST_F(KeywordIndex, UnlistedKeywordOrOtherLetterCaseGivesTheZeroPicture)
{
    createSite({g("流量统计"), "SEO"});
    onIndexButtonClicked(window());
    const ByteBlock zero = fitIndexPictureFile(zeroPicture());
    for (int r = 0; r < 2; ++r)
        EXPECT_TRUE(showsPicture(r, zero));
    EXPECT_EQ(stored(g("流量统计")), bytesToHex(zero));
    EXPECT_EQ(stored("SEO"), bytesToHex(zero));
    EXPECT_EQ(indexServiceRequests(), 2); // no download for either
}

TEST_F(KeywordIndex, RateLimitedPictureIsShownButNeverStored)
{
    createSite({g("网站优化"), "fresh"});
    onIndexButtonClicked(window());
    const std::optional<Text> before = stored(g("网站优化"));
    ASSERT_TRUE(before);

    // "fresh" as a keyword never stored.
    ASSERT_TRUE(window().store().executeSql("delete from web_baiduzhishu where keywords='fresh'"));
    startWeb(R"({"index": {"throttled": true}})");
    onIndexButtonClicked(window());
    EXPECT_EQ(window().statusText(), QStringLiteral("查询完毕"));
    for (int r = 0; r < 2; ++r)
        EXPECT_TRUE(showsPicture(r, fittedRateLimitPicture()));
    EXPECT_EQ(stored(g("网站优化")), before);
    // The never-stored keyword got a row with the default, which loads as
    // no picture.
    const std::optional<Text> fresh = stored("fresh");
    ASSERT_TRUE(fresh);
    EXPECT_EQ(*fresh, "0");
    loadKeywordIndexes(window());
    EXPECT_FALSE(shown(0).isNull());
    EXPECT_TRUE(shown(1).isNull());
}

TEST_F(KeywordIndex, ASecondLookupReplacesTheStoredPicture)
{
    createSite({g("网站优化")});
    onIndexButtonClicked(window());
    const std::optional<Text> first = stored(g("网站优化"));
    startWeb(R"({"index": {"keywords": {"网站优化": {"value": 99, "format": "jpg"}}}})");
    onIndexButtonClicked(window());
    const std::optional<Text> second = stored(g("网站优化"));
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_EQ(*second, bytesToHex(expectedPicture("网站优化")));
}

// A network fault shows what the service would have shown for no answer, but
// never replaces what is stored.
TEST_F(KeywordIndex, FailedRequestsOrDownloadsStoreNothing)
{
    createSite({"kept", "new", "broken"});
    const Text brokenHex = bytesToHex(fitIndexPictureFile(encodeBmp24(solidPicture(80, 16, 10, 20, 30))));
    store("broken", brokenHex);

    // The service fails the download of the empty picture file: the row
    // shows white, the stored picture stays.
    onIndexButtonClicked(window());
    EXPECT_TRUE(showsPicture(2, encodeBmp24(solidPicture(80, 16, 255, 255, 255))));
    EXPECT_EQ(stored("broken"), brokenHex);
    const std::optional<Text> kept = stored("kept");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->size(), 7788u);
    ASSERT_TRUE(window().store().executeSql("delete from web_baiduzhishu where keywords='new'"));

    // No answer at all: every row shows the zero picture, nothing stored is
    // replaced, and a keyword never stored gets the default row.
    stopWeb();
    onIndexButtonClicked(window());
    EXPECT_EQ(window().statusText(), QStringLiteral("查询完毕"));
    const ByteBlock zero = fitIndexPictureFile(zeroPicture());
    for (int r = 0; r < 3; ++r)
        EXPECT_TRUE(showsPicture(r, zero));
    EXPECT_EQ(stored("kept"), kept);
    EXPECT_EQ(stored("broken"), brokenHex);
    EXPECT_EQ(stored("new"), Text("0"));
}

TEST_F(KeywordIndex, BytesThatAreNoPictureStoreAWhitePicture)
{
    createSite({"junk"});
    onIndexButtonClicked(window());
    const ByteBlock white = encodeBmp24(solidPicture(80, 16, 255, 255, 255));
    EXPECT_EQ(stored("junk"), bytesToHex(white));
    // Every pixel white is every pixel transparent.
    const QImage image = shown(0);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(qAlpha(image.pixel(40, 8)), 0);
}

TEST_F(KeywordIndex, SiteNeverLookedUpShowsNoPicturesAndAsksNothing)
{
    createSite({"alpha", "beta"});
    loadKeywordIndexes(window());
    EXPECT_EQ(window().statusText(), QStringLiteral("百度指数读取完毕！"));
    EXPECT_FALSE(window().isBusy());
    EXPECT_TRUE(shown(0).isNull());
    EXPECT_TRUE(shown(1).isNull());
    EXPECT_EQ(indexServiceRequests(), 0);
}

TEST_F(KeywordIndex, NothingToStoreOrNoSiteSelected)
{
    // Before any load or lookup the table has no index picture list.
    createSite({});
    saveKeywordIndexes(window());
    EXPECT_EQ(window().statusText(), QStringLiteral("列表框图片组为空！"));
    // Nor does a load that found no stored picture give it one.
    addKeywords(window(), {"alpha"});
    loadKeywordList(window());
    loadKeywordIndexes(window());
    window().clearKeywordRows();
    saveKeywordIndexes(window());
    EXPECT_EQ(window().statusText(), QStringLiteral("列表框图片组为空！"));
    onIndexButtonClicked(window());
    EXPECT_EQ(window().statusText(), QStringLiteral("查询完毕"));
    EXPECT_EQ(indexServiceRequests(), 0);

    window().组合框_网站列表->setEditText(QString());
    onIndexButtonClicked(window());
    EXPECT_EQ(window().statusText(), QStringLiteral("请选择查询网站！"));
    EXPECT_EQ(indexServiceRequests(), 0);
}

} // namespace
} // namespace zv
