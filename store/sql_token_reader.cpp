#include "store/sql_token_reader.h"

#include <algorithm>

namespace zv::sql {

void TokenReader::fail(const Token& t) const
{
    if (t.kind == TokenKind::End) {
        throw ParseError {t.begin, "incomplete input"};
    }
    if (t.kind == TokenKind::Invalid) {
        throw ParseError {t.begin, "unrecognized token: \"" + std::string(t.text) + "\""};
    }
    throw ParseError {t.begin, "near \"" + std::string(t.text) + "\": syntax error"};
}

void TokenReader::expectWord(std::string_view word)
{
    const Token t = peek();
    if (!isWord(t, word)) {
        fail(t);
    }
    advance(t);
}

void TokenReader::expectSymbol(std::string_view symbol)
{
    const Token t = peek();
    if (t.kind != TokenKind::Symbol || t.text != symbol) {
        fail(t);
    }
    advance(t);
}

std::string TokenReader::parseName()
{
    const Token t = peek();
    if (t.kind != TokenKind::Name || isReserved(t.text)) {
        fail(t);
    }
    advance(t);
    return std::string(t.text);
}

std::string TokenReader::parseColumnRef()
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

std::string TokenReader::parseQuoted()
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

Literal TokenReader::parseLiteral()
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

} // namespace zv::sql
