#include "store/sql_tokenizer.h"

#include "text/text.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstdint>

namespace zv::sql {
namespace {

// Words of the original dialect that can never be bare names, plus the names
// SQLite gives the row id (a column of that name would hide it).
constexpr std::string_view kReservedWords[] = {
    "ADD",           "ALL",         "ALPHANUMERIC", "ALTER",     "AND",      "ANY",        "AS",         "ASC",
    "AUTOINCREMENT", "AVG",         "BETWEEN",      "BIGINT",    "BINARY",   "BIT",        "BOOLEAN",    "BY",
    "BYTE",          "CHAR",        "CHARACTER",    "CHECK",     "COLUMN",   "CONSTRAINT", "COUNT",      "COUNTER",
    "CREATE",        "CURRENCY",    "DATABASE",     "DATE",      "DATETIME", "DEFAULT",    "DELETE",     "DESC",
    "DISALLOW",      "DISTINCT",    "DISTINCTROW",  "DOUBLE",    "DROP",     "EQV",        "EXISTS",     "FALSE",
    "FLOAT",         "FLOAT4",      "FLOAT8",       "FOREIGN",   "FROM",     "FULL",       "GROUP",      "GUID",
    "HAVING",        "IEEEDOUBLE",  "IEEESINGLE",   "IMP",       "IN",       "INDEX",      "INNER",      "INSERT",
    "INT",           "INTEGER",     "INTEGER1",     "INTEGER2",  "INTEGER4", "INTO",       "IS",         "JOIN",
    "KEY",           "LEFT",        "LIKE",         "LOGICAL",   "LOGICAL1", "LONG",       "LONGBINARY", "LONGTEXT",
    "MAX",           "MEMO",        "MIN",          "MOD",       "MONEY",    "NOT",        "NOTE",       "NULL",
    "NUMBER",        "NUMERIC",     "NVARCHAR",     "OLEOBJECT", "ON",       "OPTION",     "OR",         "ORDER",
    "OUTER",         "OWNERACCESS", "PARAMETERS",   "PERCENT",   "PIVOT",    "PRIMARY",    "PROCEDURE",  "REAL",
    "REFERENCES",    "RIGHT",       "SELECT",       "SET",       "SHORT",    "SINGLE",     "SMALLINT",   "SOME",
    "STDEV",         "STDEVP",      "STRING",       "SUM",       "TABLE",    "TEXT",       "TIME",       "TIMESTAMP",
    "TINYINT",       "TOP",         "TRANSFORM",    "TRUE",      "UNION",    "UNIQUE",     "UPDATE",     "VALUES",
    "VARBINARY",     "VARCHAR",     "WHERE",        "WITH",      "XOR",      "ROWID",      "_ROWID_",    "OID",
    "YESNO",         "VAR",         "VARP",         "VALUE",     "NTEXT",
};

// Decodes one UTF-8 sequence at s[i]; returns the code point and its length,
// or length 0 for a malformed sequence.
std::pair<char32_t, std::size_t> decodeUtf8(std::string_view s, std::size_t i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        return {b0, 1};
    }
    std::size_t len = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return {0, 0};
    }
    if (i + len > s.size()) {
        return {0, 0};
    }
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            return {0, 0};
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return {0, 0};
    }
    return {cp, len};
}

bool isNameStart(char32_t c)
{
    if (c < 0x80) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    }
    return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_XID_START);
}

bool isNamePart(char32_t c)
{
    if (c < 0x80) {
        return isNameStart(c) || (c >= '0' && c <= '9');
    }
    return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_XID_CONTINUE);
}

bool isAsciiDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool isReserved(std::string_view word)
{
    const std::string upper = upperAscii(word);
    return std::find(std::begin(kReservedWords), std::end(kReservedWords), upper) != std::end(kReservedWords);
}

std::size_t nameLength(std::string_view s, std::size_t i)
{
    std::size_t j = i;
    bool digitsOnly = true;
    while (j < s.size()) {
        auto [cp, len] = decodeUtf8(s, j);
        if (len == 0 || !(j == i ? isNameStart(cp) || isAsciiDigit(cp) : isNamePart(cp))) {
            break;
        }
        digitsOnly = digitsOnly && isAsciiDigit(cp);
        j += len;
    }
    return digitsOnly ? 0 : j - i;
}

Token lexToken(std::string_view text, std::size_t pos)
{
    Token t;
    t.begin = pos;
    if (pos >= text.size()) {
        t.kind = TokenKind::End;
        t.end = pos;
        return t;
    }
    const char c = text[pos];
    if (const std::size_t n = nameLength(text, pos); n > 0) {
        t.kind = TokenKind::Name;
        t.end = pos + n;
    } else if (c >= '0' && c <= '9') {
        std::size_t j = pos;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            ++j;
        }
        if (j + 1 < text.size() && text[j] == '.' && text[j + 1] >= '0' && text[j + 1] <= '9') {
            ++j;
            while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
                ++j;
            }
        }
        t.kind = TokenKind::Number;
        t.end = j;
    } else if (c == '\'') {
        t.kind = TokenKind::Quote;
        t.end = pos + 1;
    } else if ((c == '<' || c == '>') && pos + 1 < text.size()
               && (text[pos + 1] == '=' || (c == '<' && text[pos + 1] == '>'))) {
        t.kind = TokenKind::Symbol;
        t.end = pos + 2;
    } else if (std::string_view("(),*=<>;[]-+").find(c) != std::string_view::npos) {
        t.kind = TokenKind::Symbol;
        t.end = pos + 1;
    } else {
        t.kind = TokenKind::Invalid;
        auto [cp, len] = decodeUtf8(text, pos);
        (void)cp;
        t.end = pos + std::max<std::size_t>(len, 1);
    }
    t.text = text.substr(t.begin, t.end - t.begin);
    return t;
}

} // namespace zv::sql
