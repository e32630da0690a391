#pragma once
// What the store knows of its tables' columns: names, kinds of value and the
// primary key, read from SQLite once per table and forgotten when the schema
// changes. Inside the store only.

#include "store/cell.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace zv::sqlite {

class Connection;

struct TableColumn
{
    std::string name;
    ValueKind kind = ValueKind::Expression;
    int primaryKeyOrder = 0; // 0: not part of the primary key
};

class TableCatalog
{
public:
    explicit TableCatalog(Connection& connection);

    // The columns in table order; none for a table that does not exist.
    const std::vector<TableColumn>& columnsOf(const std::string& table);
    // Expression for a column the table does not have.
    ValueKind kindOfColumn(const std::string& table, const std::string& column);
    void clear() { m_tables.clear(); }

private:
    Connection& m_connection;
    std::unordered_map<std::string, std::vector<TableColumn>> m_tables; // by lower-case name
};

} // namespace zv::sqlite
