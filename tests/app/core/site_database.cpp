#include "site_database.h"

#include "store/schema.h"
#include "store/store.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace zv::test {

void SiteDatabase::Closer::operator()(sqlite3* db) const
{
    sqlite3_close_v2(db);
}

SiteDatabase::SiteDatabase(std::string path)
    : path_(std::move(path))
{
    Store::createDatabaseFile(path_);
    Store store;
    EXPECT_TRUE(store.connectAccess(path_));
    EXPECT_TRUE(store.executeSql(createSiteRegistrySql()));
    EXPECT_TRUE(store.executeSql(createKeywordIndexTableSql()));
}

SiteDatabase::~SiteDatabase() = default;

std::string SiteDatabase::addSite(const std::string& address)
{
    db_.reset();
    const Text table = siteTableName(address);
    Store store;
    EXPECT_TRUE(store.connectAccess(path_));
    EXPECT_TRUE(store.bindConnection());
    EXPECT_TRUE(store.executeSql(createRankTableSql(table)));
    EXPECT_TRUE(store.executeSql(createRankDateIndexSql(table)));
    EXPECT_TRUE(store.executeSql(createOverviewTableSql(table)));
    EXPECT_TRUE(store.openRecordset(siteRegistryTable(), TableName));
    EXPECT_TRUE(store.addNew());
    EXPECT_TRUE(store.writeText("web_name", table));
    EXPECT_TRUE(store.update());
    return table;
}

void SiteDatabase::addKeyword(const std::string& table, const std::string& keywordUtf8)
{
    exec("ALTER TABLE " + table + " ADD COLUMN " + quotedName(keywordUtf8) + " INT DEFAULT 0");
}

void SiteDatabase::exec(const std::string& sql)
{
    openDirect();
    char* message = nullptr;
    if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK)
        ADD_FAILURE() << (message ? message : "?") << " in " << sql;
    sqlite3_free(message);
}

void SiteDatabase::openDirect()
{
    if (db_)
        return;
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path_.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    db_.reset(raw);
}

std::string quotedName(const std::string& name)
{
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + '"';
}

} // namespace zv::test
