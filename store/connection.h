#pragma once
// The SQLite handles of the store: one connection, the statements compiled
// on it, and the cache that keeps compiled statements for their next use.
// Inside the store only; the SQLite header stays in connection.cpp.

#include "store/cell.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zv::sqlite {

// Thrown inside the store only; every public routine of the store catches it.
struct StoreFailure
{
    std::string message;
};

// A name as SQLite reads it. Names reaching SQLite have been checked by the
// statement reader, so they hold no quote character.
std::string quoteName(std::string_view name);

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

    // The kept statement of that text, now the caller's; null when none is kept.
    sqlite3_stmt* take(const std::string& sqlText);
    // Keeps a statement after its use, or finalizes it when the cache is full
    // or holds that text already.
    void give(std::string sqlText, sqlite3_stmt* stmt);
    void clear();

private:
    static constexpr std::size_t kLimit = 64;
    std::unordered_map<std::string, sqlite3_stmt*> m_kept;
};

// A statement in use; it goes back to its cache (or is finalized without one)
// when it goes away. Errors throw StoreFailure with SQLite's message.
class Statement
{
public:
    Statement(sqlite3_stmt* stmt, StatementCache* cache, std::string sqlText);
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;
    ~Statement();

    // Binds ?1, ?2 ... in order.
    void bind(const std::vector<Cell>& params);
    // True when the step gave a row, false at the end.
    bool step();
    void runToEnd();
    // Finalized after this use instead of kept (a definition is not sent twice).
    void discardAfterUse() { m_cache = nullptr; }

    int columnCount() const;
    std::string columnName(int i) const;
    // Null for a computed column.
    const char* declaredType(int i) const;
    Cell cell(int i) const;
    std::int64_t integer(int i) const;
    std::string text(int i) const; // "" for NULL

private:
    [[noreturn]] void fail() const;

    sqlite3_stmt* m_stmt;
    StatementCache* m_cache;
    std::string m_sqlText;
};

class Connection
{
public:
    Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    // Creates an empty database file, making its folder when missing; leaves
    // an existing file as it is.
    static void createDatabaseFile(const std::string& path);

    // Opens an existing database file (never creates one); false for a file
    // that is not a database.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_db != nullptr; }

    // Compiles a statement, or takes the kept one of the same text.
    Statement prepare(const std::string& sqlText);
    void run(const std::string& sqlText, const std::vector<Cell>& params = {});
    // Finalizes every kept statement (after a change of the schema).
    void forgetStatements() { m_statements.clear(); }

    std::int64_t lastInsertRowId() const;
    // The most columns a table may have; 0 when closed.
    int columnLimit() const;
    int changes() const;

private:
    struct Closer
    {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Closer> m_db;
    // Declared after m_db: kept statements are finalized before it closes.
    StatementCache m_statements;
};

} // namespace zv::sqlite
