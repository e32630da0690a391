#include "charts/site_history_window.h"

#include "charts/chart_days.h"
#include "charts/window_frame.h"
#include "store/store.h"
#include "view/chart_view.h"
#include "view/qt_text.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>

namespace zv {

using namespace Qt::StringLiterals;

SiteHistoryWindow::SiteHistoryWindow(ChartView& view)
    : QDialog(view.chartParent())
    , m_view(view)
{
    setObjectName(u"网站历史查询"_s);
    setWindowTitle(u"网站历史查询"_s);
    setFixedOuterSize(*this, QSize(568, 415));
    move(50, 50);

    标签_网站历史 = new QLabel(u"标签"_s, this);
    标签_网站历史->setObjectName(u"标签_网站历史"_s);
    标签_网站历史->setGeometry(152, 16, 248, 24);

    超级列表框_历史 = new QTableWidget(0, 5, this);
    超级列表框_历史->setObjectName(u"超级列表框_历史"_s);
    超级列表框_历史->setGeometry(8, 52, 544, 320);
    超级列表框_历史->setHorizontalHeaderLabels(
        {u"日期"_s, u"百度快照"_s, u"百度总收录"_s, u"百度当天收录"_s, u"百度反链"_s});
    const int widths[5] = {100, 100, 100, 100, 120};
    for (int column = 0; column < 5; ++column)
        超级列表框_历史->setColumnWidth(column, widths[column]);
    超级列表框_历史->verticalHeader()->hide();
    超级列表框_历史->horizontalHeader()->setSectionsClickable(false);
    超级列表框_历史->horizontalHeader()->setHighlightSections(false);
    超级列表框_历史->setSelectionBehavior(QAbstractItemView::SelectRows);
    超级列表框_历史->setSelectionMode(QAbstractItemView::SingleSelection);
    超级列表框_历史->setEditTriggers(QAbstractItemView::NoEditTriggers);
    超级列表框_历史->setSortingEnabled(false);
    超级列表框_历史->setShowGrid(true);

    fillSiteHistory();
}

void SiteHistoryWindow::fillSiteHistory()
{
    const Text address = toText(m_view.currentSite());
    if (address.empty())
        return;
    标签_网站历史->setText(u"["_s + toQString(address) + u"]网站历史数据"_s);

    const Text table = siteTableName(address) + "_xx";
    Store& store = m_view.store();
    // A missing table has already been reported by the store's error box.
    if (!store.openRecordset("select * from " + table + " order by keydate desc", SqlText))
        return;

    const int count = store.recordCount();
    auto cell = [](const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        return item;
    };
    for (int i = 0; i < count; ++i) {
        DateTime day;
        QString dayText;
        if (store.readDateTime("keydate", day))
            dayText = chineseDayText(day);
        const int row = 超级列表框_历史->rowCount();
        超级列表框_历史->insertRow(row);
        超级列表框_历史->setItem(row, 0, cell(dayText));
        const char* columns[4] = {"baidukuaizhao", "baidushoulu", "jinrishoulu", "baidufanlian"};
        for (int c = 0; c < 4; ++c) {
            Text value;
            if (!store.readText(columns[c], value))
                value.clear();
            超级列表框_历史->setItem(row, c + 1, cell(toQString(value)));
        }
        store.moveNext();
    }
}

void openSiteHistory(ChartView& view)
{
    static QPointer<SiteHistoryWindow> open;
    if (open) {
        open->raise();
        return;
    }
    auto* window = new SiteHistoryWindow(view);
    open = window;
    window->setWindowModality(Qt::ApplicationModal);
    window->exec();
    delete open.data();
}

} // namespace zv
