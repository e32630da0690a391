#pragma once
// The site history window: every recorded overview day of the current site,
// newest first, read once when the window is created. Read-only.

#include <QDialog>

class QLabel;
class QTableWidget;

namespace zv {

class MainWindow;

class SiteHistoryWindow : public QDialog
{
    Q_OBJECT

public:
    // Builds the window from its layout and fills it (fillSiteHistory).
    explicit SiteHistoryWindow(MainWindow& mainWindow);

    QLabel* 标签_网站历史 = nullptr;
    QTableWidget* 超级列表框_历史 = nullptr;

    void fillSiteHistory();

private:
    MainWindow& m_main;
};

// The snapshot label's click: opens the history window in dialog mode and
// returns when it is closed.
void openSiteHistory(MainWindow& mainWindow);

} // namespace zv
