#include "charts/line_chart.h"

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <gtest/gtest.h>

#include <limits>

namespace zv {
namespace {

QLineSeries* seriesOf(LineChart& chart)
{
    return qobject_cast<QLineSeries*>(chart.chart()->series().value(0));
}

QValueAxis* verticalAxisOf(LineChart& chart)
{
    const auto axes = chart.chart()->axes(Qt::Vertical);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.first());
}

TEST(LineChart, PointCountKeepsWhatRemainsAndResetsTheCurrentPoint)
{
    LineChart chart;
    chart.setPointCount(5);
    chart.setCurrentPoint(3);
    chart.setPointLabel(QStringLiteral("12.8"));
    chart.setPointValue(42);
    chart.setCurrentPoint(4);
    chart.setPointValue(9);

    chart.setCurrentPoint(2);
    chart.setPointCount(5); // the same count changes nothing
    EXPECT_EQ(chart.currentPoint(), 2);
    EXPECT_EQ(chart.pointValue(3), 42);
    EXPECT_EQ(chart.pointLabel(3), QStringLiteral("12.8"));

    chart.setPointCount(4); // point 4 goes
    EXPECT_EQ(chart.pointCount(), 4);
    EXPECT_EQ(chart.currentPoint(), 0);
    EXPECT_EQ(chart.pointValue(3), 42);

    chart.setPointCount(6); // new points: 0 and empty
    EXPECT_EQ(chart.pointValue(4), 0);
    EXPECT_EQ(chart.pointLabel(4), QString());
    EXPECT_EQ(chart.pointValue(3), 42);
    EXPECT_EQ(seriesOf(chart)->count(), 6);

    chart.setPointCount(0);
    EXPECT_EQ(chart.pointCount(), 1);
    chart.setPointCount(500);
    EXPECT_EQ(chart.pointCount(), 100);
}

TEST(LineChart, CurrentPointOutOfRangeSelectsPointZero)
{
    LineChart chart;
    chart.setPointCount(3);
    chart.setCurrentPoint(3);
    EXPECT_EQ(chart.currentPoint(), 0);
    chart.setCurrentPoint(-1);
    EXPECT_EQ(chart.currentPoint(), 0);
    chart.setCurrentPoint(2);
    chart.setPointValue(7);
    EXPECT_EQ(chart.pointValue(2), 7);
    EXPECT_EQ(chart.pointValue(0), 0);
}

TEST(LineChart, ValuesAndMaximumAreClamped)
{
    LineChart chart;
    chart.setPointCount(3);
    chart.setPointValue(-5);
    EXPECT_EQ(chart.pointValue(0), 0);
    chart.setPointValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(chart.pointValue(0), 0);
    chart.setPointValue(20000000);
    EXPECT_EQ(chart.pointValue(0), 10000000);

    chart.setMaximum(-1);
    EXPECT_EQ(chart.maximum(), 0);
    chart.setMaximum(123456789);
    EXPECT_EQ(chart.maximum(), 10000000);
    chart.setMaximum(150);
    EXPECT_EQ(verticalAxisOf(chart)->max(), 150);
    EXPECT_EQ(verticalAxisOf(chart)->min(), 0);
}

TEST(LineChart, ValuesAboveTheMaximumAreDrawnAtTheTopButWrittenInFull)
{
    LineChart chart;
    chart.setPointCount(2);
    chart.setMaximum(50);
    chart.setCurrentPoint(1);
    chart.setPointValue(1234567);
    EXPECT_EQ(seriesOf(chart)->at(1), QPointF(1, 50));
    EXPECT_EQ(chart.valueText(1), QStringLiteral("1234567"));
    chart.setMaximum(2000000);
    EXPECT_EQ(seriesOf(chart)->at(1), QPointF(1, 1234567)) << "kept, not lost to the old clamp";
    chart.setPointValue(2.6);
    EXPECT_EQ(chart.valueText(1), QStringLiteral("3")) << "no decimals";
}

TEST(LineChart, EqualLabelsStillGetTheirOwnAxisPlace)
{
    LineChart chart;
    chart.setPointCount(30);
    auto* axis = qobject_cast<QCategoryAxis*>(chart.chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->count(), 30);
    chart.setCurrentPoint(29);
    chart.setPointLabel(QStringLiteral("12.8"));
    EXPECT_EQ(axis->count(), 30);
    EXPECT_TRUE(axis->categoriesLabels().contains(QStringLiteral("12.8")));
    EXPECT_EQ(axis->endValue(QStringLiteral("12.8")), 29);
}

} // namespace
} // namespace zv
