#include "charts/overview_curve_window.h"

#include "charts/chart_days.h"
#include "charts/curve_values.h"
#include "charts/drawing_surface.h"
#include "charts/line_chart.h"
#include "charts/window_frame.h"
#include "store/store.h"
#include "view/chart_view.h"
#include "view/qt_text.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

constexpr int kDaysPerPage = 30;

} // namespace

OverviewCurveSelection& overviewCurveSelection()
{
    static OverviewCurveSelection selection;
    return selection;
}

OverviewCurveWindow::OverviewCurveWindow(ChartView& view)
    : QDialog(view.chartParent())
    , m_view(view)
{
    setObjectName(u"网站综合信息曲线"_s);
    setWindowTitle(u"网站综合信息曲线"_s);
    setFixedOuterSize(*this, QSize(984, 412));
    move(50, 50);

    曲线图控件1 = new LineChart(this);
    曲线图控件1->setObjectName(u"曲线图控件1"_s);
    曲线图控件1->setGeometry(0, 0, 976, 384);
    曲线图控件1->setTitle(u"网站信息曲线图"_s);
    曲线图控件1->setAxisTitles(u"日期"_s, u"数量"_s);
    曲线图控件1->setMaximum(100);
    曲线图控件1->setDivisions(10);
    曲线图控件1->setPointCount(kDaysPerPage);
    曲线图控件1->setSeriesColor(colorFromBgr(0x0000FF));
    曲线图控件1->setSeriesName(u"销售金额"_s);
    曲线图控件1->setTipFormat(u"${v}"_s);

    // The labels and buttons lie over the chart's top edge.
    标签1 = new QLabel(u"网站域名："_s, this);
    标签1->setObjectName(u"标签1"_s);
    标签1->setGeometry(70, 4, 64, 24);
    标签_网站地址 = new QLabel(u"标签"_s, this);
    标签_网站地址->setObjectName(u"标签_网站地址"_s);
    标签_网站地址->setGeometry(133, 3, 182, 24);
    按钮_前30天 = new QPushButton(u"前30天"_s, this);
    按钮_前30天->setObjectName(u"按钮_前30天"_s);
    按钮_前30天->setGeometry(740, 8, 96, 24);
    按钮_后30天 = new QPushButton(u"后30天"_s, this);
    按钮_后30天->setObjectName(u"按钮_后30天"_s);
    按钮_后30天->setGeometry(851, 8, 96, 24);
    for (QWidget* over : {static_cast<QWidget*>(标签1), static_cast<QWidget*>(标签_网站地址),
                          static_cast<QWidget*>(按钮_前30天), static_cast<QWidget*>(按钮_后30天)})
        over->raise();
    按钮_前30天->setAutoDefault(false);
    按钮_后30天->setAutoDefault(false);

    connect(按钮_前30天, &QPushButton::clicked, this, &OverviewCurveWindow::showEarlierDays);
    connect(按钮_后30天, &QPushButton::clicked, this, &OverviewCurveWindow::showLaterDays);

    drawOverviewCurve();
}

bool OverviewCurveWindow::drawOverviewCurve()
{
    const OverviewCurveSelection& selection = overviewCurveSelection();
    const Text address = toText(m_view.currentSite());
    if (address.empty())
        return false;
    const int n = kDaysPerPage;
    标签_网站地址->setText(toQString(address));
    曲线图控件1->setTitle(u"["_s + toQString(selection.chartCaption) + u"]曲线图"_s);

    const Text table = siteTableName(address) + "_xx";
    Store& store = m_view.store();
    // A missing table has been reported by the store's error box; draw nothing.
    if (!store.openRecordset("select * from " + table, SqlText))
        return false;
    if (store.recordCount() - selection.overviewPage * n <= 0)
        return false;

    曲线图控件1->setPointCount(n);
    int largest = 0;
    if (store.openRecordset("select max([" + selection.chartColumn + "]) as themax from " + table, SqlText)) {
        if (!store.readInteger("themax", largest))
            largest = 0;
    }
    曲线图控件1->setMaximum(overviewMaximum(largest));

    QDate day = chartToday().addDays(-static_cast<qint64>(selection.overviewPage) * n);
    for (int i = 1; i <= n; ++i) {
        曲线图控件1->setCurrentPoint(n - i);
        曲线图控件1->setPointLabel(dayLabel(day));
        int value = 0;
        if (store.openRecordset("select * from " + table + " where keydate like '" + unpaddedDayKey(day) + "'", SqlText)
            && store.recordCount() == 1) {
            if (!store.readInteger(selection.chartColumn, value))
                value = 0;
        }
        曲线图控件1->setPointValue(value);
        day = day.addDays(-1);
    }
    return true;
}

void OverviewCurveWindow::showEarlierDays()
{
    OperationScope scope(m_view);
    OverviewCurveSelection& selection = overviewCurveSelection();
    ++selection.overviewPage;
    if (!drawOverviewCurve())
        --selection.overviewPage;
}

void OverviewCurveWindow::showLaterDays()
{
    OperationScope scope(m_view);
    OverviewCurveSelection& selection = overviewCurveSelection();
    if (selection.overviewPage > 0) {
        --selection.overviewPage;
        drawOverviewCurve();
    }
}

void openOverviewCurve(ChartView& view, const Text& column, const Text& caption)
{
    static QPointer<OverviewCurveWindow> open;
    OverviewCurveSelection& selection = overviewCurveSelection();
    selection.chartColumn = column;
    selection.chartCaption = caption;
    if (open) {
        open->raise();
        return;
    }
    auto* window = new OverviewCurveWindow(view);
    open = window;
    window->setWindowModality(Qt::ApplicationModal);
    window->exec();
    delete open.data();
}

void openTotalIndexedCurve(ChartView& view)
{
    openOverviewCurve(view, "baidushoulu", toText(u"百度总收录"_s));
}

void openBacklinkCurve(ChartView& view)
{
    openOverviewCurve(view, "baidufanlian", toText(u"百度domain反链"_s));
}

void openIndexedTodayCurve(ChartView& view)
{
    openOverviewCurve(view, "jinrishoulu", toText(u"百度每日收录"_s));
}

} // namespace zv
