#pragma once
// The statement forms the program sends, as read by the statement reader,
// written out as SQLite statements: every name quoted, every value a bound
// parameter, the original dialect's types, defaults and date matching mapped
// onto SQLite's. Inside the store only.

#include "store/cell.h"
#include "store/sql_statement.h"

#include <string>
#include <vector>

namespace zv::sqlite {

class TableCatalog;

struct Translation
{
    std::string sql;
    std::vector<Cell> params;
    bool ddl = false;
    // A rank table or keyword column the statement drops: what was kept
    // beside it goes with it.
    std::string droppedTable;
    std::string droppedColumn;
    // Set for a select whose rows can be changed through the recordset.
    std::string baseTable;
    std::string itemsSql;
    std::vector<std::string> baseColumns; // per result column; empty for a computed one
};

class StatementTranslator
{
public:
    explicit StatementTranslator(TableCatalog& catalog);

    Translation translate(const sql::Statement& statement);
    // Every row of a table opened by name, in primary-key order, so the last
    // record is the latest day of a per-site table.
    Translation translateTableOpen(const std::string& table);

private:
    Translation translateSelect(const sql::Select& s, bool tableOrder);
    std::string whereSql(const std::string& table, const std::optional<sql::Condition>& where,
                         std::vector<Cell>& params);

    TableCatalog& m_catalog;
};

} // namespace zv::sqlite
