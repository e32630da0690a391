#pragma once
// The store: one SQLite connection and one shared recordset, reached through
// the store operations every part of the program uses. Texts passed in and out
// are code page 936 (GBK); they cross into SQLite as UTF-8.

#include "text/text.h"

#include <functional>
#include <memory>
#include <string>
#include <variant>

namespace zv {

// A column named by text or addressed by its 0-based position.
struct Field
{
    Field(int position)
        : ref(position)
    {
    }
    Field(const char* name)
        : ref(Text(name))
    {
    }
    Field(Text name)
        : ref(std::move(name))
    {
    }
    std::variant<int, Text> ref;
};

struct DateTime
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

enum RecordsetMode : int { SqlText = 1, TableName = 2 };

// Shown by a failed openRecordset: the application displays a modal box with
// caption "Error" and the engine's own message (UTF-8). Tests record it.
using StoreErrorHook = std::function<void(const std::string& utf8Message)>;
void setStoreErrorHook(StoreErrorHook hook);

class Store
{
public:
    Store();
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Creates an empty database file at path (UTF-8 file-system path), making
    // its folder when missing. The outcome is not examined by start-up.
    static void createDatabaseFile(const std::string& path);

    bool connectAccess(const std::string& path, const Text& password = {});
    bool executeSql(const Text& sql);
    bool bindConnection();
    bool openRecordset(const Text& source, int mode);
    void closeRecordset();
    int recordCount() const;
    bool moveNext();
    bool moveLast();
    bool addNew();
    bool update();
    Text fieldName(int position) const;
    bool readText(const Field& field, Text& value) const;
    bool readInteger(const Field& field, int& value) const;
    bool readDateTime(const Field& field, DateTime& value) const;
    bool writeText(const Field& field, const Text& value);
    bool writeInteger(const Field& field, int value);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Site address <-> site table name: "." -> "_" then "-" -> "__", and back
// ("__" -> "-" then "_" -> "."), whole characters, left to right.
Text siteTableName(const Text& address);
Text siteAddress(const Text& tableName);

} // namespace zv
