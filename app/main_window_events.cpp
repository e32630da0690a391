#include "app/main_window.h"

#include "app/home_page.h"
#include "app/keyword_registry.h"
#include "app/keyword_table_menu.h"
#include "app/rank_moves.h"
#include "app/site_registry.h"
#include "charts/overview_curve_window.h"
#include "charts/rank_curve_window.h"
#include "charts/site_history_window.h"
#include "queries/keyword_index.h"
#include "queries/rank_search.h"
#include "view/qt_text.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace zv {

namespace {

void openSelectedRankCurve(MainWindow& w)
{
    openRankCurve(w, toText(w.cellText(w.selectedKeywordRow(), KeywordColumn::Keyword)));
}

} // namespace

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
