// The keyword table's context menu: the rank history of the current site
// written as CSV to the file the user picks.

#include "app_fixture.h"

#include "app/keyword_table_menu.h"
#include "tests/support/temp_dir.h"

#include <QAction>
#include <QMenu>
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

} // namespace
} // namespace zv::test
