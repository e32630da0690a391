#include "app/keyword_registry.h"

#include "app/keyword_list.h"
#include "app/main_window.h"
#include "store/schema.h"
#include "store/store.h"
#include "view/message_box.h"
#include "view/qt_text.h"

#include <QComboBox>
#include <QLineEdit>

#include <limits>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

// How many keyword columns table can still take; a table that does not exist
// is left to the statement to report.
int keywordRoom(const Store& store, const Text& table)
{
    const int columns = store.columnCount(table);
    return columns == 0 ? std::numeric_limits<int>::max() : store.columnLimit() - columns;
}

// The most keywords a site can have: its table's columns less ID and keydate.
int mostKeywords(const Store& store)
{
    return store.columnLimit() - 2;
}

} // namespace

void addKeyword(MainWindow& w)
{
    const QString keyword = w.编辑框_关键词->text();
    if (keyword.isEmpty()) {
        w.setStatus(u"请填写关键字！"_s);
        return;
    }
    const QString address = w.组合框_网站列表->currentText();
    if (address.isEmpty()) {
        w.setStatus(u"请选择要查询的网站！"_s);
        return;
    }
    const Text table = siteTableName(toText(address));
    // A column past the store's limit would leave the table unreadable.
    if (keywordRoom(w.store(), table) <= 0) {
        w.setStatus(u"关键词数量已达上限（%1个），无法添加！"_s.arg(mostKeywords(w.store())));
        w.armStatusTimer();
        return;
    }
    // Through the recordset, so that a refusal shows the store error box.
    if (!w.store().openRecordset(addKeywordColumnSql(table, toText(keyword)), SqlText))
        w.setStatus(u"添加关键词失败！"_s);
    else
        w.setStatus(u"添加关键词成功！"_s);
    loadKeywordList(w);
    w.armStatusTimer();
}

void addKeywords(MainWindow& w, const std::vector<Text>& keywords)
{
    const Text table = siteTableName(toText(w.组合框_网站列表->currentText()));
    int room = keywordRoom(w.store(), table);
    int leftOut = 0;
    for (const Text& keyword : keywords) {
        if (room <= 0) {
            ++leftOut;
            continue;
        }
        if (!w.store().openRecordset(addKeywordColumnSql(table, keyword), SqlText)) {
            w.setStatus(u"添加关键词失败！"_s);
        } else {
            w.setStatus(u"添加关键词成功！"_s);
            --room;
        }
    }
    if (leftOut > 0)
        w.setStatus(u"关键词数量已达上限（%1个），%2个关键词未添加！"_s.arg(mostKeywords(w.store())).arg(leftOut));
}

void deleteKeyword(MainWindow& w)
{
    const QString address = w.组合框_网站列表->currentText();
    if (address.isEmpty()) {
        w.setStatus(u"请选择目标网站！"_s);
        return;
    }
    // The keyword of the selected row, not the text of the keyword box.
    const QString keyword = w.cellText(w.selectedKeywordRow(), KeywordColumn::Keyword);
    if (keyword.isEmpty()) {
        w.setStatus(u"请选择要删除的关键词！"_s);
        return;
    }
    if (!askOkCancel(u"是否要删除关键词"_s + QLatin1Char('"') + keyword + QLatin1Char('"') + QLatin1Char('?'),
                     u"删除关键词确认"_s))
        return;
    const Text table = siteTableName(toText(address));
    if (!w.store().executeSql(dropKeywordColumnSql(table, toText(keyword)))) {
        w.setStatus(u"删除关键词失败！"_s);
        return;
    }
    loadKeywordList(w);
    w.编辑框_关键词->clear();
    w.setStatus(u"删除关键词成功！"_s);
    w.armStatusTimer();
}

void loadKeywordList(MainWindow& w)
{
    if (loadKeywordRows(w))
        w.编辑框_网站地址->setText(w.currentSite());
}

} // namespace zv
