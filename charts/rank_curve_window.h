#pragma once
// The rank curve window: one keyword's recorded ranks over 30 days ending
// today, drawn by hand on its drawing surface, paged back and forth by 30
// days. Modeless; there is at most one. The keyword and the page live for the
// whole run.

#include "text/text.h"

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;

namespace zv {

class DrawingSurface;
class ChartView;

struct RankCurveSelection
{
    Text curveKeyword; // also its column in the rank table
    int rankPage = 0; // 30-day windows before the current one
};
RankCurveSelection& rankCurveSelection();

class RankCurveWindow : public QWidget
{
    Q_OBJECT

public:
    // Builds the window from its layout and draws the current page.
    explicit RankCurveWindow(ChartView& view);

    QLabel* 标签1 = nullptr;
    QLabel* 标签_域名 = nullptr;
    QLabel* 标签_关键词 = nullptr;
    QPushButton* 按钮_前30天 = nullptr;
    QPushButton* 按钮_后30天 = nullptr;
    DrawingSurface* 画板1 = nullptr;

    // True when it drew the page; false when it did nothing.
    bool drawRankCurve();
    void showEarlierDays();
    void showLaterDays();

    // Blanks the surface (frame and curve gone).
    void clearCurve();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ChartView& m_view;
};

// The keyword table's row activation: remembers the row's keyword and opens
// the window, or draws the new keyword at once in the window already open.
void openRankCurve(ChartView& view, const Text& keyword);

// The open rank curve window, or nullptr.
RankCurveWindow* rankCurveWindow();

} // namespace zv
