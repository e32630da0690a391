#include "charts/drawing_surface.h"

#include <QLine>

#include <gtest/gtest.h>

#include <cstdlib>

namespace zv {
namespace {

QRgb at(const DrawingSurface& s, int x, int y)
{
    return s.image().pixel(x, y) & 0xFFFFFFu;
}

constexpr QRgb White = 0xFFFFFF;
constexpr QRgb Black = 0x000000;

TEST(DrawingSurface, ImageFollowsTheGeometryEvenWhileHidden)
{
    DrawingSurface s;
    s.setGeometry(283, 444, 80, 22);
    EXPECT_EQ(s.image().size(), QSize(80, 22));
    EXPECT_EQ(at(s, 79, 21), White);
    s.drawLine(0, 0, 5, 0);
    s.resize(100, 30);
    EXPECT_EQ(s.image().size(), QSize(100, 30));
    EXPECT_EQ(at(s, 0, 0), Black) << "growing keeps what was drawn";
    EXPECT_EQ(at(s, 99, 29), White);
}

TEST(DrawingSurface, LinesLeaveOutTheirEndPoint)
{
    DrawingSurface s;
    s.resize(40, 40);
    s.clear();
    s.drawLine(2, 5, 8, 5);
    for (int x = 2; x < 8; ++x)
        EXPECT_EQ(at(s, x, 5), Black) << x;
    EXPECT_EQ(at(s, 8, 5), White);
    EXPECT_EQ(at(s, 1, 5), White);
    EXPECT_EQ(s.currentPosition(), QPoint(8, 5));

    s.drawLine(20, 30, 20, 10); // upward
    EXPECT_EQ(at(s, 20, 30), Black);
    EXPECT_EQ(at(s, 20, 11), Black);
    EXPECT_EQ(at(s, 20, 10), White);

    s.drawLine(0, 20, 6, 26); // diagonal
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(at(s, i, 20 + i), Black) << i;
    EXPECT_EQ(at(s, 6, 26), White);

    s.drawLine(30, 30, 30, 30); // a line to its own start draws nothing
    EXPECT_EQ(at(s, 30, 30), White);

    // Halfway between two pixels the upper one (for steep lines the left one)
    // is lit, in either direction.
    for (const QLine& line : {QLine(10, 0, 12, 1), QLine(12, 1, 10, 0), QLine(15, 0, 16, 2), QLine(16, 2, 15, 0)}) {
        DrawingSurface t;
        t.resize(20, 5);
        t.clear();
        t.drawLine(line.x1(), line.y1(), line.x2(), line.y2());
        if (std::abs(line.dx()) == 2) {
            EXPECT_EQ(at(t, 11, 0), Black) << "shallow tie, drawn from x " << line.x1();
            EXPECT_EQ(at(t, 11, 1), White) << "shallow tie, drawn from x " << line.x1();
        } else {
            EXPECT_EQ(at(t, 15, 1), Black) << "steep tie, drawn from y " << line.y1();
            EXPECT_EQ(at(t, 16, 1), White) << "steep tie, drawn from y " << line.y1();
        }
    }

    s.setPenColor(colorFromBgr(0x0000FF));
    s.drawLine(-5, 1, 3, 1); // clipped, never out of the image
    EXPECT_EQ(at(s, 0, 1), 0xFF0000u);
    EXPECT_EQ(at(s, 2, 1), 0xFF0000u);
}

TEST(DrawingSurface, RectanglesExcludeRightAndBottomEdges)
{
    DrawingSurface s;
    s.resize(30, 30);
    s.clear();
    s.setPenColor(Qt::black);
    s.setBrushColor(colorFromBgr(0x0000FF));
    s.drawRectangle(5, 5, 10, 9);
    EXPECT_EQ(at(s, 5, 5), Black);
    EXPECT_EQ(at(s, 9, 8), Black);
    EXPECT_EQ(at(s, 7, 6), 0xFF0000u) << "interior in the brush";
    EXPECT_EQ(at(s, 10, 5), White);
    EXPECT_EQ(at(s, 5, 9), White);

    s.fillRectangle(20, 20, 24, 24);
    EXPECT_EQ(at(s, 20, 20), 0xFF0000u);
    EXPECT_EQ(at(s, 23, 23), 0xFF0000u);
    EXPECT_EQ(at(s, 24, 23), White);
    EXPECT_EQ(at(s, 23, 24), White);

    s.fillRectangle(28, 28, 40, 40); // partly outside: clipped
    EXPECT_EQ(at(s, 29, 29), 0xFF0000u);
}

TEST(DrawingSurface, PolygonIsFilledWithTheBrushAndOutlinedWithThePen)
{
    DrawingSurface s;
    s.resize(40, 40);
    s.clear();
    s.setBrushColor(colorFromBgr(0xFFA8FF));
    s.drawPolygon({QPoint(10, 10), QPoint(30, 10), QPoint(30, 30), QPoint(10, 30)});
    EXPECT_EQ(at(s, 20, 20), 0xFFA8FFu);
    for (const QPoint corner : {QPoint(10, 10), QPoint(30, 10), QPoint(30, 30), QPoint(10, 30)})
        EXPECT_EQ(at(s, corner.x(), corner.y()), Black) << "closed outline passes every corner";
    EXPECT_EQ(at(s, 20, 30), Black);
    EXPECT_EQ(at(s, 10, 20), Black);
    EXPECT_EQ(at(s, 31, 20), White);

    // Slanted edges: the fill takes the pixels whose coordinates lie inside,
    // never one outside the outline (the rank curve's left wall, shifted).
    s.clear();
    s.drawPolygon({QPoint(10, 14), QPoint(17, 10), QPoint(17, 30), QPoint(10, 34)});
    EXPECT_EQ(at(s, 14, 11), White) << "above the upper edge (y 11.7 at x 14)";
    EXPECT_EQ(at(s, 16, 10), White) << "above the upper edge (y 10.6 at x 16)";
    EXPECT_EQ(at(s, 14, 12), Black) << "the outline";
    EXPECT_EQ(at(s, 16, 30), 0xFFA8FFu) << "above the lower edge (y 30.6 at x 16)";
    EXPECT_EQ(at(s, 14, 31), 0xFFA8FFu) << "above the lower edge (y 31.7 at x 14)";
    EXPECT_EQ(at(s, 14, 32), Black) << "the outline";
}

TEST(DrawingSurface, ClearingRestoresTheTiledBackgroundPicture)
{
    DrawingSurface s;
    s.resize(10, 10);
    s.setBackgroundColor(Qt::white);
    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(Qt::green);
    tile.setPixel(0, 0, qRgb(1, 2, 3));
    s.setBackgroundPicture(tile);
    s.drawLine(0, 5, 9, 5);
    s.clear();
    EXPECT_EQ(at(s, 0, 0), 0x010203u);
    EXPECT_EQ(at(s, 4, 4), 0x010203u) << "tiled";
    EXPECT_EQ(at(s, 9, 9), 0x00FF00u);
    EXPECT_EQ(at(s, 2, 5), 0x00FF00u) << "the line is gone";
    EXPECT_EQ(s.currentPosition(), QPoint(0, 0));

    s.clearBackgroundPicture();
    s.clear();
    EXPECT_EQ(at(s, 0, 0), White);
}

TEST(DrawingSurface, TextIsWrittenBelowAndRightOfItsCorner)
{
    DrawingSurface s;
    s.resize(60, 40);
    s.clear();
    s.writeText(10, 10, QStringLiteral("88"));
    int inked = 0;
    QRect box;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 60; ++x) {
            if (at(s, x, y) != White) {
                ++inked;
                box |= QRect(x, y, 1, 1);
                EXPECT_EQ(at(s, x, y), Black) << "no antialiasing, text in black";
            }
        }
    }
    ASSERT_GT(inked, 0);
    EXPECT_GE(box.left(), 10);
    EXPECT_GE(box.top(), 10);
}

} // namespace
} // namespace zv
