#include "store/recordset.h"

#include "store/connection.h"

namespace zv::sqlite {

Recordset::Recordset(Connection& connection)
    : m_connection(connection)
{
}

void Recordset::load(Statement& stmt, bool hasRow, const std::string& baseTable, const std::string& itemsSql,
                     const std::vector<std::string>& baseColumns)
{
    State s;
    const bool withRowId = !baseTable.empty();
    const int total = stmt.columnCount();
    const int visible = withRowId ? total - 1 : total;
    for (int i = 0; i < visible; ++i) {
        Column c;
        c.name = stmt.columnName(i);
        c.kind = kindOfDeclaredType(stmt.declaredType(i));
        if (withRowId) {
            c.baseName = baseColumns.empty() ? c.name : baseColumns[static_cast<std::size_t>(i)];
        }
        s.positionByName.emplace(lowerAscii(c.name), s.columns.size());
        s.columns.push_back(std::move(c));
    }
    for (bool row = hasRow; row; row = stmt.step()) {
        std::vector<Cell> cells;
        cells.reserve(static_cast<std::size_t>(visible));
        for (int i = 0; i < visible; ++i) {
            cells.push_back(stmt.cell(i));
        }
        s.rows.push_back(std::move(cells));
        if (withRowId) {
            s.rowIds.push_back(stmt.integer(visible));
        }
    }
    s.open = true;
    s.baseTable = baseTable;
    s.itemsSql = itemsSql;
    m_state = std::move(s);
}

std::optional<std::size_t> Recordset::columnNamed(const std::string& lowerName) const
{
    if (auto it = m_state.positionByName.find(lowerName); it != m_state.positionByName.end()) {
        return it->second;
    }
    return std::nullopt;
}

const Cell* Recordset::currentValue(std::size_t column) const
{
    static const Cell kUnwritten;
    const State& s = m_state;
    if (s.edit && s.edit->adding) {
        return s.edit->values[column] ? &*s.edit->values[column] : &kUnwritten;
    }
    if (s.current >= s.rows.size()) {
        return nullptr;
    }
    if (s.edit && s.edit->row == s.current && s.edit->values[column]) {
        return &*s.edit->values[column];
    }
    return &s.rows[s.current][column];
}

bool Recordset::readRow(std::int64_t rowId, std::vector<Cell>& row)
{
    Statement stmt = m_connection.prepare("SELECT " + m_state.itemsSql + " FROM " + quoteName(m_state.baseTable)
                                          + " WHERE _rowid_ = ?1");
    stmt.bind({Cell::makeInteger(rowId)});
    bool found = false;
    while (stmt.step()) {
        row.clear();
        for (std::size_t i = 0; i < m_state.columns.size(); ++i) {
            row.push_back(stmt.cell(static_cast<int>(i)));
        }
        found = true;
    }
    return found;
}

void Recordset::cancelEdit()
{
    if (m_state.edit && m_state.edit->adding) {
        m_state.current = m_state.edit->previous;
    }
    m_state.edit.reset();
}

// Stores the edit in progress; on failure the edit is cancelled.
bool Recordset::storeEdit()
{
    State& s = m_state;
    if (!s.edit) {
        return true;
    }
    PendingEdit& e = *s.edit;
    std::vector<Cell> params;
    std::string columns;
    std::string values;
    std::string assignments;
    for (std::size_t i = 0; i < e.values.size(); ++i) {
        if (!e.values[i]) {
            continue;
        }
        const std::string name = quoteName(s.columns[i].baseName);
        columns += (columns.empty() ? "" : ", ") + name;
        values += values.empty() ? "?" : ", ?";
        params.push_back(*e.values[i]);
        assignments += (assignments.empty() ? "" : ", ") + name + " = ?" + std::to_string(params.size());
    }
    try {
        if (e.adding) {
            m_connection.run("INSERT INTO " + quoteName(s.baseTable)
                                 + (columns.empty() ? " DEFAULT VALUES" : " (" + columns + ") VALUES (" + values + ")"),
                             params);
            const std::int64_t rowId = m_connection.lastInsertRowId();
            std::vector<Cell> row;
            s.edit.reset();
            if (readRow(rowId, row)) {
                s.rows.push_back(std::move(row));
                s.rowIds.push_back(rowId);
                s.current = s.rows.size() - 1;
            }
            return true;
        }
        if (!params.empty()) {
            params.push_back(Cell::makeInteger(s.rowIds[e.row]));
            m_connection.run("UPDATE " + quoteName(s.baseTable) + " SET " + assignments + " WHERE _rowid_ = ?"
                                 + std::to_string(params.size()),
                             params);
            if (m_connection.changes() != 1) {
                cancelEdit();
                return false;
            }
            std::vector<Cell> row;
            if (readRow(s.rowIds[e.row], row)) {
                s.rows[e.row] = std::move(row);
            }
        }
        s.edit.reset();
        return true;
    } catch (const StoreFailure& failure) {
        m_storeFailure = failure.message;
        cancelEdit();
        return false;
    }
}

bool Recordset::moveNext()
{
    if (!m_state.open || !storeEdit() || m_state.current >= m_state.rows.size()) {
        return false;
    }
    ++m_state.current;
    return true;
}

bool Recordset::moveLast()
{
    if (!m_state.open || !storeEdit() || m_state.rows.empty()) {
        return false;
    }
    m_state.current = m_state.rows.size() - 1;
    return true;
}

bool Recordset::addNew()
{
    if (!m_state.open || m_state.baseTable.empty() || !storeEdit()) {
        return false;
    }
    PendingEdit e;
    e.adding = true;
    e.previous = m_state.current;
    e.values.resize(m_state.columns.size());
    m_state.edit = std::move(e);
    return true;
}

bool Recordset::update()
{
    if (!m_state.open) {
        return false;
    }
    if (!m_state.edit) {
        return m_state.current < m_state.rows.size();
    }
    return storeEdit();
}

bool Recordset::write(std::size_t column, Cell value)
{
    State& s = m_state;
    if (column >= s.columns.size() || s.baseTable.empty() || s.columns[column].baseName.empty()) {
        return false;
    }
    if (!s.edit) {
        if (s.current >= s.rows.size()) {
            return false;
        }
        PendingEdit e;
        e.row = s.current;
        e.values.resize(s.columns.size());
        s.edit = std::move(e);
    }
    s.edit->values[column] = std::move(value);
    return true;
}

} // namespace zv::sqlite
