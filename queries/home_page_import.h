#pragma once
// Home-page keyword import: the keywords a newly added site's home page
// declares in its keywords meta tag, to seed its keyword list.

#include "text/text.h"

#include <vector>

namespace zv {

class QueryView;

// Fetches "http://" + the current site and returns the keywords its keywords
// meta tag declares; none when no site is chosen or the user has closed the
// window. Shows nothing of its own, unless the page was too much for the
// patterns (then none, and the status says so).
std::vector<Text> importHomePageKeywords(QueryView& view);

} // namespace zv
