#include "charts/result_list_window.h"

#include "charts/window_frame.h"
#include "store/result_lists.h"
#include "store/store.h"
#include "view/chart_view.h"
#include "view/qt_text.h"

#include <QAbstractItemView>
#include <QColor>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

// The site's own rows stand out as the rank table's selection would.
const QColor kOwnRowColour(255, 244, 196);

QTableWidget* makeList(QWidget* parent, const QString& name, const QStringList& headers, const QList<int>& widths)
{
    auto* list = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    list->setObjectName(name);
    list->setHorizontalHeaderLabels(headers);
    for (int column = 0; column < widths.size(); ++column)
        list->setColumnWidth(column, widths[column]);
    list->horizontalHeader()->setStretchLastSection(true);
    list->verticalHeader()->hide();
    // One line per entry: a long address is cut short, its cell's tool tip
    // holds it whole.
    list->setWordWrap(false);
    list->setTextElideMode(Qt::ElideRight);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->horizontalHeader()->setSectionsClickable(false);
    list->horizontalHeader()->setHighlightSections(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    return list;
}

void addRow(QTableWidget& list, const QStringList& cells, bool own)
{
    const int row = list.rowCount();
    list.insertRow(row);
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setToolTip(cells[column]);
        if (own) {
            item->setBackground(kOwnRowColour);
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        list.setItem(row, column, item);
    }
}

} // namespace

QString positionChangeText(int position, std::optional<int> previousPosition)
{
    if (!previousPosition)
        return u"新"_s;
    if (*previousPosition > position)
        return u"上升 %1"_s.arg(*previousPosition - position);
    if (*previousPosition < position)
        return u"下降 %1"_s.arg(position - *previousPosition);
    return u"持平"_s;
}

ResultListWindow::ResultListWindow(ChartView& view, const Text& keyword)
    : QDialog(view.chartParent())
    , m_view(view)
{
    setObjectName(u"搜索结果"_s);
    setWindowTitle(u"搜索结果"_s);
    setFixedOuterSize(*this, QSize(568, 455));
    move(50, 50);

    标签_搜索结果 = new QLabel(this);
    标签_搜索结果->setObjectName(u"标签_搜索结果"_s);
    标签_搜索结果->setGeometry(8, 14, 380, 24);

    组合框_日期 = new QComboBox(this);
    组合框_日期->setObjectName(u"组合框_日期"_s);
    组合框_日期->setGeometry(432, 15, 120, 22);

    超级列表框_搜索结果 = makeList(this, u"超级列表框_搜索结果"_s, {u"排名"_s, u"网站"_s, u"显示地址"_s, u"变化"_s},
                                   {50, 150, 250, 70});
    超级列表框_搜索结果->setGeometry(8, 46, 544, 260);

    标签_离开 = new QLabel(u"已离开列表："_s, this);
    标签_离开->setObjectName(u"标签_离开"_s);
    标签_离开->setGeometry(8, 312, 300, 20);

    超级列表框_离开 = makeList(this, u"超级列表框_离开"_s, {u"上次排名"_s, u"网站"_s, u"显示地址"_s}, {70, 150, 250});
    超级列表框_离开->setGeometry(8, 334, 544, 80);

    connect(组合框_日期, &QComboBox::activated, this, [this](int index) {
        OperationScope operation(m_view);
        showDay(toText(组合框_日期->itemText(index)));
    });
    showKeyword(keyword);
}

void ResultListWindow::showKeyword(const Text& keyword)
{
    m_keyword = keyword;
    const Text site = toText(m_view.currentSite());
    m_table = siteTableName(site);
    标签_搜索结果->setText(u"[%1] %2 的搜索结果"_s.arg(toQString(site), toQString(keyword)));
    组合框_日期->clear();
    const std::vector<Text> days = resultLists::days(m_view.store(), m_table, keyword);
    for (auto day = days.rbegin(); day != days.rend(); ++day)
        组合框_日期->addItem(toQString(*day));
    showDay(days.empty() ? Text() : days.back());
}

void ResultListWindow::showDay(const Text& day)
{
    超级列表框_搜索结果->setRowCount(0);
    超级列表框_离开->setRowCount(0);
    if (day.empty()) {
        标签_离开->setText(u"没有保存的搜索结果"_s);
        return;
    }
    组合框_日期->setCurrentIndex(组合框_日期->findText(toQString(day)));
    const ComparedList list = resultLists::compared(m_view.store(), m_table, m_keyword, day);
    for (const ComparedEntry& c : list.entries) {
        const KeptEntry& e = c.entry;
        addRow(*超级列表框_搜索结果,
               {QString::number(e.position), toQString(e.host), toQString(e.address),
                positionChangeText(e.position, c.previousPosition)},
               e.own);
    }
    for (const KeptEntry& e : list.gone)
        addRow(*超级列表框_离开, {QString::number(e.position), toQString(e.host), toQString(e.address)}, e.own);
    标签_离开->setText(list.gone.empty() ? u"已离开列表：无"_s : u"已离开列表："_s);
}

ResultListWindow* openResultList(ChartView& view, const Text& keyword)
{
    static QPointer<ResultListWindow> open;
    if (open) {
        open->showKeyword(keyword);
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* window = new ResultListWindow(view, keyword);
    window->setAttribute(Qt::WA_DeleteOnClose);
    open = window;
    window->show();
    return window;
}

} // namespace zv
