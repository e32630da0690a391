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
#include "readers/constants.h"
#include "store/schema.h"
#include "view/landing_tip.h"
#include "view/message_box.h"
#include "view/paths.h"
#include "view/picture_image.h"
#include "view/qt_text.h"
#include "web/event_hook.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
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

constexpr int kStatusTimerInterval = 10000;
constexpr int kProgressFrameInterval = 150;

// "宋体" when the system has it, else the first installed CJK face, so that the
// keyword table shows Chinese text at 14 pixels everywhere.
QFont keywordTableFont()
{
    QFont font;
    const QStringList wanted = {u"宋体"_s,
                                u"SimSun"_s,
                                u"NSimSun"_s,
                                u"WenQuanYi Zen Hei"_s,
                                u"WenQuanYi Micro Hei"_s,
                                u"Noto Sans CJK SC"_s,
                                u"Noto Serif CJK SC"_s,
                                u"AR PL UMing CN"_s};
    const QStringList installed = QFontDatabase::families();
    QStringList families;
    for (const QString& name : wanted) {
        if (installed.contains(name, Qt::CaseInsensitive))
            families.append(name);
    }
    if (families.isEmpty())
        families.append(wanted.first());
    font.setFamilies(families);
    font.setPixelSize(14);
    font.setWeight(QFont::Normal);
    return font;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(x, y, w, h);
    return label;
}

ValueLabel* makeValueLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h,
                           bool hand)
{
    auto* label = new ValueLabel(parent);
    label->setObjectName(name);
    label->setText(text);
    label->setGeometry(x, y, w, h);
    if (hand)
        label->setCursor(Qt::PointingHandCursor);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(x, y, w, h);
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoDefault(false);
    return button;
}

// A drop-down whose text is exactly what was typed or chosen: no insertion on
// Enter, no completion from the items, items kept in the order added.
QComboBox* makeDropDown(QWidget* parent, const QString& name, int x, int y, int w, int h)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setGeometry(x, y, w, h);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    // Qt treats finishing an edit (Enter, focus leaving) whose text equals an
    // item as choosing that item. Typing is not choosing: only a pick from the
    // list counts.
    QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, nullptr, nullptr);
    box->setDuplicatesEnabled(true);
    QPalette p = box->palette();
    p.setColor(QPalette::Base, Qt::white);
    box->setPalette(p);
    return box;
}

QGroupBox* makeGroupBox(QWidget* parent, const QString& name, int x, int y, int w, int h)
{
    auto* box = new QGroupBox(parent);
    box->setObjectName(name);
    box->setGeometry(x, y, w, h);
    return box;
}

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

void MainWindow::buildControls()
{
    setObjectName(u"MainWindow"_s);
    setWindowTitle(QString::fromUtf8(kWindowTitle));
    const QPixmap logo(u":/zeravudez/logo.png"_s);
    setWindowIcon(QIcon(logo));
    resize(636, 500);
    move(50, 50);

    时钟1 = new QTimer(this);
    时钟1->setObjectName(u"时钟1"_s);
    时钟1->setSingleShot(true);
    时钟1->setTimerType(Qt::PreciseTimer);
    时钟1->setInterval(0);

    标签_网站地址 = makeLabel(this, u"标签_网站地址"_s, u"网站地址："_s, 16, 8, 56, 24);
    组合框_网站列表 = makeDropDown(this, u"组合框_网站列表"_s, 78, 9, 538, 20);

    分组框3 = makeGroupBox(this, u"分组框3"_s, 14, 31, 600, 81);
    标签1 = makeLabel(分组框3, u"标签1"_s, u"百度快照："_s, 10, 16, 64, 24);
    标签_百度快照 = makeValueLabel(分组框3, u"标签_百度快照"_s, u"0000-00-00"_s, 80, 15, 100, 24, true);
    标签5 = makeLabel(分组框3, u"标签5"_s, u"百度收录："_s, 209, 16, 64, 24);
    标签_总收录 = makeValueLabel(分组框3, u"标签_总收录"_s, u"0"_s, 281, 15, 100, 24, true);
    标签6 = makeLabel(分组框3, u"标签6"_s, u"百度反链："_s, 410, 16, 64, 24);
    标签_百度反链 = makeValueLabel(分组框3, u"标签_百度反链"_s, u"0"_s, 481, 14, 100, 24, true);
    标签8 = makeLabel(分组框3, u"标签8"_s, u"今日收录："_s, 11, 51, 64, 24);
    标签_今日收录 = makeValueLabel(分组框3, u"标签_今日收录"_s, u"0"_s, 80, 48, 100, 24, true);
    标签9 = makeLabel(分组框3, u"标签9"_s, u"最近一周："_s, 210, 50, 64, 24);
    标签_最近一周收录 = makeValueLabel(分组框3, u"标签_最近一周收录"_s, u"0"_s, 281, 48, 100, 24, false);
    标签10 = makeLabel(分组框3, u"标签10"_s, u"最近一月："_s, 410, 49, 64, 24);
    标签_最近一月收录 = makeValueLabel(分组框3, u"标签_最近一月收录"_s, u"0"_s, 481, 48, 100, 24, false);

    超级列表框_关键词排名 = new QTreeWidget(this);
    超级列表框_关键词排名->setObjectName(u"超级列表框_关键词排名"_s);
    超级列表框_关键词排名->setGeometry(13, 121, 602, 232);
    超级列表框_关键词排名->setColumnCount(kKeywordColumnCount);
    超级列表框_关键词排名->setHeaderLabels(
        {QString(), u"编号"_s, u"关键词"_s, u"百度指数"_s, u"百度排名"_s, u"排名曲线"_s});
    超级列表框_关键词排名->setRootIsDecorated(false);
    超级列表框_关键词排名->setItemsExpandable(false);
    超级列表框_关键词排名->setUniformRowHeights(true);
    超级列表框_关键词排名->setAllColumnsShowFocus(true);
    超级列表框_关键词排名->setSelectionMode(QAbstractItemView::SingleSelection);
    超级列表框_关键词排名->setSelectionBehavior(QAbstractItemView::SelectRows);
    超级列表框_关键词排名->setIconSize(QSize(80, 16));
    超级列表框_关键词排名->setFont(keywordTableFont());
    超级列表框_关键词排名->setCursor(Qt::PointingHandCursor);
    超级列表框_关键词排名->viewport()->setCursor(Qt::PointingHandCursor);
    超级列表框_关键词排名->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* header = 超级列表框_关键词排名->header();
    header->setMinimumSectionSize(1);
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    const int widths[kKeywordColumnCount] = {10, 40, 210, 80, 160, 80};
    for (int c = 0; c < kKeywordColumnCount; ++c)
        超级列表框_关键词排名->setColumnWidth(c, widths[c]);

    分组框1 = makeGroupBox(this, u"分组框1"_s, 13, 359, 400, 80);
    标签2 = makeLabel(分组框1, u"标签2"_s, u"网站地址："_s, 8, 13, 56, 24);
    编辑框_网站地址 = new QLineEdit(分组框1);
    编辑框_网站地址->setObjectName(u"编辑框_网站地址"_s);
    编辑框_网站地址->setGeometry(72, 12, 160, 24);
    按钮_添加网站 = makeButton(分组框1, u"按钮_添加网站"_s, u"添加网站"_s, 243, 14, 72, 24);
    按钮_删除网站 = makeButton(分组框1, u"按钮_删除网站"_s, u"删除网站"_s, 320, 14, 72, 24);
    标签3 = makeLabel(分组框1, u"标签3"_s, u"关键词："_s, 21, 47, 55, 24);
    编辑框_关键词 = new QLineEdit(分组框1);
    编辑框_关键词->setObjectName(u"编辑框_关键词"_s);
    编辑框_关键词->setGeometry(72, 48, 160, 24);
    按钮_添加关键词 = makeButton(分组框1, u"按钮_添加关键词"_s, u"添加关键词"_s, 242, 48, 72, 24);
    按钮_删除关键词 = makeButton(分组框1, u"按钮_删除关键词"_s, u"删除关键词"_s, 320, 48, 72, 24);

    分组框2 = makeGroupBox(this, u"分组框2"_s, 424, 359, 192, 80);
    标签4 = makeLabel(分组框2, u"标签4"_s, u"搜索范围："_s, 14, 20, 56, 16);
    组合框_搜索范围 = makeDropDown(分组框2, u"组合框_搜索范围"_s, 80, 17, 96, 20);
    for (const QString& range : {u"100"_s, u"200"_s, u"300"_s, u"400"_s, u"500"_s, u"600"_s, u"700"_s, u"800"_s})
        组合框_搜索范围->addItem(range);
    组合框_搜索范围->setCurrentIndex(0);
    按钮_查询百度指数 = makeButton(分组框2, u"按钮_查询百度指数"_s, u"查询指数"_s, 11, 46, 62, 24);
    按钮_查询排名 = makeButton(分组框2, u"按钮_查询排名"_s, u"查询排名"_s, 81, 46, 63, 24);

    图片框1 = new QLabel(this);
    图片框1->setObjectName(u"图片框1"_s);
    图片框1->setGeometry(578, 398, 48, 48);
    图片框1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    图片框1->setPixmap(logo);
    图片框1->setCursor(Qt::PointingHandCursor);
    图片框1->installEventFilter(this);

    画板1 = new DrawingSurface(this);
    画板1->setObjectName(u"画板1"_s);
    画板1->setGeometry(283, 444, 80, 22);
    画板1->hide();

    // The animation strip holds four frames side by side.
    const QPixmap strip(u":/zeravudez/progress.png"_s);
    const int frameWidth = strip.width() / 4;
    for (int i = 0; i < 4; ++i)
        m_progressFrames.append(strip.copy(i * frameWidth, 0, frameWidth, strip.height()));
    图片框_进度条 = new QLabel(this);
    图片框_进度条->setObjectName(u"图片框_进度条"_s);
    图片框_进度条->setGeometry(485, 455, 150, 8);
    图片框_进度条->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    图片框_进度条->setPixmap(m_progressFrames.value(0));
    图片框_进度条->hide();
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(kProgressFrameInterval);

    状态条1 = new QStatusBar(this);
    状态条1->setObjectName(u"状态条1"_s);
    状态条1->setGeometry(0, 480, 602, 20);
    状态条1->setSizeGripEnabled(false);
    // Panels sit side by side at fixed widths; what does not fit is cut off
    // at the bar's right edge, as the bar is narrower than the four panels.
    const int panelWidths[4] = {60, 300, 110, 500};
    const QString panelTexts[4] = {u"  状态："_s, u"空闲..."_s, QString::fromUtf8(kCreditText), QString()};
    int panelX = 0;
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(panelTexts[i], 状态条1);
        m_panels[i]->setObjectName(u"状态条1_panel%1"_s.arg(i));
        m_panels[i]->setGeometry(panelX, 2, panelWidths[i], 18);
        m_panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_panels[i]->setContentsMargins(2, 0, 2, 0);
        panelX += panelWidths[i];
    }
    // Over the fourth panel's visible part, inside its frame; the panel's
    // own text stays as it is.
    进度条_查询进度 = new QProgressBar(m_panels[3]);
    进度条_查询进度->setObjectName(u"进度条_查询进度"_s);
    进度条_查询进度->setGeometry(2, 2, 126, 14);
    进度条_查询进度->setTextVisible(true);
    进度条_查询进度->hide();
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

std::array<QWidget*, 14> MainWindow::workingControls() const
{
    return {按钮_查询排名,   按钮_查询百度指数, 组合框_网站列表,   按钮_添加网站,    按钮_删除网站,
            按钮_添加关键词, 按钮_删除关键词,   组合框_搜索范围,   标签_百度快照,    标签_总收录,
            标签_百度反链,   标签_今日收录,     标签_最近一周收录, 标签_最近一月收录};
}

void MainWindow::enterBusyState()
{
    for (QWidget* control : workingControls())
        control->setEnabled(false);
    if (图片框_进度条->isHidden()) {
        m_progressFrame = 0;
        图片框_进度条->setPixmap(m_progressFrames.value(0));
        图片框_进度条->show();
        m_progressTimer->start();
    }
}

void MainWindow::leaveBusyState()
{
    for (QWidget* control : workingControls())
        control->setEnabled(true);
    图片框_进度条->hide();
    m_progressTimer->stop();
    armStatusTimer();
}

bool MainWindow::isBusy() const
{
    return !图片框_进度条->isHidden();
}

void MainWindow::advanceProgressFrame()
{
    if (m_progressFrames.isEmpty())
        return;
    m_progressFrame = (m_progressFrame + 1) % m_progressFrames.size();
    图片框_进度条->setPixmap(m_progressFrames.at(m_progressFrame));
}

void MainWindow::armStatusTimer()
{
    // Only a change of interval starts a countdown; one already running keeps
    // its original deadline.
    if (时钟1->interval() == kStatusTimerInterval && 时钟1->isActive())
        return;
    时钟1->setInterval(kStatusTimerInterval);
    时钟1->start();
}

void MainWindow::statusTimerTick()
{
    setStatus(u"空闲..."_s);
    时钟1->stop();
    时钟1->setInterval(0);
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

void MainWindow::showProgress(const SearchProgress& progress)
{
    if (progress.keywords <= 0 || progress.pages <= 0)
        return;
    // The pages asked for before this one, of all the search's pages.
    进度条_查询进度->setRange(0, progress.keywords * progress.pages);
    进度条_查询进度->setValue((progress.keyword - 1) * progress.pages + progress.page - 1);
    进度条_查询进度->setFormat(u"%1/%2"_s.arg(progress.keyword).arg(progress.keywords));
    进度条_查询进度->show();
}

void MainWindow::hideProgress()
{
    进度条_查询进度->hide();
    进度条_查询进度->reset();
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
