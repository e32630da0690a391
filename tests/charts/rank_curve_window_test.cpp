#include "chart_window_fixture.h"

#include "charts/drawing_surface.h"

#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace zv::test {
namespace {

constexpr QRgb Red = 0xFF0000;
constexpr QRgb White = 0xFFFFFF;

// x of points 1 .. 30 on the surface.
int pointX(int k)
{
    return static_cast<int>(50 + 970.0 * k / 31);
}

// y of a value on a scale with the given top.
int pointY(int value, int top)
{
    return static_cast<int>(80 + 320.0 * value / top);
}

class RankCurveWindowTest : public ChartWindowTest
{
protected:
    QRgb pixel(int x, int y) const { return rankCurveWindow()->画板1->image().pixel(x, y) & 0xFFFFFFu; }

    void selectRow(int row)
    {
        QTreeWidget* table = main->超级列表框_关键词排名;
        table->clearSelection();
        if (row >= 0)
            table->topLevelItem(row)->setSelected(true);
    }

    // Activates the selected row of the keyword table, as a double click does.
    void activateSelectedRow()
    {
        QTreeWidget* table = main->超级列表框_关键词排名;
        const int row = main->selectedKeywordRow();
        Q_EMIT table->itemDoubleClicked(row >= 0 ? table->topLevelItem(row) : nullptr, 2);
    }

    bool surfaceIsBlank() const
    {
        const QImage& image = rankCurveWindow()->画板1->image();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFFu) != White)
                    return false;
        return true;
    }
};

TEST_F(RankCurveWindowTest, RankedLastThreeDaysAndUnrankedBefore)
{
    createSite("www.example.com");
    addKeywordColumn("www.example.com", "优化");
    addKeywordColumn("www.example.com", "tools");
    const QDate today(2009, 12, 8);
    recordRank("www.example.com", today.addDays(-2), "优化", 3);
    recordRank("www.example.com", today.addDays(-1), "优化", 5);
    recordRank("www.example.com", today, "优化", 7);
    recordRank("www.example.com", today.addDays(-5), "优化", 0); // searched, not found
    recordRank("www.example.com", today.addDays(-6), "tools", 44);
    selectSite("www.example.com");
    addKeywordRow("tools");
    addKeywordRow("优化");
    selectRow(1);

    activateSelectedRow();
    RankCurveWindow* window = rankCurveWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowModality(), Qt::NonModal);
    EXPECT_EQ(window->frameGeometry(), QRect(50, 50, 1060, 477)) << "frame included";
    EXPECT_EQ(rankCurveSelection().curveKeyword, toText(u("优化")));
    EXPECT_EQ(window->标签_域名->text(), u("www.example.com"));
    EXPECT_EQ(window->标签_关键词->text(), u("关键词 [优化] 百度排名曲线图"));
    // M = 7, so V = 100 and the scale top is 100.
    EXPECT_EQ(pixel(pointX(28), pointY(3, 100)), Red);
    EXPECT_EQ(pixel(pointX(29), pointY(5, 100)), Red);
    EXPECT_EQ(pixel(pointX(30), pointY(7, 100)), Red);
    for (int k = 1; k <= 27; ++k)
        EXPECT_EQ(pixel(pointX(k), 400), Red) << "unranked day " << k;
    EXPECT_TRUE(main->isEnabled()) << "modeless";
    EXPECT_TRUE(shownMessages().isEmpty());
}

TEST_F(RankCurveWindowTest, UnrankedValueFollowsTheLargestRankEverRecorded)
{
    createSite("www.example.com");
    addKeywordColumn("www.example.com", "seo");
    const QDate today(2009, 12, 8);
    recordRank("www.example.com", today, "seo", 12);
    recordRank("www.example.com", QDate(2008, 3, 1), "seo", 201); // long ago, still counts
    selectSite("www.example.com");
    addKeywordRow("seo");
    selectRow(0);
    activateSelectedRow();
    // V = 300, scale top 500.
    EXPECT_EQ(pixel(pointX(30), pointY(12, 500)), Red);
    EXPECT_EQ(pixel(pointX(1), pointY(300, 500)), Red);

    recordRank("www.example.com", QDate(2008, 3, 1), "seo", 200);
    rankCurveWindow()->drawRankCurve();
    // V = 200, scale top 500.
    EXPECT_EQ(pixel(pointX(1), pointY(200, 500)), Red);
    EXPECT_NE(pixel(pointX(1), pointY(300, 500)), Red);

    recordRank("www.example.com", QDate(2008, 3, 1), "seo", 0);
    recordRank("www.example.com", today, "seo", 0);
    rankCurveWindow()->drawRankCurve();
    // Never found: V = 100 everywhere.
    for (int k = 1; k <= 30; ++k)
        EXPECT_EQ(pixel(pointX(k), 400), Red) << k;
}

TEST_F(RankCurveWindowTest, DayKeysAreZeroPadded)
{
    setChartToday(QDate(2010, 1, 10));
    createSite("www.example.com");
    addKeywordColumn("www.example.com", "seo");
    recordRank("www.example.com", QDate(2010, 1, 5), "seo", 9);
    recordRank("www.example.com", QDate(2009, 12, 31), "seo", 2);
    selectSite("www.example.com");
    addKeywordRow("seo");
    selectRow(0);
    activateSelectedRow();
    EXPECT_EQ(pixel(pointX(25), pointY(9, 100)), Red) << "2010-01-05";
    EXPECT_EQ(pixel(pointX(20), pointY(2, 100)), Red) << "2009-12-31";
    EXPECT_EQ(pixel(pointX(24), 400), Red) << "2010-01-04 has no row";
}

TEST_F(RankCurveWindowTest, PagingIsLimitedByTheRecordedDays)
{
    createSite("www.example.com");
    addKeywordColumn("www.example.com", "seo");
    const QDate today(2009, 12, 8);
    for (int i = 0; i < 40; ++i)
        recordRank("www.example.com", today.addDays(-i), "seo", i < 30 ? 10 : 40);
    selectSite("www.example.com");
    addKeywordRow("seo");
    selectRow(0);
    activateSelectedRow();
    RankCurveWindow* window = rankCurveWindow();
    EXPECT_EQ(pixel(pointX(1), pointY(10, 50)), Red);

    window->按钮_前30天->click();
    EXPECT_EQ(rankCurveSelection().rankPage, 1);
    // Days 30 to 39 back are ranked 40; the older 20 days of the page are unranked (V = 100).
    EXPECT_EQ(pixel(pointX(30), pointY(40, 100)), Red);
    EXPECT_EQ(pixel(pointX(21), pointY(40, 100)), Red);
    EXPECT_EQ(pixel(pointX(20), 400), Red);

    window->按钮_前30天->click();
    EXPECT_EQ(rankCurveSelection().rankPage, 1) << "40 - 60 <= 0";
    EXPECT_EQ(pixel(pointX(30), pointY(40, 100)), Red) << "the drawing is left as it was";

    window->按钮_后30天->click();
    EXPECT_EQ(rankCurveSelection().rankPage, 0);
    EXPECT_EQ(pixel(pointX(30), pointY(10, 50)), Red);
    window->按钮_后30天->click();
    EXPECT_EQ(rankCurveSelection().rankPage, 0);

    selectRow(0);
    selectSite(""); // an empty site address draws nothing either
    activateSelectedRow();
    EXPECT_TRUE(surfaceIsBlank());
    EXPECT_TRUE(shownMessages().isEmpty());
}

TEST_F(RankCurveWindowTest, ADayWithoutAValueIsDrawnAsADayWithoutARank)
{
    createSite("www.example.com");
    addKeywordColumn("www.example.com", "seo");
    const QDate today(2009, 12, 8);
    recordRank("www.example.com", today.addDays(-2), "seo", 30);
    recordRank("www.example.com", today.addDays(-1), "seo", 120);
    // Today's search failed: the day's row holds no value for the keyword.
    recordRank("www.example.com", today, "seo", 0);
    sql("update " + siteTableName("www.example.com") + " set seo = NULL where keydate = '" + iso(today) + "'");
    selectSite("www.example.com");
    addKeywordRow("seo");
    selectRow(0);
    activateSelectedRow();
    // V = 200 from the largest rank, scale top 500; today sits where the
    // days without any row sit.
    EXPECT_EQ(pixel(pointX(28), pointY(30, 500)), Red);
    EXPECT_EQ(pixel(pointX(29), pointY(120, 500)), Red);
    EXPECT_EQ(pixel(pointX(30), pointY(200, 500)), Red);
    EXPECT_EQ(pixel(pointX(1), pointY(200, 500)), Red);
}

// A style under which a single click activates an item, as some desktops set.
class SingleClickStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ItemView_ActivateItemOnSingleClick)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

TEST_F(RankCurveWindowTest, OnlyADoubleClickOrEnterOpensTheCurve)
{
    createSite("www.example.com");
    addKeywordColumn("www.example.com", "seo");
    selectSite("www.example.com");
    addKeywordRow("seo");
    QTreeWidget* table = main->超级列表框_关键词排名;
    SingleClickStyle style;
    table->setStyle(&style);
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    int activations = 0;
    QObject::connect(table, &QTreeWidget::itemActivated, [&activations] { ++activations; });
    const QPoint row = table->visualItemRect(table->topLevelItem(0)).center();

    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row);
    EXPECT_EQ(activations, 1) << "the style makes a click an activation";
    EXPECT_EQ(main->selectedKeywordRow(), 0);
    EXPECT_EQ(rankCurveWindow(), nullptr) << "a single click opens nothing";

    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, row);
    ASSERT_NE(rankCurveWindow(), nullptr);
    EXPECT_EQ(rankCurveSelection().curveKeyword, "seo");
    delete rankCurveWindow();
    ASSERT_EQ(rankCurveWindow(), nullptr);

    table->setFocus();
    QTest::keyClick(table, Qt::Key_Return);
    EXPECT_NE(rankCurveWindow(), nullptr);
    table->setStyle(nullptr);
}

TEST_F(RankCurveWindowTest, NoSelectedRowOpensABlankWindow)
{
    createSite("www.example.com");
    addKeywordColumn("www.example.com", "seo");
    recordRank("www.example.com", QDate(2009, 12, 8), "seo", 3);
    selectSite("www.example.com");
    addKeywordRow("seo");
    selectRow(-1);
    activateSelectedRow();
    ASSERT_NE(rankCurveWindow(), nullptr);
    EXPECT_EQ(rankCurveWindow()->标签_关键词->text(), u("关键词 [] 百度排名曲线图"));
    EXPECT_TRUE(surfaceIsBlank());
    rankCurveWindow()->按钮_前30天->click();
    rankCurveWindow()->按钮_后30天->click();
    EXPECT_TRUE(surfaceIsBlank());
    EXPECT_EQ(rankCurveSelection().rankPage, 0);
}

TEST_F(RankCurveWindowTest, MissingKeywordColumnShowsTheStoreErrorBox)
{
    createSite("www.example.com");
    addKeywordColumn("www.example.com", "seo");
    recordRank("www.example.com", QDate(2009, 12, 8), "seo", 3);
    selectSite("www.example.com");
    addKeywordRow("gone");
    selectRow(0);
    activateSelectedRow();
    EXPECT_FALSE(shownMessages().isEmpty());
    EXPECT_TRUE(surfaceIsBlank());
}

TEST_F(RankCurveWindowTest, AnotherRowWhileOpenIsDrawnAtOnceInTheSameWindow)
{
    createSite("www.example.com");
    addKeywordColumn("www.example.com", "seo");
    addKeywordColumn("www.example.com", "tools");
    recordRank("www.example.com", QDate(2009, 12, 8), "seo", 3);
    recordRank("www.example.com", QDate(2009, 12, 8), "tools", 40);
    selectSite("www.example.com");
    addKeywordRow("seo");
    addKeywordRow("tools");
    addKeywordRow("");
    selectRow(0);
    activateSelectedRow();
    RankCurveWindow* first = rankCurveWindow();
    EXPECT_EQ(pixel(pointX(30), pointY(3, 100)), Red);

    selectRow(1);
    activateSelectedRow();
    EXPECT_EQ(rankCurveWindow(), first) << "at most one window";
    EXPECT_EQ(first->标签_关键词->text(), u("关键词 [tools] 百度排名曲线图"));
    EXPECT_EQ(pixel(pointX(30), pointY(40, 100)), Red);
    EXPECT_NE(pixel(pointX(30), pointY(3, 100)), Red);

    selectRow(2); // a row without a keyword: no curve under an empty title
    activateSelectedRow();
    EXPECT_EQ(first->标签_关键词->text(), u("关键词 [] 百度排名曲线图"));
    EXPECT_TRUE(surfaceIsBlank());

    first->close();
    EXPECT_EQ(rankCurveWindow(), nullptr);
    selectRow(0);
    activateSelectedRow();
    EXPECT_NE(rankCurveWindow(), nullptr) << "opens afresh after closing";
}

TEST_F(RankCurveWindowTest, PageIsKeptAcrossKeywordsAndOpenings)
{
    createSite("www.example.com");
    addKeywordColumn("www.example.com", "seo");
    addKeywordColumn("www.example.com", "tools");
    const QDate today(2009, 12, 8);
    for (int i = 0; i < 40; ++i) {
        recordRank("www.example.com", today.addDays(-i), "seo", 10);
        recordRank("www.example.com", today.addDays(-i), "tools", i == 30 ? 4 : 20);
    }
    selectSite("www.example.com");
    addKeywordRow("seo");
    addKeywordRow("tools");
    selectRow(0);
    activateSelectedRow();
    rankCurveWindow()->按钮_前30天->click();
    ASSERT_EQ(rankCurveSelection().rankPage, 1);
    rankCurveWindow()->close();

    selectRow(1);
    activateSelectedRow();
    EXPECT_EQ(rankCurveSelection().rankPage, 1);
    EXPECT_EQ(pixel(pointX(30), pointY(4, 100)), Red) << "tools, 30 days ago";
}

} // namespace
} // namespace zv::test
