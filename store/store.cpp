#include "store/store.h"

#include "store/connection.h"
#include "store/recordset.h"
#include "store/sql_statement.h"
#include "store/statement_translator.h"
#include "store/store_access.h"
#include "store/table_catalog.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace zv {

using sqlite::Cell;
using sqlite::StoreFailure;
using sqlite::Translation;

namespace {

StoreErrorHook& storeErrorHook()
{
    static StoreErrorHook hook;
    return hook;
}

} // namespace

void setStoreErrorHook(StoreErrorHook hook)
{
    storeErrorHook() = std::move(hook);
}

struct Store::Impl
{
    sqlite::Connection connection;
    sqlite::TableCatalog catalog {connection};
    sqlite::StatementTranslator translator {catalog};
    sqlite::Recordset rs {connection};
    bool bound = false;

    void forgetSchema()
    {
        catalog.clear();
        connection.forgetStatements();
    }

    Translation translateText(const Text& gbkSql, int mode)
    {
        const std::string utf8 = gbkToUtf8String(gbkSql);
        if (mode == TableName) {
            if (!sql::isValidName(utf8)) {
                throw StoreFailure {"invalid table name: \"" + utf8 + "\""};
            }
            return translator.translateTableOpen(utf8);
        }
        if (mode != SqlText) {
            throw StoreFailure {"unknown source mode " + std::to_string(mode)};
        }
        sql::ParseOutcome parsed = sql::parseStatement(utf8);
        if (!parsed.statement) {
            throw StoreFailure {parsed.error};
        }
        return translator.translate(*parsed.statement);
    }

    // Runs a translated statement. Into the recordset, a statement that
    // yields columns becomes its snapshot.
    void run(const Translation& t, bool intoRecordset)
    {
        if (t.ddl) {
            forgetSchema();
        }
        if (!t.droppedTable.empty()) {
            runDrop(t);
            return;
        }
        sqlite::Statement stmt = connection.prepare(t.sql);
        if (t.ddl) {
            stmt.discardAfterUse();
        }
        stmt.bind(t.params);
        if (!intoRecordset) {
            stmt.runToEnd();
            if (t.ddl) {
                forgetSchema();
            }
            return;
        }
        // Columns are read after the first step: a kept statement over a table
        // that another connection has changed since is compiled again by it,
        // and only then shows the table's present columns.
        const bool hasRow = stmt.step();
        if (stmt.columnCount() == 0) {
            if (hasRow) {
                stmt.runToEnd();
            }
            if (t.ddl) {
                forgetSchema();
            }
            return;
        }
        rs.load(stmt, hasRow, t.baseTable, t.itemsSql, t.baseColumns);
    }

    // A drop takes the result lists kept beside the table or column with it,
    // in one transaction.
    void runDrop(const Translation& t)
    {
        connection.run("SAVEPOINT zv_drop");
        try {
            {
                sqlite::Statement stmt = connection.prepare(t.sql);
                stmt.discardAfterUse();
                stmt.runToEnd();
            }
            sqlite::forgetResultLists(connection, t.droppedTable, t.droppedColumn.empty() ? nullptr : &t.droppedColumn);
            connection.run("RELEASE zv_drop");
        } catch (...) {
            try {
                connection.run("ROLLBACK TO zv_drop");
                connection.run("RELEASE zv_drop");
            } catch (...) {
            }
            forgetSchema();
            throw;
        }
        forgetSchema();
    }

    std::optional<std::size_t> position(const Field& field) const
    {
        if (!rs.isOpen()) {
            return std::nullopt;
        }
        if (const int* p = std::get_if<int>(&field.ref)) {
            if (*p < 0 || static_cast<std::size_t>(*p) >= rs.columnCount()) {
                return std::nullopt;
            }
            return static_cast<std::size_t>(*p);
        }
        const Text& text = std::get<Text>(field.ref);
        // ASCII names (every fixed column) need no conversion.
        const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
        return rs.columnNamed(lowerAscii(ascii ? text : gbkToUtf8String(text)));
    }

    // The current record's value of a field, and the kind of its column; null
    // for no such field or past the last record.
    const Cell* current(const Field& field, sqlite::ValueKind& kind) const
    {
        const std::optional<std::size_t> column = position(field);
        if (!column) {
            return nullptr;
        }
        kind = rs.columnKind(*column);
        return rs.currentValue(*column);
    }
};

sqlite::Connection& StoreAccess::connection(Store& store)
{
    return store.d->connection;
}

Store::Store()
    : d(std::make_unique<Impl>())
{
}

Store::~Store() = default;

void Store::createDatabaseFile(const std::string& path)
{
    try {
        sqlite::Connection::createDatabaseFile(path);
    } catch (...) {
    }
}

bool Store::connectAccess(const std::string& path, const Text& password)
{
    try {
        d->rs.close();
        d->connection.close();
        d->catalog.clear();
        // SQLite files carry no password; one that is asked for cannot be checked.
        if (!password.empty()) {
            return false;
        }
        return d->connection.open(path);
    } catch (...) {
        d->connection.close();
        return false;
    }
}

bool Store::executeSql(const Text& sqlText)
{
    try {
        d->run(d->translateText(sqlText, SqlText), false);
        return true;
    } catch (...) {
        d->catalog.clear();
        return false;
    }
}

bool Store::bindConnection()
{
    if (!d->connection.isOpen()) {
        return false;
    }
    d->bound = true;
    return true;
}

bool Store::openRecordset(const Text& source, int mode)
{
    d->rs.close();
    std::string message;
    try {
        if (!d->bound) {
            throw StoreFailure {"the recordset has no connection"};
        }
        d->run(d->translateText(source, mode), true);
        return true;
    } catch (const StoreFailure& failure) {
        message = failure.message;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "unknown error";
    }
    d->rs.close();
    d->catalog.clear();
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
    d->rs.close();
}

int Store::recordCount() const
{
    if (!d->rs.isOpen()) {
        return 0;
    }
    return static_cast<int>(std::min<std::size_t>(d->rs.rowCount(), std::numeric_limits<int>::max()));
}

bool Store::moveNext()
{
    try {
        return d->rs.moveNext();
    } catch (...) {
        return false;
    }
}

bool Store::moveLast()
{
    try {
        return d->rs.moveLast();
    } catch (...) {
        return false;
    }
}

bool Store::addNew()
{
    try {
        return d->rs.addNew();
    } catch (...) {
        return false;
    }
}

bool Store::update()
{
    try {
        return d->rs.update();
    } catch (...) {
        return false;
    }
}

std::string Store::takeStoreFailure()
{
    return d->rs.takeStoreFailure();
}

int Store::columnCount(const Text& table) const
{
    if (!d->connection.isOpen())
        return 0;
    try {
        return static_cast<int>(d->catalog.columnsOf(gbkToUtf8String(table)).size());
    } catch (const StoreFailure&) {
        return 0;
    }
}

int Store::columnLimit() const
{
    return std::max(d->connection.columnLimit() - 1, 0);
}

Text Store::fieldName(int position) const
{
    if (!d->rs.isOpen() || position < 0 || static_cast<std::size_t>(position) >= d->rs.columnCount()) {
        return {};
    }
    return utf8ToGbkString(d->rs.columnName(static_cast<std::size_t>(position)));
}

bool Store::readText(const Field& field, Text& value) const
{
    try {
        sqlite::ValueKind kind {};
        const Cell* cell = d->current(field, kind);
        if (cell == nullptr) {
            value.clear();
            return false;
        }
        value = sqlite::readableText(*cell, kind);
        return true;
    } catch (...) {
        value.clear();
        return false;
    }
}

bool Store::readInteger(const Field& field, int& value) const
{
    sqlite::ValueKind kind {};
    const Cell* cell = d->current(field, kind);
    const std::optional<int> integer = cell ? sqlite::readableInteger(*cell, kind) : std::nullopt;
    if (!integer) {
        return false;
    }
    value = *integer;
    return true;
}

bool Store::readDateTime(const Field& field, DateTime& value) const
{
    sqlite::ValueKind kind {};
    const Cell* cell = d->current(field, kind);
    if (cell == nullptr || cell->type != Cell::Type::Text) {
        return false;
    }
    const std::optional<DateTime> dt = sqlite::parseDateText(cell->text);
    if (!dt) {
        return false;
    }
    value = *dt;
    return true;
}

bool Store::isNull(const Field& field) const
{
    sqlite::ValueKind kind {};
    const Cell* cell = d->current(field, kind);
    return cell != nullptr && cell->type == Cell::Type::Null;
}

bool Store::writeText(const Field& field, const Text& value)
{
    try {
        const std::optional<std::size_t> column = d->position(field);
        if (!column) {
            return false;
        }
        std::optional<Cell> cell = sqlite::cellForText(d->rs.columnKind(*column), gbkToUtf8String(value));
        return cell && d->rs.write(*column, std::move(*cell));
    } catch (...) {
        return false;
    }
}

bool Store::writeInteger(const Field& field, int value)
{
    try {
        const std::optional<std::size_t> column = d->position(field);
        if (!column || d->rs.columnKind(*column) != sqlite::ValueKind::Integer) {
            return false;
        }
        return d->rs.write(*column, Cell::makeInteger(value));
    } catch (...) {
        return false;
    }
}

bool Store::writeNull(const Field& field)
{
    try {
        const std::optional<std::size_t> column = d->position(field);
        return column && d->rs.write(*column, Cell {});
    } catch (...) {
        return false;
    }
}

} // namespace zv
