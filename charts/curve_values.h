#pragma once
// The two value rules of the curve windows.

namespace zv {

// The value drawn for an unranked day: the largest recorded rank M, 100 when M
// is 0, otherwise raised to a multiple of 100 (37 gives 100, 201 gives 300).
int unrankedValue(int largestRank);

// The overview chart's maximum: the next multiple of 50 strictly above the
// largest recorded value (0 gives 50, 50 gives 100, 1234 gives 1250).
int overviewMaximum(int largestValue);

} // namespace zv
