#pragma once
// The keyword table's context menu: "导出排名历史…" writes the current site's
// rank history as CSV (the same as `zeravudez --export`) to a file the user
// picks; "查看搜索结果…" opens the kept result lists of the row's keyword.

#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

class QMenu;
class QWidget;

namespace zv {

class MainWindow;

// The menu with its actions wired to exportRankHistory and
// openSelectedResultList; the export is off while the window is busy, the
// result list needs a keyword row under the pointer.
std::unique_ptr<QMenu> makeKeywordTableMenu(MainWindow& window);
// Opens the menu at position, in the keyword table's viewport coordinates.
void showKeywordTableMenu(MainWindow& window, const QPoint& position);

// Asks for a file and writes the current site's rank history there; the
// status says how it went. A cancelled dialog writes nothing and says nothing.
void exportRankHistory(MainWindow& window);
// Opens the result list window for the selected row's keyword.
void openSelectedResultList(MainWindow& window);

// How the file is asked for: the chosen path, or "" for cancel. Tests put
// their own in place of the file dialog; nullptr brings the dialog back.
using SaveFileChooser = std::function<QString(QWidget* parent, const QString& suggestedPath)>;
void setSaveFileChooser(SaveFileChooser chooser);

} // namespace zv
