#include "app/keyword_table_menu.h"

#include "app/history_export.h"
#include "app/main_window.h"
#include "app/registered_sites.h"
#include "charts/result_list_window.h"
#include "view/qt_text.h"

#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QSaveFile>
#include <QTreeWidget>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

SaveFileChooser& chooser()
{
    static SaveFileChooser chosen;
    return chosen;
}

QString askForFile(QWidget* parent, const QString& suggestedPath)
{
    if (chooser())
        return chooser()(parent, suggestedPath);
    return QFileDialog::getSaveFileName(parent, u"导出排名历史"_s, suggestedPath, u"CSV (*.csv)"_s);
}

} // namespace

void setSaveFileChooser(SaveFileChooser chosen)
{
    chooser() = std::move(chosen);
}

std::unique_ptr<QMenu> makeKeywordTableMenu(MainWindow& w)
{
    auto menu = std::make_unique<QMenu>(&w);
    QAction* exportAction = menu->addAction(u"导出排名历史…"_s);
    exportAction->setObjectName(u"导出排名历史"_s);
    exportAction->setEnabled(!w.isBusy());
    QObject::connect(exportAction, &QAction::triggered, &w, [&w] { w.runOperation(exportRankHistory); });
    QAction* resultsAction = menu->addAction(u"查看搜索结果…"_s);
    resultsAction->setObjectName(u"查看搜索结果"_s);
    resultsAction->setEnabled(w.selectedKeywordRow() >= 0);
    QObject::connect(resultsAction, &QAction::triggered, &w, [&w] { w.runOperation(openSelectedResultList); });
    return menu;
}

void showKeywordTableMenu(MainWindow& w, const QPoint& position)
{
    const std::unique_ptr<QMenu> menu = makeKeywordTableMenu(w);
    menu->exec(w.超级列表框_关键词排名->viewport()->mapToGlobal(position));
}

void openSelectedResultList(MainWindow& w)
{
    const QString keyword = w.cellText(w.selectedKeywordRow(), KeywordColumn::Keyword);
    if (keyword.isEmpty())
        return;
    openResultList(w, toText(keyword));
}

void exportRankHistory(MainWindow& w)
{
    // Only a registered site has a history, found as the registry finds it.
    const std::optional<std::vector<Text>> tables = registeredSiteTables(w.store());
    const std::optional<Text> table
        = tables && !w.currentSite().isEmpty() ? findRegisteredSite(*tables, w.currentSite()) : std::nullopt;
    if (!table) {
        w.setStatus(u"请选择网站地址！"_s);
        w.armStatusTimer();
        return;
    }
    const QString path = askForFile(&w, QDir::home().filePath(w.currentSite() + u".csv"_s));
    if (path.isEmpty())
        return;

    // The file is replaced only once the whole history is written.
    QSaveFile file(path);
    HistoryExport request;
    request.siteTable = *table;
    QString error;
    const bool written
        = file.open(QIODevice::WriteOnly) && writeHistoryCsv(w.store(), request, file, error) && file.commit();
    w.setStatus(written ? u"导出排名历史成功！"_s : u"导出排名历史失败！"_s);
    w.armStatusTimer();
}

} // namespace zv
