#pragma once
// The daily row of a per-site table, shared by the query routines.

#include "text/text.h"

#include <functional>

namespace zv {

class Store;

// Records one row for today in table: inserts a new row (its key columns take
// their defaults) with writeValues applied; when the insert is refused because
// today's row exists, writes the same values into today's row, found by its
// date. Never touches another day's row. True when a row was stored.
bool storeTodayRow(Store& store, const Text& table, const std::function<void(Store&)>& writeValues);

// The statement that selects today's row of a per-site table.
Text todayRowStatement(const Text& table);

} // namespace zv
