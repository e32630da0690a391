#pragma once
// The statements the program sends to the store, recognised form by form.
// Only these forms are accepted; everything else is a syntax error. Table and
// column names must be bare identifiers (letters of any script, digits and
// "_", not digits alone, not a reserved word), so a spliced name can never
// carry SQL of its own, and one text is always one statement.
//
// Texts here are UTF-8; the store converts at its boundary.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zv::sql {

enum class ColumnType { Counter, TinyInt, SmallInt, Int, BigInt, Single, Double, Text, Memo, DateTime, Bit };

struct Literal
{
    enum class Kind { Null, Integer, Real, Text, Today, Now };
    Kind kind = Kind::Null;
    // Digits (with sign) for numbers, the characters for texts.
    std::string text;
};

struct ColumnDef
{
    std::string name;
    ColumnType type = ColumnType::Int;
    int size = 0; // characters of a varchar(n); 0 when not given
    bool notNull = false;
    bool primaryKey = false;
    bool unique = false;
    std::optional<Literal> defaultValue;
};

struct CreateTable
{
    std::string table;
    std::vector<ColumnDef> columns;
};

struct IndexColumn
{
    std::string name;
    bool descending = false;
};

struct CreateIndex
{
    bool unique = false;
    std::string name;
    std::string table;
    std::vector<IndexColumn> columns;
};

struct DropTable
{
    std::string table;
};

struct DropIndex
{
    std::string name;
    std::string table;
};

struct AlterAddColumn
{
    std::string table;
    ColumnDef column;
};

struct AlterDropColumn
{
    std::string table;
    std::string column;
};

enum class Aggregate { None, Max, Min, Count, Sum, Avg };

struct SelectItem
{
    Aggregate aggregate = Aggregate::None;
    std::string column; // empty for count(*)
    std::string alias;
};

enum class CompareOp { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual, Like, NotLike, IsNull, IsNotNull };

struct Condition
{
    std::string column;
    CompareOp op = CompareOp::Equal;
    Literal value;
};

struct OrderTerm
{
    std::string column;
    bool descending = false;
};

struct Select
{
    bool star = false;
    std::vector<SelectItem> items;
    std::string table;
    std::optional<Condition> where;
    std::vector<OrderTerm> orderBy;
};

struct Delete
{
    std::string table;
    std::optional<Condition> where;
};

struct Assignment
{
    std::string column;
    Literal value;
};

struct Update
{
    std::string table;
    std::vector<Assignment> assignments;
    std::optional<Condition> where;
};

struct Insert
{
    std::string table;
    std::vector<std::string> columns; // empty: every column in table order
    std::vector<Literal> values;
};

using Statement = std::variant<CreateTable, CreateIndex, DropTable, DropIndex, AlterAddColumn, AlterDropColumn, Select,
                               Delete, Update, Insert>;

struct ParseOutcome
{
    std::optional<Statement> statement;
    std::string error; // set when statement is empty
};

// Reads one statement. A quoted value runs to the first closing quote after
// which the rest of the text still forms the statement, so a value spliced in
// between two quotes by the caller stays one value whatever quotes it holds.
ParseOutcome parseStatement(std::string_view utf8);

// A name the store accepts as a table, column, index or alias name.
bool isValidName(std::string_view utf8);

} // namespace zv::sql
