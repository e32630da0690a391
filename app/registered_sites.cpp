#include "app/registered_sites.h"

#include "store/schema.h"
#include "store/store.h"
#include "view/qt_text.h"

#include <QString>

namespace zv {

std::optional<std::vector<Text>> registeredSiteTables(Store& store)
{
    if (!store.openRecordset(selectSitesSql(), SqlText))
        return std::nullopt;
    std::vector<Text> tables;
    const int count = store.recordCount();
    tables.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Text table;
        store.readText("web_name", table);
        tables.push_back(std::move(table));
        store.moveNext();
    }
    store.closeRecordset();
    return tables;
}

std::optional<Text> findRegisteredSite(const std::vector<Text>& tables, const QString& address)
{
    // The key column folds A-Z only, on the stored UTF-8; folding the code
    // page 936 bytes instead would touch trail bytes that look like letters.
    const std::string wanted = lowerAscii(gbkToUtf8String(siteTableName(toText(address))));
    for (const Text& table : tables) {
        if (lowerAscii(gbkToUtf8String(table)) == wanted)
            return table;
    }
    return std::nullopt;
}

} // namespace zv
