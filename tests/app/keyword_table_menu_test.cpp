// The keyword table's context menu: the rank history of the current site
// written as CSV to the file the user picks.

#include "app_fixture.h"

#include "app/keyword_table_menu.h"
#include "charts/result_list_window.h"
#include "store/result_lists.h"
#include "tests/support/temp_dir.h"
#include "view/qt_text.h"

#include <QAction>
#include <QMenu>
#include <QTableWidget>
#include <QTreeWidget>

namespace zv::test {
namespace {

class KeywordTableMenu : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        w = start();
        addSiteNamed(*w, "menu.example.com");
        addKeywordNamed(*w, "甲");
        addKeywordNamed(*w, "乙");
        // The history, written past the store: one day with a 0, one day
        // without a value.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(databasePath().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        const char* history = "delete from menu_example_com;"
                              "insert into menu_example_com (keydate, \"甲\", \"乙\") values "
                              "('2024-03-02', 0, NULL), ('2024-03-01', 0, 12);";
        EXPECT_EQ(sqlite3_exec(db, history, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
        setSaveFileChooser([this](QWidget*, const QString& suggested) {
            suggestions.append(suggested);
            return chosen;
        });
    }
    void TearDown() override { setSaveFileChooser(nullptr); }

    QAction* exportAction(QMenu& menu) { return menu.findChild<QAction*>(u("导出排名历史")); }

    std::unique_ptr<MainWindow> w;
    TempDir folder;
    QString chosen;
    QStringList suggestions;
};

TEST_F(KeywordTableMenu, WritesTheCurrentSitesHistoryToTheChosenFile)
{
    EXPECT_EQ(w->超级列表框_关键词排名->contextMenuPolicy(), Qt::CustomContextMenu);
    const std::unique_ptr<QMenu> menu = makeKeywordTableMenu(*w);
    QAction* action = exportAction(*menu);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), u("导出排名历史…"));
    EXPECT_TRUE(action->isEnabled());

    chosen = QString::fromStdString(folder.filePath("history.csv"));
    action->trigger();
    EXPECT_EQ(suggestions, QStringList {QDir::home().filePath(u("menu.example.com.csv"))});
    EXPECT_EQ(w->statusText(), u("导出排名历史成功！"));
    EXPECT_EQ(TempDir::readFile(chosen.toStdString()), "日期,甲,乙\r\n2024-03-01,0,12\r\n2024-03-02,0,\r\n");

    // A cancelled dialog leaves the file and the status as they were.
    chosen.clear();
    w->setStatus(u("空闲..."));
    exportRankHistory(*w);
    EXPECT_EQ(suggestions.size(), 2);
    EXPECT_EQ(w->statusText(), u("空闲..."));

    // A file that cannot be written.
    chosen = QString::fromStdString(folder.filePath("missing-folder/history.csv"));
    exportRankHistory(*w);
    EXPECT_EQ(w->statusText(), u("导出排名历史失败！"));
}

TEST_F(KeywordTableMenu, NeedsARegisteredSiteAndAnIdleWindow)
{
    chosen = QString::fromStdString(folder.filePath("history.csv"));
    for (const char* typed : {"", "other.example.com"}) {
        w->组合框_网站列表->setEditText(u(typed));
        exportRankHistory(*w);
        EXPECT_EQ(w->statusText(), u("请选择网站地址！")) << typed;
    }
    EXPECT_TRUE(suggestions.isEmpty());
    EXPECT_FALSE(std::filesystem::exists(chosen.toStdString()));

    // Letter case of A-Z does not matter, as for the registry.
    w->组合框_网站列表->setEditText(u("MENU.example.com"));
    exportRankHistory(*w);
    EXPECT_EQ(w->statusText(), u("导出排名历史成功！"));

    w->enterBusyState();
    const std::unique_ptr<QMenu> menu = makeKeywordTableMenu(*w);
    EXPECT_FALSE(exportAction(*menu)->isEnabled());
    w->leaveBusyState();
}

TEST_F(KeywordTableMenu, ResultsEntryOpensTheRowsListAndTheRankCellNamesTheLandingPage)
{
    const QDate today = QDate::currentDate();
    const auto day = [](const QDate& d) { return toText(d.toString(Qt::ISODate)); };
    ASSERT_TRUE(resultLists::record(w->store(), "menu_example_com", toText(u("甲")), day(today.addDays(-1)),
                                    {{2, "menu.example.com/", "menu.example.com", true}}));
    ASSERT_TRUE(resultLists::record(
        w->store(), "menu_example_com", toText(u("甲")), day(today),
        {{1, "rival.cn/", "rival.cn", false}, {4, "menu.example.com/new.html", "menu.example.com", true}}));
    w->resultListsKept(); // as a search does once it has kept them

    // The cell keeps its text; its tool tip names the page and the change.
    w->setCellText(0, KeywordColumn::Rank, u("4 "));
    QTreeWidgetItem* row = w->超级列表框_关键词排名->topLevelItem(0);
    EXPECT_EQ(row->text(static_cast<int>(KeywordColumn::Rank)), u("4 "));
    EXPECT_EQ(row->toolTip(static_cast<int>(KeywordColumn::Rank)),
              u("着陆页：menu.example.com/new.html\n着陆页已变化（上次：menu.example.com/）"));
    // 乙 has no list today: no tool tip.
    EXPECT_EQ(w->超级列表框_关键词排名->topLevelItem(1)->toolTip(static_cast<int>(KeywordColumn::Rank)), QString());

    w->超级列表框_关键词排名->setCurrentItem(nullptr);
    std::unique_ptr<QMenu> menu = makeKeywordTableMenu(*w);
    QAction* results = menu->findChild<QAction*>(u("查看搜索结果"));
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->text(), u("查看搜索结果…"));
    EXPECT_FALSE(results->isEnabled()); // no row chosen

    w->超级列表框_关键词排名->setCurrentItem(row);
    menu = makeKeywordTableMenu(*w);
    results = menu->findChild<QAction*>(u("查看搜索结果"));
    ASSERT_TRUE(results->isEnabled());
    results->trigger();
    auto* window = w->findChild<ResultListWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->超级列表框_搜索结果->rowCount(), 2);
    EXPECT_EQ(window->超级列表框_搜索结果->item(0, 3)->text(), u("新"));
    EXPECT_EQ(window->超级列表框_搜索结果->item(1, 3)->text(), u("下降 2"));
    window->close();
}

} // namespace
} // namespace zv::test
