#pragma once
// One value of a row as SQLite holds it, the kinds of value a column takes,
// and the conversions between them and the texts the program reads and writes.
// Inside the store only.

#include "store/date_time.h"
#include "text/text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zv::sqlite {

// What a column holds, from its declared type. Expression: no declared type,
// a computed value such as max(...).
enum class ValueKind { Integer, Single, Double, Text, DateTime, Bit, Expression };

struct Cell
{
    enum class Type { Null, Integer, Real, Text, Blob };
    Type type = Type::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string text; // UTF-8 text or blob bytes

    static Cell makeText(std::string s);
    static Cell makeInteger(std::int64_t v);
    static Cell makeReal(double v);
};

// Kind of a column from the type SQLite reports for it (the store's own type
// names first, then SQLite's affinity rules for anything else).
ValueKind kindOfDeclaredType(const char* declared);

// Reads "Y-M-D" or "Y-M-D H:M[:S]" (also with "/"), months, days and times
// with or without leading zeros.
std::optional<DateTime> parseDateText(std::string_view s);
// The stored form of a date-time: ISO text, the time of day only when there is one.
std::string canonicalDateText(const DateTime& dt);

std::optional<std::int64_t> parseIntegerText(std::string_view s);
std::optional<double> parseRealText(const std::string& s);

// A text (UTF-8) turned into what a column of that kind stores; an empty text
// is NULL. Nothing when the text does not fit the column.
std::optional<Cell> cellForText(ValueKind kind, const std::string& text);

// The text (code page 936) a value of a column of that kind reads as: dates
// as "%Y-%m-%d %H:%M:%S", NULL as "", numbers in digits, blobs as they are.
Text readableText(const Cell& cell, ValueKind kind);
// The integer a value reads as: only from integer columns and computed
// values, NULL as 0; nothing for anything else or past the range of int.
std::optional<int> readableInteger(const Cell& cell, ValueKind kind);

} // namespace zv::sqlite
