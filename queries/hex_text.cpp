// The text form of stored index pictures; it needs no window, so it builds
// and is fuzzed on its own.
#include "queries/keyword_index.h"

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
    auto digit = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    ByteBlock bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int high = digit(hex[i]);
        const int low = digit(hex[i + 1]);
        if (high < 0 || low < 0)
            break;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

} // namespace zv
