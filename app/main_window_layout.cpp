#include "app/main_window.h"

#include "app/control_makers.h"
#include "charts/drawing_surface.h"
#include "readers/constants.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

constexpr int kProgressFrameInterval = 150;

} // namespace

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

} // namespace zv
