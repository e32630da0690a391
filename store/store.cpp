#include "store/store.h"

#include "store/sql_statement.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

namespace zv {
namespace {

struct DatabaseCloser
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DatabaseHandle = std::unique_ptr<sqlite3, DatabaseCloser>;

// Compiled statements kept for their next use: the program sends the same
// statement texts again and again (one look-up per keyword or per day, with
// the values bound), and compiling a statement over a table of hundreds of
// keyword columns costs far more than running it. Kept statements are reset
// and hold no lock.
class StatementCache
{
public:
    StatementCache() = default;
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;
    ~StatementCache() { clear(); }

    sqlite3_stmt* take(const std::string& sqlText)
    {
        const auto it = m_kept.find(sqlText);
        if (it == m_kept.end()) {
            return nullptr;
        }
        sqlite3_stmt* stmt = it->second;
        m_kept.erase(it);
        return stmt;
    }

    void give(std::string sqlText, sqlite3_stmt* stmt)
    {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        if (m_kept.size() >= kLimit || m_kept.count(sqlText) != 0) {
            sqlite3_finalize(stmt);
            return;
        }
        m_kept.emplace(std::move(sqlText), stmt);
    }

    void clear()
    {
        for (auto& [text, stmt] : m_kept) {
            sqlite3_finalize(stmt);
        }
        m_kept.clear();
    }

private:
    static constexpr std::size_t kLimit = 64;
    std::unordered_map<std::string, sqlite3_stmt*> m_kept;
};

// A statement in use; it goes back to the cache (or is finalized without
// one) when the handle goes away.
struct StatementReturn
{
    StatementCache* cache = nullptr;
    std::string sqlText;
    void operator()(sqlite3_stmt* stmt) const
    {
        if (cache != nullptr) {
            cache->give(sqlText, stmt);
        } else {
            sqlite3_finalize(stmt);
        }
    }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementReturn>;

// How long a statement waits for another process holding the file (a second
// copy of the program) before it fails.
constexpr int kBusyTimeoutMs = 5000;

constexpr const char* kToday = "date('now','localtime')";
constexpr const char* kNow = "datetime('now','localtime')";

// Thrown inside the store only; every public routine catches it.
struct StoreFailure
{
    std::string message;
};

StoreErrorHook& storeErrorHook()
{
    static StoreErrorHook hook;
    return hook;
}

enum class ValueKind { Integer, Single, Double, Text, DateTime, Bit, Expression };

struct Cell
{
    enum class Type { Null, Integer, Real, Text, Blob };
    Type type = Type::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string text; // UTF-8 text or blob bytes

    static Cell makeText(std::string s)
    {
        Cell c;
        c.type = Type::Text;
        c.text = std::move(s);
        return c;
    }
    static Cell makeInteger(std::int64_t v)
    {
        Cell c;
        c.type = Type::Integer;
        c.integer = v;
        return c;
    }
    static Cell makeReal(double v)
    {
        Cell c;
        c.type = Type::Real;
        c.real = v;
        return c;
    }
};

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && lowerAscii(a) == lowerAscii(b);
}

// Names reaching SQLite have been checked to be bare identifiers, so they hold
// no quote character.
std::string quoteName(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

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

// Kind of a column from the type SQLite reports for it (the store's own type
// names first, then SQLite's affinity rules for anything else). No declared
// type: a computed value such as max(...).
ValueKind kindOfDeclaredType(const char* declared)
{
    if (declared == nullptr || *declared == '\0') {
        return ValueKind::Expression;
    }
    std::string upper = upperAscii(declared);
    upper = upper.substr(0, upper.find('('));
    if (upper == "DATETIME" || upper == "DATE" || upper == "TIME" || upper == "TIMESTAMP") {
        return ValueKind::DateTime;
    }
    if (upper == "FLOAT4" || upper == "SINGLE") {
        return ValueKind::Single;
    }
    if (upper == "BIT") {
        return ValueKind::Bit;
    }
    if (upper.find("INT") != std::string::npos) {
        return ValueKind::Integer;
    }
    if (upper.find("CHAR") != std::string::npos || upper.find("CLOB") != std::string::npos
        || upper.find("TEXT") != std::string::npos) {
        return ValueKind::Text;
    }
    if (upper.find("REAL") != std::string::npos || upper.find("FLOA") != std::string::npos
        || upper.find("DOUB") != std::string::npos) {
        return ValueKind::Double;
    }
    return ValueKind::Expression;
}

bool daysInMonthOk(int year, int month, int day)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) {
        return false;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

// Reads "Y-M-D" or "Y-M-D H:M[:S]" (also with "/"), months, days and times
// with or without leading zeros.
std::optional<DateTime> parseDateText(std::string_view s)
{
    std::size_t i = 0;
    auto number = [&](int minDigits, int maxDigits, int& out) {
        std::size_t start = i;
        int value = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && static_cast<int>(i - start) < maxDigits) {
            value = value * 10 + (s[i] - '0');
            ++i;
        }
        out = value;
        return static_cast<int>(i - start) >= minDigits;
    };
    DateTime dt;
    if (!number(4, 4, dt.year) || i >= s.size() || (s[i] != '-' && s[i] != '/')) {
        return std::nullopt;
    }
    const char sep = s[i++];
    if (!number(1, 2, dt.month) || i >= s.size() || s[i] != sep) {
        return std::nullopt;
    }
    ++i;
    if (!number(1, 2, dt.day) || !daysInMonthOk(dt.year, dt.month, dt.day)) {
        return std::nullopt;
    }
    if (i == s.size()) {
        return dt;
    }
    if (s[i] != ' ' && s[i] != 'T') {
        return std::nullopt;
    }
    ++i;
    if (!number(1, 2, dt.hour) || i >= s.size() || s[i] != ':') {
        return std::nullopt;
    }
    ++i;
    if (!number(1, 2, dt.minute)) {
        return std::nullopt;
    }
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!number(1, 2, dt.second)) {
            return std::nullopt;
        }
    }
    if (i != s.size() || dt.hour > 23 || dt.minute > 59 || dt.second > 59) {
        return std::nullopt;
    }
    return dt;
}

// The stored form of a date-time: ISO text, the time of day only when there is one.
std::string canonicalDateText(const DateTime& dt)
{
    char buf[32];
    if (dt.hour == 0 && dt.minute == 0 && dt.second == 0) {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", dt.year, dt.month, dt.day);
    } else {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", dt.year, dt.month, dt.day, dt.hour, dt.minute,
                      dt.second);
    }
    return buf;
}

std::optional<std::int64_t> parseIntegerText(std::string_view s)
{
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
    }
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseRealText(const std::string& s)
{
    if (s.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size()) {
        return std::nullopt;
    }
    return value;
}

// A text (UTF-8) turned into what a column of that kind stores; an empty text
// is NULL. Nothing when the text does not fit the column.
std::optional<Cell> cellForText(ValueKind kind, const std::string& text)
{
    if (text.empty()) {
        return Cell {};
    }
    switch (kind) {
    case ValueKind::Integer:
    case ValueKind::Bit:
        if (auto v = parseIntegerText(text)) {
            return Cell::makeInteger(kind == ValueKind::Bit && *v != 0 ? -1 : *v);
        }
        return std::nullopt;
    case ValueKind::Single:
    case ValueKind::Double:
        if (auto v = parseRealText(text)) {
            return Cell::makeReal(*v);
        }
        return std::nullopt;
    case ValueKind::DateTime:
        if (auto dt = parseDateText(text)) {
            return Cell::makeText(canonicalDateText(*dt));
        }
        return std::nullopt;
    case ValueKind::Text:
    case ValueKind::Expression:
        return Cell::makeText(text);
    }
    return std::nullopt;
}

Cell cellFromColumn(sqlite3_stmt* stmt, int i)
{
    Cell c;
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        c.type = Cell::Type::Integer;
        c.integer = sqlite3_column_int64(stmt, i);
        break;
    case SQLITE_FLOAT:
        c.type = Cell::Type::Real;
        c.real = sqlite3_column_double(stmt, i);
        break;
    case SQLITE_TEXT: {
        c.type = Cell::Type::Text;
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        c.text.assign(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
        break;
    }
    case SQLITE_BLOB: {
        c.type = Cell::Type::Blob;
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, i));
        c.text.assign(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
        break;
    }
    default:
        break;
    }
    return c;
}

struct TableColumn
{
    std::string name;
    ValueKind kind = ValueKind::Expression;
    int primaryKeyOrder = 0; // 0: not part of the primary key
};

struct Translation
{
    std::string sql;
    std::vector<Cell> params;
    bool ddl = false;
    // Set for a select whose rows can be changed through the recordset.
    std::string baseTable;
    std::string itemsSql;
    std::vector<std::string> baseColumns; // per result column; empty for a computed one
};

struct ResultColumn
{
    std::string name; // UTF-8
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

struct Recordset
{
    bool open = false;
    std::string baseTable; // empty: read-only
    std::string itemsSql;
    std::vector<ResultColumn> columns;
    std::unordered_map<std::string, std::size_t> positionByName;
    std::vector<std::vector<Cell>> rows;
    std::vector<std::int64_t> rowIds;
    std::size_t current = 0;
    std::optional<PendingEdit> edit;
};

} // namespace

void setStoreErrorHook(StoreErrorHook hook)
{
    storeErrorHook() = std::move(hook);
}

struct Store::Impl
{
    DatabaseHandle db;
    // Declared after db: kept statements are finalized before it closes.
    StatementCache statements;
    bool bound = false;
    Recordset rs;
    std::unordered_map<std::string, std::vector<TableColumn>> tableCache;

    // --- running statements -------------------------------------------------

    StatementHandle prepare(const std::string& sqlText)
    {
        if (!db) {
            throw StoreFailure {"the database is not open"};
        }
        if (sqlite3_stmt* kept = statements.take(sqlText)) {
            return StatementHandle(kept, StatementReturn {&statements, sqlText});
        }
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        const int rc = sqlite3_prepare_v2(db.get(), sqlText.c_str(), static_cast<int>(sqlText.size()), &raw, &tail);
        StatementHandle stmt(raw, StatementReturn {&statements, sqlText});
        if (rc != SQLITE_OK || !stmt) {
            throw StoreFailure {sqlite3_errmsg(db.get())};
        }
        return stmt;
    }

    void bind(sqlite3_stmt* stmt, const std::vector<Cell>& params)
    {
        for (std::size_t i = 0; i < params.size(); ++i) {
            const int index = static_cast<int>(i) + 1;
            const Cell& p = params[i];
            int rc = SQLITE_OK;
            switch (p.type) {
            case Cell::Type::Null:
                rc = sqlite3_bind_null(stmt, index);
                break;
            case Cell::Type::Integer:
                rc = sqlite3_bind_int64(stmt, index, p.integer);
                break;
            case Cell::Type::Real:
                rc = sqlite3_bind_double(stmt, index, p.real);
                break;
            case Cell::Type::Text:
                rc = sqlite3_bind_text(stmt, index, p.text.data(), static_cast<int>(p.text.size()), SQLITE_TRANSIENT);
                break;
            case Cell::Type::Blob:
                rc = sqlite3_bind_blob(stmt, index, p.text.data(), static_cast<int>(p.text.size()), SQLITE_TRANSIENT);
                break;
            }
            if (rc != SQLITE_OK) {
                throw StoreFailure {sqlite3_errmsg(db.get())};
            }
        }
    }

    // Steps the statement to its end; each row goes to onRow.
    template <typename OnRow> void stepAll(sqlite3_stmt* stmt, OnRow&& onRow)
    {
        for (;;) {
            const int rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW) {
                onRow(stmt);
            } else if (rc == SQLITE_DONE) {
                return;
            } else {
                throw StoreFailure {sqlite3_errmsg(db.get())};
            }
        }
    }

    void runPlain(const std::string& sqlText, const std::vector<Cell>& params = {})
    {
        StatementHandle stmt = prepare(sqlText);
        bind(stmt.get(), params);
        stepAll(stmt.get(), [](sqlite3_stmt*) {});
    }

    // --- table descriptions ---------------------------------------------------

    const std::vector<TableColumn>& columnsOf(const std::string& table)
    {
        const std::string key = lowerAscii(table);
        if (auto it = tableCache.find(key); it != tableCache.end()) {
            return it->second;
        }
        std::vector<TableColumn> columns;
        StatementHandle stmt = prepare("SELECT name, type, pk FROM pragma_table_info(?1) ORDER BY cid");
        bind(stmt.get(), {Cell::makeText(table)});
        stepAll(stmt.get(), [&](sqlite3_stmt* s) {
            TableColumn c;
            c.name = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            c.kind = kindOfDeclaredType(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
            c.primaryKeyOrder = sqlite3_column_int(s, 2);
            columns.push_back(std::move(c));
        });
        // Missing tables are not remembered: SQLite reports them when the
        // statement runs.
        if (columns.empty()) {
            static const std::vector<TableColumn> kNone;
            return kNone;
        }
        return tableCache.emplace(key, std::move(columns)).first->second;
    }

    ValueKind kindOfColumn(const std::string& table, const std::string& column)
    {
        for (const TableColumn& c : columnsOf(table)) {
            if (sameName(c.name, column)) {
                return c.kind;
            }
        }
        return ValueKind::Expression;
    }

    // --- translation of the statement forms -----------------------------------

    static std::string literalDefault(const sql::Literal& lit, ValueKind kind)
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

    static std::string columnDefinition(const sql::ColumnDef& def)
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

    // The value side of a comparison or assignment: a parameter, or today's
    // date computed by SQLite.
    static std::string valueSql(const sql::Literal& lit, ValueKind kind, std::vector<Cell>& params)
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

    std::string whereSql(const std::string& table, const std::optional<sql::Condition>& where,
                         std::vector<Cell>& params)
    {
        if (!where) {
            return {};
        }
        const sql::Condition& c = *where;
        const ValueKind kind = kindOfColumn(table, c.column);
        const std::string column = quoteName(c.column);
        switch (c.op) {
        case sql::CompareOp::IsNull:
            return " WHERE " + column + " IS NULL";
        case sql::CompareOp::IsNotNull:
            return " WHERE " + column + " IS NOT NULL";
        case sql::CompareOp::Like:
        case sql::CompareOp::NotLike: {
            const bool negate = c.op == sql::CompareOp::NotLike;
            // A date compared as text selects that day whether the key's month
            // and day carry leading zeros or not.
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
            {static_cast<int>(sql::CompareOp::Equal), " = "},
            {static_cast<int>(sql::CompareOp::NotEqual), " <> "},
            {static_cast<int>(sql::CompareOp::Less), " < "},
            {static_cast<int>(sql::CompareOp::Greater), " > "},
            {static_cast<int>(sql::CompareOp::LessEqual), " <= "},
            {static_cast<int>(sql::CompareOp::GreaterEqual), " >= "},
        };
        return " WHERE " + column + kOps.at(static_cast<int>(c.op)) + valueSql(c.value, kind, params);
    }

    Translation translateSelect(const sql::Select& s, bool tableOrder)
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
            // A table opened by name lists its rows in primary-key order, so the
            // last record is the latest day of a per-site table.
            std::vector<const TableColumn*> keys;
            for (const TableColumn& c : columnsOf(s.table)) {
                if (c.primaryKeyOrder > 0) {
                    keys.push_back(&c);
                }
            }
            std::sort(keys.begin(), keys.end(), [](const TableColumn* a, const TableColumn* b) {
                return a->primaryKeyOrder < b->primaryKeyOrder;
            });
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

    Translation translate(const sql::Statement& statement)
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
        } else if (const auto* di = std::get_if<sql::DropIndex>(&statement)) {
            t.ddl = true;
            if (columnsOf(di->table).empty()) {
                throw StoreFailure {"no such table: " + di->table};
            }
            t.sql = "DROP INDEX " + quoteName(di->table + "$" + di->name);
        } else if (const auto* add = std::get_if<sql::AlterAddColumn>(&statement)) {
            t.ddl = true;
            t.sql = "ALTER TABLE " + quoteName(add->table) + " ADD COLUMN " + columnDefinition(add->column);
        } else if (const auto* drop = std::get_if<sql::AlterDropColumn>(&statement)) {
            t.ddl = true;
            t.sql = "ALTER TABLE " + quoteName(drop->table) + " DROP COLUMN " + quoteName(drop->column);
        } else if (const auto* sel = std::get_if<sql::Select>(&statement)) {
            t = translateSelect(*sel, false);
        } else if (const auto* del = std::get_if<sql::Delete>(&statement)) {
            t.sql = "DELETE FROM " + quoteName(del->table) + whereSql(del->table, del->where, t.params);
        } else if (const auto* up = std::get_if<sql::Update>(&statement)) {
            t.sql = "UPDATE " + quoteName(up->table) + " SET ";
            for (std::size_t i = 0; i < up->assignments.size(); ++i) {
                const sql::Assignment& a = up->assignments[i];
                t.sql += (i ? ", " : "") + quoteName(a.column) + " = "
                    + valueSql(a.value, kindOfColumn(up->table, a.column), t.params);
            }
            t.sql += whereSql(up->table, up->where, t.params);
        } else if (const auto* ins = std::get_if<sql::Insert>(&statement)) {
            std::vector<std::string> names = ins->columns;
            if (names.empty()) {
                for (const TableColumn& c : columnsOf(ins->table)) {
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
                values += (i ? ", " : "") + valueSql(ins->values[i], kindOfColumn(ins->table, name), t.params);
            }
            t.sql = "INSERT INTO " + quoteName(ins->table) + " (" + columns + ") VALUES (" + values + ")";
        }
        return t;
    }

    Translation translateText(const Text& gbkSql, int mode)
    {
        const std::string utf8 = gbkToUtf8String(gbkSql);
        if (mode == TableName) {
            if (!sql::isValidName(utf8)) {
                throw StoreFailure {"invalid table name: \"" + utf8 + "\""};
            }
            sql::Select s;
            s.star = true;
            s.table = utf8;
            return translateSelect(s, true);
        }
        if (mode != SqlText) {
            throw StoreFailure {"unknown source mode " + std::to_string(mode)};
        }
        sql::ParseOutcome parsed = sql::parseStatement(utf8);
        if (!parsed.statement) {
            throw StoreFailure {parsed.error};
        }
        return translate(*parsed.statement);
    }

    // Runs a translated statement. With a recordset to fill, a statement that
    // yields columns becomes its snapshot.
    void run(const Translation& t, Recordset* into)
    {
        if (t.ddl) {
            tableCache.clear();
            statements.clear();
        }
        StatementHandle stmt = prepare(t.sql);
        if (t.ddl) {
            stmt.get_deleter().cache = nullptr; // a definition is not sent twice
        }
        bind(stmt.get(), t.params);
        const auto forgetSchema = [&] {
            if (t.ddl) {
                tableCache.clear();
                statements.clear();
            }
        };
        if (into == nullptr) {
            stepAll(stmt.get(), [](sqlite3_stmt*) {});
            forgetSchema();
            return;
        }
        // Columns are read after the first step: a kept statement over a table
        // that another connection has changed since is compiled again by it,
        // and only then shows the table's present columns.
        int rc = sqlite3_step(stmt.get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            throw StoreFailure {sqlite3_errmsg(db.get())};
        }
        const int total = sqlite3_column_count(stmt.get());
        if (total == 0) {
            if (rc == SQLITE_ROW) {
                stepAll(stmt.get(), [](sqlite3_stmt*) {});
            }
            forgetSchema();
            return;
        }
        Recordset r;
        const bool withRowId = !t.baseTable.empty();
        const int visible = withRowId ? total - 1 : total;
        for (int i = 0; i < visible; ++i) {
            ResultColumn c;
            c.name = sqlite3_column_name(stmt.get(), i);
            c.kind = kindOfDeclaredType(sqlite3_column_decltype(stmt.get(), i));
            if (withRowId) {
                c.baseName = t.baseColumns.empty() ? c.name : t.baseColumns[static_cast<std::size_t>(i)];
            }
            r.positionByName.emplace(lowerAscii(c.name), r.columns.size());
            r.columns.push_back(std::move(c));
        }
        for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt.get())) {
            std::vector<Cell> row;
            row.reserve(static_cast<std::size_t>(visible));
            for (int i = 0; i < visible; ++i) {
                row.push_back(cellFromColumn(stmt.get(), i));
            }
            r.rows.push_back(std::move(row));
            if (withRowId) {
                r.rowIds.push_back(sqlite3_column_int64(stmt.get(), visible));
            }
        }
        if (rc != SQLITE_DONE) {
            throw StoreFailure {sqlite3_errmsg(db.get())};
        }
        r.open = true;
        r.baseTable = t.baseTable;
        r.itemsSql = t.itemsSql;
        *into = std::move(r);
    }

    // --- the recordset ----------------------------------------------------------

    std::optional<std::size_t> position(const Field& field) const
    {
        if (!rs.open) {
            return std::nullopt;
        }
        if (const int* p = std::get_if<int>(&field.ref)) {
            if (*p < 0 || static_cast<std::size_t>(*p) >= rs.columns.size()) {
                return std::nullopt;
            }
            return static_cast<std::size_t>(*p);
        }
        const Text& text = std::get<Text>(field.ref);
        // ASCII names (every fixed column) need no conversion.
        const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
        const std::string name = lowerAscii(ascii ? text : gbkToUtf8String(text));
        if (auto it = rs.positionByName.find(name); it != rs.positionByName.end()) {
            return it->second;
        }
        return std::nullopt;
    }

    // The value of a column of the current record, as an edit in progress shows it.
    std::optional<Cell> currentValue(std::size_t column) const
    {
        if (rs.edit && rs.edit->adding) {
            return rs.edit->values[column].value_or(Cell {});
        }
        if (rs.current >= rs.rows.size()) {
            return std::nullopt;
        }
        if (rs.edit && rs.edit->row == rs.current && rs.edit->values[column]) {
            return *rs.edit->values[column];
        }
        return rs.rows[rs.current][column];
    }

    bool readRow(std::int64_t rowId, std::vector<Cell>& row)
    {
        StatementHandle stmt
            = prepare("SELECT " + rs.itemsSql + " FROM " + quoteName(rs.baseTable) + " WHERE _rowid_ = ?1");
        bind(stmt.get(), {Cell::makeInteger(rowId)});
        bool found = false;
        stepAll(stmt.get(), [&](sqlite3_stmt* s) {
            row.clear();
            for (std::size_t i = 0; i < rs.columns.size(); ++i) {
                row.push_back(cellFromColumn(s, static_cast<int>(i)));
            }
            found = true;
        });
        return found;
    }

    void cancelEdit()
    {
        if (rs.edit && rs.edit->adding) {
            rs.current = rs.edit->previous;
        }
        rs.edit.reset();
    }

    // Stores the edit in progress; on failure the edit is cancelled.
    bool storeEdit()
    {
        if (!rs.edit) {
            return true;
        }
        PendingEdit& e = *rs.edit;
        std::vector<Cell> params;
        std::string columns;
        std::string values;
        std::string assignments;
        for (std::size_t i = 0; i < e.values.size(); ++i) {
            if (!e.values[i]) {
                continue;
            }
            const std::string name = quoteName(rs.columns[i].baseName);
            columns += (columns.empty() ? "" : ", ") + name;
            values += values.empty() ? "?" : ", ?";
            params.push_back(*e.values[i]);
            assignments += (assignments.empty() ? "" : ", ") + name + " = ?" + std::to_string(params.size());
        }
        try {
            if (e.adding) {
                runPlain("INSERT INTO " + quoteName(rs.baseTable)
                             + (columns.empty() ? " DEFAULT VALUES" : " (" + columns + ") VALUES (" + values + ")"),
                         params);
                const std::int64_t rowId = sqlite3_last_insert_rowid(db.get());
                std::vector<Cell> row;
                rs.edit.reset();
                if (readRow(rowId, row)) {
                    rs.rows.push_back(std::move(row));
                    rs.rowIds.push_back(rowId);
                    rs.current = rs.rows.size() - 1;
                }
                return true;
            }
            if (!params.empty()) {
                params.push_back(Cell::makeInteger(rs.rowIds[e.row]));
                runPlain("UPDATE " + quoteName(rs.baseTable) + " SET " + assignments + " WHERE _rowid_ = ?"
                             + std::to_string(params.size()),
                         params);
                if (sqlite3_changes(db.get()) != 1) {
                    cancelEdit();
                    return false;
                }
                std::vector<Cell> row;
                if (readRow(rs.rowIds[e.row], row)) {
                    rs.rows[e.row] = std::move(row);
                }
            }
            rs.edit.reset();
            return true;
        } catch (const StoreFailure&) {
            cancelEdit();
            return false;
        }
    }

    bool write(const Field& field, const Cell& value)
    {
        const std::optional<std::size_t> column = position(field);
        if (!column || rs.baseTable.empty() || rs.columns[*column].baseName.empty()) {
            return false;
        }
        if (!rs.edit) {
            if (rs.current >= rs.rows.size()) {
                return false;
            }
            PendingEdit e;
            e.row = rs.current;
            e.values.resize(rs.columns.size());
            rs.edit = std::move(e);
        }
        rs.edit->values[*column] = value;
        return true;
    }

    void closeRecordset() { rs = Recordset {}; }
};

Store::Store()
    : d(std::make_unique<Impl>())
{
}

Store::~Store() = default;

void Store::createDatabaseFile(const std::string& path)
{
    try {
        std::error_code ec;
        const std::filesystem::path file(path);
        if (std::filesystem::exists(file, ec)) {
            return; // never replace an existing file, database or not
        }
        if (file.has_parent_path()) {
            std::filesystem::create_directories(file.parent_path(), ec);
        }
        sqlite3* raw = nullptr;
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        DatabaseHandle db(raw);
        if (db) {
            // Writing the header makes the file a database at once; a new
            // SQLite file stays empty until its first write.
            constexpr std::uint32_t kApplicationId = 0x5A564442; // "ZVDB"
            sqlite3_exec(db.get(), ("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str(), nullptr,
                         nullptr, nullptr);
        }
    } catch (...) {
    }
}

bool Store::connectAccess(const std::string& path, const Text& password)
{
    try {
        d->closeRecordset();
        d->statements.clear();
        d->db.reset();
        d->tableCache.clear();
        // SQLite files carry no password; one that is asked for cannot be checked.
        if (!password.empty()) {
            return false;
        }
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        DatabaseHandle db(raw);
        if (rc != SQLITE_OK || !db) {
            return false;
        }
        sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
        // A double-quoted name that matches no column must be an error, not a
        // text literal: a missing keyword column has to fail its statement.
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        // SQLite opens lazily: reading the schema is what tells a database file
        // from any other file.
        if (sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK) {
            return false;
        }
        d->db = std::move(db);
        return true;
    } catch (...) {
        d->statements.clear();
        d->db.reset();
        return false;
    }
}

bool Store::executeSql(const Text& sqlText)
{
    try {
        const Translation t = d->translateText(sqlText, SqlText);
        d->run(t, nullptr);
        return true;
    } catch (...) {
        d->tableCache.clear();
        return false;
    }
}

bool Store::bindConnection()
{
    if (!d->db) {
        return false;
    }
    d->bound = true;
    return true;
}

bool Store::openRecordset(const Text& source, int mode)
{
    d->closeRecordset();
    std::string message;
    try {
        if (!d->bound) {
            throw StoreFailure {"the recordset has no connection"};
        }
        const Translation t = d->translateText(source, mode);
        d->run(t, &d->rs);
        return true;
    } catch (const StoreFailure& failure) {
        message = failure.message;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "unknown error";
    }
    d->closeRecordset();
    d->tableCache.clear();
    try {
        if (storeErrorHook()) {
            storeErrorHook()(message);
        }
    } catch (...) {
    }
    return false;
}

void Store::closeRecordset()
{
    d->closeRecordset();
}

int Store::recordCount() const
{
    if (!d->rs.open) {
        return 0;
    }
    return static_cast<int>(std::min<std::size_t>(d->rs.rows.size(), std::numeric_limits<int>::max()));
}

// Moving away from a record or starting another stores the edit in progress
// first, and fails when that edit cannot be stored.
bool Store::moveNext()
{
    try {
        if (!d->rs.open || !d->storeEdit() || d->rs.current >= d->rs.rows.size()) {
            return false;
        }
        ++d->rs.current;
        return true;
    } catch (...) {
        return false;
    }
}

bool Store::moveLast()
{
    try {
        if (!d->rs.open || !d->storeEdit() || d->rs.rows.empty()) {
            return false;
        }
        d->rs.current = d->rs.rows.size() - 1;
        return true;
    } catch (...) {
        return false;
    }
}

bool Store::addNew()
{
    try {
        if (!d->rs.open || d->rs.baseTable.empty() || !d->storeEdit()) {
            return false;
        }
        PendingEdit e;
        e.adding = true;
        e.previous = d->rs.current;
        e.values.resize(d->rs.columns.size());
        d->rs.edit = std::move(e);
        return true;
    } catch (...) {
        return false;
    }
}

bool Store::update()
{
    try {
        if (!d->rs.open) {
            return false;
        }
        if (!d->rs.edit) {
            return d->rs.current < d->rs.rows.size();
        }
        return d->storeEdit();
    } catch (...) {
        return false;
    }
}

Text Store::fieldName(int position) const
{
    if (!d->rs.open || position < 0 || static_cast<std::size_t>(position) >= d->rs.columns.size()) {
        return {};
    }
    return utf8ToGbkString(d->rs.columns[static_cast<std::size_t>(position)].name);
}

bool Store::readText(const Field& field, Text& value) const
{
    try {
        const std::optional<std::size_t> column = d->position(field);
        const std::optional<Cell> cell = column ? d->currentValue(*column) : std::nullopt;
        if (!cell) {
            value.clear();
            return false;
        }
        const ValueKind kind = d->rs.columns[*column].kind;
        char buf[64];
        switch (cell->type) {
        case Cell::Type::Null:
            value.clear();
            break;
        case Cell::Type::Integer:
            value = std::to_string(cell->integer);
            break;
        case Cell::Type::Real:
            std::snprintf(buf, sizeof buf, kind == ValueKind::Single ? "%.4f" : "%.8f", cell->real);
            value = buf;
            break;
        case Cell::Type::Text:
            if (kind == ValueKind::DateTime) {
                if (auto dt = parseDateText(cell->text)) {
                    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", dt->year, dt->month, dt->day,
                                  dt->hour, dt->minute, dt->second);
                    value = buf;
                    break;
                }
            }
            value = utf8ToGbkString(cell->text);
            break;
        case Cell::Type::Blob:
            value = cell->text;
            break;
        }
        return true;
    } catch (...) {
        value.clear();
        return false;
    }
}

bool Store::readInteger(const Field& field, int& value) const
{
    const std::optional<std::size_t> column = d->position(field);
    const std::optional<Cell> cell = column ? d->currentValue(*column) : std::nullopt;
    if (!cell) {
        return false;
    }
    const ValueKind kind = d->rs.columns[*column].kind;
    if (kind != ValueKind::Integer && kind != ValueKind::Expression) {
        return false;
    }
    if (cell->type == Cell::Type::Null) {
        value = 0;
        return true;
    }
    if (cell->type != Cell::Type::Integer || cell->integer < std::numeric_limits<int>::min()
        || cell->integer > std::numeric_limits<int>::max()) {
        return false;
    }
    value = static_cast<int>(cell->integer);
    return true;
}

bool Store::readDateTime(const Field& field, DateTime& value) const
{
    const std::optional<std::size_t> column = d->position(field);
    const std::optional<Cell> cell = column ? d->currentValue(*column) : std::nullopt;
    if (!cell || cell->type != Cell::Type::Text) {
        return false;
    }
    const std::optional<DateTime> dt = parseDateText(cell->text);
    if (!dt) {
        return false;
    }
    value = *dt;
    return true;
}

bool Store::writeText(const Field& field, const Text& value)
{
    try {
        const std::optional<std::size_t> column = d->position(field);
        if (!column) {
            return false;
        }
        const std::optional<Cell> cell = cellForText(d->rs.columns[*column].kind, gbkToUtf8String(value));
        return cell && d->write(field, *cell);
    } catch (...) {
        return false;
    }
}

bool Store::writeInteger(const Field& field, int value)
{
    try {
        const std::optional<std::size_t> column = d->position(field);
        if (!column || d->rs.columns[*column].kind != ValueKind::Integer) {
            return false;
        }
        return d->write(field, Cell::makeInteger(value));
    } catch (...) {
        return false;
    }
}

} // namespace zv
