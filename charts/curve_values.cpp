#include "charts/curve_values.h"

#include <cmath>

namespace zv {

int unrankedValue(int largestRank)
{
    double m = largestRank;
    if (m == 0)
        m = 100;
    if (std::fabs(std::fmod(m, 100.0)) > 0.0000001)
        m += 100;
    return static_cast<int>(m - std::fmod(m, 100.0));
}

int overviewMaximum(int largestValue)
{
    const double m = largestValue;
    return static_cast<int>(m - std::fmod(m, 50.0) + 50);
}

} // namespace zv
