#include "app/main_window.h"

#include "app/dialog_boxes.h"
#include "app/home_page.h"
#include "app/keyword_registry.h"
#include "app/keyword_table_menu.h"
#include "app/rank_moves.h"
#include "app/site_registry.h"
#include "charts/drawing_surface.h"
#include "charts/overview_curve_window.h"
#include "charts/rank_curve_window.h"
#include "charts/site_history_window.h"
#include "queries/keyword_index.h"
#include "queries/rank_search.h"
#include "store/schema.h"
#include "view/landing_tip.h"
#include "view/message_box.h"
#include "view/paths.h"
#include "view/picture_image.h"
#include "view/qt_text.h"
#include "web/event_hook.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <chrono>
#include <cstdlib>

// Resources live in this static library; make sure they are registered.
static void initAppResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace zv {

using namespace Qt::StringLiterals;

namespace {

void openSelectedRankCurve(MainWindow& w)
{
    openRankCurve(w, toText(w.cellText(w.selectedKeywordRow(), KeywordColumn::Keyword)));
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent)
{
    initAppResources();
    buildControls();
    wireEvents();
    onMainWindowCreated();
}

MainWindow::~MainWindow()
{
    // QWidget's destructor still closes and hides the window, which sends focus
    // and selection signals; by then the members here are gone, so no handler
    // may run any more.
    m_destroying = true;
    const QList<QObject*> children = findChildren<QObject*>();
    for (QObject* child : children)
        QObject::disconnect(child, nullptr, this, nullptr);
    onMainWindowDestroyed();
}

void MainWindow::wireEvents()
{
    connect(时钟1, &QTimer::timeout, this, &MainWindow::statusTimerTick);
    connect(m_progressTimer, &QTimer::timeout, this, &MainWindow::advanceProgressFrame);
    connect(超级列表框_关键词排名, &QTreeWidget::itemSelectionChanged, this, &MainWindow::keywordSelectionChanged);

    // activated is the user's pick from the list; setting the text in code
    // does not run the site-selected sequence.
    onEvent(组合框_网站列表, &QComboBox::activated, [](MainWindow& w) {
        onSiteSelected(w);
        showRankMoves(w);
    });
    onEvent(按钮_添加网站, &QPushButton::clicked, addSite);
    onEvent(按钮_删除网站, &QPushButton::clicked, deleteSite);
    onEvent(按钮_添加关键词, &QPushButton::clicked, addKeyword);
    onEvent(按钮_删除关键词, &QPushButton::clicked, deleteKeyword);
    onEvent(按钮_查询排名, &QPushButton::clicked, [](MainWindow& w) {
        queryKeywordRanks(w);
        showRankMoves(w);
    });
    onEvent(标签_百度快照, &ValueLabel::clicked, openSiteHistory);
    onEvent(标签_总收录, &ValueLabel::clicked, openTotalIndexedCurve);
    onEvent(标签_百度反链, &ValueLabel::clicked, openBacklinkCurve);
    onEvent(标签_今日收录, &ValueLabel::clicked, openIndexedTodayCurve);
    // A row opens its rank curve on a double click or Enter only, never on a
    // single click, whatever the style says about activating items.
    onEvent(超级列表框_关键词排名, &QTreeWidget::itemDoubleClicked, openSelectedRankCurve);
    超级列表框_关键词排名->installEventFilter(this);
    // The wheel over the closed site list would pick another site without the
    // user choosing one.
    组合框_网站列表->installEventFilter(this);
    onEvent(按钮_查询百度指数, &QPushButton::clicked, onIndexButtonClicked);
    connect(超级列表框_关键词排名, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        runOperation([position](MainWindow& w) { showKeywordTableMenu(w, position); });
    });
}

void MainWindow::onMainWindowCreated()
{
    setProcessEventsHook([] { QCoreApplication::processEvents(); });
    // Closing the window abandons the request in flight, so the program ends
    // at once instead of after a silent server's time-out. A window that is
    // gone abandons nothing.
    setAbortHook([window = QPointer<MainWindow>(this)] { return window && window->isClosing(); });
    useDialogBoxes();
    setStoreErrorHook([](const std::string& message) { showMessage(QString::fromStdString(message), u"Error"_s); });

    const QString path = databasePath();
    makeParentFolder(path);
    const std::string file = path.toStdString();
    if (!m_store.connectAccess(file)) {
        Store::createDatabaseFile(file);
        if (!m_store.connectAccess(file)) {
            setStatus(u"数据库链接失败！"_s);
            return;
        }
    }
    m_databaseOpen = true;
    // Both fail on every run after the first because the tables exist.
    m_store.executeSql(createSiteRegistrySql());
    m_store.executeSql(createKeywordIndexTableSql());
    m_store.bindConnection();

    const auto tick
        = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    std::srand(static_cast<unsigned>(tick.count()));

    组合框_搜索范围->setEditText(组合框_搜索范围->itemText(组合框_搜索范围->currentIndex()));
    loadSiteList(*this);
    armStatusTimer();
}

void MainWindow::onMainWindowDestroyed()
{
    const int r = 1 + std::rand() % 5;
    if (r == 1)
        openHomePage();
}

QString MainWindow::currentSite() const
{
    return 组合框_网站列表->currentText();
}

QString MainWindow::panelText(int panel) const
{
    if (panel < 0 || panel >= 4)
        return {};
    return m_panels[panel]->text();
}

void MainWindow::setPanelText(int panel, const QString& text)
{
    if (panel < 0 || panel >= 4)
        return;
    m_panels[panel]->setText(text);
    // A panel shows what fits; the whole text is a hover away.
    m_panels[panel]->setToolTip(text);
}

void MainWindow::setStatus(const QString& text)
{
    setPanelText(1, text);
}

QString MainWindow::statusText() const
{
    return panelText(1);
}

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

void MainWindow::keywordSelectionChanged()
{
    if (m_fillingKeywordTable)
        return;
    编辑框_关键词->setText(cellText(selectedKeywordRow(), KeywordColumn::Keyword));
}

void MainWindow::runOperation(const Routine& routine)
{
    if (m_destroying)
        return;
    OperationScope scope(*this);
    routine(*this);
}

void MainWindow::beginOperation()
{
    ++m_operationDepth;
}

void MainWindow::endOperation()
{
    if (--m_operationDepth == 0 && m_closeRequested)
        finishClose();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The window goes out of sight at once; the program ends only when no
    // handler is still running underneath this event.
    m_closeRequested = true;
    event->accept();
    if (m_operationDepth == 0)
        finishClose();
}

void MainWindow::finishClose()
{
    if (m_closeFinished)
        return;
    m_closeFinished = true;
    Q_EMIT closed();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == 图片框1 && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        openHomePage();
        return true;
    }
    if (watched == 组合框_网站列表 && event->type() == QEvent::Wheel && !组合框_网站列表->view()->isVisible())
        return true;
    if (watched == 超级列表框_关键词排名 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && 超级列表框_关键词排名->currentItem() != nullptr) {
            runOperation(openSelectedRankCurve);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zv
