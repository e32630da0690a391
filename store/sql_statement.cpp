#include "store/sql_statement.h"

#include "store/sql_token_reader.h"
#include "text/text.h"

#include <algorithm>

namespace zv::sql {
namespace {

// The grammar of each statement form, over one reading of the text (see
// TokenReader for what a reading chooses).
class Parser : public TokenReader
{
public:
    using TokenReader::TokenReader;

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
            throw ParseError {position(),
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
