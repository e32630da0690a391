#pragma once
// Moves in the keyword table: the rank cells of keywords whose rank differs
// from their previous recorded day's get a colour, one for up and one for
// down, and a tool tip that says both values. The cell texts stay as they are.

#include <QString>
#include <Qt>

#include <optional>

namespace zv {

class MainWindow;

enum class RankMove { None, Up, Down };

// From the previous value to today's (0: not ranked).
RankMove rankMove(std::optional<int> previous, std::optional<int> today);

// The rank cell's item data role that holds its move tool tip, which the
// window joins with the landing page's.
inline constexpr int kRankMoveTipRole = Qt::UserRole + 1;

// "上次 12，今天 4" for a move, "" for none.
QString rankMoveToolTip(std::optional<int> previous, std::optional<int> today);

// Marks the moves of the current site's keywords against the store, reading
// today's value from each row's rank text.
void showRankMoves(MainWindow& w);

} // namespace zv
