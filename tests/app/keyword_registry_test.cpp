#include "app_fixture.h"

#include "app/keyword_registry.h"
#include "text/text.h"

#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace zv::test {
namespace {

class KeywordRegistry : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        w = start();
        addSiteNamed(*w, "kw.example.com");
        ASSERT_EQ(siteItems(*w), QStringList {u("kw.example.com")});
        ASSERT_EQ(w->组合框_网站列表->currentText(), u("kw.example.com"));
        clearShownMessages();
    }

    std::vector<std::string> storedKeywords() const
    {
        auto columns = DbPeek(databasePath()).columns("kw_example_com");
        return {columns.begin() + std::min<std::size_t>(2, columns.size()), columns.end()};
    }

    void selectRow(int row)
    {
        QTreeWidget* table = w->超级列表框_关键词排名;
        table->setCurrentItem(table->topLevelItem(row));
    }

    std::unique_ptr<MainWindow> w;
};

TEST_F(KeywordRegistry, AddedKeywordsAreListedInColumnOrderAndNumbered)
{
    for (const char* k : {"seo", "排名优化", "zz", "A1"}) {
        addKeywordNamed(*w, k);
        EXPECT_EQ(w->statusText(), u("添加关键词成功！")) << k;
        EXPECT_EQ(w->编辑框_关键词->text(), u(k)) << "the keyword box keeps its text";
    }
    EXPECT_EQ(keywordColumn(*w, KeywordColumn::Number), (QStringList {u("1"), u("2"), u("3"), u("4")}));
    EXPECT_EQ(keywordColumn(*w, KeywordColumn::Keyword), (QStringList {u("seo"), u("排名优化"), u("zz"), u("A1")}));
    EXPECT_EQ(keywordColumn(*w, KeywordColumn::Curve), (QStringList(4, u("双击查看"))));
    EXPECT_EQ(keywordColumn(*w, KeywordColumn::Margin), (QStringList(4, QString())));
    EXPECT_EQ(storedKeywords(), (std::vector<std::string> {"seo", "排名优化", "zz", "A1"}));
    EXPECT_TRUE(w->时钟1->isActive());
    EXPECT_TRUE(shownMessages().isEmpty());
}

TEST_F(KeywordRegistry, RefusedKeywordsShowTheErrorBoxAndLeaveTheListAlone)
{
    addKeywordNamed(*w, "seo");
    clearShownMessages();
    for (const char* bad : {"seo", "two words", "ID", "keydate"}) {
        clearShownMessages();
        addKeywordNamed(*w, bad);
        EXPECT_EQ(w->statusText(), u("添加关键词失败！")) << bad;
        ASSERT_EQ(shownMessages().size(), 1) << bad;
        EXPECT_EQ(shownMessages().first().caption, u("Error"));
        EXPECT_FALSE(shownMessages().first().text.isEmpty());
        EXPECT_EQ(keywordColumn(*w, KeywordColumn::Keyword), QStringList {u("seo")}) << bad;
    }
    EXPECT_EQ(storedKeywords(), (std::vector<std::string> {"seo"}));

    clearShownMessages();
    addKeywordNamed(*w, "");
    EXPECT_EQ(w->statusText(), u("请填写关键字！"));
    w->组合框_网站列表->setEditText(QString());
    addKeywordNamed(*w, "new");
    EXPECT_EQ(w->statusText(), u("请选择要查询的网站！"));
    EXPECT_TRUE(shownMessages().isEmpty());
    EXPECT_EQ(storedKeywords(), (std::vector<std::string> {"seo"}));
}

TEST_F(KeywordRegistry, ClickingARowCopiesItsKeyword)
{
    addKeywordNamed(*w, "alpha");
    addKeywordNamed(*w, "gamma");
    w->编辑框_关键词->clear();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    QTreeWidget* table = w->超级列表框_关键词排名;
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->topLevelItem(0)).center());
    EXPECT_EQ(w->编辑框_关键词->text(), u("alpha"));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->topLevelItem(1)).center());
    EXPECT_EQ(w->编辑框_关键词->text(), u("gamma"));

    // Deselecting empties the box; a reload of the table does not.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      table->visualItemRect(table->topLevelItem(1)).center());
    EXPECT_EQ(w->selectedKeywordRow(), -1);
    EXPECT_EQ(w->编辑框_关键词->text(), QString());
    selectRow(0);
    loadKeywordList(*w);
    EXPECT_EQ(w->编辑框_关键词->text(), u("alpha"));
}

TEST_F(KeywordRegistry, DeletingTakesTheSelectedRowAfterConfirmation)
{
    for (const char* k : {"one", "二", "three"})
        addKeywordNamed(*w, k);

    // No row selected: refused even with a text in the keyword box.
    w->编辑框_关键词->setText(u("one"));
    w->按钮_删除关键词->click();
    EXPECT_EQ(w->statusText(), u("请选择要删除的关键词！"));
    EXPECT_TRUE(shownMessages().isEmpty());

    selectRow(1);
    setNextAnswers({false});
    w->按钮_删除关键词->click();
    ASSERT_EQ(shownMessages().size(), 1);
    EXPECT_EQ(shownMessages().first().text, u("是否要删除关键词\"二\"?"));
    EXPECT_EQ(shownMessages().first().caption, u("删除关键词确认"));
    EXPECT_EQ(storedKeywords(), (std::vector<std::string> {"one", "二", "three"}));

    w->statusTimerTick();
    setNextAnswers({true});
    w->按钮_删除关键词->click();
    EXPECT_EQ(w->statusText(), u("删除关键词成功！"));
    EXPECT_EQ(w->编辑框_关键词->text(), QString());
    EXPECT_EQ(keywordColumn(*w, KeywordColumn::Keyword), (QStringList {u("one"), u("three")}));
    EXPECT_EQ(keywordColumn(*w, KeywordColumn::Number), (QStringList {u("1"), u("2")}));
    EXPECT_TRUE(w->时钟1->isActive());
    EXPECT_EQ(storedKeywords(), (std::vector<std::string> {"one", "three"}));

    // A keyword added after a deletion is listed last.
    addKeywordNamed(*w, "二");
    EXPECT_EQ(keywordColumn(*w, KeywordColumn::Keyword), (QStringList {u("one"), u("three"), u("二")}));

    w->组合框_网站列表->setEditText(QString());
    w->按钮_删除关键词->click();
    EXPECT_EQ(w->statusText(), u("请选择目标网站！"));
}

TEST_F(KeywordRegistry, AddingAListGoesOnAfterAFailure)
{
    w->statusTimerTick();
    addKeywords(*w, {"first", "", "second", "first", utf8ToGbkString("第三")});
    EXPECT_EQ(shownMessages().size(), 2) << "one box for the empty text, one for the duplicate";
    EXPECT_EQ(w->statusText(), u("添加关键词成功！")) << "the last outcome is shown";
    EXPECT_EQ(w->keywordRowCount(), 0) << "the caller reloads the table";
    EXPECT_FALSE(w->时钟1->isActive());
    EXPECT_EQ(storedKeywords(), (std::vector<std::string> {"first", "second", "第三"}));
}

// Each keyword is a column of the site's table, beside ID and keydate; SQLite
// refuses a table or a result of more columns than its limit (2,000 by
// default), and a read of the table adds the row's identity.
TEST_F(KeywordRegistry, TheKeywordThatWouldPassTheColumnLimitIsRefusedBeforeAnythingChanges)
{
    std::vector<Text> keywords;
    for (int i = 1; i <= 2'000; ++i)
        keywords.push_back("k" + std::to_string(i));
    // The import adds what fits and says how many it left out; the table
    // stays readable.
    addKeywords(*w, keywords);
    const std::vector<std::string> stored = storedKeywords();
    ASSERT_EQ(stored.size(), 1'997u);
    EXPECT_EQ(stored.back(), "k1997");
    EXPECT_EQ(w->statusText(), u("关键词数量已达上限（1997个），3个关键词未添加！"));
    EXPECT_TRUE(shownMessages().isEmpty());

    loadKeywordList(*w);
    ASSERT_EQ(w->keywordRowCount(), 1'997);

    // Typed: refused with the same reason, and the list stays as it is.
    addKeywordNamed(*w, "extra");
    EXPECT_EQ(w->statusText(), u("关键词数量已达上限（1997个），无法添加！"));
    EXPECT_TRUE(shownMessages().isEmpty());
    EXPECT_EQ(w->keywordRowCount(), 1'997);
    EXPECT_EQ(storedKeywords().size(), 1'997u);

    // Deleting one makes room for one.
    selectRow(0);
    setNextAnswers({true});
    deleteKeyword(*w);
    ASSERT_EQ(w->statusText(), u("删除关键词成功！"));
    addKeywordNamed(*w, "extra");
    EXPECT_EQ(w->statusText(), u("添加关键词成功！"));
    EXPECT_EQ(storedKeywords().back(), "extra");
    EXPECT_EQ(w->keywordRowCount(), 1'997);
}

TEST_F(KeywordRegistry, ASiteWithoutKeywordsStillFillsTheAddressBox)
{
    w->编辑框_网站地址->setText(u("something else"));
    loadKeywordList(*w);
    EXPECT_EQ(w->keywordRowCount(), 0);
    EXPECT_EQ(w->编辑框_网站地址->text(), u("kw.example.com"));

    // A site whose table is missing: the box, then the message; the table is empty.
    addKeywordNamed(*w, "x");
    w->组合框_网站列表->setEditText(u("missing.example.com"));
    w->编辑框_网站地址->setText(u("unchanged"));
    loadKeywordList(*w);
    EXPECT_EQ(w->statusText(), u("关键词数据表打开失败！"));
    EXPECT_EQ(w->keywordRowCount(), 0);
    EXPECT_EQ(w->编辑框_网站地址->text(), u("unchanged"));
}

} // namespace
} // namespace zv::test
