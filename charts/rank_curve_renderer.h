#pragma once
// The hand-drawn rank curve: a pseudo-three-dimensional frame (top axis with
// the days, left axis with the rank scale growing downward, a shaded wall and
// top face, a dashed grid) drawn once and kept as the surface's background
// picture, then the curve layer over it (blue line, red squares, numbers).
// Coordinates are computed in double precision and truncated toward zero as
// the last step, each one by itself.

#include "charts/drawing_surface.h"

#include <QPointer>
#include <QString>

#include <vector>

namespace zv {

// Written by drawCurveFrame, read by scaleTop, dashedLine and drawCurveLine.
struct CurveState
{
    QPointer<DrawingSurface> surface;
    int x0 = 0;
    int y0 = 0;
    int width = 0;
    int height = 0; // negative: the scale runs downward from y0
    int count = 0;
    int depth = 0;
    int labelShift = 0;
    QString horizontalTitle;
    QString verticalTitle;
    std::vector<int> values; // values[0] is the leftmost point
    std::vector<QString> tickLabels;
};

CurveState& curveState();

// labels[0] belongs to the rightmost point (newest day first); values[0] to the
// leftmost (oldest day first).
void renderRankCurve(DrawingSurface& surface, int count, const std::vector<QString>& labels,
                     const std::vector<int>& values);

void drawCurveFrame(DrawingSurface& surface, int x0, int y0, int height, int width, int count, int depth,
                    const std::vector<int>& values, const std::vector<QString>& tickLabels, int labelShift,
                    const QString& horizontalTitle, const QString& verticalTitle);

// The first step of 50, 100, 500, ... 1000000000 not below the largest of 0
// and the first count values; 0 above the last step.
int scaleTop(int count);

// Dashes of 3 pixels and gaps of 2 from x1 towards x2, in the current pen.
void dashedLine(double x1, double y, double x2);

void drawCurveLine();

} // namespace zv
