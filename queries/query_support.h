#pragma once
// Helpers shared by the query routines: fixed texts written in the source as
// UTF-8 and used as GBK, and the daily row of a per-site table.

#include "text/text.h"

#include <functional>
#include <string_view>

namespace zv {

class Store;

// A fixed text of this program (UTF-8 in the source) as GBK Text.
Text gbk(std::string_view utf8);

// Records one row for today in table: inserts a new row (its key columns take
// their defaults) with writeValues applied; when the insert is refused because
// today's row exists, writes the same values into today's row, found by its
// date. Never touches another day's row. True when a row was stored.
bool storeTodayRow(Store& store, const Text& table, const std::function<void(Store&)>& writeValues);

// The statement that selects today's row of a per-site table.
Text todayRowStatement(const Text& table);

} // namespace zv
