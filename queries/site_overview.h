#pragma once
// Site overview: six figures of the selected site read from the search
// engine's result pages, shown in the figure boxes and recorded once per
// day in the site's overview table.

namespace zv {

class QueryView;

// Runs the six queries, setting each figure as soon as its page is read. When
// not one page could be fetched it shows "网站综合信息查询失败！" and returns
// false: there is nothing worth recording.
bool querySiteOverview(QueryView& view);
// Records what the figure boxes show as today's row of the overview table.
void saveTodayOverview(QueryView& view);
// Shows today's recorded figures; true when today has no row and a query is
// needed.
bool loadTodayOverview(QueryView& view);

} // namespace zv
