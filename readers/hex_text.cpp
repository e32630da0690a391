#include "readers/hex_text.h"

#include <array>

namespace zv {

Text bytesToHex(const ByteBlock& bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    Text hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0x0F];
    }
    return hex;
}

ByteBlock hexToBytes(const Text& hex)
{
    // Value of each byte as a hex digit, -1 for anything else. A stored picture
    // is several thousand digits and a site selection decodes one per keyword.
    static const auto digits = [] {
        std::array<signed char, 256> table {};
        table.fill(-1);
        for (int c = '0'; c <= '9'; ++c)
            table[static_cast<std::size_t>(c)] = static_cast<signed char>(c - '0');
        for (int c = 'A'; c <= 'F'; ++c)
            table[static_cast<std::size_t>(c)] = static_cast<signed char>(c - 'A' + 10);
        for (int c = 'a'; c <= 'f'; ++c)
            table[static_cast<std::size_t>(c)] = static_cast<signed char>(c - 'a' + 10);
        return table;
    }();
    ByteBlock bytes(hex.size() / 2, '\0');
    std::size_t n = 0;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2, ++n) {
        const int high = digits[static_cast<unsigned char>(hex[i])];
        const int low = digits[static_cast<unsigned char>(hex[i + 1])];
        if (high < 0 || low < 0)
            break;
        bytes[n] = static_cast<char>(high * 16 + low);
    }
    bytes.resize(n);
    return bytes;
}

} // namespace zv
