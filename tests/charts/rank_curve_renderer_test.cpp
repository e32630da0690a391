#include "charts/rank_curve_renderer.h"

#include <gtest/gtest.h>

#include <utility>

namespace zv {
namespace {

constexpr QRgb White = 0xFFFFFF;
constexpr QRgb Black = 0x000000;
constexpr QRgb Grey = 0x808080;
constexpr QRgb Wall = 0xFFA8FF;
constexpr QRgb Blue = 0x0000FF;
constexpr QRgb Red = 0xFF0000;

// x of the 30 points as the frame places them.
constexpr int PointX[30] = {81,  112, 143, 175, 206, 237, 269, 300, 331, 362, 394, 425, 456, 488, 519,
                            550, 581, 613, 644, 675, 707, 738, 769, 800, 832, 863, 894, 926, 957, 988};

class RankCurve : public ::testing::Test
{
protected:
    RankCurve() { surface.resize(1056, 448); }

    QRgb at(int x, int y) const { return surface.image().pixel(x, y) & 0xFFFFFFu; }

    static std::vector<int> exampleValues()
    {
        std::vector<int> values(30, 100);
        values[27] = 3;
        values[28] = 5;
        values[29] = 7;
        return values;
    }

    static std::vector<QString> dayLabels()
    {
        std::vector<QString> labels;
        for (int i = 0; i < 30; ++i)
            labels.push_back(QStringLiteral("12.%1").arg(30 - i));
        return labels;
    }

    bool anyOf(QRgb colour, QRect area) const
    {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (at(x, y) == colour)
                    return true;
        return false;
    }

    QImage curveFrame() const { return surface.backgroundPicture(); }

    DrawingSurface surface;
};

TEST_F(RankCurve, ScaleTopWalksItsStepsAndSkipsFiftyMillion)
{
    const std::vector<std::pair<int, int>> cases = {
        {0, 50},
        {-7, 50},
        {50, 50},
        {51, 100},
        {100, 100},
        {101, 500},
        {1001, 5000},
        {10000, 10000},
        {10001, 50000},
        {100001, 500000},
        {1000001, 5000000},
        {5000001, 10000000},
        {10000001, 100000000},
        {50000000, 100000000},
        {100000001, 500000000},
        {500000001, 1000000000},
        {1000000000, 1000000000},
        {1000000001, 0},
    };
    for (const auto& [largest, top] : cases) {
        curveState().values = {1, largest, 2};
        EXPECT_EQ(scaleTop(3), top) << largest;
    }
    curveState().values = {1, 2, 700};
    EXPECT_EQ(scaleTop(2), 50) << "only the first count values count";
    EXPECT_EQ(scaleTop(10), 1000) << "a count past the values reads what there is";
}

TEST_F(RankCurve, FrameLinesAndFaces)
{
    renderRankCurve(surface, 30, dayLabels(), exampleValues());

    // Top axis (50, 80) to (1020, 80), between the ticks.
    for (int x : {50, 60, 500, 1019})
        EXPECT_EQ(at(x, 80), Black) << x;
    // Left axis (50, 80) to (50, 432), end point left out.
    for (int y : {81, 100, 250, 431})
        EXPECT_EQ(at(50, y), Black) << y;
    EXPECT_EQ(at(50, 433), White);
    // Back bottom edge (57, 428) to (1028, 428).
    for (int x : {57, 300, 1027})
        EXPECT_EQ(at(x, 428), Black) << x;
    EXPECT_EQ(at(1028, 428), White);
    // Back right edge (1027, 76) to (1027, 428).
    for (int y : {76, 77, 200, 427})
        EXPECT_EQ(at(1027, y), Black) << y;
    EXPECT_EQ(at(1027, 75), White);
    // Ticks across the top axis, y 77 to 84, at every point.
    for (int x : PointX) {
        EXPECT_EQ(at(x, 77), Black) << x;
        EXPECT_EQ(at(x, 84), Black) << x;
        EXPECT_EQ(at(x, 85), White) << x;
    }

    // Top face (50,80) (1020,80) (1027,76) (57,76): white inside, black outline.
    EXPECT_EQ(at(500, 78), White);
    EXPECT_EQ(at(500, 76), Black);
    // Left wall (50,80) (57,76) (57,428) (50,432): pink inside, outlined.
    EXPECT_EQ(at(53, 250), Wall);
    EXPECT_EQ(at(54, 420), Wall);
    EXPECT_EQ(at(57, 250), Black);
    // The back wall stays white.
    EXPECT_EQ(at(600, 250), White);
    EXPECT_EQ(at(1030, 250), White);
}

TEST_F(RankCurve, GridTicksWallDiagonalsAndDashes)
{
    renderRankCurve(surface, 30, dayLabels(), exampleValues());
    // The frame layer alone, as kept for clearing; the curve may cover parts of it.
    surface.image() = curveFrame();
    for (int j = 1; j <= 10; ++j) {
        const int y = 80 + 32 * j;
        const int dashY = y - 4; // y - 3.5, truncated
        SCOPED_TRACE(y);
        for (int x = 45; x < 50; ++x)
            EXPECT_EQ(at(x, y), Black) << "tick at " << x;
        EXPECT_EQ(at(44, y), White);
        EXPECT_EQ(at(50, y), Grey) << "the wall diagonal starts on the axis";
        EXPECT_TRUE(anyOf(Grey, QRect(56, dashY, 1, 2))) << "and climbs onto the wall";
        EXPECT_TRUE(anyOf(Grey, QRect(53, dashY + 1, 1, 3)));
        // Dashes of 3 with gaps of 2: 57-60, 62-65, ... 1022-1025.
        for (int x = 57; x < 1027; ++x) {
            const bool inDash = (x - 57) % 5 < 3;
            EXPECT_EQ(at(x, dashY), inDash ? Grey : White) << "x " << x;
        }
        EXPECT_EQ(at(1027, dashY), Black) << "the back edge, no dash beyond";
        EXPECT_EQ(at(1028, dashY), White);
    }
}

TEST_F(RankCurve, PointsOfTheExampleValues)
{
    renderRankCurve(surface, 30, dayLabels(), exampleValues());
    // Unranked days lie on the lowest grid line, ranked ones at 80 + 3.2 v.
    const int lastYs[3] = {89, 96, 102};
    for (int k = 0; k < 30; ++k) {
        const int x = PointX[k];
        const int y = k < 27 ? 400 : lastYs[k - 27];
        SCOPED_TRACE(k + 1);
        EXPECT_EQ(at(x, y), Red);
        EXPECT_EQ(at(x - 2, y - 2) == Red || at(x - 1, y - 1) == Red, true);
        // The square is 4 pixels wide: nothing red 3 pixels to either side.
        EXPECT_NE(at(x + 3, y), Red);
        EXPECT_NE(at(x - 3, y), Red);
        // Its number sits up and to the left.
        EXPECT_TRUE(anyOf(Black, QRect(x - 15, y - 13, 14, 12)));
    }
    // The square of the value 3 (y 89.6) covers rows 87 to 90.
    EXPECT_EQ(at(926, 87), Red);
    EXPECT_EQ(at(926, 90), Red);
    EXPECT_NE(at(926, 91), Red);
    EXPECT_NE(at(926, 86), Red);
    // Blue segments join the points: flat along 400, then up to the value 3.
    EXPECT_EQ(at(100, 400), Blue);
    EXPECT_EQ(at(600, 400), Blue);
    EXPECT_TRUE(anyOf(Blue, QRect(910, 150, 1, 200)));
    EXPECT_TRUE(anyOf(Blue, QRect(940, 90, 1, 8)));
    // The scale reads 10 ... 100 left of the axis.
    for (int j = 1; j <= 10; ++j)
        EXPECT_TRUE(anyOf(Black, QRect(20, 80 + 32 * j - 5, 24, 14))) << j;
}

TEST_F(RankCurve, DayLabelsStandAboveTheTicks)
{
    std::vector<QString> labels(30);
    labels[0] = QStringLiteral("12.8"); // newest, rightmost
    labels[29] = QStringLiteral("11.9"); // oldest, leftmost
    renderRankCurve(surface, 30, labels, std::vector<int>(30, 10));
    EXPECT_TRUE(anyOf(Black, QRect(988, 60, 30, 16)));
    EXPECT_TRUE(anyOf(Black, QRect(81, 60, 28, 16)));
    EXPECT_FALSE(anyOf(Black, QRect(300, 55, 400, 20))) << "empty labels in between write nothing";
}

TEST_F(RankCurve, SecondRenderingLeavesNoTraceOfTheFirst)
{
    std::vector<int> first(30, 50);
    first[10] = 1;
    renderRankCurve(surface, 30, dayLabels(), first);
    EXPECT_EQ(at(PointX[10], 86), Red);

    std::vector<int> second(30, 20);
    renderRankCurve(surface, 30, dayLabels(), second);
    EXPECT_EQ(at(PointX[10], 208), Red) << "20 of 50 lies at y 208";
    EXPECT_NE(at(PointX[10], 86), Red);
    EXPECT_FALSE(anyOf(Red, QRect(60, 85, 960, 120))) << "no old squares";
    EXPECT_FALSE(anyOf(Blue, QRect(60, 300, 960, 140))) << "no old line at y 400";
    EXPECT_FALSE(surface.backgroundPicture().isNull());
    // The frame is the background picture: clearing shows it without the curve.
    surface.clear();
    EXPECT_EQ(at(53, 250), Wall);
    EXPECT_FALSE(anyOf(Red, QRect(60, 85, 960, 330)));
    EXPECT_EQ(surface.penColor(), QColor(Qt::black));
    EXPECT_EQ(surface.brushColor(), colorFromBgr(0x0000FF));
}

TEST_F(RankCurve, LargerValuesRescaleAndAValueAtTheTopSitsOnTheLastGridLine)
{
    std::vector<int> values(30, 101);
    values[0] = 500;
    renderRankCurve(surface, 30, {}, values);
    EXPECT_EQ(at(PointX[0], 400), Red);
    EXPECT_EQ(at(PointX[1], 144), Red) << "101 of 500: 80 + 64.64";

    std::vector<int> zeros(30, 0);
    renderRankCurve(surface, 30, {}, zeros);
    EXPECT_EQ(at(PointX[5], 79), Red) << "a zero lies on the top axis";
    EXPECT_FALSE(anyOf(Black, QRect(PointX[5] - 15, 60, 12, 8))) << "and carries no number";
}

TEST_F(RankCurve, ValuesBeyondTheLastStepDrawTheFrameOnly)
{
    std::vector<int> values(30, 5);
    values[3] = 2000000000;
    renderRankCurve(surface, 30, {}, values);
    EXPECT_EQ(at(53, 250), Wall);
    EXPECT_FALSE(anyOf(Red, QRect(60, 60, 960, 380)));
}

} // namespace
} // namespace zv
