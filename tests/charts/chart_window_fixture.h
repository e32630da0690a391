#pragma once
// A main window over a fresh database in a temporary data folder, with
// scripted message boxes, a pinned calendar, and rows written straight into
// the per-site tables the way the daily queries record them.

#include "app/main_window.h"
#include "charts/chart_days.h"
#include "charts/overview_curve_window.h"
#include "charts/rank_curve_window.h"
#include "view/message_box.h"
#include "view/qt_text.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <memory>
#include <string>

namespace zv::test {

class ChartWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toUtf8());
        setScriptedMessageBoxes(true);
        setNextAnswers({});
        clearShownMessages();
        overviewCurveSelection() = {};
        rankCurveSelection() = {};
        setChartToday(QDate(2009, 12, 8));
        main = std::make_unique<MainWindow>();
        ASSERT_TRUE(main->databaseOpen());
        m_dbPath = m_dir.filePath(QStringLiteral("data/zeravudez/web.db")).toStdString();
    }

    void TearDown() override
    {
        if (RankCurveWindow* window = rankCurveWindow())
            delete window;
        main.reset();
        setChartToday(QDate());
    }

    static QString u(const char* utf8) { return QString::fromUtf8(utf8); }

    // The site's rank and overview tables, as adding the site creates them.
    void createSite(const char* address)
    {
        const Text table = siteTableName(address);
        ASSERT_TRUE(main->store().executeSql("Create TABLE " + table
                                             + " (ID Counter PRIMARY KEY,keydate datetime not null default date())"));
        ASSERT_TRUE(main->store().executeSql("Create UNIQUE INDEX index1 on " + table + "(keydate)"));
        ASSERT_TRUE(main->store().executeSql(
            "Create TABLE " + table
            + "_xx (keydate datetime not null default date() PRIMARY KEY,baidukuaizhao varchar(20) default "
              "0,baidushoulu int default 0,baidufanlian int default 0,jinrishoulu int default 0,zuijinyizhou int "
              "default 0,zuijinyiyue int default 0)"));
    }

    void addKeywordColumn(const char* address, const char* keyword)
    {
        ASSERT_TRUE(main->store().openRecordset(
            "alter table " + siteTableName(address) + " add " + toText(u(keyword)) + " int default 0", SqlText));
    }

    void selectSite(const char* address) { main->组合框_网站列表->setEditText(u(address)); }

    // Runs SQL on the database file directly (UTF-8), beside the store's connection.
    void sql(const std::string& statement)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(m_dbPath.c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &error);
        const std::string message = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << statement << ": " << message;
    }

    static std::string iso(const QDate& day) { return day.toString(Qt::ISODate).toStdString(); }

    void recordOverview(const char* address, const QDate& day, const char* snapshot, int total, int backlinks,
                        int today)
    {
        sql("insert into " + siteTableName(address) + "_xx (keydate, baidukuaizhao, baidushoulu, baidufanlian, "
            + "jinrishoulu) values ('" + iso(day) + "', '" + snapshot + "', " + std::to_string(total) + ", "
            + std::to_string(backlinks) + ", " + std::to_string(today) + ")");
    }

    // Rows for the count days ending at last, one value per day from valueOf.
    void recordOverviewDays(const char* address, const QDate& last, int count, const std::function<int(int)>& valueOf)
    {
        for (int i = 0; i < count; ++i)
            recordOverview(address, last.addDays(-i), "2009-12-1", valueOf(i), valueOf(i) + 1, valueOf(i) + 2);
    }

    void recordRank(const char* address, const QDate& day, const char* keyword, int rank)
    {
        const std::string table = siteTableName(address);
        sql("insert or ignore into " + table + " (keydate) values ('" + iso(day) + "')");
        sql("update " + table + " set " + keyword + " = " + std::to_string(rank) + " where keydate = '" + iso(day)
            + "'");
    }

    void addKeywordRow(const char* keyword)
    {
        const int row = main->addKeywordRow();
        main->setCellText(row, KeywordColumn::Number, QString::number(row + 1));
        main->setCellText(row, KeywordColumn::Keyword, u(keyword));
    }

    // Runs open(), which returns only when its dialog closes; inspect sees the
    // dialog while it is open, then the dialog is closed.
    template <typename Dialog>
    void whileOpen(const std::function<void()>& open, const std::function<void(Dialog&)>& inspect)
    {
        bool seen = false;
        // A local timer: if the dialog never opens, nothing fires later.
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            Dialog* dialog = main->findChild<Dialog*>();
            if (dialog) {
                seen = true;
                inspect(*dialog);
                dialog->close();
            }
        });
        timer.start(0);
        open();
        EXPECT_TRUE(seen) << "the dialog did not open";
    }

    std::unique_ptr<MainWindow> main;

private:
    QTemporaryDir m_dir;
    std::string m_dbPath;
};

} // namespace zv::test
