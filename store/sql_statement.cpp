#include "store/sql_statement.h"

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

bool isReserved(std::string_view word)
{
    const std::string upper = upperAscii(word);
    return std::find(std::begin(kReservedWords), std::end(kReservedWords), upper) != std::end(kReservedWords);
}

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

// Length in bytes of the name starting at s[i] (0 when none starts there). A
// name may start with a digit, as site addresses and keywords do ("163_com",
// "3d打印"); digits alone are a number.
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

struct ParseError
{
    std::size_t position;
    std::string message;
};

enum class TokenKind { End, Name, Number, Quote, Symbol, Invalid };

struct Token
{
    TokenKind kind = TokenKind::End;
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string_view text;
};

// One reading of the text. choices[k] picks the closing quote of the k-th
// quoted value (0: the first quote after the opening one, 1: the second ...);
// values beyond the vector take 0. The candidates met are recorded so that the
// caller can try the next reading.
class Parser
{
public:
    Parser(std::string_view text, const std::vector<std::size_t>& choices)
        : m_text(text)
        , m_choices(choices)
    {
    }

    std::vector<std::size_t> candidateCounts;

    Statement parse()
    {
        Statement statement = parseBody();
        Token t = peek();
        if (t.kind == TokenKind::Symbol && t.text == ";") {
            advance(t);
            t = peek();
        }
        if (t.kind != TokenKind::End) {
            fail(t);
        }
        return statement;
    }

private:
    std::string_view m_text;
    const std::vector<std::size_t>& m_choices;
    std::size_t m_pos = 0;

    void skipSpace()
    {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++m_pos;
            } else {
                break;
            }
        }
    }

    Token lexAt(std::size_t pos) const
    {
        Token t;
        t.begin = pos;
        if (pos >= m_text.size()) {
            t.kind = TokenKind::End;
            t.end = pos;
            return t;
        }
        const char c = m_text[pos];
        if (const std::size_t n = nameLength(m_text, pos); n > 0) {
            t.kind = TokenKind::Name;
            t.end = pos + n;
        } else if (c >= '0' && c <= '9') {
            std::size_t j = pos;
            while (j < m_text.size() && m_text[j] >= '0' && m_text[j] <= '9') {
                ++j;
            }
            if (j + 1 < m_text.size() && m_text[j] == '.' && m_text[j + 1] >= '0' && m_text[j + 1] <= '9') {
                ++j;
                while (j < m_text.size() && m_text[j] >= '0' && m_text[j] <= '9') {
                    ++j;
                }
            }
            t.kind = TokenKind::Number;
            t.end = j;
        } else if (c == '\'') {
            t.kind = TokenKind::Quote;
            t.end = pos + 1;
        } else if ((c == '<' || c == '>') && pos + 1 < m_text.size()
                   && (m_text[pos + 1] == '=' || (c == '<' && m_text[pos + 1] == '>'))) {
            t.kind = TokenKind::Symbol;
            t.end = pos + 2;
        } else if (std::string_view("(),*=<>;[]-+").find(c) != std::string_view::npos) {
            t.kind = TokenKind::Symbol;
            t.end = pos + 1;
        } else {
            t.kind = TokenKind::Invalid;
            auto [cp, len] = decodeUtf8(m_text, pos);
            (void)cp;
            t.end = pos + std::max<std::size_t>(len, 1);
        }
        t.text = m_text.substr(t.begin, t.end - t.begin);
        return t;
    }

    Token peek()
    {
        skipSpace();
        return lexAt(m_pos);
    }

    void advance(const Token& t) { m_pos = t.end; }

    [[noreturn]] void fail(const Token& t) const
    {
        if (t.kind == TokenKind::End) {
            throw ParseError {t.begin, "incomplete input"};
        }
        if (t.kind == TokenKind::Invalid) {
            throw ParseError {t.begin, "unrecognized token: \"" + std::string(t.text) + "\""};
        }
        throw ParseError {t.begin, "near \"" + std::string(t.text) + "\": syntax error"};
    }

    bool isWord(const Token& t, std::string_view word) const
    {
        return t.kind == TokenKind::Name && upperAscii(t.text) == word;
    }

    bool acceptWord(std::string_view word)
    {
        const Token t = peek();
        if (isWord(t, word)) {
            advance(t);
            return true;
        }
        return false;
    }

    void expectWord(std::string_view word)
    {
        const Token t = peek();
        if (!isWord(t, word)) {
            fail(t);
        }
        advance(t);
    }

    bool acceptSymbol(std::string_view symbol)
    {
        const Token t = peek();
        if (t.kind == TokenKind::Symbol && t.text == symbol) {
            advance(t);
            return true;
        }
        return false;
    }

    void expectSymbol(std::string_view symbol)
    {
        const Token t = peek();
        if (t.kind != TokenKind::Symbol || t.text != symbol) {
            fail(t);
        }
        advance(t);
    }

    std::string parseName()
    {
        const Token t = peek();
        if (t.kind != TokenKind::Name || isReserved(t.text)) {
            fail(t);
        }
        advance(t);
        return std::string(t.text);
    }

    // A column reference: a bare name, or a name in brackets with nothing else
    // inside them (no blanks).
    std::string parseColumnRef()
    {
        if (acceptSymbol("[")) {
            const Token t = lexAt(m_pos);
            if (t.kind != TokenKind::Name || isReserved(t.text)) {
                fail(t);
            }
            advance(t);
            const Token close = lexAt(m_pos);
            if (close.kind != TokenKind::Symbol || close.text != "]") {
                fail(close);
            }
            advance(close);
            return std::string(t.text);
        }
        return parseName();
    }

    std::string parseQuoted()
    {
        const Token open = peek();
        if (open.kind != TokenKind::Quote) {
            fail(open);
        }
        std::vector<std::size_t> closings;
        for (std::size_t i = open.end; i < m_text.size(); ++i) {
            if (m_text[i] == '\'') {
                closings.push_back(i);
            }
        }
        if (closings.empty()) {
            throw ParseError {open.begin, "unrecognized token: \"" + std::string(m_text.substr(open.begin)) + "\""};
        }
        const std::size_t index = candidateCounts.size();
        candidateCounts.push_back(closings.size());
        const std::size_t choice = index < m_choices.size() ? m_choices[index] : 0;
        const std::size_t close = closings[std::min(choice, closings.size() - 1)];
        m_pos = close + 1;
        return std::string(m_text.substr(open.end, close - open.end));
    }

    Literal parseLiteral()
    {
        Token t = peek();
        Literal lit;
        if (t.kind == TokenKind::Quote) {
            lit.kind = Literal::Kind::Text;
            lit.text = parseQuoted();
            return lit;
        }
        std::string sign;
        if (t.kind == TokenKind::Symbol && (t.text == "-" || t.text == "+")) {
            sign = t.text == "-" ? "-" : "";
            advance(t);
            t = lexAt(m_pos);
            if (t.kind != TokenKind::Number) {
                fail(t);
            }
        }
        if (t.kind == TokenKind::Number) {
            advance(t);
            lit.text = sign + std::string(t.text);
            lit.kind = t.text.find('.') == std::string_view::npos ? Literal::Kind::Integer : Literal::Kind::Real;
            return lit;
        }
        if (isWord(t, "NULL")) {
            advance(t);
            lit.kind = Literal::Kind::Null;
            return lit;
        }
        if (isWord(t, "DATE") || isWord(t, "NOW")) {
            advance(t);
            lit.kind = isWord(t, "DATE") ? Literal::Kind::Today : Literal::Kind::Now;
            expectSymbol("(");
            expectSymbol(")");
            return lit;
        }
        fail(t);
    }

    ColumnType parseType(int& size)
    {
        const Token t = peek();
        if (t.kind != TokenKind::Name) {
            fail(t);
        }
        const std::string word = upperAscii(t.text);
        struct TypeWord
        {
            std::string_view word;
            ColumnType type;
        };
        static constexpr TypeWord kTypes[] = {
            {"COUNTER", ColumnType::Counter},   {"AUTOINCREMENT", ColumnType::Counter},
            {"INT", ColumnType::Int},           {"INTEGER", ColumnType::Int},
            {"LONG", ColumnType::Int},          {"INTEGER4", ColumnType::Int},
            {"SMALLINT", ColumnType::SmallInt}, {"SHORT", ColumnType::SmallInt},
            {"INTEGER2", ColumnType::SmallInt}, {"BYTE", ColumnType::TinyInt},
            {"TINYINT", ColumnType::TinyInt},   {"INTEGER1", ColumnType::TinyInt},
            {"BIGINT", ColumnType::BigInt},     {"SINGLE", ColumnType::Single},
            {"REAL", ColumnType::Single},       {"FLOAT4", ColumnType::Single},
            {"DOUBLE", ColumnType::Double},     {"FLOAT", ColumnType::Double},
            {"FLOAT8", ColumnType::Double},     {"NUMBER", ColumnType::Double},
            {"VARCHAR", ColumnType::Text},      {"CHAR", ColumnType::Text},
            {"TEXT", ColumnType::Text},         {"STRING", ColumnType::Text},
            {"NVARCHAR", ColumnType::Text},     {"ALPHANUMERIC", ColumnType::Text},
            {"MEMO", ColumnType::Memo},         {"LONGTEXT", ColumnType::Memo},
            {"NOTE", ColumnType::Memo},         {"NTEXT", ColumnType::Memo},
            {"DATETIME", ColumnType::DateTime}, {"DATE", ColumnType::DateTime},
            {"TIME", ColumnType::DateTime},     {"TIMESTAMP", ColumnType::DateTime},
            {"BIT", ColumnType::Bit},           {"YESNO", ColumnType::Bit},
            {"LOGICAL", ColumnType::Bit},       {"BOOLEAN", ColumnType::Bit},
        };
        const auto* found
            = std::find_if(std::begin(kTypes), std::end(kTypes), [&](const TypeWord& tw) { return tw.word == word; });
        if (found == std::end(kTypes)) {
            fail(t);
        }
        advance(t);
        size = 0;
        if (found->type == ColumnType::Text && acceptSymbol("(")) {
            const Token n = peek();
            if (n.kind != TokenKind::Number || n.text.find('.') != std::string_view::npos || n.text.size() > 4) {
                fail(n);
            }
            advance(n);
            size = std::stoi(std::string(n.text));
            if (size < 1 || size > 255) {
                throw ParseError {n.begin, "size of a text column out of range: " + std::string(n.text)};
            }
            expectSymbol(")");
        }
        return found->type;
    }

    ColumnDef parseColumnDef()
    {
        ColumnDef def;
        def.name = parseName();
        def.type = parseType(def.size);
        for (;;) {
            if (acceptWord("NOT")) {
                expectWord("NULL");
                def.notNull = true;
            } else if (acceptWord("NULL")) {
                def.notNull = false;
            } else if (acceptWord("DEFAULT")) {
                def.defaultValue = parseLiteral();
            } else if (acceptWord("PRIMARY")) {
                expectWord("KEY");
                def.primaryKey = true;
            } else if (acceptWord("UNIQUE")) {
                def.unique = true;
            } else {
                break;
            }
        }
        return def;
    }

    std::optional<Condition> parseWhere()
    {
        if (!acceptWord("WHERE")) {
            return std::nullopt;
        }
        Condition c;
        c.column = parseColumnRef();
        if (acceptWord("IS")) {
            c.op = acceptWord("NOT") ? CompareOp::IsNotNull : CompareOp::IsNull;
            expectWord("NULL");
            return c;
        }
        if (acceptWord("NOT")) {
            expectWord("LIKE");
            c.op = CompareOp::NotLike;
            c.value.kind = Literal::Kind::Text;
            c.value.text = parseQuoted();
            return c;
        }
        if (acceptWord("LIKE")) {
            c.op = CompareOp::Like;
            c.value.kind = Literal::Kind::Text;
            c.value.text = parseQuoted();
            return c;
        }
        const Token t = peek();
        static constexpr std::pair<std::string_view, CompareOp> kOps[] = {
            {"=", CompareOp::Equal},   {"<>", CompareOp::NotEqual},  {"<", CompareOp::Less},
            {">", CompareOp::Greater}, {"<=", CompareOp::LessEqual}, {">=", CompareOp::GreaterEqual},
        };
        const auto* op = std::find_if(std::begin(kOps), std::end(kOps),
                                      [&](const auto& p) { return t.kind == TokenKind::Symbol && p.first == t.text; });
        if (op == std::end(kOps)) {
            fail(t);
        }
        advance(t);
        c.op = op->second;
        c.value = parseLiteral();
        if (c.value.kind == Literal::Kind::Null) {
            fail(peek());
        }
        return c;
    }

    Statement parseCreate()
    {
        if (acceptWord("TABLE")) {
            CreateTable ct;
            ct.table = parseName();
            expectSymbol("(");
            do {
                ct.columns.push_back(parseColumnDef());
            } while (acceptSymbol(","));
            expectSymbol(")");
            return ct;
        }
        CreateIndex ci;
        ci.unique = acceptWord("UNIQUE");
        expectWord("INDEX");
        ci.name = parseName();
        expectWord("ON");
        ci.table = parseName();
        expectSymbol("(");
        do {
            IndexColumn col;
            col.name = parseColumnRef();
            if (acceptWord("DESC")) {
                col.descending = true;
            } else {
                acceptWord("ASC");
            }
            ci.columns.push_back(col);
        } while (acceptSymbol(","));
        expectSymbol(")");
        return ci;
    }

    Statement parseDrop()
    {
        if (acceptWord("TABLE")) {
            return DropTable {parseName()};
        }
        expectWord("INDEX");
        DropIndex di;
        di.name = parseName();
        expectWord("ON");
        di.table = parseName();
        return di;
    }

    Statement parseAlter()
    {
        expectWord("TABLE");
        std::string table = parseName();
        if (acceptWord("ADD")) {
            acceptWord("COLUMN");
            return AlterAddColumn {table, parseColumnDef()};
        }
        expectWord("DROP");
        acceptWord("COLUMN");
        return AlterDropColumn {table, parseName()};
    }

    SelectItem parseSelectItem()
    {
        SelectItem item;
        static constexpr std::pair<std::string_view, Aggregate> kAggregates[] = {
            {"MAX", Aggregate::Max}, {"MIN", Aggregate::Min}, {"COUNT", Aggregate::Count},
            {"SUM", Aggregate::Sum}, {"AVG", Aggregate::Avg},
        };
        const Token t = peek();
        const auto* agg = std::find_if(std::begin(kAggregates), std::end(kAggregates),
                                       [&](const auto& p) { return isWord(t, p.first); });
        if (agg != std::end(kAggregates)) {
            advance(t);
            item.aggregate = agg->second;
            expectSymbol("(");
            if (item.aggregate == Aggregate::Count && acceptSymbol("*")) {
                item.column.clear();
            } else {
                item.column = parseColumnRef();
            }
            expectSymbol(")");
        } else {
            item.column = parseColumnRef();
        }
        if (acceptWord("AS")) {
            item.alias = parseName();
        }
        return item;
    }

    Statement parseSelect()
    {
        Select s;
        if (acceptSymbol("*")) {
            s.star = true;
        } else {
            do {
                s.items.push_back(parseSelectItem());
            } while (acceptSymbol(","));
        }
        expectWord("FROM");
        s.table = parseName();
        s.where = parseWhere();
        if (acceptWord("ORDER")) {
            expectWord("BY");
            do {
                OrderTerm term;
                term.column = parseColumnRef();
                if (acceptWord("DESC")) {
                    term.descending = true;
                } else {
                    acceptWord("ASC");
                }
                s.orderBy.push_back(term);
            } while (acceptSymbol(","));
        }
        return s;
    }

    Statement parseUpdate()
    {
        Update u;
        u.table = parseName();
        expectWord("SET");
        do {
            Assignment a;
            a.column = parseColumnRef();
            expectSymbol("=");
            a.value = parseLiteral();
            u.assignments.push_back(std::move(a));
        } while (acceptSymbol(","));
        u.where = parseWhere();
        return u;
    }

    Statement parseInsert()
    {
        Insert ins;
        expectWord("INTO");
        ins.table = parseName();
        if (acceptSymbol("(")) {
            do {
                ins.columns.push_back(parseColumnRef());
            } while (acceptSymbol(","));
            expectSymbol(")");
        }
        expectWord("VALUES");
        expectSymbol("(");
        do {
            ins.values.push_back(parseLiteral());
        } while (acceptSymbol(","));
        expectSymbol(")");
        if (!ins.columns.empty() && ins.columns.size() != ins.values.size()) {
            throw ParseError {m_pos,
                              std::to_string(ins.columns.size()) + " columns but " + std::to_string(ins.values.size())
                                  + " values"};
        }
        return ins;
    }

    Statement parseBody()
    {
        const Token t = peek();
        if (acceptWord("CREATE")) {
            return parseCreate();
        }
        if (acceptWord("DROP")) {
            return parseDrop();
        }
        if (acceptWord("ALTER")) {
            return parseAlter();
        }
        if (acceptWord("SELECT")) {
            return parseSelect();
        }
        if (acceptWord("DELETE")) {
            acceptSymbol("*");
            expectWord("FROM");
            Delete d;
            d.table = parseName();
            d.where = parseWhere();
            return d;
        }
        if (acceptWord("UPDATE")) {
            return parseUpdate();
        }
        if (acceptWord("INSERT")) {
            return parseInsert();
        }
        fail(t);
    }
};

// Readings tried before giving up on a text with very many quotes.
constexpr int kMaxReadings = 4096;

} // namespace

bool isValidName(std::string_view utf8)
{
    return !utf8.empty() && nameLength(utf8, 0) == utf8.size() && !isReserved(utf8);
}

ParseOutcome parseStatement(std::string_view utf8)
{
    ParseOutcome outcome;
    if (utf8.find('\0') != std::string_view::npos) {
        outcome.error = "unrecognized token: NUL character";
        return outcome;
    }
    // Readings are tried in order: earlier quoted values close as early as
    // the rest allows. The first reading's error is the one reported.
    std::vector<std::size_t> choices;
    for (int reading = 0; reading < kMaxReadings; ++reading) {
        Parser parser(utf8, choices);
        try {
            outcome.statement = parser.parse();
            outcome.error.clear();
            return outcome;
        } catch (const ParseError& e) {
            if (reading == 0) {
                outcome.error = e.message;
            }
        }
        const std::vector<std::size_t>& counts = parser.candidateCounts;
        choices.resize(counts.size(), 0);
        std::size_t k = counts.size();
        while (k > 0 && choices[k - 1] + 1 >= counts[k - 1]) {
            --k;
        }
        if (k == 0) {
            return outcome;
        }
        ++choices[k - 1];
        choices.resize(k);
    }
    outcome.error = "statement too complex";
    return outcome;
}

} // namespace zv::sql
