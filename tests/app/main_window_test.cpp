#include "app_fixture.h"

#include "charts/drawing_surface.h"
#include "readers/constants.h"
#include "web/http_request.h"

#include "tests/support/loopback_server.h"
#include "tests/support/temp_dir.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zv::test {
namespace {

using test::LoopbackServer;
using test::RecordedRequest;
using test::Reply;

using StartUp = AppTest;

TEST_F(StartUp, FirstRunCreatesTheFileAndItsTwoTables)
{
    auto w = start();
    EXPECT_TRUE(w->databaseOpen());
    ASSERT_TRUE(QFile::exists(databasePath()));
    DbPeek db(databasePath());
    EXPECT_EQ(db.tables(), (std::vector<std::string> {"web_baiduzhishu", "website"}));
    EXPECT_EQ(db.columns("website"), (std::vector<std::string> {"web_name"}));
    EXPECT_EQ(db.columns("web_baiduzhishu"), (std::vector<std::string> {"keywords", "baiduzhishu"}));

    EXPECT_EQ(w->statusText(), u("空闲..."));
    EXPECT_EQ(w->时钟1->interval(), 10000);
    EXPECT_TRUE(w->时钟1->isActive());
    EXPECT_EQ(w->组合框_网站列表->count(), 0);
    EXPECT_EQ(w->组合框_网站列表->currentText(), QString());
    EXPECT_EQ(w->组合框_搜索范围->currentText(), u("100"));
    EXPECT_EQ(w->标签_百度快照->text(), u("0000-00-00"));
    for (QLabel* l : {w->标签_总收录, w->标签_百度反链, w->标签_今日收录, w->标签_最近一周收录, w->标签_最近一月收录})
        EXPECT_EQ(l->text(), u("0")) << l->objectName().toStdString();
    EXPECT_EQ(w->keywordRowCount(), 0);
    EXPECT_TRUE(shownMessages().isEmpty()) << "table creation must fail silently";
}

TEST_F(StartUp, LaterRunListsTheRegisteredSitesInStoredOrder)
{
    {
        auto w = start();
        addSiteNamed(*w, "b.example.com");
        addSiteNamed(*w, "a-1.example.org");
    }
    clearShownMessages();
    auto w = start();
    EXPECT_EQ(siteItems(*w), (QStringList {u("b.example.com"), u("a-1.example.org")}));
    EXPECT_EQ(w->组合框_网站列表->currentText(), QString()) << "loading the list chooses no site";
    EXPECT_EQ(w->statusText(), u("空闲..."));
    EXPECT_TRUE(shownMessages().isEmpty());
}

TEST_F(StartUp, AFileThatIsNotADatabaseStopsStartUp)
{
    ASSERT_TRUE(makeParentFolder(databasePath()));
    const QByteArray junk("this is not a database file, but someone's notes\n");
    {
        QFile f(databasePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    auto w = start();
    EXPECT_FALSE(w->databaseOpen());
    EXPECT_EQ(w->statusText(), u("数据库链接失败！"));
    EXPECT_FALSE(w->时钟1->isActive()) << "the message must stay";
    EXPECT_EQ(w->时钟1->interval(), 0);
    EXPECT_EQ(w->组合框_网站列表->count(), 0);

    QFile f(databasePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), junk) << "the existing file must not be replaced";

    // The window stays usable; the actions report their own failures.
    addSiteNamed(*w, "x.com");
    EXPECT_EQ(w->statusText(), u("网站地址已经存在！"));
    EXPECT_FALSE(w->isBusy());
}

using Layout = AppTest;

struct Placement
{
    const char* name;
    const char* parent;
    int x, y, w, h;
};

TEST_F(Layout, EveryControlSitsWhereItBelongs)
{
    auto w = start();
    EXPECT_EQ(w->windowTitle(), u(kWindowTitle));
    EXPECT_EQ(w->size(), QSize(636, 500));
    EXPECT_EQ(w->pos(), QPoint(50, 50));
    EXPECT_FALSE(w->windowIcon().isNull());

    const Placement placements[] = {
        {"标签_网站地址", "MainWindow", 16, 8, 56, 24},
        {"组合框_网站列表", "MainWindow", 78, 9, 538, 20},
        {"分组框3", "MainWindow", 14, 31, 600, 81},
        {"标签1", "分组框3", 10, 16, 64, 24},
        {"标签_百度快照", "分组框3", 80, 15, 100, 24},
        {"标签5", "分组框3", 209, 16, 64, 24},
        {"标签_总收录", "分组框3", 281, 15, 100, 24},
        {"标签6", "分组框3", 410, 16, 64, 24},
        {"标签_百度反链", "分组框3", 481, 14, 100, 24},
        {"标签8", "分组框3", 11, 51, 64, 24},
        {"标签_今日收录", "分组框3", 80, 48, 100, 24},
        {"标签9", "分组框3", 210, 50, 64, 24},
        {"标签_最近一周收录", "分组框3", 281, 48, 100, 24},
        {"标签10", "分组框3", 410, 49, 64, 24},
        {"标签_最近一月收录", "分组框3", 481, 48, 100, 24},
        {"超级列表框_关键词排名", "MainWindow", 13, 121, 602, 232},
        {"分组框1", "MainWindow", 13, 359, 400, 80},
        {"标签2", "分组框1", 8, 13, 56, 24},
        {"编辑框_网站地址", "分组框1", 72, 12, 160, 24},
        {"按钮_添加网站", "分组框1", 243, 14, 72, 24},
        {"按钮_删除网站", "分组框1", 320, 14, 72, 24},
        {"标签3", "分组框1", 21, 47, 55, 24},
        {"编辑框_关键词", "分组框1", 72, 48, 160, 24},
        {"按钮_添加关键词", "分组框1", 242, 48, 72, 24},
        {"按钮_删除关键词", "分组框1", 320, 48, 72, 24},
        {"分组框2", "MainWindow", 424, 359, 192, 80},
        {"标签4", "分组框2", 14, 20, 56, 16},
        {"组合框_搜索范围", "分组框2", 80, 17, 96, 20},
        {"按钮_查询百度指数", "分组框2", 11, 46, 62, 24},
        {"按钮_查询排名", "分组框2", 81, 46, 63, 24},
        {"图片框1", "MainWindow", 578, 398, 48, 48},
        {"画板1", "MainWindow", 283, 444, 80, 22},
        {"图片框_进度条", "MainWindow", 485, 455, 150, 8},
        {"状态条1", "MainWindow", 0, 480, 602, 20},
    };
    for (const Placement& p : placements) {
        auto* control = w->findChild<QWidget*>(u(p.name));
        ASSERT_NE(control, nullptr) << p.name;
        EXPECT_EQ(control->geometry(), QRect(p.x, p.y, p.w, p.h)) << p.name;
        EXPECT_EQ(control->parentWidget()->objectName(), u(p.parent)) << p.name;
    }
    EXPECT_EQ(w->findChild<QTimer*>(u("时钟1")), w->时钟1);

    const char* hand[] = {"标签_百度快照",         "标签_总收录",       "标签_百度反链", "标签_今日收录",
                          "超级列表框_关键词排名", "按钮_添加网站",     "按钮_删除网站", "按钮_添加关键词",
                          "按钮_删除关键词",       "按钮_查询百度指数", "按钮_查询排名", "图片框1"};
    for (const char* name : hand)
        EXPECT_EQ(w->findChild<QWidget*>(u(name))->cursor().shape(), Qt::PointingHandCursor) << name;
    for (const char* name : {"标签_最近一周收录", "标签_最近一月收录", "编辑框_关键词", "标签1"})
        EXPECT_NE(w->findChild<QWidget*>(u(name))->cursor().shape(), Qt::PointingHandCursor) << name;

    // Boxed value labels on white; plain captions.
    EXPECT_EQ(w->标签_总收录->frameShape(), QFrame::Box);
    EXPECT_EQ(w->标签_总收录->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(w->标签_总收录->autoFillBackground());
    EXPECT_EQ(w->标签5->frameShape(), QFrame::NoFrame);

    EXPECT_TRUE(w->画板1->isHidden());
    EXPECT_TRUE(w->图片框_进度条->isHidden());
    EXPECT_EQ(w->图片框1->pixmap().size(), QSize(50, 50));
}

TEST_F(Layout, KeywordTableDropDownsAndStatusPanels)
{
    auto w = start();
    QTreeWidget* table = w->超级列表框_关键词排名;
    ASSERT_EQ(table->columnCount(), 6);
    const QStringList titles = {QString(), u("编号"), u("关键词"), u("百度指数"), u("百度排名"), u("排名曲线")};
    const int widths[] = {10, 40, 210, 80, 160, 80};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(table->headerItem()->text(c), titles[c]);
        EXPECT_EQ(table->columnWidth(c), widths[c]) << "column " << c;
    }
    EXPECT_FALSE(table->rootIsDecorated());
    EXPECT_FALSE(table->isHeaderHidden());
    EXPECT_EQ(table->font().pixelSize(), 14);
    EXPECT_EQ(table->iconSize(), QSize(80, 16));

    for (QComboBox* box : {w->组合框_网站列表, w->组合框_搜索范围}) {
        EXPECT_TRUE(box->isEditable());
        EXPECT_EQ(box->insertPolicy(), QComboBox::NoInsert);
        EXPECT_EQ(box->completer(), nullptr);
    }
    QStringList ranges;
    for (int i = 0; i < w->组合框_搜索范围->count(); ++i)
        ranges.append(w->组合框_搜索范围->itemText(i));
    EXPECT_EQ(ranges, (QStringList {u("100"), u("200"), u("300"), u("400"), u("500"), u("600"), u("700"), u("800")}));
    EXPECT_EQ(w->组合框_搜索范围->currentIndex(), 0);

    // Typing and Enter leave the text as typed and add no item.
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->组合框_网站列表->setFocus();
    QTest::keyClicks(w->组合框_网站列表, QStringLiteral("typed.site"));
    QTest::keyClick(w->组合框_网站列表, Qt::Key_Return);
    EXPECT_EQ(w->组合框_网站列表->currentText(), QStringLiteral("typed.site"));
    EXPECT_EQ(w->组合框_网站列表->count(), 0);

    const QStringList panels = {u("  状态："), u("空闲..."), u(kCreditText), QString()};
    const int panelWidths[] = {60, 300, 110, 500};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(w->panelText(i), panels[i]);
        auto* label = w->状态条1->findChild<QLabel*>(QStringLiteral("状态条1_panel%1").arg(i));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->width(), panelWidths[i]);
        EXPECT_EQ(label->x(),
                  i == 0
                      ? 0
                      : w->状态条1->findChild<QLabel*>(QStringLiteral("状态条1_panel%1").arg(i - 1))->geometry().right()
                          + 1);
    }
    w->setPanelText(4, u("x"));
    w->setPanelText(-1, u("x"));
    EXPECT_EQ(w->panelText(4), QString());
    EXPECT_EQ(w->panelText(3), QString());
}

using StatusTimer = AppTest;

TEST_F(StatusTimer, TickPutsIdleBackAndStops)
{
    auto w = start();
    w->setStatus(u("添加网站成功！"));
    w->statusTimerTick();
    EXPECT_EQ(w->statusText(), u("空闲..."));
    EXPECT_EQ(w->时钟1->interval(), 0);
    EXPECT_FALSE(w->时钟1->isActive());

    // An early validation message does not arm the timer, so it stays.
    w->编辑框_网站地址->clear();
    w->按钮_添加网站->click();
    EXPECT_EQ(w->statusText(), u("请输入网站地址！"));
    EXPECT_FALSE(w->时钟1->isActive());
}

TEST_F(StatusTimer, ArmingAgainDoesNotRestartARunningCountdown)
{
    auto w = start();
    w->statusTimerTick();
    w->armStatusTimer();
    ASSERT_TRUE(w->时钟1->isActive());
    EXPECT_EQ(w->时钟1->interval(), 10000);
    QTest::qWait(60);
    const int before = w->时钟1->remainingTime();
    ASSERT_LT(before, 10000);
    w->armStatusTimer();
    EXPECT_LE(w->时钟1->remainingTime(), before) << "the countdown was restarted";
    EXPECT_EQ(w->时钟1->interval(), 10000);

    // A fired timer can be armed again for a fresh countdown.
    w->statusTimerTick();
    w->armStatusTimer();
    EXPECT_GT(w->时钟1->remainingTime(), 9900);
}

using BusyState = AppTest;

TEST_F(BusyState, IsAPlainSwitchNotACounter)
{
    auto w = start();
    const QList<QWidget*> working
        = {w->按钮_查询排名,   w->按钮_查询百度指数, w->组合框_网站列表,   w->按钮_添加网站,    w->按钮_删除网站,
           w->按钮_添加关键词, w->按钮_删除关键词,   w->组合框_搜索范围,   w->标签_百度快照,    w->标签_总收录,
           w->标签_百度反链,   w->标签_今日收录,     w->标签_最近一周收录, w->标签_最近一月收录};
    w->statusTimerTick();
    w->enterBusyState();
    w->enterBusyState();
    for (QWidget* c : working)
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_FALSE(w->图片框_进度条->isHidden());
    for (QWidget* c : {static_cast<QWidget*>(w->编辑框_网站地址), static_cast<QWidget*>(w->编辑框_关键词),
                       static_cast<QWidget*>(w->超级列表框_关键词排名), static_cast<QWidget*>(w->图片框1)})
        EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_FALSE(w->时钟1->isActive());

    w->leaveBusyState();
    for (QWidget* c : working)
        EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_TRUE(w->图片框_进度条->isHidden());
    EXPECT_TRUE(w->时钟1->isActive()) << "leaving the busy state arms the timer";
}

TEST_F(BusyState, EditBoxesAndKeywordTableStillReact)
{
    auto w = start();
    addSiteNamed(*w, "busy.example.com");
    addKeywordNamed(*w, "alpha");
    addKeywordNamed(*w, "beta");
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->enterBusyState();

    w->编辑框_网站地址->clear();
    QTest::keyClicks(w->编辑框_网站地址, QStringLiteral("typed.com"));
    EXPECT_EQ(w->编辑框_网站地址->text(), QStringLiteral("typed.com"));

    QTreeWidget* table = w->超级列表框_关键词排名;
    const QRect rowRect = table->visualItemRect(table->topLevelItem(1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rowRect.center());
    EXPECT_EQ(w->selectedKeywordRow(), 1);
    EXPECT_EQ(w->编辑框_关键词->text(), QStringLiteral("beta"));

    // A disabled value label ignores clicks.
    QSignalSpy spy(w->标签_总收录, &ValueLabel::clicked);
    QTest::mouseClick(w->标签_总收录, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 0);
}

TEST(ValueLabelClick, IsALeftButtonReleasedOverTheLabel)
{
    ValueLabel label;
    label.resize(100, 24);
    label.show();
    QSignalSpy spy(&label, &ValueLabel::clicked);
    QTest::mouseClick(&label, Qt::RightButton);
    EXPECT_EQ(spy.count(), 0);
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(spy.count(), 0) << "a press alone is no click";
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(spy.count(), 1);
    // Released outside: the user changed their mind.
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_EQ(spy.count(), 1);
}

using HomePage = AppTest;

TEST_F(HomePage, LogoPressOpensIt)
{
    auto w = start();
    QTest::mousePress(w->图片框1, Qt::RightButton);
    EXPECT_TRUE(openedUrls().isEmpty());
    QTest::mousePress(w->图片框1, Qt::LeftButton);
    ASSERT_EQ(openedUrls().size(), 1);
    EXPECT_EQ(openedUrls().first(), QUrl(QString::fromLatin1(kHomePage)));
}

using Closing = AppTest;

// Stands for a handler that processes events in the middle of its work, as the
// web requests do, and stores something afterwards.
void closeDuringWork(MainWindow& w)
{
    QTimer::singleShot(0, &w, &QWidget::close);
    QCoreApplication::processEvents();
    // The window must still be whole here.
    w.编辑框_关键词->setText(QStringLiteral("late"));
    w.按钮_添加关键词->click();
}

TEST_F(Closing, WhileAnOperationRunsEndsOnlyAfterIt)
{
    {
        auto w = start();
        addSiteNamed(*w, "close.example.com");
        addKeywordNamed(*w, "early");
        w->show();
        QSignalSpy closed(w.get(), &MainWindow::closed);
        w->runOperation(closeDuringWork);
        EXPECT_TRUE(w->isClosing());
        EXPECT_TRUE(w->isHidden());
        EXPECT_EQ(closed.count(), 1) << "closed() once the operation has unwound";
        QCoreApplication::processEvents();
        EXPECT_EQ(closed.count(), 1);
    }
    DbPeek db(databasePath());
    EXPECT_EQ(db.columns("close_example_com"), (std::vector<std::string> {"ID", "keydate", "early", "late"}));
    EXPECT_EQ(db.rows("select web_name from website"), (std::vector<std::vector<std::string>> {{"close_example_com"}}));
}

TEST_F(Closing, AnIdleWindowEndsAtOnceANestedOneAtTheOuterScope)
{
    auto w = start();
    w->show();
    QSignalSpy closed(w.get(), &MainWindow::closed);
    {
        MainWindow::OperationScope outer(*w);
        {
            MainWindow::OperationScope inner(*w);
            w->close();
        }
        EXPECT_EQ(closed.count(), 0);
    }
    EXPECT_EQ(closed.count(), 1);

    auto idle = start();
    QSignalSpy idleClosed(idle.get(), &MainWindow::closed);
    idle->show();
    idle->close();
    EXPECT_EQ(idleClosed.count(), 1);
}

// Stands for the web while a server keeps silent: every request is recorded
// and held without an answer until the test lets go, for at most 10 s, far
// less than the request time-out, so a request that was not abandoned shows
// as a stall that ended.
class SilentWeb
{
public:
    SilentWeb()
    {
        m_server.setHandler([this](const RecordedRequest&) {
            std::unique_lock lock(m_mutex);
            if (!m_released.wait_for(lock, std::chrono::seconds(10), [this] { return m_release; }))
                m_stallEnded = true;
            return Reply::status(404, "Not Found", "");
        });
        setHttpTimeout(std::chrono::seconds(60));
    }
    ~SilentWeb()
    {
        release();
        m_server.stop();
        setHttpTimeout(std::chrono::milliseconds(0));
    }
    SilentWeb(const SilentWeb&) = delete;
    SilentWeb& operator=(const SilentWeb&) = delete;

    std::string proxy() const { return m_server.authority(); }
    std::size_t requestCount() const { return m_server.requestCount(); }
    bool stallEnded()
    {
        std::lock_guard lock(m_mutex);
        return m_stallEnded;
    }
    void release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_release = true;
        }
        m_released.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_release = false;
    bool m_stallEnded = false;
    LoopbackServer m_server;
};

// Runs action, which sends requests to web, and closes the window as soon as
// the first of them has reached the server.
void closeAtFirstRequest(MainWindow& w, const SilentWeb& web, const std::function<void()>& action)
{
    const std::size_t before = web.requestCount();
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, &w, [&] {
        if (web.requestCount() > before) {
            closer.stop();
            w.close();
        }
    });
    closer.start();
    action();
}

TEST_F(Closing, DuringARequestToASilentServerEndsWithoutWaitingForIt)
{
    SilentWeb web;
    std::optional<ScopedEnv> proxy;
    {
        // A rank search of two keywords over three pages, closed during its
        // first request: nothing more is asked and today's row stays absent.
        auto w = start();
        addSiteNamed(*w, "silent.example.com");
        addKeywordNamed(*w, "first");
        addKeywordNamed(*w, "second");
        ASSERT_TRUE(w->store().executeSql("delete from silent_example_com"));
        w->组合框_搜索范围->setCurrentIndex(2);
        w->show();
        proxy.emplace("ZERAVUDEZ_PROXY", web.proxy().c_str());
        QSignalSpy closed(w.get(), &MainWindow::closed);
        closeAtFirstRequest(*w, web, [&] { w->按钮_查询排名->click(); });
        EXPECT_FALSE(web.stallEnded()) << "the search waited for the silent server";
        EXPECT_EQ(web.requestCount(), 1u);
        EXPECT_EQ(closed.count(), 1);
        DbPeek db(databasePath());
        EXPECT_TRUE(db.rows("select * from silent_example_com").empty());
    }
    {
        // The index lookup of the same keywords.
        proxy.reset();
        auto w = start();
        w->组合框_网站列表->setCurrentIndex(0);
        Q_EMIT w->组合框_网站列表->activated(0);
        ASSERT_EQ(w->keywordRowCount(), 2);
        w->show();
        proxy.emplace("ZERAVUDEZ_PROXY", web.proxy().c_str());
        QSignalSpy closed(w.get(), &MainWindow::closed);
        closeAtFirstRequest(*w, web, [&] { w->按钮_查询百度指数->click(); });
        EXPECT_FALSE(web.stallEnded()) << "the lookup waited for the silent server";
        EXPECT_EQ(web.requestCount(), 2u);
        EXPECT_EQ(closed.count(), 1);
        DbPeek db(databasePath());
        EXPECT_TRUE(db.rows("select * from web_baiduzhishu").empty());
    }
    {
        // Adding a site: its overview query is cut short, and neither the
        // keyword import, the index lookup nor the rank search sends anything.
        auto w = start();
        w->show();
        QSignalSpy closed(w.get(), &MainWindow::closed);
        closeAtFirstRequest(*w, web, [&] { addSiteNamed(*w, "quiet.example.com"); });
        EXPECT_FALSE(web.stallEnded()) << "adding the site waited for the silent server";
        EXPECT_EQ(web.requestCount(), 3u);
        EXPECT_EQ(closed.count(), 1);
        DbPeek db(databasePath());
        EXPECT_EQ(db.rows("select web_name from website order by 1"),
                  (std::vector<std::vector<std::string>> {{"quiet_example_com"}, {"silent_example_com"}}));
        EXPECT_TRUE(db.rows("select * from quiet_example_com_xx").empty());
        EXPECT_TRUE(db.rows("select * from quiet_example_com").empty());
    }
}

} // namespace
} // namespace zv::test
