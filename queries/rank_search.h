#pragma once
// Keyword rank search: for the selected site, the positions at which it stands
// among the search engine's results for each keyword, shown in the keyword
// table and recorded once per day in the site's rank table.

namespace zv {

class QueryView;

// Runs the search for every keyword row, then records today's ranks.
void queryKeywordRanks(QueryView& view);
// Records the rank column of every keyword row as today's row of the rank table.
void saveTodayRanks(QueryView& view);
// Shows today's recorded ranks, or runs the search when today has no row.
void showTodayRanks(QueryView& view);

} // namespace zv
