#pragma once
// Site overview: six figures of the selected site read from the search
// engine's result pages, shown in the overview labels and recorded once per
// day in the site's overview table.

#include "text/text.h"

#include <optional>

namespace zv {

class MainWindow;
class PatternMatcher;

// Runs the six queries, setting each label as soon as its page is read. When
// not one page could be fetched it shows "网站综合信息查询失败！" and returns
// false: there is nothing worth recording.
bool querySiteOverview(MainWindow& window);
// Records what the overview labels show as today's row of the overview table.
void saveTodayOverview(MainWindow& window);
// Shows today's recorded figures; true when today has no row and a query is
// needed.
bool loadTodayOverview(MainWindow& window);

// Search-term part of each overview address (appended after "/s?wd=").
enum class OverviewFigure { Snapshot, Indexed, Backlinks, IndexedToday, IndexedWeek, IndexedMonth };
Text overviewAddress(OverviewFigure figure, const Text& siteAddress);

// The snapshot date: group 1 of the first address line of any result block
// that contains the site address; nothing when there is none.
std::optional<Text> snapshotText(const Text& pageText, const Text& siteAddress, PatternMatcher& tableMatcher,
                                 PatternMatcher& entryMatcher);
// A count figure as captured from its page ("约" already removed for backlinks).
Text countText(OverviewFigure figure, const Text& pageText, PatternMatcher& matcher);

// A shown figure as recorded: every "," removed, then the leading integer.
int overviewNumber(const Text& shown);

} // namespace zv
