#include "store/connection.h"

#include <sqlite3.h>

#include <filesystem>

namespace zv::sqlite {
namespace {

// How long a statement waits for another process holding the file (a second
// copy of the program) before it fails.
constexpr int kBusyTimeoutMs = 5000;

} // namespace

std::string quoteName(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

sqlite3_stmt* StatementCache::take(const std::string& sqlText)
{
    const auto it = m_kept.find(sqlText);
    if (it == m_kept.end()) {
        return nullptr;
    }
    sqlite3_stmt* stmt = it->second;
    m_kept.erase(it);
    return stmt;
}

void StatementCache::give(std::string sqlText, sqlite3_stmt* stmt)
{
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (m_kept.size() >= kLimit || m_kept.count(sqlText) != 0) {
        sqlite3_finalize(stmt);
        return;
    }
    m_kept.emplace(std::move(sqlText), stmt);
}

void StatementCache::clear()
{
    for (auto& [text, stmt] : m_kept) {
        sqlite3_finalize(stmt);
    }
    m_kept.clear();
}

Statement::Statement(sqlite3_stmt* stmt, StatementCache* cache, std::string sqlText)
    : m_stmt(stmt)
    , m_cache(cache)
    , m_sqlText(std::move(sqlText))
{
}

Statement::Statement(Statement&& other) noexcept
    : m_stmt(other.m_stmt)
    , m_cache(other.m_cache)
    , m_sqlText(std::move(other.m_sqlText))
{
    other.m_stmt = nullptr;
}

Statement::~Statement()
{
    if (m_stmt == nullptr) {
        return;
    }
    if (m_cache != nullptr) {
        m_cache->give(std::move(m_sqlText), m_stmt);
    } else {
        sqlite3_finalize(m_stmt);
    }
}

void Statement::fail() const
{
    throw StoreFailure {sqlite3_errmsg(sqlite3_db_handle(m_stmt))};
}

void Statement::bind(const std::vector<Cell>& params)
{
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const Cell& p = params[i];
        int rc = SQLITE_OK;
        switch (p.type) {
        case Cell::Type::Null:
            rc = sqlite3_bind_null(m_stmt, index);
            break;
        case Cell::Type::Integer:
            rc = sqlite3_bind_int64(m_stmt, index, p.integer);
            break;
        case Cell::Type::Real:
            rc = sqlite3_bind_double(m_stmt, index, p.real);
            break;
        case Cell::Type::Text:
            rc = sqlite3_bind_text(m_stmt, index, p.text.data(), static_cast<int>(p.text.size()), SQLITE_TRANSIENT);
            break;
        case Cell::Type::Blob:
            rc = sqlite3_bind_blob(m_stmt, index, p.text.data(), static_cast<int>(p.text.size()), SQLITE_TRANSIENT);
            break;
        }
        if (rc != SQLITE_OK) {
            fail();
        }
    }
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc != SQLITE_DONE) {
        fail();
    }
    return false;
}

void Statement::runToEnd()
{
    while (step()) { }
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

std::string Statement::columnName(int i) const
{
    return sqlite3_column_name(m_stmt, i);
}

const char* Statement::declaredType(int i) const
{
    return sqlite3_column_decltype(m_stmt, i);
}

Cell Statement::cell(int i) const
{
    Cell c;
    switch (sqlite3_column_type(m_stmt, i)) {
    case SQLITE_INTEGER:
        c.type = Cell::Type::Integer;
        c.integer = sqlite3_column_int64(m_stmt, i);
        break;
    case SQLITE_FLOAT:
        c.type = Cell::Type::Real;
        c.real = sqlite3_column_double(m_stmt, i);
        break;
    case SQLITE_TEXT: {
        c.type = Cell::Type::Text;
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
        c.text.assign(p, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, i)));
        break;
    }
    case SQLITE_BLOB: {
        c.type = Cell::Type::Blob;
        const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, i));
        c.text.assign(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, i)));
        break;
    }
    default:
        break;
    }
    return c;
}

std::int64_t Statement::integer(int i) const
{
    return sqlite3_column_int64(m_stmt, i);
}

std::string Statement::text(int i) const
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, i))) : std::string();
}

void Connection::Closer::operator()(sqlite3* db) const
{
    sqlite3_close_v2(db);
}

Connection::Connection() = default;

Connection::~Connection() = default;

void Connection::createDatabaseFile(const std::string& path)
{
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
    std::unique_ptr<sqlite3, Closer> db(raw);
    if (db) {
        // Writing the header makes the file a database at once; a new SQLite
        // file stays empty until its first write.
        constexpr std::uint32_t kApplicationId = 0x5A564442; // "ZVDB"
        sqlite3_exec(db.get(), ("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str(), nullptr, nullptr,
                     nullptr);
    }
}

bool Connection::open(const std::string& path)
{
    close();
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, Closer> db(raw);
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
    m_db = std::move(db);
    return true;
}

void Connection::close()
{
    m_statements.clear();
    m_db.reset();
}

Statement Connection::prepare(const std::string& sqlText)
{
    if (!m_db) {
        throw StoreFailure {"the database is not open"};
    }
    if (sqlite3_stmt* kept = m_statements.take(sqlText)) {
        return Statement(kept, &m_statements, sqlText);
    }
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(m_db.get(), sqlText.c_str(), static_cast<int>(sqlText.size()), &raw, &tail);
    Statement stmt(raw, &m_statements, sqlText);
    if (rc != SQLITE_OK || raw == nullptr) {
        throw StoreFailure {sqlite3_errmsg(m_db.get())};
    }
    return stmt;
}

void Connection::run(const std::string& sqlText, const std::vector<Cell>& params)
{
    Statement stmt = prepare(sqlText);
    stmt.bind(params);
    stmt.runToEnd();
}

std::int64_t Connection::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db.get());
}

int Connection::columnLimit() const
{
    return m_db ? sqlite3_limit(m_db.get(), SQLITE_LIMIT_COLUMN, -1) : 0;
}

int Connection::changes() const
{
    return sqlite3_changes(m_db.get());
}

} // namespace zv::sqlite
