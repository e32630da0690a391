#pragma once
// What a per-site table holds, read back through the store as the tests
// compare it: every column of a row as text, by position.

#include "store/store.h"

#include <gtest/gtest.h>

#include <vector>

namespace zv::test {

using TableRow = std::vector<Text>;

// The columns of the recordset's current row.
inline TableRow currentRow(Store& store)
{
    TableRow row;
    for (int c = 0; !store.fieldName(c).empty(); ++c) {
        Text value;
        store.readText(Field(c), value);
        row.push_back(value);
    }
    return row;
}

// Every row of table, oldest day first.
inline std::vector<TableRow> tableRows(Store& store, const Text& table)
{
    std::vector<TableRow> result;
    EXPECT_TRUE(store.openRecordset("select * from " + table + " order by keydate", SqlText));
    for (int r = 0; r < store.recordCount(); ++r, store.moveNext())
        result.push_back(currentRow(store));
    return result;
}

// Today's row of table; empty when today has none.
inline TableRow todayTableRow(Store& store, const Text& table)
{
    EXPECT_TRUE(store.openRecordset("select * from " + table + " where keydate=date()", SqlText));
    if (store.recordCount() != 1)
        return {};
    return currentRow(store);
}

} // namespace zv::test
