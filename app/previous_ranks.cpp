#include "app/previous_ranks.h"

#include "store/schema.h"
#include "store/store.h"

namespace zv {

std::vector<PreviousRank> previousRanks(Store& store, const Text& table, std::size_t keywords)
{
    std::vector<PreviousRank> ranks(keywords);
    if (keywords == 0
        || !store.openRecordset(selectRankTableSql(table) + " where keydate<date() order by keydate desc", SqlText))
        return ranks;
    std::size_t missing = keywords;
    for (int i = 0, count = store.recordCount(); i < count && missing > 0; ++i, store.moveNext()) {
        DateTime day;
        store.readDateTime("keydate", day);
        for (std::size_t r = 0; r < keywords; ++r) {
            Text value;
            if (ranks[r].value || !store.readText(static_cast<int>(r) + 2, value) || value.empty())
                continue;
            ranks[r].value = leadingInteger(value);
            ranks[r].day = QDate(day.year, day.month, day.day);
            --missing;
        }
    }
    store.closeRecordset();
    return ranks;
}

} // namespace zv
