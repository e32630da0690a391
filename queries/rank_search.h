#pragma once
// Keyword rank search: for the selected site, the positions at which it stands
// among the search engine's results for each keyword, shown in the keyword
// table and recorded once per day in the site's rank table.

#include "text/text.h"

namespace zv {

class MainWindow;
class PatternMatcher;

// Runs the search for every keyword row, then records today's ranks.
void queryKeywordRanks(MainWindow& window);
// Records column 4 of every keyword row as today's row of the rank table.
void saveTodayRanks(MainWindow& window);
// Shows today's recorded ranks, or runs the search when today has no row.
void showTodayRanks(MainWindow& window);

// Address of result page `page` (from 1) for keyword (GBK).
Text rankSearchAddress(const Text& keyword, int page);

// The entries of one result page (GBK text) that belong to the site: per
// result block at most one "position. " (home page) or "position " (other page).
Text siteRankEntries(const Text& pageText, const Text& siteAddress, PatternMatcher& tableMatcher,
                     PatternMatcher& entryMatcher);
Text siteRankEntries(const Text& pageText, const Text& siteAddress);

// Shown when no result of the site was found in (rangeIndex + 1) pages.
Text notRankedText(int rangeIndex);
// Shown when a result page of the keyword could not be fetched.
Text rankFailedText();
// Value recorded for a rank text: 0 for "not found", else its leading integer.
int recordedRank(const Text& rankText);

} // namespace zv
