#pragma once
// A database file laid out as the program lays it out: the registry and, per
// site, the rank and overview tables made by the store's own statements. Rows
// and unusual keyword columns go in directly through SQLite, so the tests read
// back exactly what they put in.

#include <memory>
#include <string>

struct sqlite3;

namespace zv::test {

class SiteDatabase
{
public:
    explicit SiteDatabase(std::string path);
    ~SiteDatabase();
    SiteDatabase(const SiteDatabase&) = delete;
    SiteDatabase& operator=(const SiteDatabase&) = delete;

    // Registers address with its two tables; returns the site table name.
    std::string addSite(const std::string& address);
    // Adds a keyword column (any UTF-8 text, quoted as a name).
    void addKeyword(const std::string& table, const std::string& keywordUtf8);
    // Runs one UTF-8 statement directly; fails the test on an error.
    void exec(const std::string& sql);

    const std::string& path() const { return path_; }

private:
    void openDirect();

    std::string path_;
    struct Closer
    {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Closer> db_;
};

// A name quoted for SQLite.
std::string quotedName(const std::string& name);

} // namespace zv::test
