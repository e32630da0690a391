#include "app/site_registry.h"

#include "app/keyword_registry.h"
#include "app/main_window.h"
#include "queries/home_page_import.h"
#include "queries/keyword_index.h"
#include "queries/rank_search.h"
#include "queries/site_overview.h"
#include "store/schema.h"
#include "store/store.h"
#include "view/message_box.h"
#include "view/qt_text.h"

#include <QComboBox>
#include <QLineEdit>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

// The program's own tables. A site text that names one of them (SQL names
// ignore letter case) must never lead to dropping it.
bool isFixedTable(const Text& tableName)
{
    const QString name = toQString(tableName).toLower();
    return name == u"website"_s || name == u"web_baiduzhishu"_s;
}

// Whether the registry holds the table name. Names compare as the registry's
// column compares them: in UTF-8, ASCII letters without regard to case.
bool isRegistered(Store& store, const Text& tableName)
{
    if (!store.openRecordset(selectSitesSql(), SqlText))
        return false;
    const std::string wanted = lowerAscii(gbkToUtf8String(tableName));
    for (int i = store.recordCount(); i > 0; --i, store.moveNext()) {
        Text name;
        if (store.readText("web_name", name) && lowerAscii(gbkToUtf8String(name)) == wanted)
            return true;
    }
    return false;
}

void resetOverviewLabels(MainWindow& w)
{
    w.标签_百度快照->setText(u"0000-00-00"_s);
    for (ValueLabel* label :
         {w.标签_总收录, w.标签_百度反链, w.标签_今日收录, w.标签_最近一周收录, w.标签_最近一月收录})
        label->setText(u"0"_s);
}

} // namespace

void addSite(MainWindow& w)
{
    if (w.编辑框_网站地址->text().isEmpty()) {
        w.setStatus(u"请输入网站地址！"_s);
        return;
    }
    // Every exit below leaves the busy state.
    BusyScope busy(w);

    // Only the exact lower-case scheme goes; every "/" goes. The box shows
    // each step's result.
    Text address = replaceAll(toText(w.编辑框_网站地址->text()), "http://", "");
    w.编辑框_网站地址->setText(toQString(address));
    address = replaceAll(address, "/", "");
    w.编辑框_网站地址->setText(toQString(address));

    const Text table = siteTableName(address);
    Store& store = w.store();
    if (!store.executeSql(createRankTableSql(table))) {
        w.setStatus(u"网站地址已经存在！"_s);
        return;
    }
    if (!store.executeSql(createRankDateIndexSql(table))) {
        if (!store.executeSql(dropUnindexedRankTableSql(table)))
            w.setStatus(u"删除无索引表失败！"_s);
        else
            w.setStatus(u"创建日期索引失败！"_s);
        return;
    }
    if (!store.executeSql(createOverviewTableSql(table))) {
        w.setStatus(u"网站综合信息表创建失败！"_s);
        return;
    }
    if (!store.openRecordset(siteRegistryTable(), TableName)) {
        w.setStatus(u"打开网址数据表失败！"_s);
        return;
    }
    if (!store.addNew()) {
        w.setStatus(u"添加空网址记录失败！"_s);
        return;
    }
    if (!store.writeText("web_name", table)) {
        w.setStatus(u"写网址字段失败！"_s);
        return;
    }
    if (!store.update()) {
        w.setStatus(u"添加网址记录失败！"_s);
        return;
    }
    w.setStatus(u"添加网站成功！"_s);
    loadSiteList(w);
    // Not a selection: the site-selected sequence does not run.
    w.组合框_网站列表->setEditText(w.编辑框_网站地址->text());

    if (querySiteOverview(w))
        saveTodayOverview(w);
    addKeywords(w, importHomePageKeywords(w));
    loadKeywordList(w);
    onIndexButtonClicked(w);
    queryKeywordRanks(w);
}

void deleteSite(MainWindow& w)
{
    const QString address = w.组合框_网站列表->currentText();
    if (address.isEmpty()) {
        w.setStatus(u"请选择要删除的网站！"_s);
        return;
    }
    const Text table = siteTableName(toText(address));
    // Only a registered site goes: a typed address must never drop the
    // tables of another name (a site's overview table "a_xx" is the rank
    // table of the address "a.xx").
    if (isFixedTable(table) || !isRegistered(w.store(), table)) {
        w.setStatus(u"请选择要删除的网站！"_s);
        return;
    }
    if (!askOkCancel(u"是否要删除网站"_s + address + QLatin1Char('?'), u"删除网站确认"_s))
        return;

    Store& store = w.store();
    if (!store.executeSql(deleteSiteSql(table)))
        w.setStatus(u"删除网址记录失败！"_s);
    if (!store.executeSql(dropRankTableSql(table)))
        w.setStatus(u"删除网站关键词数据表失败！"_s);
    if (!store.executeSql(dropOverviewTableSql(table))) {
        w.setStatus(u"删除网站综合信息数据表失败！"_s);
        return;
    }
    w.setStatus(u"删除网站成功！"_s);
    loadSiteList(w);
    loadKeywordList(w);
    resetOverviewLabels(w);
    w.编辑框_网站地址->clear();
    w.armStatusTimer();
}

void loadSiteList(MainWindow& w)
{
    QComboBox* list = w.组合框_网站列表;
    list->clear();
    list->clearEditText();
    Store& store = w.store();
    if (!store.openRecordset(selectSitesSql(), SqlText)) {
        w.setStatus(u"读取网址数据表失败！"_s);
        return;
    }
    const int count = store.recordCount();
    for (int i = 0; i < count; ++i) {
        Text table;
        store.readText("web_name", table);
        list->addItem(toQString(siteAddress(table)));
        store.moveNext();
    }
    // Filling the list chooses nothing: the current site stays empty.
    list->setCurrentIndex(-1);
    list->clearEditText();
}

void onSiteSelected(MainWindow& w)
{
    BusyScope busy(w);
    loadKeywordList(w);
    // Today's figures from the table, or queried and recorded once a day.
    if (loadTodayOverview(w) && querySiteOverview(w))
        saveTodayOverview(w);
    loadKeywordIndexes(w);
    showTodayRanks(w);
}

} // namespace zv
