#include "chart_window_fixture.h"

#include "charts/line_chart.h"

#include <QLabel>
#include <QPushButton>

namespace zv::test {
namespace {

using OverviewCurve = ChartWindowTest;

QStringList labelsOf(const LineChart& chart)
{
    QStringList labels;
    for (int i = 0; i < chart.pointCount(); ++i)
        labels.append(chart.pointLabel(i));
    return labels;
}

TEST_F(OverviewCurve, DrawsThirtyDaysEndingTodayAcrossTheMonthEnd)
{
    createSite("www.example.com");
    const QDate today(2009, 12, 8);
    recordOverview("www.example.com", today, "无", 90, 7, 3);
    recordOverview("www.example.com", QDate(2009, 11, 30), "无", 100, 8, 4);
    recordOverview("www.example.com", QDate(2009, 11, 9), "无", 40, 9, 5);
    recordOverview("www.example.com", QDate(2009, 11, 8), "无", 30, 1, 1); // one day too old
    recordOverview("www.example.com", QDate(2008, 1, 8), "无", 1234, 1, 1); // counts for the maximum only
    selectSite("www.example.com");
    overviewCurveSelection().chartColumn = "baidushoulu";
    overviewCurveSelection().chartCaption = toText(u("百度总收录"));

    OverviewCurveWindow window(*main);
    const LineChart& chart = *window.曲线图控件1;
    EXPECT_EQ(chart.title(), u("[百度总收录]曲线图"));
    EXPECT_EQ(window.标签_网站地址->text(), u("www.example.com"));
    ASSERT_EQ(chart.pointCount(), 30);
    const QStringList labels = labelsOf(chart);
    EXPECT_EQ(labels.first(), u("11.9"));
    EXPECT_EQ(labels.last(), u("12.8"));
    EXPECT_EQ(labels.at(21), u("11.30"));
    EXPECT_EQ(labels.at(22), u("12.1"));
    EXPECT_EQ(chart.pointValue(29), 90);
    EXPECT_EQ(chart.pointValue(21), 100);
    EXPECT_EQ(chart.pointValue(0), 40);
    EXPECT_EQ(chart.pointValue(22), 0) << "a day without a row";
    EXPECT_EQ(chart.maximum(), 1250) << "largest value over all days";
}

TEST_F(OverviewCurve, AFigureWithoutAValueIsDrawnAsADayWithoutARow)
{
    createSite("www.example.com");
    const QDate today(2009, 12, 8);
    recordOverview("www.example.com", today, "无", 90, 7, 3);
    recordOverview("www.example.com", today.addDays(-1), "无", 80, 6, 2);
    // The day's index page failed: the figure has no value.
    sql("update www_example_com_xx set baidushoulu = NULL where keydate = '" + iso(today.addDays(-1)) + "'");
    selectSite("www.example.com");
    overviewCurveSelection().chartColumn = "baidushoulu";
    overviewCurveSelection().chartCaption = toText(u("百度总收录"));

    OverviewCurveWindow window(*main);
    const LineChart& chart = *window.曲线图控件1;
    EXPECT_EQ(chart.pointValue(29), 90);
    EXPECT_EQ(chart.pointValue(28), chart.pointValue(27)) << "as the day before, which has no row";
    EXPECT_EQ(chart.pointValue(28), 0);
}

TEST_F(OverviewCurve, TenRecordedDaysRefusePagingBack)
{
    createSite("www.example.com");
    recordOverviewDays("www.example.com", QDate(2009, 12, 8), 10, [](int i) { return 10 + i; });
    selectSite("www.example.com");
    overviewCurveSelection().chartColumn = "baidushoulu";
    OverviewCurveWindow window(*main);
    EXPECT_EQ(window.曲线图控件1->pointValue(29), 10);
    EXPECT_EQ(window.曲线图控件1->pointValue(20), 19);
    EXPECT_EQ(window.曲线图控件1->pointValue(19), 0);
    window.按钮_前30天->click();
    EXPECT_EQ(overviewCurveSelection().overviewPage, 0);
    EXPECT_EQ(window.曲线图控件1->pointLabel(29), u("12.8")) << "the drawing is kept";
    window.按钮_后30天->click();
    EXPECT_EQ(overviewCurveSelection().overviewPage, 0) << "no page after today";
}

TEST_F(OverviewCurve, FortyFiveRecordedDaysPageBackOnce)
{
    createSite("www.example.com");
    recordOverviewDays("www.example.com", QDate(2009, 12, 8), 45, [](int i) { return 1000 - i; });
    selectSite("www.example.com");
    overviewCurveSelection().chartColumn = "baidushoulu";
    OverviewCurveWindow window(*main);

    window.按钮_前30天->click();
    EXPECT_EQ(overviewCurveSelection().overviewPage, 1);
    EXPECT_EQ(window.曲线图控件1->pointLabel(29), u("11.8")) << "the window ending 30 days ago";
    EXPECT_EQ(window.曲线图控件1->pointLabel(0), u("10.10"));
    EXPECT_EQ(window.曲线图控件1->pointValue(29), 970);
    EXPECT_EQ(window.曲线图控件1->pointValue(15), 956);
    EXPECT_EQ(window.曲线图控件1->pointValue(14), 0) << "before the first recorded day";

    window.按钮_前30天->click();
    EXPECT_EQ(overviewCurveSelection().overviewPage, 1) << "45 - 60 <= 0";

    window.按钮_后30天->click();
    EXPECT_EQ(overviewCurveSelection().overviewPage, 0);
    EXPECT_EQ(window.曲线图控件1->pointLabel(29), u("12.8"));
    EXPECT_EQ(window.曲线图控件1->pointValue(29), 1000);
    EXPECT_EQ(window.曲线图控件1->pointValue(0), 971);
}

TEST_F(OverviewCurve, PageIsRememberedAcrossOpeningsAndFigures)
{
    createSite("www.example.com");
    recordOverviewDays("www.example.com", QDate(2009, 12, 8), 45, [](int i) { return i; });
    selectSite("www.example.com");

    whileOpen<OverviewCurveWindow>([&] { Q_EMIT main->标签_总收录->clicked(); },
                                   [&](OverviewCurveWindow& window) {
                                       EXPECT_EQ(window.windowModality(), Qt::ApplicationModal);
                                       EXPECT_EQ(window.frameGeometry(), QRect(50, 50, 984, 412)) << "frame included";
                                       EXPECT_EQ(window.曲线图控件1->title(), u("[百度总收录]曲线图"));
                                       window.按钮_前30天->click();
                                   });
    EXPECT_EQ(overviewCurveSelection().overviewPage, 1);

    whileOpen<OverviewCurveWindow>([&] { Q_EMIT main->标签_百度反链->clicked(); },
                                   [&](OverviewCurveWindow& window) {
                                       EXPECT_EQ(window.曲线图控件1->title(), u("[百度domain反链]曲线图"));
                                       EXPECT_EQ(window.曲线图控件1->pointLabel(29), u("11.8"));
                                       EXPECT_EQ(window.曲线图控件1->pointValue(29), 31) << "backlinks of day 30";
                                   });
    EXPECT_EQ(overviewCurveSelection().chartColumn, "baidufanlian");

    whileOpen<OverviewCurveWindow>([&] { Q_EMIT main->标签_今日收录->clicked(); },
                                   [&](OverviewCurveWindow& window) {
                                       EXPECT_EQ(window.曲线图控件1->title(), u("[百度每日收录]曲线图"));
                                       EXPECT_EQ(window.曲线图控件1->pointValue(29), 32);
                                   });
    EXPECT_EQ(main->findChild<OverviewCurveWindow*>(), nullptr);
}

TEST_F(OverviewCurve, EmptyAddressKeepsTheTemplateChart)
{
    selectSite("");
    overviewCurveSelection().chartColumn = "baidushoulu";
    overviewCurveSelection().chartCaption = toText(u("百度总收录"));
    OverviewCurveWindow window(*main);
    const LineChart& chart = *window.曲线图控件1;
    EXPECT_EQ(chart.title(), u("网站信息曲线图"));
    EXPECT_EQ(window.标签_网站地址->text(), u("标签"));
    EXPECT_EQ(chart.pointCount(), 30);
    EXPECT_EQ(chart.maximum(), 100);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(chart.pointValue(i), 0);
        EXPECT_TRUE(chart.pointLabel(i).isEmpty());
    }
}

TEST_F(OverviewCurve, APageKeptFromEarlierBeyondTheRecordedDays)
{
    createSite("www.example.com");
    recordOverviewDays("www.example.com", QDate(2009, 12, 8), 5, [](int i) { return i + 1; });
    selectSite("www.example.com");
    overviewCurveSelection() = {"baidushoulu", toText(u("百度总收录")), 1};
    OverviewCurveWindow window(*main);
    EXPECT_EQ(window.曲线图控件1->title(), u("[百度总收录]曲线图"));
    EXPECT_EQ(window.标签_网站地址->text(), u("www.example.com"));
    EXPECT_TRUE(window.曲线图控件1->pointLabel(29).isEmpty()) << "template points kept";
    window.按钮_后30天->click();
    EXPECT_EQ(overviewCurveSelection().overviewPage, 0);
    EXPECT_EQ(window.曲线图控件1->pointValue(29), 1);
}

TEST_F(OverviewCurve, UnregisteredAddressShowsTheStoreErrorBox)
{
    selectSite("typed.example.com");
    overviewCurveSelection().chartColumn = "baidushoulu";
    OverviewCurveWindow window(*main);
    EXPECT_FALSE(window.drawOverviewCurve());
    ASSERT_FALSE(shownMessages().isEmpty());
    EXPECT_EQ(shownMessages().first().caption, QStringLiteral("Error"));
    EXPECT_TRUE(window.曲线图控件1->pointLabel(29).isEmpty());
}

} // namespace
} // namespace zv::test
