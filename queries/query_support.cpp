#include "queries/query_support.h"

#include "store/store.h"

namespace zv {

Text todayRowStatement(const Text& table)
{
    return "select * from " + table + " where keydate=date()";
}

bool storeTodayRow(Store& store, const Text& table, const std::function<void(Store&)>& writeValues)
{
    // A table that cannot be opened has been reported by the store already.
    if (!store.openRecordset(table, TableName))
        return false;
    if (store.addNew()) {
        writeValues(store);
        if (store.update())
            return true;
    }
    // Today's row exists already (the day key is unique): change that row and
    // only that one, whatever row happens to be last in the table.
    if (!store.openRecordset(todayRowStatement(table), SqlText) || store.recordCount() != 1)
        return false;
    writeValues(store);
    return store.update();
}

} // namespace zv
