#pragma once
// The shared recordset: a static snapshot of a statement's rows, a current
// record, and an edit in progress that is stored as an insert or an update of
// the base table. Names and texts here are UTF-8. Inside the store only.

#include "store/cell.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zv::sqlite {

class Connection;
class Statement;

class Recordset
{
public:
    explicit Recordset(Connection& connection);

    // Takes every row of a statement already stepped once (hasRow: that step
    // gave a row). With a base table (the statement's hidden last column is
    // the row id) the rows can be changed; baseColumns names the base column
    // of each result column, all of them when empty.
    void load(Statement& stmt, bool hasRow, const std::string& baseTable, const std::string& itemsSql,
              const std::vector<std::string>& baseColumns);
    void close() { m_state = State {}; }

    bool isOpen() const { return m_state.open; }
    std::size_t rowCount() const { return m_state.rows.size(); }
    std::size_t columnCount() const { return m_state.columns.size(); }
    const std::string& columnName(std::size_t column) const { return m_state.columns[column].name; }
    ValueKind columnKind(std::size_t column) const { return m_state.columns[column].kind; }
    // The first column of that name, letter case of ASCII letters ignored.
    std::optional<std::size_t> columnNamed(const std::string& lowerName) const;

    // The value of a column of the current record, as an edit in progress
    // shows it; null past the last record.
    const Cell* currentValue(std::size_t column) const;

    // Moving away from a record or starting another stores the edit in
    // progress first, and fails when that edit cannot be stored.
    bool moveNext();
    bool moveLast();
    bool addNew();
    bool update();
    // Sets a column of the new or current record, to be stored by update.
    bool write(std::size_t column, Cell value);
    // The engine's reason the last edit could not be stored (a full disk, a
    // read-only file); empty once taken.
    std::string takeStoreFailure() { return std::exchange(m_storeFailure, {}); }

private:
    struct Column
    {
        std::string name;
        std::string baseName; // column of the base table; empty when computed
        ValueKind kind = ValueKind::Expression;
    };

    struct PendingEdit
    {
        bool adding = false;
        std::size_t row = 0;
        std::size_t previous = 0;
        std::vector<std::optional<Cell>> values;
    };

    struct State
    {
        bool open = false;
        std::string baseTable; // empty: read-only
        std::string itemsSql;
        std::vector<Column> columns;
        std::unordered_map<std::string, std::size_t> positionByName;
        std::vector<std::vector<Cell>> rows;
        std::vector<std::int64_t> rowIds;
        std::size_t current = 0;
        std::optional<PendingEdit> edit;
    };

    bool readRow(std::int64_t rowId, std::vector<Cell>& row);
    void cancelEdit();
    bool storeEdit();

    Connection& m_connection;
    State m_state;
    std::string m_storeFailure;
};

} // namespace zv::sqlite
