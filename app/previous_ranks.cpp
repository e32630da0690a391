#include "app/previous_ranks.h"

#include "store/result_lists.h"
#include "store/schema.h"
#include "store/store.h"

#include <map>

namespace zv {

namespace {

Text toDayText(const QDate& day)
{
    return day.toString(Qt::ISODate).toStdString();
}

} // namespace

std::vector<PreviousRank> previousRanks(Store& store, const Text& table, std::size_t keywords)
{
    std::vector<PreviousRank> ranks(keywords);
    if (keywords == 0
        || !store.openRecordset(selectRankTableSql(table) + " where keydate<date() order by keydate desc", SqlText))
        return ranks;
    std::vector<Text> names(keywords);
    for (std::size_t r = 0; r < keywords; ++r)
        names[r] = store.fieldName(static_cast<int>(r) + 2);
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

    // A keyword added after a day reads 0 there, its column's default, as if
    // it had not been ranked. A day whose search kept result lists for other
    // keywords but none for it tells the two apart: it was not searched.
    std::map<QDate, std::map<Text, LandingPage>> listed;
    for (std::size_t r = 0; r < keywords; ++r) {
        if (ranks[r].value != 0)
            continue;
        const QDate& day = ranks[r].day;
        auto found = listed.find(day);
        if (found == listed.end())
            found = listed.emplace(day, resultLists::landingPages(store, table, toDayText(day))).first;
        if (!found->second.empty() && found->second.count(names[r]) == 0)
            ranks[r] = PreviousRank {};
    }
    return ranks;
}

} // namespace zv
