#include "charts/curve_values.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace zv {

namespace {

// Truncated toward zero; a result beyond the int range (a largest value within
// a step of INT_MAX) is held at its end rather than overflowing.
int truncatedToInt(double value)
{
    return static_cast<int>(std::clamp(std::trunc(value), static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

} // namespace

int unrankedValue(int largestRank)
{
    double m = largestRank;
    if (m == 0)
        m = 100;
    if (std::fabs(std::fmod(m, 100.0)) > 0.0000001)
        m += 100;
    return truncatedToInt(m - std::fmod(m, 100.0));
}

int overviewMaximum(int largestValue)
{
    const double m = largestValue;
    return truncatedToInt(m - std::fmod(m, 50.0) + 50);
}

} // namespace zv
