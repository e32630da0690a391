#pragma once
// The keyword list of a site: the columns of its rank table from position 2 on,
// shown one per row in the keyword table.

#include "text/text.h"

#include <vector>

namespace zv {

class MainWindow;

// Adds the keyword of 编辑框_关键词 to the current site, then reloads the table.
void addKeyword(MainWindow& window);
// Adds each keyword of the list to the current site, reporting each outcome;
// neither reloads the table nor arms the status timer.
void addKeywords(MainWindow& window, const std::vector<Text>& keywords);
// Deletes the keyword of the selected row after confirmation.
void deleteKeyword(MainWindow& window);
// Fills the keyword table from the current site's rank table, numbered from 1.
void loadKeywordList(MainWindow& window);

} // namespace zv
