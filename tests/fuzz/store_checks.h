#pragma once
// The store's guard for what the program splices into its statements: a
// keyword becomes a column name and nothing else, a value between quotes
// stays one value whatever quotes it holds, and nothing a page supplies can
// change rows or tables it does not name.

#include "store/schema.h"
#include "store/sql_statement.h"
#include "store/store.h"
#include "tests/fuzz/fuzz_check.h"
#include "text/text.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace zv::fuzz {

inline std::string trimSqlBlanks(std::string_view s)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

// A statement with one spliced value parses to that value or not at all;
// only a NUL or an absurd number of quotes may refuse it.
template <typename Form>
inline void checkOneValue(const std::string& sql, const std::string& value, const sql::Literal& (*valueOf)(const Form&))
{
    const sql::ParseOutcome parsed = sql::parseStatement(sql);
    const bool plain = value.find('\0') == std::string::npos && std::count(value.begin(), value.end(), '\'') < 1000;
    if (!parsed.statement) {
        require(!plain, "a statement with a spliced value is accepted");
        return;
    }
    const Form* form = std::get_if<Form>(&*parsed.statement);
    require(form != nullptr, "a spliced value never changes the kind of statement");
    if (!form)
        return;
    const sql::Literal& literal = valueOf(*form);
    require(literal.kind == sql::Literal::Kind::Text && literal.text == value, "a spliced value stays one value");
}

inline const sql::Literal& selectValue(const sql::Select& s)
{
    static const sql::Literal none;
    return s.where ? s.where->value : none;
}

inline const sql::Literal& deleteValue(const sql::Delete& d)
{
    static const sql::Literal none;
    return d.where ? d.where->value : none;
}

inline void checkStatements(const Text& keyword)
{
    const std::string k = gbkToUtf8String(keyword);

    // A keyword becomes a column name, exactly, or the statement fails.
    const sql::ParseOutcome add = sql::parseStatement(gbkToUtf8String(addKeywordColumnSql("site_com", keyword)));
    if (sql::isValidName(trimSqlBlanks(k)))
        require(add.statement.has_value(), "a keyword that is a valid name can be added");
    if (add.statement) {
        const auto* alter = std::get_if<sql::AlterAddColumn>(&*add.statement);
        require(alter != nullptr, "adding a keyword is always an added column");
        if (alter) {
            require(alter->table == "site_com", "the keyword column goes to its own table");
            require(alter->column.name == trimSqlBlanks(k), "the column is named by the keyword");
            require(alter->column.type == sql::ColumnType::Int && !alter->column.primaryKey && !alter->column.unique
                        && !alter->column.notNull && alter->column.defaultValue
                        && alter->column.defaultValue->text == "0",
                    "the keyword column is an int defaulting to 0");
        }
    }
    // The drop statement ends with the keyword, so one ";" after it may end
    // the statement.
    std::string dropped = trimSqlBlanks(k);
    if (!dropped.empty() && dropped.back() == ';')
        dropped = trimSqlBlanks(std::string_view(dropped).substr(0, dropped.size() - 1));
    const sql::ParseOutcome drop = sql::parseStatement(gbkToUtf8String(dropKeywordColumnSql("site_com", keyword)));
    if (drop.statement) {
        const auto* alter = std::get_if<sql::AlterDropColumn>(&*drop.statement);
        require(alter != nullptr && alter->table == "site_com" && alter->column == dropped,
                "dropping a keyword drops that column only");
    }

    checkOneValue<sql::Select>(gbkToUtf8String("select * from web_baiduzhishu where keywords='" + keyword + "'"), k,
                               &selectValue);
    checkOneValue<sql::Select>(gbkToUtf8String("select * from site_com where keydate like '" + keyword + "'"), k,
                               &selectValue);
    checkOneValue<sql::Delete>(gbkToUtf8String(deleteSiteSql(keyword)), k, &deleteValue);

    // The index update splices a hexadecimal text and a keyword.
    const std::string update
        = gbkToUtf8String("UPDATE web_baiduzhishu SET baiduzhishu='0A1B' WHERE keywords = '" + keyword + "'");
    const sql::ParseOutcome parsed = sql::parseStatement(update);
    if (parsed.statement) {
        const auto* u = std::get_if<sql::Update>(&*parsed.statement);
        require(u != nullptr && u->assignments.size() == 1 && u->assignments[0].column == "baiduzhishu"
                    && u->assignments[0].value.text == "0A1B" && u->where && u->where->column == "keywords"
                    && u->where->value.text == k,
                "the index update changes one keyword's picture only");
    } else {
        require(k.find('\0') != std::string::npos || std::count(k.begin(), k.end(), '\'') >= 1000,
                "the index update is accepted");
    }
}

// One store in memory for the whole run, holding a registered site and its
// rank table; every input is spliced into the statements the program sends.
class GuardedStore
{
public:
    static GuardedStore& instance()
    {
        static GuardedStore store;
        return store;
    }

    void exercise(const Text& keyword)
    {
        const bool plain = keyword.find('\0') == Text::npos && std::count(keyword.begin(), keyword.end(), '\'') < 1000;

        // Names compare without regard to ASCII letter case, as in the store.
        m_store.executeSql(deleteSiteSql(keyword));
        if (siteCount() == 0) {
            require(keyword.size() == m_site.size() && findText(keyword, m_site, 1, true) == 1,
                    "deleting a site named by a page removes no other site");
            addSite();
        }
        require(siteCount() == 1, "the registered site stays registered");

        const bool opened
            = m_store.openRecordset("select * from web_baiduzhishu where keywords='" + keyword + "'", SqlText);
        require(!plain || (opened && m_store.recordCount() == 0), "looking a keyword up finds only that keyword");

        if (m_store.openRecordset(addKeywordColumnSql(m_table, keyword), SqlText)) {
            require(columnCount() == 3, "adding a keyword adds one column");
            require(m_store.executeSql(dropKeywordColumnSql(m_table, keyword)), "an added keyword can be dropped");
        }
        require(columnCount() == 2, "the rank table keeps its own columns");
    }

private:
    GuardedStore()
    {
        setStoreErrorHook([](const std::string&) {});
        m_store.connectAccess(":memory:");
        m_store.bindConnection();
        m_store.executeSql(createSiteRegistrySql());
        m_store.executeSql(createKeywordIndexTableSql());
        m_store.executeSql(createRankTableSql(m_table));
        m_store.executeSql(createRankDateIndexSql(m_table));
        addSite();
    }

    void addSite()
    {
        m_store.openRecordset(siteRegistryTable(), TableName);
        m_store.addNew();
        m_store.writeText(0, m_site);
        m_store.update();
    }

    int siteCount() { return m_store.openRecordset(selectSitesSql(), SqlText) ? m_store.recordCount() : -1; }

    int columnCount()
    {
        if (!m_store.openRecordset(selectRankTableSql(m_table), SqlText))
            return -1;
        int n = 0;
        while (!m_store.fieldName(n).empty())
            ++n;
        return n;
    }

    Store m_store;
    Text m_site = "site_com";
    Text m_table = "site_com";
};

inline void checkStoreGuard(std::string_view input)
{
    const Text keyword(input);
    checkStatements(keyword);
    GuardedStore::instance().exercise(keyword);
    // Any text at all as a statement: refused or run, never a crash.
    sql::parseStatement(input);
}

} // namespace zv::fuzz
