#pragma once
// The text form in which index pictures are stored: their bytes as
// hexadecimal digits.

#include "text/text.h"

namespace zv {

// Every byte as two upper-case hexadecimal digits, no separator.
Text bytesToHex(const ByteBlock& bytes);
// The bytes of the complete digit pairs (either letter case) before the first
// character that is not a hexadecimal digit; a lone last digit is dropped.
ByteBlock hexToBytes(const Text& hex);

} // namespace zv
