#pragma once
// The site history window: every recorded overview day of the current site,
// newest first, read once when the window is created. Read-only.

#include <QDialog>

class QLabel;
class QTableWidget;

namespace zv {

class ChartView;

class SiteHistoryWindow : public QDialog
{
    Q_OBJECT

public:
    // Builds the window from its layout and fills it (fillSiteHistory).
    explicit SiteHistoryWindow(ChartView& view);

    QLabel* 标签_网站历史 = nullptr;
    QTableWidget* 超级列表框_历史 = nullptr;

    void fillSiteHistory();

private:
    ChartView& m_view;
};

// The snapshot label's click: opens the history window in dialog mode and
// returns when it is closed.
void openSiteHistory(ChartView& view);

} // namespace zv
