#include "app/keyword_registry.h"

#include "app/keyword_list.h"
#include "app/main_window.h"
#include "store/schema.h"
#include "store/store.h"
#include "view/message_box.h"
#include "view/qt_text.h"

#include <QComboBox>
#include <QLineEdit>

namespace zv {

using namespace Qt::StringLiterals;

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
    for (const Text& keyword : keywords) {
        if (!w.store().openRecordset(addKeywordColumnSql(table, keyword), SqlText))
            w.setStatus(u"添加关键词失败！"_s);
        else
            w.setStatus(u"添加关键词成功！"_s);
    }
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
