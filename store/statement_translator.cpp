#include "store/statement_translator.h"

#include "store/connection.h"
#include "store/table_catalog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace zv::sqlite {
namespace {

constexpr const char* kToday = "date('now','localtime')";
constexpr const char* kNow = "datetime('now','localtime')";

std::string quoteString(std::string_view s)
{
    std::string out = "'";
    for (char c : s) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out + "'";
}

const char* declaredType(sql::ColumnType type)
{
    switch (type) {
    case sql::ColumnType::Counter:
        return "INTEGER";
    case sql::ColumnType::TinyInt:
        return "TINYINT";
    case sql::ColumnType::SmallInt:
        return "SMALLINT";
    case sql::ColumnType::Int:
        return "INT";
    case sql::ColumnType::BigInt:
        return "BIGINT";
    case sql::ColumnType::Single:
        return "FLOAT4";
    case sql::ColumnType::Double:
        return "DOUBLE";
    case sql::ColumnType::Text:
        return "VARCHAR";
    case sql::ColumnType::Memo:
        return "LONGTEXT";
    case sql::ColumnType::DateTime:
        return "DATETIME";
    case sql::ColumnType::Bit:
        return "BIT";
    }
    return "INT";
}

ValueKind kindOfType(sql::ColumnType type)
{
    switch (type) {
    case sql::ColumnType::Counter:
    case sql::ColumnType::TinyInt:
    case sql::ColumnType::SmallInt:
    case sql::ColumnType::Int:
    case sql::ColumnType::BigInt:
        return ValueKind::Integer;
    case sql::ColumnType::Single:
        return ValueKind::Single;
    case sql::ColumnType::Double:
        return ValueKind::Double;
    case sql::ColumnType::Text:
    case sql::ColumnType::Memo:
        return ValueKind::Text;
    case sql::ColumnType::DateTime:
        return ValueKind::DateTime;
    case sql::ColumnType::Bit:
        return ValueKind::Bit;
    }
    return ValueKind::Expression;
}

std::string literalDefault(const sql::Literal& lit, ValueKind kind)
{
    switch (lit.kind) {
    case sql::Literal::Kind::Null:
        return "NULL";
    case sql::Literal::Kind::Today:
        return std::string("(") + kToday + ")";
    case sql::Literal::Kind::Now:
        return std::string("(") + kNow + ")";
    case sql::Literal::Kind::Integer:
    case sql::Literal::Kind::Real:
        if (kind == ValueKind::Text) {
            return quoteString(lit.text);
        }
        if (kind == ValueKind::DateTime) {
            throw StoreFailure {"data type mismatch in default value " + lit.text};
        }
        return lit.text;
    case sql::Literal::Kind::Text:
        break;
    }
    const std::optional<Cell> cell = cellForText(kind, lit.text);
    if (!cell) {
        throw StoreFailure {"data type mismatch in default value '" + lit.text + "'"};
    }
    switch (cell->type) {
    case Cell::Type::Null:
        return "NULL";
    case Cell::Type::Integer:
        return std::to_string(cell->integer);
    case Cell::Type::Real: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", cell->real);
        return buf;
    }
    default:
        return quoteString(cell->text);
    }
}

std::string columnDefinition(const sql::ColumnDef& def)
{
    const ValueKind kind = kindOfType(def.type);
    std::string out = quoteName(def.name) + " " + declaredType(def.type);
    if (def.type == sql::ColumnType::Text) {
        out += "(" + std::to_string(def.size > 0 ? def.size : 255) + ")";
    }
    if (def.type == sql::ColumnType::Counter && !def.primaryKey) {
        throw StoreFailure {"a counter column must be the primary key: " + def.name};
    }
    if (def.primaryKey) {
        out += " PRIMARY KEY";
        if (def.type == sql::ColumnType::Counter) {
            out += " AUTOINCREMENT";
        }
    }
    if (def.notNull) {
        out += " NOT NULL";
    }
    if (def.unique) {
        out += " UNIQUE";
    }
    if (def.defaultValue) {
        out += " DEFAULT " + literalDefault(*def.defaultValue, kind);
    }
    // Texts compare without regard to letter case, as in the original store.
    if (kind == ValueKind::Text) {
        out += " COLLATE NOCASE";
    }
    return out;
}

// The value side of a comparison or assignment: a parameter, or today's date
// computed by SQLite.
std::string valueSql(const sql::Literal& lit, ValueKind kind, std::vector<Cell>& params)
{
    switch (lit.kind) {
    case sql::Literal::Kind::Null:
        return "NULL";
    case sql::Literal::Kind::Today:
        return kToday;
    case sql::Literal::Kind::Now:
        return kNow;
    case sql::Literal::Kind::Integer:
        if (kind == ValueKind::Text) {
            params.push_back(Cell::makeText(lit.text));
        } else if (auto v = parseIntegerText(lit.text)) {
            params.push_back(Cell::makeInteger(*v));
        } else {
            params.push_back(Cell::makeReal(std::strtod(lit.text.c_str(), nullptr)));
        }
        return "?";
    case sql::Literal::Kind::Real:
        if (kind == ValueKind::Text) {
            params.push_back(Cell::makeText(lit.text));
        } else {
            params.push_back(Cell::makeReal(std::strtod(lit.text.c_str(), nullptr)));
        }
        return "?";
    case sql::Literal::Kind::Text:
        break;
    }
    std::optional<Cell> cell = cellForText(kind, lit.text);
    if (!cell) {
        throw StoreFailure {"data type mismatch in criteria expression: '" + lit.text + "'"};
    }
    if (cell->type == Cell::Type::Null && kind == ValueKind::Text) {
        cell = Cell::makeText(std::string());
    }
    params.push_back(std::move(*cell));
    return "?";
}

} // namespace

StatementTranslator::StatementTranslator(TableCatalog& catalog)
    : m_catalog(catalog)
{
}

std::string StatementTranslator::whereSql(const std::string& table, const std::optional<sql::Condition>& where,
                                          std::vector<Cell>& params)
{
    if (!where) {
        return {};
    }
    const sql::Condition& c = *where;
    const ValueKind kind = m_catalog.kindOfColumn(table, c.column);
    const std::string column = quoteName(c.column);
    switch (c.op) {
    case sql::CompareOp::IsNull:
        return " WHERE " + column + " IS NULL";
    case sql::CompareOp::IsNotNull:
        return " WHERE " + column + " IS NOT NULL";
    case sql::CompareOp::Like:
    case sql::CompareOp::NotLike: {
        const bool negate = c.op == sql::CompareOp::NotLike;
        // A date compared as text selects that day whether the key's month and
        // day carry leading zeros or not.
        if (kind == ValueKind::DateTime) {
            if (auto dt = parseDateText(c.value.text)) {
                params.push_back(Cell::makeText(canonicalDateText(*dt)));
                return " WHERE " + column + (negate ? " <> ?" : " = ?");
            }
        }
        params.push_back(Cell::makeText(c.value.text));
        return " WHERE " + column + (negate ? " NOT LIKE ?" : " LIKE ?");
    }
    default:
        break;
    }
    static const std::unordered_map<int, const char*> kOps = {
        {static_cast<int>(sql::CompareOp::Equal), " = "},      {static_cast<int>(sql::CompareOp::NotEqual), " <> "},
        {static_cast<int>(sql::CompareOp::Less), " < "},       {static_cast<int>(sql::CompareOp::Greater), " > "},
        {static_cast<int>(sql::CompareOp::LessEqual), " <= "}, {static_cast<int>(sql::CompareOp::GreaterEqual), " >= "},
    };
    return " WHERE " + column + kOps.at(static_cast<int>(c.op)) + valueSql(c.value, kind, params);
}

Translation StatementTranslator::translateSelect(const sql::Select& s, bool tableOrder)
{
    Translation t;
    bool computed = false;
    std::string items;
    if (s.star) {
        items = "*";
    } else {
        for (const sql::SelectItem& item : s.items) {
            if (!items.empty()) {
                items += ", ";
            }
            static constexpr const char* kAggregateNames[] = {"", "max", "min", "count", "sum", "avg"};
            if (item.aggregate != sql::Aggregate::None) {
                computed = true;
                items += std::string(kAggregateNames[static_cast<int>(item.aggregate)]) + "("
                    + (item.column.empty() ? std::string("*") : quoteName(item.column)) + ")";
                t.baseColumns.emplace_back();
            } else {
                items += quoteName(item.column);
                t.baseColumns.push_back(item.column);
            }
            if (!item.alias.empty()) {
                items += " AS " + quoteName(item.alias);
            }
        }
    }
    t.sql = "SELECT " + items;
    if (!computed) {
        // The hidden last column lets the recordset change its rows.
        t.sql += ", _rowid_";
        t.baseTable = s.table;
        t.itemsSql = items;
    }
    t.sql += " FROM " + quoteName(s.table) + whereSql(s.table, s.where, t.params);
    std::string order;
    for (const sql::OrderTerm& term : s.orderBy) {
        order += (order.empty() ? " ORDER BY " : ", ") + quoteName(term.column) + (term.descending ? " DESC" : "");
    }
    if (tableOrder) {
        std::vector<const TableColumn*> keys;
        for (const TableColumn& c : m_catalog.columnsOf(s.table)) {
            if (c.primaryKeyOrder > 0) {
                keys.push_back(&c);
            }
        }
        std::sort(keys.begin(), keys.end(),
                  [](const TableColumn* a, const TableColumn* b) { return a->primaryKeyOrder < b->primaryKeyOrder; });
        for (const TableColumn* c : keys) {
            order += (order.empty() ? " ORDER BY " : ", ") + quoteName(c->name);
        }
        if (keys.empty()) {
            order = " ORDER BY _rowid_";
        }
    }
    t.sql += order;
    return t;
}

Translation StatementTranslator::translateTableOpen(const std::string& table)
{
    sql::Select s;
    s.star = true;
    s.table = table;
    return translateSelect(s, true);
}

Translation StatementTranslator::translate(const sql::Statement& statement)
{
    Translation t;
    if (const auto* ct = std::get_if<sql::CreateTable>(&statement)) {
        t.ddl = true;
        t.sql = "CREATE TABLE " + quoteName(ct->table) + " (";
        for (std::size_t i = 0; i < ct->columns.size(); ++i) {
            t.sql += (i ? ", " : "") + columnDefinition(ct->columns[i]);
        }
        t.sql += ")";
    } else if (const auto* ci = std::get_if<sql::CreateIndex>(&statement)) {
        // Index names belong to their table in the original store; SQLite
        // keeps one name space per database, so the table name is part of it.
        t.ddl = true;
        t.sql = std::string("CREATE ") + (ci->unique ? "UNIQUE " : "") + "INDEX "
            + quoteName(ci->table + "$" + ci->name) + " ON " + quoteName(ci->table) + " (";
        for (std::size_t i = 0; i < ci->columns.size(); ++i) {
            t.sql += (i ? ", " : "") + quoteName(ci->columns[i].name) + (ci->columns[i].descending ? " DESC" : "");
        }
        t.sql += ")";
    } else if (const auto* dt = std::get_if<sql::DropTable>(&statement)) {
        t.ddl = true;
        t.sql = "DROP TABLE " + quoteName(dt->table);
        t.droppedTable = dt->table;
    } else if (const auto* di = std::get_if<sql::DropIndex>(&statement)) {
        t.ddl = true;
        if (m_catalog.columnsOf(di->table).empty()) {
            throw StoreFailure {"no such table: " + di->table};
        }
        t.sql = "DROP INDEX " + quoteName(di->table + "$" + di->name);
    } else if (const auto* add = std::get_if<sql::AlterAddColumn>(&statement)) {
        t.ddl = true;
        t.sql = "ALTER TABLE " + quoteName(add->table) + " ADD COLUMN " + columnDefinition(add->column);
    } else if (const auto* drop = std::get_if<sql::AlterDropColumn>(&statement)) {
        t.ddl = true;
        t.sql = "ALTER TABLE " + quoteName(drop->table) + " DROP COLUMN " + quoteName(drop->column);
        t.droppedTable = drop->table;
        t.droppedColumn = drop->column;
    } else if (const auto* sel = std::get_if<sql::Select>(&statement)) {
        t = translateSelect(*sel, false);
    } else if (const auto* del = std::get_if<sql::Delete>(&statement)) {
        t.sql = "DELETE FROM " + quoteName(del->table) + whereSql(del->table, del->where, t.params);
    } else if (const auto* up = std::get_if<sql::Update>(&statement)) {
        t.sql = "UPDATE " + quoteName(up->table) + " SET ";
        for (std::size_t i = 0; i < up->assignments.size(); ++i) {
            const sql::Assignment& a = up->assignments[i];
            t.sql += (i ? ", " : "") + quoteName(a.column) + " = "
                + valueSql(a.value, m_catalog.kindOfColumn(up->table, a.column), t.params);
        }
        t.sql += whereSql(up->table, up->where, t.params);
    } else if (const auto* ins = std::get_if<sql::Insert>(&statement)) {
        std::vector<std::string> names = ins->columns;
        if (names.empty()) {
            for (const TableColumn& c : m_catalog.columnsOf(ins->table)) {
                names.push_back(c.name);
            }
        }
        if (!names.empty() && names.size() != ins->values.size()) {
            throw StoreFailure {"table " + ins->table + " has " + std::to_string(names.size()) + " columns but "
                                + std::to_string(ins->values.size()) + " values were supplied"};
        }
        std::string columns;
        std::string values;
        for (std::size_t i = 0; i < ins->values.size(); ++i) {
            const std::string name = i < names.size() ? names[i] : std::string();
            columns += (i ? ", " : "") + quoteName(name);
            values += (i ? ", " : "") + valueSql(ins->values[i], m_catalog.kindOfColumn(ins->table, name), t.params);
        }
        t.sql = "INSERT INTO " + quoteName(ins->table) + " (" + columns + ") VALUES (" + values + ")";
    }
    return t;
}

} // namespace zv::sqlite
