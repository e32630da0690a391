#pragma once
// The store: one SQLite connection and one shared recordset, reached through
// the store operations every part of the program uses. Texts passed in and out
// are code page 936 (GBK); they cross into SQLite as UTF-8.

#include "store/date_time.h"
#include "store/site_name.h" // the site table names, used with the store everywhere
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
    // its folder when missing. An existing file is left as it is. The outcome
    // is not examined by start-up.
    static void createDatabaseFile(const std::string& path);

    // Opens an existing database file (never creates one). A file that is not
    // a database fails here, not at the first statement. A non-empty password
    // cannot be checked and fails. Another process holding the file is waited
    // for a few seconds before a statement fails.
    bool connectAccess(const std::string& path, const Text& password = {});
    // Runs one statement of the forms the program sends; false, silently, on
    // any error, on a name that is not a bare identifier, or on a second statement.
    bool executeSql(const Text& sql);
    // Lets the recordset use the open connection; openRecordset fails before.
    bool bindConnection();
    // Mode 1: source is a statement; mode 2: source is a table name, whose rows
    // come in primary-key order. The rows are read at once (a static snapshot).
    // A statement without rows runs and leaves the recordset closed. On failure
    // the recordset is closed and the store error hook gets the message.
    bool openRecordset(const Text& source, int mode);
    void closeRecordset();
    int recordCount() const; // 0 when nothing is open
    bool moveNext();
    bool moveLast();
    // A new record whose unwritten columns take their defaults when stored.
    bool addNew();
    // Stores the new or changed current record; a failure cancels the edit.
    bool update();
    Text fieldName(int position) const; // "" out of range or when nothing is open
    // The columns table has (0 when there is no such table), and the most
    // columns a table may have and still be read whole (0 when not
    // connected): SQLite's limit less the hidden column a recordset adds to
    // know its rows. The recordset is left as it is.
    int columnCount(const Text& table) const;
    int columnLimit() const;
    // Dates read as "%Y-%m-%d %H:%M:%S", NULL as "". False and "" past the
    // last record or when nothing is open.
    bool readText(const Field& field, Text& value) const;
    // Integer columns and computed integers (max(...)) only; NULL gives 0.
    // Otherwise false, value unchanged.
    bool readInteger(const Field& field, int& value) const;
    bool readDateTime(const Field& field, DateTime& value) const;
    // Whether the current record holds no value (NULL) in the field; false
    // for a field that does not exist, past the last record or when nothing
    // is open.
    bool isNull(const Field& field) const;
    // "" stores NULL; a text that does not fit the column's type fails.
    bool writeText(const Field& field, const Text& value);
    bool writeInteger(const Field& field, int value); // integer columns only
    // Stores no value (NULL), also in place of the column's default.
    bool writeNull(const Field& field);
    // The engine's reason (UTF-8) the last record could not be stored, such as
    // a full disk or a read-only file; empty when none failed since it was
    // last taken.
    std::string takeStoreFailure();

private:
    friend struct StoreAccess;
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zv
