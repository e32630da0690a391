#pragma once
// A fresh data folder per test, scripted message boxes, and a direct look into
// the database file.

#include "app/main_window.h"
#include "tests/support/widget_test_main.h"
#include "view/message_box.h"
#include "view/paths.h"

#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

namespace zv::test {

// Reads the database file with SQLite itself, bypassing the store.
class DbPeek
{
public:
    explicit DbPeek(const QString& path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~DbPeek() { sqlite3_close(m_db); }
    DbPeek(const DbPeek&) = delete;
    DbPeek& operator=(const DbPeek&) = delete;

    bool isOpen() const { return m_db != nullptr; }

    // Every row of a query, each column as text ("<null>" for NULL).
    std::vector<std::vector<std::string>> rows(const std::string& sql) const
    {
        std::vector<std::vector<std::string>> out;
        sqlite3_stmt* stmt = nullptr;
        if (!m_db || sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            return out;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const auto* text = sqlite3_column_text(stmt, i);
                row.emplace_back(text ? reinterpret_cast<const char*>(text) : "<null>");
            }
            out.push_back(std::move(row));
        }
        sqlite3_finalize(stmt);
        return out;
    }

    // Table names, lower-cased, sorted.
    std::vector<std::string> tables() const
    {
        std::vector<std::string> names;
        for (auto& row : rows("select lower(name) from sqlite_master where type='table' and name not like "
                              "'sqlite_%' order by 1"))
            names.push_back(row[0]);
        return names;
    }

    // Column names of a table in their order (UTF-8).
    std::vector<std::string> columns(const std::string& table) const
    {
        std::vector<std::string> names;
        for (auto& row : rows("select name from pragma_table_info('" + table + "') order by cid"))
            names.push_back(row[0]);
        return names;
    }

private:
    sqlite3* m_db = nullptr;
};

class AppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toUtf8());
        setNextAnswers({});
        clearShownMessages();
        openedUrls().clear();
    }

    std::unique_ptr<MainWindow> start() { return std::make_unique<MainWindow>(); }

    static QString u(const char* utf8) { return QString::fromUtf8(utf8); }

    // Types an address and clicks 添加网站.
    static void addSiteNamed(MainWindow& w, const char* address)
    {
        w.编辑框_网站地址->setText(u(address));
        w.按钮_添加网站->click();
    }

    static void addKeywordNamed(MainWindow& w, const char* keyword)
    {
        w.编辑框_关键词->setText(u(keyword));
        w.按钮_添加关键词->click();
    }

    static QStringList keywordColumn(const MainWindow& w, KeywordColumn column)
    {
        QStringList out;
        for (int r = 0; r < w.keywordRowCount(); ++r)
            out.append(w.cellText(r, column));
        return out;
    }

    static QStringList siteItems(const MainWindow& w)
    {
        QStringList out;
        for (int i = 0; i < w.组合框_网站列表->count(); ++i)
            out.append(w.组合框_网站列表->itemText(i));
        return out;
    }

    QTemporaryDir m_dir;
};

} // namespace zv::test
