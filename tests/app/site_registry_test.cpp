#include "app_fixture.h"

#include "store/schema.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>

namespace zv::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using SiteRegistry = AppTest;

TEST_F(SiteRegistry, AddingStripsTheSchemeAndSlashesAndRecordsTheSite)
{
    auto w = start();
    addSiteNamed(*w, "http://www.example-shop.com/");
    EXPECT_EQ(w->编辑框_网站地址->text(), QStringLiteral("www.example-shop.com"));
    EXPECT_EQ(w->组合框_网站列表->currentText(), QStringLiteral("www.example-shop.com"));
    EXPECT_EQ(siteItems(*w), QStringList {QStringLiteral("www.example-shop.com")});
    EXPECT_FALSE(w->isBusy());
    EXPECT_TRUE(w->按钮_添加网站->isEnabled());
    EXPECT_TRUE(w->时钟1->isActive());
    EXPECT_TRUE(shownMessages().isEmpty());

    DbPeek db(databasePath());
    EXPECT_EQ(db.rows("select web_name from website"), (Rows {{"www_example__shop_com"}}));
    EXPECT_EQ(db.columns("www_example__shop_com"), (std::vector<std::string> {"ID", "keydate"}));
    EXPECT_EQ(db.columns("www_example__shop_com_xx"),
              (std::vector<std::string> {"keydate", "baidukuaizhao", "baidushoulu", "baidufanlian", "jinrishoulu",
                                         "zuijinyizhou", "zuijinyiyue"}));

    // Only the exact lower-case scheme goes, every "/" goes; a colon makes no
    // valid table name.
    addSiteNamed(*w, "HTTP://Shop.Example.com/a/b/");
    EXPECT_EQ(w->编辑框_网站地址->text(), QStringLiteral("HTTP:Shop.Example.comab"));
    EXPECT_EQ(w->statusText(), u("网站地址已经存在！"));
    addSiteNamed(*w, "http://Shop.Example.com/http://");
    EXPECT_EQ(w->编辑框_网站地址->text(), QStringLiteral("Shop.Example.com"));
    EXPECT_EQ(siteItems(*w),
              (QStringList {QStringLiteral("www.example-shop.com"), QStringLiteral("Shop.Example.com")}));
}

TEST_F(SiteRegistry, RefusedAddsChangeNothing)
{
    auto w = start();
    w->statusTimerTick();
    addSiteNamed(*w, "");
    EXPECT_EQ(w->statusText(), u("请输入网站地址！"));
    EXPECT_FALSE(w->时钟1->isActive());

    // Only a scheme or slashes: not empty when checked, empty afterwards.
    for (const char* nothing : {"http://", "/", "http:///"}) {
        addSiteNamed(*w, nothing);
        EXPECT_EQ(w->statusText(), u("网站地址已经存在！")) << nothing;
        EXPECT_EQ(w->编辑框_网站地址->text(), QString());
        EXPECT_FALSE(w->isBusy());
    }

    addSiteNamed(*w, "dup.example.com");
    ASSERT_EQ(siteItems(*w), QStringList {QStringLiteral("dup.example.com")});
    addSiteNamed(*w, "http://dup.example.com/");
    EXPECT_EQ(w->statusText(), u("网站地址已经存在！"));
    // "." and "_" at the same place give the same tables.
    addSiteNamed(*w, "dup_example.com");
    EXPECT_EQ(w->statusText(), u("网站地址已经存在！"));
    EXPECT_FALSE(w->isBusy());
    EXPECT_EQ(siteItems(*w), QStringList {QStringLiteral("dup.example.com")});

    DbPeek db(databasePath());
    EXPECT_EQ(db.rows("select web_name from website"), (Rows {{"dup_example_com"}}));
}

TEST_F(SiteRegistry, DeletingAsksAndCancelChangesNothing)
{
    auto w = start();
    addSiteNamed(*w, "keep.example.com");
    w->setStatus(u("原来的状态"));
    clearShownMessages();
    setNextAnswers({false});
    w->按钮_删除网站->click();
    ASSERT_EQ(shownMessages().size(), 1);
    EXPECT_EQ(shownMessages().first().text, u("是否要删除网站keep.example.com?"));
    EXPECT_EQ(shownMessages().first().caption, u("删除网站确认"));
    EXPECT_TRUE(shownMessages().first().question);
    EXPECT_EQ(w->statusText(), u("原来的状态"));
    EXPECT_EQ(siteItems(*w), QStringList {QStringLiteral("keep.example.com")});
    DbPeek db(databasePath());
    EXPECT_EQ(db.rows("select web_name from website"), (Rows {{"keep_example_com"}}));
    EXPECT_EQ(db.tables().size(), 4u);
}

TEST_F(SiteRegistry, DeletingWithOkRemovesTheSiteAndResetsTheWindow)
{
    auto w = start();
    addSiteNamed(*w, "gone.example.com");
    addSiteNamed(*w, "stays.example.com");
    w->组合框_网站列表->setEditText(QStringLiteral("gone.example.com"));
    addKeywordNamed(*w, "kw");
    ASSERT_EQ(w->keywordRowCount(), 1);
    w->标签_总收录->setText(QStringLiteral("123"));
    w->标签_百度快照->setText(QStringLiteral("2024-01-02"));
    w->statusTimerTick();

    setNextAnswers({true});
    w->按钮_删除网站->click();
    EXPECT_EQ(w->statusText(), u("删除网站成功！"));
    EXPECT_EQ(w->组合框_网站列表->currentText(), QString());
    EXPECT_EQ(siteItems(*w), QStringList {QStringLiteral("stays.example.com")});
    EXPECT_EQ(w->keywordRowCount(), 0);
    EXPECT_EQ(w->编辑框_网站地址->text(), QString());
    EXPECT_EQ(w->标签_百度快照->text(), u("0000-00-00"));
    EXPECT_EQ(w->标签_总收录->text(), u("0"));
    EXPECT_TRUE(w->时钟1->isActive());

    DbPeek db(databasePath());
    EXPECT_EQ(db.rows("select web_name from website"), (Rows {{"stays_example_com"}}));
    EXPECT_EQ(db.tables(),
              (std::vector<std::string> {"stays_example_com", "stays_example_com_xx", "web_baiduzhishu", "website"}));

    w->按钮_删除网站->click();
    EXPECT_EQ(w->statusText(), u("请选择要删除的网站！"));
}

TEST_F(SiteRegistry, LeftoverTablesStopAddAndDeleteWhereTheyFail)
{
    auto w = start();
    addSiteNamed(*w, "keep.example.com");
    Store& store = w->store();

    // An overview table left over: the rank table is made, then the add stops.
    ASSERT_TRUE(store.executeSql(createOverviewTableSql("left_example_com")));
    w->statusTimerTick();
    addSiteNamed(*w, "left.example.com");
    EXPECT_EQ(w->statusText(), u("网站综合信息表创建失败！"));
    EXPECT_FALSE(w->isBusy());
    EXPECT_TRUE(w->时钟1->isActive());
    EXPECT_EQ(siteItems(*w), QStringList {u("keep.example.com")});
    addSiteNamed(*w, "left.example.com");
    EXPECT_EQ(w->statusText(), u("网站地址已经存在！"));

    // A registry row whose tables are gone: the tables are made again, the row
    // cannot be stored twice.
    addSiteNamed(*w, "orphan.example.com");
    ASSERT_TRUE(store.executeSql(dropRankTableSql("orphan_example_com")));
    ASSERT_TRUE(store.executeSql(dropOverviewTableSql("orphan_example_com")));
    addSiteNamed(*w, "orphan.example.com");
    EXPECT_EQ(w->statusText(), u("添加网址记录失败！"));
    EXPECT_FALSE(w->isBusy());

    // The rank table is missing: reported, and the deletion goes on to success.
    w->组合框_网站列表->setEditText(u("orphan.example.com"));
    ASSERT_TRUE(store.executeSql(dropRankTableSql("orphan_example_com")));
    setNextAnswers({true});
    w->按钮_删除网站->click();
    EXPECT_EQ(w->statusText(), u("删除网站成功！"));
    EXPECT_EQ(siteItems(*w), QStringList {u("keep.example.com")});

    // The overview table is missing: the deletion stops there, and neither the
    // window is reset nor the timer armed.
    ASSERT_TRUE(store.executeSql(dropOverviewTableSql("keep_example_com")));
    w->组合框_网站列表->setEditText(u("keep.example.com"));
    w->编辑框_网站地址->setText(u("keep.example.com"));
    w->标签_总收录->setText(u("42"));
    w->statusTimerTick();
    setNextAnswers({true});
    w->按钮_删除网站->click();
    EXPECT_EQ(w->statusText(), u("删除网站综合信息数据表失败！"));
    EXPECT_FALSE(w->时钟1->isActive());
    EXPECT_EQ(w->组合框_网站列表->currentText(), u("keep.example.com"));
    EXPECT_EQ(siteItems(*w), QStringList {u("keep.example.com")});
    EXPECT_EQ(w->编辑框_网站地址->text(), u("keep.example.com"));
    EXPECT_EQ(w->标签_总收录->text(), u("42"));

    DbPeek db(databasePath());
    EXPECT_EQ(db.rows("select web_name from website"), Rows {});
    EXPECT_EQ(db.tables(),
              (std::vector<std::string> {"left_example_com", "left_example_com_xx", "web_baiduzhishu", "website"}));
}

TEST_F(SiteRegistry, ATypedSiteTextNeverDropsTheProgramsOwnTables)
{
    auto w = start();
    addSiteNamed(*w, "real.example.com");
    for (const char* name : {"website", "WebSite", "web.baiduzhishu"}) {
        clearShownMessages();
        setNextAnswers({true});
        w->组合框_网站列表->setEditText(u(name));
        w->按钮_删除网站->click();
        EXPECT_EQ(w->statusText(), u("请选择要删除的网站！")) << name;
        EXPECT_TRUE(shownMessages().isEmpty()) << name;
    }
    DbPeek db(databasePath());
    EXPECT_EQ(db.rows("select web_name from website"), (Rows {{"real_example_com"}}));
    EXPECT_EQ(db.tables().size(), 4u);
}

TEST_F(SiteRegistry, SelectingASiteListsItsKeywordsButSettingTheTextDoesNot)
{
    auto w = start();
    addSiteNamed(*w, "one.example.com");
    addKeywordNamed(*w, "first");
    addSiteNamed(*w, "two.example.com");
    ASSERT_EQ(w->keywordRowCount(), 0);
    w->编辑框_网站地址->clear();

    // Text and index set by code: not a selection.
    w->组合框_网站列表->setCurrentIndex(0);
    EXPECT_EQ(w->keywordRowCount(), 0);

    // Typing an item's text and leaving the box (Enter, focus elsewhere) is
    // not a selection either.
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->组合框_网站列表->setEditText(QString());
    w->组合框_网站列表->setFocus();
    QTest::keyClicks(w->组合框_网站列表, QStringLiteral("two.example.com"));
    QTest::keyClick(w->组合框_网站列表, Qt::Key_Return);
    w->编辑框_关键词->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->keywordRowCount(), 0);
    EXPECT_EQ(w->编辑框_网站地址->text(), QString());

    w->组合框_网站列表->setCurrentIndex(0);
    Q_EMIT w->组合框_网站列表->activated(0);
    EXPECT_EQ(keywordColumn(*w, KeywordColumn::Keyword), QStringList {QStringLiteral("first")});
    EXPECT_EQ(w->编辑框_网站地址->text(), QStringLiteral("one.example.com"));
    EXPECT_FALSE(w->isBusy());
    EXPECT_TRUE(w->时钟1->isActive());
}

TEST_F(SiteRegistry, DeletingAnUnregisteredAddressDropsNothing)
{
    auto w = start();
    addSiteNamed(*w, "a");
    addSiteNamed(*w, "b.example.com");
    DbPeek db(databasePath());
    const std::vector<std::string> before = db.tables();
    ASSERT_EQ(
        before,
        (std::vector<std::string> {"a", "a_xx", "b_example_com", "b_example_com_xx", "web_baiduzhishu", "website"}));

    // "a.xx" names a's overview table; "b.example" is no registered site.
    for (const char* typed : {"a.xx", "b.example", "b.example.com.xx"}) {
        clearShownMessages();
        setNextAnswers({true});
        w->组合框_网站列表->setEditText(u(typed));
        w->按钮_删除网站->click();
        EXPECT_EQ(w->statusText(), u("请选择要删除的网站！")) << typed;
        EXPECT_TRUE(shownMessages().isEmpty()) << typed << ": nothing asked";
    }
    EXPECT_EQ(db.tables(), before);
    EXPECT_EQ(db.rows("select web_name from website"), (Rows {{"a"}, {"b_example_com"}}));

    // The registry compares letters without regard to case.
    setNextAnswers({true});
    w->组合框_网站列表->setEditText(u("B.Example.COM"));
    w->按钮_删除网站->click();
    EXPECT_EQ(w->statusText(), u("删除网站成功！"));
    EXPECT_EQ(db.tables(), (std::vector<std::string> {"a", "a_xx", "web_baiduzhishu", "website"}));
    EXPECT_EQ(db.rows("select web_name from website"), (Rows {{"a"}}));
}

TEST_F(SiteRegistry, AddressesAndKeywordsStartingWithADigitRoundTrip)
{
    auto w = start();
    addSiteNamed(*w, "163.com");
    EXPECT_EQ(siteItems(*w), QStringList {u("163.com")});
    EXPECT_EQ(w->组合框_网站列表->currentText(), u("163.com"));
    addKeywordNamed(*w, "3d打印");
    EXPECT_EQ(w->statusText(), u("添加关键词成功！"));
    addKeywordNamed(*w, "5g手机");
    EXPECT_EQ(keywordColumn(*w, KeywordColumn::Keyword), (QStringList {u("3d打印"), u("5g手机")}));
    // A second add of the same address is refused as existing.
    addSiteNamed(*w, "163.com");
    EXPECT_EQ(w->statusText(), u("网站地址已经存在！"));
    EXPECT_TRUE(shownMessages().isEmpty());

    // After a restart the site and its keywords come back from the file.
    w.reset();
    w = start();
    ASSERT_EQ(siteItems(*w), QStringList {u("163.com")});
    w->组合框_网站列表->setCurrentIndex(0);
    Q_EMIT w->组合框_网站列表->activated(0);
    EXPECT_EQ(keywordColumn(*w, KeywordColumn::Keyword), (QStringList {u("3d打印"), u("5g手机")}));
    DbPeek db(databasePath());
    EXPECT_EQ(db.rows("select web_name from website"), (Rows {{"163_com"}}));
    EXPECT_EQ(db.columns("163_com"), (std::vector<std::string> {"ID", "keydate", "3d打印", "5g手机"}));

    setNextAnswers({true});
    w->按钮_删除网站->click();
    EXPECT_EQ(w->statusText(), u("删除网站成功！"));
    EXPECT_EQ(db.tables(), (std::vector<std::string> {"web_baiduzhishu", "website"}));
}

TEST_F(SiteRegistry, TheWheelOverTheClosedSiteListChoosesNothing)
{
    auto w = start();
    addSiteNamed(*w, "one.example.com");
    addKeywordNamed(*w, "first");
    addSiteNamed(*w, "two.example.com");
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->组合框_网站列表->setCurrentIndex(1);
    w->clearKeywordRows();
    w->statusTimerTick();

    QComboBox* box = w->组合框_网站列表;
    int activations = 0;
    QObject::connect(box, &QComboBox::activated, [&activations] { ++activations; });
    auto wheel = [](QWidget* target, int delta) {
        const QPointF at(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    };
    // Over the box and over its text field, up and down.
    for (QWidget* target : {static_cast<QWidget*>(box), static_cast<QWidget*>(box->lineEdit())}) {
        for (const int delta : {120, -120}) {
            wheel(target, delta);
            QCoreApplication::processEvents();
        }
    }
    EXPECT_EQ(activations, 0);
    EXPECT_EQ(box->currentText(), u("two.example.com"));
    EXPECT_EQ(w->keywordRowCount(), 0);
    EXPECT_EQ(w->statusText(), u("空闲..."));
    EXPECT_FALSE(w->isBusy());

    // The same events move a drop-down of the same kind that is not guarded.
    QComboBox plain;
    plain.addItems({u("x"), u("y")});
    plain.setCurrentIndex(1);
    plain.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
    wheel(&plain, 120);
    EXPECT_EQ(plain.currentIndex(), 0);
}

} // namespace
} // namespace zv::test
