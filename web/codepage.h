#pragma once
// Conversions between the program's text (code page 936) and the UTF-8 of web
// pages and query strings, and percent-encoding for addresses and form bodies.
// None of them fails: malformed input is replaced and conversion goes on.

#include "text/text.h"

namespace zv {

// A UTF-8 body (exactly its bytes, NUL bytes included) as text. A base
// character followed by combining marks becomes the precomposed character
// where one exists; characters code page 936 lacks become "?". The result ends
// before the first NUL character of the body.
Text utf8ToGbk(const ByteBlock& utf8);

// Text (up to its first NUL byte) as UTF-8 bytes.
Text gbkToUtf8(const Text& gbk);

// Percent-encodes the text (up to its first NUL byte), or its UTF-8 form when
// asUtf8 is set. With keepSafe, the bytes , - . / 0-9 A-Z a-z stay as they are;
// every other byte becomes "%" and two upper-case hexadecimal digits (a space
// is %20, never "+"). Pending window events are processed after each byte.
Text urlEncode(const Text& text, bool keepSafe = false, bool asUtf8 = false);

} // namespace zv
