#include "store/table_catalog.h"

#include "store/connection.h"

namespace zv::sqlite {
namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && lowerAscii(a) == lowerAscii(b);
}

} // namespace

TableCatalog::TableCatalog(Connection& connection)
    : m_connection(connection)
{
}

const std::vector<TableColumn>& TableCatalog::columnsOf(const std::string& table)
{
    const std::string key = lowerAscii(table);
    if (auto it = m_tables.find(key); it != m_tables.end()) {
        return it->second;
    }
    std::vector<TableColumn> columns;
    Statement stmt = m_connection.prepare("SELECT name, type, pk FROM pragma_table_info(?1) ORDER BY cid");
    stmt.bind({Cell::makeText(table)});
    while (stmt.step()) {
        TableColumn c;
        c.name = stmt.text(0);
        c.kind = kindOfDeclaredType(stmt.text(1).c_str());
        c.primaryKeyOrder = static_cast<int>(stmt.integer(2));
        columns.push_back(std::move(c));
    }
    // Missing tables are not remembered: SQLite reports them when the
    // statement runs.
    if (columns.empty()) {
        static const std::vector<TableColumn> kNone;
        return kNone;
    }
    return m_tables.emplace(key, std::move(columns)).first->second;
}

ValueKind TableCatalog::kindOfColumn(const std::string& table, const std::string& column)
{
    for (const TableColumn& c : columnsOf(table)) {
        if (sameName(c.name, column)) {
            return c.kind;
        }
    }
    return ValueKind::Expression;
}

} // namespace zv::sqlite
