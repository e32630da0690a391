#include "charts/rank_curve_window.h"

#include "charts/chart_days.h"
#include "charts/curve_values.h"
#include "charts/drawing_surface.h"
#include "charts/rank_curve_renderer.h"
#include "charts/window_frame.h"
#include "store/store.h"
#include "view/chart_view.h"
#include "view/qt_text.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <algorithm>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

constexpr int kDaysPerPage = 30;

QPointer<RankCurveWindow>& openWindow()
{
    static QPointer<RankCurveWindow> window;
    return window;
}

} // namespace

RankCurveSelection& rankCurveSelection()
{
    static RankCurveSelection selection;
    return selection;
}

RankCurveWindow* rankCurveWindow()
{
    return openWindow().data();
}

RankCurveWindow::RankCurveWindow(ChartView& view)
    : QWidget(view.chartParent(), Qt::Window)
    , m_view(view)
{
    setObjectName(u"百度关键词排名曲线"_s);
    setWindowTitle(u"百度关键词排名曲线"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedOuterSize(*this, QSize(1060, 477));
    move(50, 50);

    画板1 = new DrawingSurface(this);
    画板1->setObjectName(u"画板1"_s);
    画板1->setGeometry(0, 0, 1056, 448);
    画板1->setBackgroundColor(Qt::white);
    画板1->setPenColor(Qt::black);
    画板1->setBrushColor(Qt::white);
    画板1->setTextColor(Qt::black);
    画板1->clear();

    // The labels and buttons lie over the surface's top edge.
    标签1 = new QLabel(u"网站域名："_s, this);
    标签1->setObjectName(u"标签1"_s);
    标签1->setGeometry(53, 3, 56, 32);
    标签_域名 = new QLabel(this);
    标签_域名->setObjectName(u"标签_域名"_s);
    标签_域名->setGeometry(117, 3, 179, 32);
    标签_关键词 = new QLabel(this);
    标签_关键词->setObjectName(u"标签_关键词"_s);
    标签_关键词->setGeometry(312, 3, 408, 24);
    按钮_前30天 = new QPushButton(u"前30天"_s, this);
    按钮_前30天->setObjectName(u"按钮_前30天"_s);
    按钮_前30天->setGeometry(747, 5, 96, 23);
    按钮_后30天 = new QPushButton(u"后30天"_s, this);
    按钮_后30天->setObjectName(u"按钮_后30天"_s);
    按钮_后30天->setGeometry(850, 5, 96, 23);

    connect(按钮_前30天, &QPushButton::clicked, this, &RankCurveWindow::showEarlierDays);
    connect(按钮_后30天, &QPushButton::clicked, this, &RankCurveWindow::showLaterDays);

    drawRankCurve();
}

// A closed window is gone for the next activation even before its deferred
// deletion has run.
void RankCurveWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted() && openWindow() == this)
        openWindow() = nullptr;
}

void RankCurveWindow::clearCurve()
{
    画板1->clearBackgroundPicture();
    画板1->clear();
}

bool RankCurveWindow::drawRankCurve()
{
    const Text table = siteTableName(toText(m_view.currentSite()));
    const Text keyword = rankCurveSelection().curveKeyword;
    const int page = rankCurveSelection().rankPage;
    if (table.empty() || keyword.empty())
        return false;
    const int n = kDaysPerPage;

    Store& store = m_view.store();
    // A missing table or keyword column has been reported by the store's
    // error box; nothing is drawn then.
    // Only the number of recorded days matters here; counting them spares
    // reading a year of rows of every keyword.
    if (!store.openRecordset("select count(*) as recorded from " + table, SqlText))
        return false;
    int recorded = 0;
    if (!store.readInteger("recorded", recorded) || recorded - page * n <= 0)
        return false;
    if (!store.openRecordset("select max([" + keyword + "]) as themax from " + table, SqlText))
        return false;
    int largest = 0;
    if (!store.readInteger("themax", largest))
        largest = 0;
    const int unranked = unrankedValue(largest);

    std::vector<QString> labels;
    std::vector<int> values;
    QDate day = chartToday().addDays(-static_cast<qint64>(page) * n);
    for (int i = 1; i <= n; ++i) {
        labels.push_back(dayLabel(day));
        int value = unranked;
        // The one column drawn, not the whole row of every keyword.
        if (store.openRecordset(
                "select [" + keyword + "] from " + table + " where keydate like '" + paddedDayKey(day) + "'", SqlText)
            && store.recordCount() == 1) {
            int rank = 0;
            if (store.readInteger(keyword, rank) && rank != 0)
                value = rank;
        }
        values.push_back(value);
        day = day.addDays(-1);
    }
    // Labels stay newest first; values run oldest first.
    std::reverse(values.begin(), values.end());
    renderRankCurve(*画板1, n, labels, values);
    return true;
}

void RankCurveWindow::showEarlierDays()
{
    OperationScope scope(m_view);
    RankCurveSelection& selection = rankCurveSelection();
    ++selection.rankPage;
    if (!drawRankCurve())
        --selection.rankPage;
}

void RankCurveWindow::showLaterDays()
{
    OperationScope scope(m_view);
    RankCurveSelection& selection = rankCurveSelection();
    if (selection.rankPage > 0) {
        --selection.rankPage;
        drawRankCurve();
    }
}

void openRankCurve(ChartView& view, const Text& keyword)
{
    RankCurveSelection& selection = rankCurveSelection();
    selection.curveKeyword = keyword;

    RankCurveWindow* window = openWindow().data();
    if (!window) {
        window = new RankCurveWindow(view);
        openWindow() = window;
        window->show();
    } else {
        // Another keyword while the window is open: draw it at once, so the
        // window never shows one keyword's curve under another's title.
        if (!window->drawRankCurve())
            window->clearCurve();
        if (window->isMinimized())
            window->showNormal();
        window->raise();
        window->activateWindow();
    }
    window->标签_域名->setText(view.currentSite());
    window->标签_关键词->setText(u"关键词 ["_s + toQString(selection.curveKeyword) + u"] 百度排名曲线图"_s);
}

} // namespace zv
