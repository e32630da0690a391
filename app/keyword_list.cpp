#include "app/keyword_list.h"

#include "store/schema.h"
#include "store/store.h"
#include "view/qt_text.h"
#include "view/query_view.h"

namespace zv {

using namespace Qt::StringLiterals;

bool loadKeywordRows(QueryView& view)
{
    view.clearKeywordRows();
    const QString address = view.currentSite();
    if (address.isEmpty())
        return false;
    const Text table = siteTableName(toText(address));
    Store& store = view.store();
    // Only the column names are needed; no row has ID 0, so no day's row is
    // read however long the history.
    if (!store.openRecordset(selectRankTableSql(table) + " where ID=0", SqlText)) {
        view.setStatus(u"关键词数据表打开失败！"_s);
        return false;
    }
    // Keyword columns follow ID and keydate, in the order they were added.
    for (int position = 2;; ++position) {
        const Text name = store.fieldName(position);
        if (name.empty())
            break;
        const int row = view.addKeywordRow();
        view.setCellText(row, KeywordColumn::Keyword, toQString(name));
        view.setCellText(row, KeywordColumn::Number, QString::number(position - 1));
        view.setCellText(row, KeywordColumn::Curve, u"双击查看"_s);
    }
    return true;
}

} // namespace zv
