#include "charts/rank_curve_renderer.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

const QColor black = colorFromBgr(0x000000);
const QColor white = colorFromBgr(0xFFFFFF);
const QColor wallColor = colorFromBgr(0xFFA8FF);
const QColor grey = colorFromBgr(0x808080);
const QColor blue = colorFromBgr(0xFF0000);
const QColor red = colorFromBgr(0x0000FF);

// Toward zero, clamped so that an absurd coordinate can never overflow.
int truncated(double value)
{
    if (std::isnan(value))
        return 0;
    const double t = std::trunc(value);
    if (t >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (t <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(t);
}

double pointX(const CurveState& s, int k)
{
    return s.x0 + static_cast<double>(s.width) * k / (s.count + 1);
}

double pointY(const CurveState& s, int value, int top)
{
    return s.y0 - static_cast<double>(s.height) * value / top;
}

int valueAt(const CurveState& s, int k)
{
    const auto index = static_cast<std::size_t>(k - 1);
    return index < s.values.size() ? s.values[index] : 0;
}

} // namespace

CurveState& curveState()
{
    static CurveState state;
    return state;
}

int scaleTop(int count)
{
    static constexpr std::array<int, 15> steps {50,      100,      500,       1000,      5000,
                                                10000,   50000,    100000,    500000,    1000000,
                                                5000000, 10000000, 100000000, 500000000, 1000000000};
    const CurveState& s = curveState();
    int largest = 0;
    const std::size_t n = std::min(static_cast<std::size_t>(std::max(count, 0)), s.values.size());
    for (std::size_t i = 0; i < n; ++i)
        largest = std::max(largest, s.values[i]);
    for (int step : steps) {
        if (step >= largest)
            return step;
    }
    return 0;
}

void dashedLine(double x1, double y, double x2)
{
    DrawingSurface* surface = curveState().surface;
    if (!surface)
        return;
    double a = x1;
    double b = std::trunc(x1 + 3);
    const double passes = std::trunc(std::fabs(x1 - x2) / 3);
    for (double n = 0; n < passes; ++n) {
        if (b > x2) {
            surface->drawLine(truncated(a), truncated(y), truncated(x2), truncated(y));
        } else {
            surface->drawLine(truncated(a), truncated(y), truncated(b), truncated(y));
            a = std::trunc(b + 2);
            b = b + 5;
        }
    }
}

void drawCurveFrame(DrawingSurface& surface, int x0, int y0, int height, int width, int count, int depth,
                    const std::vector<int>& values, const std::vector<QString>& tickLabels, int labelShift,
                    const QString& horizontalTitle, const QString& verticalTitle)
{
    surface.clearBackgroundPicture();

    CurveState& s = curveState();
    s.surface = &surface;
    s.x0 = x0;
    s.y0 = y0;
    s.width = width;
    s.height = height;
    s.count = count;
    s.depth = depth;
    s.labelShift = labelShift;
    s.horizontalTitle = horizontalTitle;
    s.verticalTitle = verticalTitle;
    s.values = values;
    s.tickLabels = tickLabels;

    surface.setAutomaticRepainting(true);

    const double X0 = x0;
    const double Y0 = y0;
    const double W = width;
    const double H = height;
    const double d = depth;
    const double halfDepth = d / 2;
    const double axisEnd = Y0 - H * 11 / 10;

    surface.clear();

    // Axes and the back edges, in the pen as the previous rendering left it.
    surface.drawLine(truncated(X0), truncated(Y0), truncated(X0 + W), truncated(Y0));
    surface.drawLine(truncated(X0), truncated(Y0), truncated(X0), truncated(axisEnd));
    surface.drawLine(truncated(X0 + d), truncated(axisEnd - halfDepth), truncated(X0 + W + d + 1),
                     truncated(axisEnd - halfDepth));
    surface.drawLine(truncated(X0 + W + d), truncated(Y0 - halfDepth), truncated(X0 + W + d),
                     truncated(axisEnd - halfDepth));

    surface.setBrushColor(white);
    surface.drawPolygon({QPoint(truncated(X0), truncated(Y0)), QPoint(truncated(X0 + W), truncated(Y0)),
                         QPoint(truncated(X0 + W + d), truncated(Y0 - halfDepth)),
                         QPoint(truncated(X0 + d), truncated(Y0 - halfDepth))});

    surface.setBrushColor(wallColor);
    surface.drawPolygon({QPoint(truncated(X0), truncated(Y0)), QPoint(truncated(X0 + d), truncated(Y0 - halfDepth)),
                         QPoint(truncated(X0 + d), truncated(axisEnd - halfDepth)),
                         QPoint(truncated(X0), truncated(axisEnd))});

    const int top = scaleTop(count);
    for (int j = 1; j <= 10; ++j) {
        const double y = Y0 - H * j / 10;
        surface.setPenColor(black);
        surface.drawLine(truncated(X0 - 5), truncated(y), truncated(X0), truncated(y));
        surface.writeText(truncated(X0 - 30), truncated(y - 5), QString::number(static_cast<long long>(top / 10) * j));
        surface.setPenColor(grey);
        surface.drawLine(truncated(X0), truncated(y), truncated(X0 + d), truncated(y - halfDepth));
        dashedLine(X0 + d, y - halfDepth, X0 + W + d);
    }

    surface.writeText(truncated(X0 - 30), truncated(axisEnd - 5), verticalTitle);

    for (int i = 1; i <= count; ++i) {
        const double x = pointX(s, i);
        surface.setPenColor(black);
        surface.drawLine(truncated(x), truncated(Y0 - 3), truncated(x), truncated(Y0 + 5));
        if (!tickLabels.empty()) {
            const auto index = static_cast<std::size_t>(i - 1);
            if (index < tickLabels.size())
                surface.writeText(truncated(x - 8 + labelShift), truncated(Y0 + 8), tickLabels[index]);
        } else {
            surface.writeText(truncated(x - 8), truncated(Y0 + 8), QString::number(i));
        }
    }

    surface.writeText(truncated(X0 + W - 8), truncated(Y0 + 8), horizontalTitle);

    surface.setBackgroundPicture(surface.capturePicture());
}

void drawCurveLine()
{
    const CurveState& s = curveState();
    DrawingSurface* surface = s.surface;
    if (!surface)
        return;
    surface->clear();
    const int top = scaleTop(s.count);
    // Values beyond the last scale step have no place on the scale; the frame
    // stays without a curve rather than dividing by zero.
    if (top == 0)
        return;

    for (int k = 1; k < s.count; ++k) {
        surface->setPenColor(blue);
        surface->drawLine(truncated(pointX(s, k)), truncated(pointY(s, valueAt(s, k), top)),
                          truncated(pointX(s, k + 1)), truncated(pointY(s, valueAt(s, k + 1), top)));
    }
    for (int k = 1; k <= s.count; ++k) {
        const int value = valueAt(s, k);
        const double x = pointX(s, k);
        const double y = pointY(s, value, top);
        surface->setPenColor(red);
        surface->drawRectangle(truncated(x - 2), truncated(y - 2), truncated(x + 2), truncated(y + 2));
        surface->setBrushColor(red);
        surface->fillRectangle(truncated(x - 2), truncated(y - 2), truncated(x + 2), truncated(y + 2));
        surface->setPenColor(black);
        if (value != 0)
            surface->writeText(truncated(x - 15), truncated(y - 13), QString::number(value));
    }
}

void renderRankCurve(DrawingSurface& surface, int count, const std::vector<QString>& labels,
                     const std::vector<int>& values)
{
    const std::vector<QString> tickLabels(static_cast<std::size_t>(std::max(count, 0)));
    drawCurveFrame(surface, 50, 80, -320, 970, count, 7, values, tickLabels, 0, u"日期"_s, u"名次"_s);
    drawCurveLine();
    for (int i = 1; i <= count && static_cast<std::size_t>(i) <= labels.size(); ++i) {
        const double x = (50 + 970) - (970.0 / (count + 1)) * i;
        surface.writeText(truncated(x), 80 - 20, labels[static_cast<std::size_t>(i - 1)]);
    }
}

} // namespace zv
