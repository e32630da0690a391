#pragma once
// The main window: every control of the program's one permanent window, the
// status panel and its one-shot timer, the busy state, and the shared store
// (the database connection and its one recordset). Controls are public
// members named as the program names them, and each widget's objectName is
// that same name. The queries and the chart windows reach it through the
// query and chart views it implements.
// One class in several files: main_window.cpp (start-up and end),
// main_window_layout.cpp (the controls), main_window_status.cpp (status
// panels, busy state, progress), main_window_query_view.cpp (the keyword
// table, figures and fitting surface the views reach) and
// main_window_events.cpp (event wiring, operations, the close sequence).

#include "app/engine_pause.h"
#include "app/value_label.h"
#include "store/store.h"
#include "view/chart_view.h"
#include "view/landing_tip.h"
#include "view/query_view.h"

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;
class QTreeWidget;

namespace zv {

class DrawingSurface;

class MainWindow : public QWidget, public QueryView, public ChartView
{
    Q_OBJECT

public:
    using OperationScope = zv::OperationScope;

    // Builds the window with its controls and runs the start-up sequence:
    // database opened (or created), fixed tables, site list, status timer.
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    QTimer* 时钟1 = nullptr;
    QLabel* 标签_网站地址 = nullptr;
    QComboBox* 组合框_网站列表 = nullptr;

    QGroupBox* 分组框3 = nullptr;
    QLabel* 标签1 = nullptr;
    ValueLabel* 标签_百度快照 = nullptr;
    QLabel* 标签5 = nullptr;
    ValueLabel* 标签_总收录 = nullptr;
    QLabel* 标签6 = nullptr;
    ValueLabel* 标签_百度反链 = nullptr;
    QLabel* 标签8 = nullptr;
    ValueLabel* 标签_今日收录 = nullptr;
    QLabel* 标签9 = nullptr;
    ValueLabel* 标签_最近一周收录 = nullptr;
    QLabel* 标签10 = nullptr;
    ValueLabel* 标签_最近一月收录 = nullptr;

    QTreeWidget* 超级列表框_关键词排名 = nullptr;

    QGroupBox* 分组框1 = nullptr;
    QLabel* 标签2 = nullptr;
    QLineEdit* 编辑框_网站地址 = nullptr;
    QPushButton* 按钮_添加网站 = nullptr;
    QPushButton* 按钮_删除网站 = nullptr;
    QLabel* 标签3 = nullptr;
    QLineEdit* 编辑框_关键词 = nullptr;
    QPushButton* 按钮_添加关键词 = nullptr;
    QPushButton* 按钮_删除关键词 = nullptr;

    QGroupBox* 分组框2 = nullptr;
    QLabel* 标签4 = nullptr;
    QComboBox* 组合框_搜索范围 = nullptr;
    QPushButton* 按钮_查询百度指数 = nullptr;
    QPushButton* 按钮_查询排名 = nullptr;

    QLabel* 图片框1 = nullptr;
    DrawingSurface* 画板1 = nullptr;
    QLabel* 图片框_进度条 = nullptr;
    QStatusBar* 状态条1 = nullptr;
    // In the fourth status panel during a rank search or an index lookup:
    // keyword i of n, and the pages within it; hidden otherwise.
    QProgressBar* 进度条_查询进度 = nullptr;

    // The connection and the shared recordset of the whole run.
    Store& store() override { return m_store; }
    // The text of 组合框_网站列表.
    QString currentSite() const override;

    // Status bar panels, counted from 0; panel 1 is the status text. An index
    // out of range does nothing (reads as "").
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString& text);
    void setStatus(const QString& text) override;
    QString statusText() const override;

    // Disables (enables) the fourteen working controls in their fixed order and
    // shows (hides) the progress animation. A plain on/off state, not a count.
    void enterBusyState() override;
    void leaveBusyState() override;
    bool isBusy() const;

    // Starts the 10-second countdown that puts "空闲..." back, unless it is
    // already running: re-arming never restarts a running countdown.
    void armStatusTimer() override;
    // What the timer's tick does; public so that tests need not wait.
    void statusTimerTick();

    // The current index of 组合框_搜索范围.
    int searchRangeIndex() const override;

    // The keyword table.
    int keywordRowCount() const override;
    int selectedKeywordRow() const override;
    QString cellText(int row, KeywordColumn column) const override;
    void setCellText(int row, KeywordColumn column, const QString& text) override;
    void setCellPicture(int row, KeywordColumn column, const QImage& picture) override;
    int addKeywordRow() override;
    void clearKeywordRows() override;
    IndexPictureList* indexPictures() override;
    IndexPictureList& replaceIndexPictures() override;

    // The value labels of 分组框3.
    QString figureText(FigureBox box) const override;
    void setFigureText(FigureBox box, const QString& text) override;

    // 画板1, hidden.
    void clearFittingSurface() override;
    void showOnFittingSurface(const Picture& surface) override;

    // 进度条_查询进度.
    void showProgress(const SearchProgress& progress) override;
    void hideProgress() override;

    QWidget* chartParent() override { return this; }

    // The pause between requests to the search engine; none until set. The
    // window keeps handling events while it waits, and a close ends the wait.
    void setEnginePause(PauseRange range);
    // The pause set; off when none is.
    PauseRange enginePause() const { return m_enginePause ? m_enginePause->range() : PauseRange {}; }
    void beforeEngineRequest() override;
    // The engine the rank search asks; the built-in one until set.
    void setEngineProfile(std::shared_ptr<const EngineProfile> engine) { m_engine = std::move(engine); }
    const EngineProfile* engineProfile() const override { return m_engine.get(); }
    // serp_depth= of the settings.
    void setResultListDepth(int depth) { m_resultListDepth = depth; }
    int resultListDepth() const override { return m_resultListDepth; }
    // The rank cells' tool tips show the landing pages of the lists just kept.
    void resultListsKept() override;
    // Sets the rank cell's tool tip: the landing page, then the move since
    // the previous recorded day (app/rank_moves.h), each when there is one.
    void refreshRankToolTip(int row);

    // True once start-up has opened the database.
    bool databaseOpen() const { return m_databaseOpen; }

    // Every event handler runs inside an operation (an OperationScope).
    // Closing the window while one is alive hides the window at once but
    // finishes the close (the closed() signal) only when the outermost
    // operation ends, so a handler that processes events never has the window
    // pulled away underneath it.
    void beginOperation() override;
    void endOperation() override;
    // The user has closed the window; a long operation may stop early.
    bool isClosing() const override { return m_closeRequested; }
    bool operationRunning() const { return m_operationDepth > 0; }

    using Routine = std::function<void(MainWindow&)>;
    // Runs routine(*this) as an operation when signal fires.
    template <typename Sender, typename Signal> void onEvent(Sender* sender, Signal signal, Routine routine)
    {
        connect(sender, signal, this, [this, routine = std::move(routine)] { runOperation(routine); });
    }
    void runOperation(const Routine& routine);

Q_SIGNALS:
    // The window was closed and no operation is running any more: the program
    // may end.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void wireEvents();
    void onMainWindowCreated();
    void onMainWindowDestroyed();
    void keywordSelectionChanged();
    void advanceProgressFrame();
    void finishClose();
    std::array<QWidget*, 14> workingControls() const;
    ValueLabel* figureLabel(FigureBox box) const;

    Store m_store;
    std::optional<EnginePause> m_enginePause;
    std::shared_ptr<const EngineProfile> m_engine;
    int m_resultListDepth = kDefaultResultListDepth;
    // The rank cells' tool tips, and the site and day they were read for.
    LandingToolTips m_landingTips;
    std::optional<std::pair<QString, QDate>> m_landingTipsFor;
    // The index image list of the keyword table; replaced, never merged, by
    // each lookup and load.
    std::optional<IndexPictureList> m_indexPictures;

    QLabel* m_panels[4] = {};
    QTimer* m_progressTimer = nullptr;
    QList<QPixmap> m_progressFrames;
    int m_progressFrame = 0;
    bool m_databaseOpen = false;
    bool m_fillingKeywordTable = false;
    int m_operationDepth = 0;
    bool m_closeRequested = false;
    bool m_closeFinished = false;
    bool m_destroying = false;
};

} // namespace zv
