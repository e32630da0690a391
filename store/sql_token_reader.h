#pragma once
// The statement parser's reading of a text, token by token: what may come
// next, names, column references, quoted values and literals. A quoted value
// may close at any later quote: choices[k] picks the closing quote of the k-th
// quoted value (0: the first quote after the opening one, 1: the second ...);
// values beyond the vector take 0. The candidates met are recorded so that the
// caller can try the next reading.

#include "store/sql_statement.h"
#include "store/sql_tokenizer.h"
#include "text/text.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zv::sql {

class TokenReader
{
public:
    TokenReader(std::string_view text, const std::vector<std::size_t>& choices)
        : m_text(text)
        , m_choices(choices)
    {
    }

    // How many closing quotes each quoted value read so far could take.
    std::vector<std::size_t> candidateCounts;

protected:
    // The next token after blanks, not yet taken.
    Token peek()
    {
        skipSpace();
        return lexAt(m_pos);
    }

    Token lexAt(std::size_t pos) const { return lexToken(m_text, pos); }
    void advance(const Token& t) { m_pos = t.end; }
    std::size_t position() const { return m_pos; }
    // Throws the error of an unexpected token.
    [[noreturn]] void fail(const Token& t) const;

    // The small steps are defined here so that the parser's calls inline.
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

    void expectWord(std::string_view word);

    bool acceptSymbol(std::string_view symbol)
    {
        const Token t = peek();
        if (t.kind == TokenKind::Symbol && t.text == symbol) {
            advance(t);
            return true;
        }
        return false;
    }

    void expectSymbol(std::string_view symbol);

    // A name that is not a reserved word.
    std::string parseName();
    // A column reference: a bare name, or a name in brackets with nothing else
    // inside them (no blanks).
    std::string parseColumnRef();
    // A quoted value, closed at the quote this reading chooses.
    std::string parseQuoted();
    // A quoted text, a number with an optional sign, NULL, Date() or Now().
    Literal parseLiteral();

private:
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

    std::string_view m_text;
    const std::vector<std::size_t>& m_choices;
    std::size_t m_pos = 0;
};

} // namespace zv::sql
