#include "charts/chart_days.h"
#include "charts/curve_values.h"

#include <gtest/gtest.h>

#include <climits>

namespace zv {
namespace {

TEST(ChartDays, LabelsAndKeysAcrossMonthAndYearEnds)
{
    struct Case
    {
        QDate date;
        const char* label;
        const char* unpadded;
        const char* padded;
    };
    const Case cases[] = {
        {QDate(2009, 12, 8), "12.8", "2009-12-8", "2009-12-08"},
        {QDate(2009, 12, 31), "12.31", "2009-12-31", "2009-12-31"},
        {QDate(2010, 1, 5), "1.5", "2010-1-5", "2010-01-05"},
        {QDate(2009, 11, 30), "11.30", "2009-11-30", "2009-11-30"},
        {QDate(2012, 2, 29), "2.29", "2012-2-29", "2012-02-29"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dayLabel(c.date), QString::fromUtf8(c.label));
        EXPECT_EQ(unpaddedDayKey(c.date), c.unpadded);
        EXPECT_EQ(paddedDayKey(c.date), c.padded);
    }
}

TEST(ChartDays, ChineseDayTextHasNoLeadingZeros)
{
    EXPECT_EQ(chineseDayText(DateTime {2010, 1, 5}), QStringLiteral("2010年1月5日"));
    EXPECT_EQ(chineseDayText(DateTime {2009, 12, 8, 13, 4, 5}), QStringLiteral("2009年12月8日"));
}

TEST(RankCurveValues, UnrankedValueIsTheLargestRankRaisedToHundreds)
{
    EXPECT_EQ(unrankedValue(0), 100);
    EXPECT_EQ(unrankedValue(7), 100);
    EXPECT_EQ(unrankedValue(37), 100);
    EXPECT_EQ(unrankedValue(100), 100);
    EXPECT_EQ(unrankedValue(101), 200);
    EXPECT_EQ(unrankedValue(200), 200);
    EXPECT_EQ(unrankedValue(201), 300);
    EXPECT_EQ(unrankedValue(250), 300);
    EXPECT_EQ(unrankedValue(800), 800);
    EXPECT_EQ(unrankedValue(INT_MAX), INT_MAX) << "raised past the int range: held at its end";
}

TEST(OverviewCurveValues, MaximumIsTheNextMultipleOfFiftyAbove)
{
    EXPECT_EQ(overviewMaximum(0), 50);
    EXPECT_EQ(overviewMaximum(49), 50);
    EXPECT_EQ(overviewMaximum(50), 100);
    EXPECT_EQ(overviewMaximum(100), 150);
    EXPECT_EQ(overviewMaximum(1234), 1250);
    EXPECT_EQ(overviewMaximum(INT_MAX), INT_MAX) << "raised past the int range: held at its end";
}

} // namespace
} // namespace zv
