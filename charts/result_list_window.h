#pragma once
// The result list window: the kept result entries of one keyword on one
// recorded day (the newest when it opens; a drop-down offers every recorded
// day), each with its host's move since the previous recorded day, the site's
// own rows highlighted, and below, the hosts that left the list since then.
// Read-only and modeless; there is at most one.

#include "text/text.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QTableWidget;

namespace zv {

class ChartView;

// The change column: "上升 3", "下降 2", "持平", or "新" for a host not
// listed the day before.
QString positionChangeText(int position, std::optional<int> previousPosition);

class ResultListWindow : public QDialog
{
    Q_OBJECT

public:
    ResultListWindow(ChartView& view, const Text& keyword);

    QLabel* 标签_搜索结果 = nullptr;
    QComboBox* 组合框_日期 = nullptr;
    QTableWidget* 超级列表框_搜索结果 = nullptr;
    QLabel* 标签_离开 = nullptr;
    QTableWidget* 超级列表框_离开 = nullptr;

    const Text& keyword() const { return m_keyword; }
    // Reads the recorded days again and shows the newest.
    void showKeyword(const Text& keyword);
    // Fills both lists with the day's entries ("YYYY-MM-DD").
    void showDay(const Text& day);

private:
    ChartView& m_view;
    // The site's rank table as it was when the keyword was shown: choosing
    // another site in the main window leaves this window's lists alone.
    Text m_table;
    Text m_keyword;
};

// The keyword table menu's "查看搜索结果…": opens the window for the keyword,
// or shows the keyword in the window already open.
ResultListWindow* openResultList(ChartView& view, const Text& keyword);

} // namespace zv
