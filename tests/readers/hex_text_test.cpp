// The hexadecimal text index pictures are stored as.

#include "readers/hex_text.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(HexText, BytesToHexAndBack)
{
    EXPECT_EQ(bytesToHex(ByteBlock("\x00\x0A\xFF\x5c", 4)), "000AFF5C");
    EXPECT_EQ(bytesToHex(""), "");
    const struct
    {
        const char* hex;
        ByteBlock bytes;
    } cases[] = {
        {"", ""},
        {"0", ""}, // the column default
        {"000aFf", ByteBlock("\x00\x0A\xFF", 3)},
        {"ABC", "\xAB"}, // a digit without its partner is dropped
        {"12G456", "\x12"}, // decoding ends at the first non-digit
        {"1G", ""},
        {"4142 4344", "AB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hexToBytes(c.hex), c.bytes) << c.hex;
    ByteBlock all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(hexToBytes(bytesToHex(all)), all);
}

} // namespace
} // namespace zv
