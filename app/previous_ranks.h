#pragma once
// Each keyword's value on the latest day before today that has one: what the
// daily check compares today's rank with, and what the window marks moves by.

#include "text/text.h"

#include <QDate>

#include <optional>
#include <vector>

namespace zv {

class Store;

struct PreviousRank
{
    // Nothing when no earlier day has one, or when the keyword was added
    // after that day (it has no result list there while others have).
    std::optional<int> value;
    QDate day;
};

// For the keywords of the site's rank table, in the order of its keyword
// columns; keywords entries. The shared recordset is closed afterwards.
std::vector<PreviousRank> previousRanks(Store& store, const Text& table, std::size_t keywords);

} // namespace zv
