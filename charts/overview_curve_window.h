#pragma once
// The overview curve window: one overview figure of the current site as a
// line chart over 30 days ending today, paged back and forth by 30 days. The
// figure and the page live for the whole run.

#include "text/text.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace zv {

class LineChart;
class ChartView;

struct OverviewCurveSelection
{
    Text chartColumn;
    Text chartCaption;
    int overviewPage = 0; // 30-day windows before the current one
};
OverviewCurveSelection& overviewCurveSelection();

class OverviewCurveWindow : public QDialog
{
    Q_OBJECT

public:
    // Builds the window from its layout and draws the current page.
    explicit OverviewCurveWindow(ChartView& view);

    LineChart* 曲线图控件1 = nullptr;
    QLabel* 标签1 = nullptr;
    QLabel* 标签_网站地址 = nullptr;
    QPushButton* 按钮_前30天 = nullptr;
    QPushButton* 按钮_后30天 = nullptr;

    // True when it drew the page; false when it drew nothing.
    bool drawOverviewCurve();
    void showEarlierDays();
    void showLaterDays();

private:
    ChartView& m_view;
};

// Chooses the figure and opens the window in dialog mode; returns when it is closed.
void openOverviewCurve(ChartView& view, const Text& column, const Text& caption);

// The three value labels' clicks.
void openTotalIndexedCurve(ChartView& view);
void openBacklinkCurve(ChartView& view);
void openIndexedTodayCurve(ChartView& view);

} // namespace zv
