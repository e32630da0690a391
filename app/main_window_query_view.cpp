#include "app/main_window.h"

#include "app/rank_moves.h"
#include "charts/drawing_surface.h"
#include "view/picture_image.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QIcon>
#include <QTimer>
#include <QTreeWidget>

namespace zv {

int MainWindow::searchRangeIndex() const
{
    return 组合框_搜索范围->currentIndex();
}

int MainWindow::keywordRowCount() const
{
    return 超级列表框_关键词排名->topLevelItemCount();
}

int MainWindow::selectedKeywordRow() const
{
    const QList<QTreeWidgetItem*> selected = 超级列表框_关键词排名->selectedItems();
    if (selected.isEmpty())
        return -1;
    return 超级列表框_关键词排名->indexOfTopLevelItem(selected.first());
}

QString MainWindow::cellText(int row, KeywordColumn column) const
{
    const QTreeWidgetItem* item = 超级列表框_关键词排名->topLevelItem(row);
    return item ? item->text(static_cast<int>(column)) : QString();
}

void MainWindow::setCellText(int row, KeywordColumn column, const QString& text)
{
    if (QTreeWidgetItem* item = 超级列表框_关键词排名->topLevelItem(row))
        item->setText(static_cast<int>(column), text);
    if (column == KeywordColumn::Rank)
        refreshRankToolTip(row);
}

void MainWindow::refreshRankToolTip(int row)
{
    QTreeWidgetItem* item = 超级列表框_关键词排名->topLevelItem(row);
    if (!item)
        return;
    // Read once per site and day, not per cell: a search sets the cell on
    // every page.
    const std::pair<QString, QDate> shownFor {currentSite(), today()};
    if (!m_landingTipsFor || *m_landingTipsFor != shownFor) {
        m_landingTips.read(m_store, shownFor.first, shownFor.second);
        m_landingTipsFor = shownFor;
    }
    const int column = static_cast<int>(KeywordColumn::Rank);
    QStringList parts {m_landingTips.of(cellText(row, KeywordColumn::Keyword)),
                       item->data(column, kRankMoveTipRole).toString()};
    parts.removeAll(QString());
    item->setToolTip(column, parts.join(u'\n'));
}

void MainWindow::resultListsKept()
{
    m_landingTipsFor.reset();
    for (int row = 0; row < keywordRowCount(); ++row)
        refreshRankToolTip(row);
}

void MainWindow::setCellPicture(int row, KeywordColumn column, const QImage& picture)
{
    QTreeWidgetItem* item = 超级列表框_关键词排名->topLevelItem(row);
    if (!item)
        return;
    if (picture.isNull()) {
        item->setIcon(static_cast<int>(column), QIcon());
        return;
    }
    // The picture list treats white as transparent.
    QImage shown = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < shown.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            if ((line[x] & 0x00FFFFFFu) == 0x00FFFFFFu)
                line[x] = 0;
        }
    }
    item->setIcon(static_cast<int>(column), QIcon(QPixmap::fromImage(shown)));
}

int MainWindow::addKeywordRow()
{
    new QTreeWidgetItem(超级列表框_关键词排名);
    return keywordRowCount() - 1;
}

void MainWindow::clearKeywordRows()
{
    // Emptying the table is not a choice of the user: the keyword box keeps
    // its text.
    m_fillingKeywordTable = true;
    超级列表框_关键词排名->clear();
    m_fillingKeywordTable = false;
    m_landingTipsFor.reset(); // a keyword may have gone with its lists
}

IndexPictureList* MainWindow::indexPictures()
{
    return m_indexPictures ? &*m_indexPictures : nullptr;
}

IndexPictureList& MainWindow::replaceIndexPictures()
{
    return m_indexPictures.emplace();
}

ValueLabel* MainWindow::figureLabel(FigureBox box) const
{
    switch (box) {
    case FigureBox::Snapshot:
        return 标签_百度快照;
    case FigureBox::Indexed:
        return 标签_总收录;
    case FigureBox::Backlinks:
        return 标签_百度反链;
    case FigureBox::IndexedToday:
        return 标签_今日收录;
    case FigureBox::IndexedWeek:
        return 标签_最近一周收录;
    case FigureBox::IndexedMonth:
        return 标签_最近一月收录;
    }
    return 标签_百度快照;
}

QString MainWindow::figureText(FigureBox box) const
{
    return figureLabel(box)->text();
}

void MainWindow::setFigureText(FigureBox box, const QString& text)
{
    figureLabel(box)->setText(text);
}

void MainWindow::clearFittingSurface()
{
    画板1->clearBackgroundPicture();
    画板1->clear();
}

void MainWindow::showOnFittingSurface(const Picture& surface)
{
    // What the lookup leaves on the surface: the picture's top-left 80 x 22
    // on white.
    画板1->clearBackgroundPicture();
    画板1->setBackgroundColor(Qt::white);
    画板1->clear();
    画板1->drawPicture(0, 0, toQImage(surface));
}

void MainWindow::setEnginePause(PauseRange range)
{
    m_enginePause.emplace(range, [this](std::chrono::milliseconds wait) {
        const QDeadlineTimer deadline(wait);
        QEventLoop loop;
        QTimer tick;
        tick.setInterval(50);
        connect(&tick, &QTimer::timeout, &loop, [&] {
            if (isClosing() || deadline.hasExpired())
                loop.quit();
        });
        tick.start();
        loop.exec();
    });
}

void MainWindow::beforeEngineRequest()
{
    if (m_enginePause)
        m_enginePause->beforeRequest();
}

} // namespace zv
