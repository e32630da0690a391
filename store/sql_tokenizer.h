#pragma once
// The tokens of a statement's text (names, numbers, quotes, symbols), read one
// at a time from a byte position, and the rules for names: letters of any
// script, digits and "_", not digits alone, not a reserved word.

#include <cstddef>
#include <string>
#include <string_view>

namespace zv::sql {

// Whether the word (in any letter case) is reserved and can never be a bare
// name.
bool isReserved(std::string_view word);

// Length in bytes of the name starting at s[i] (0 when none starts there). A
// name may start with a digit, as site addresses and keywords do ("163_com",
// "3d打印"); digits alone are a number.
std::size_t nameLength(std::string_view s, std::size_t i);

enum class TokenKind { End, Name, Number, Quote, Symbol, Invalid };

struct Token
{
    TokenKind kind = TokenKind::End;
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string_view text;
};

// The token that starts at pos (blanks are not skipped); End past the text.
// A quote is a token of its own: where the quoted value ends is the reader's
// choice.
Token lexToken(std::string_view text, std::size_t pos);

// Where and why a text is not a statement.
struct ParseError
{
    std::size_t position;
    std::string message;
};

} // namespace zv::sql
