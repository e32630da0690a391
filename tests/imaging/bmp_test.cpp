#include "imaging/bmp.h"
#include "picture_writers.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

using test::BmpSpec;
using test::makeBmp;
using test::rgbAt;

using Rgb = std::array<int, 3>;
const std::vector<std::array<std::uint8_t, 3>> kPalette
    = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 8, 7}, {255, 255, 255}};

Rgb paletteRgb(unsigned i)
{
    return {kPalette[i][0], kPalette[i][1], kPalette[i][2]};
}

TEST(BmpWriter, WritesPaddedBottomUpRowsThatReadBackExactly)
{
    Picture p = solidPicture(3, 2, 0, 0, 0);
    std::uint8_t value = 1;
    for (auto& b : p.pixels)
        b = value++;
    const ByteBlock file = encodeBmp24(p);
    ASSERT_EQ(file.size(), 54u + 2 * 12);
    EXPECT_EQ(file.substr(0, 2), "BM");
    // The bottom row comes first, blue before red, padded to 12 bytes.
    EXPECT_EQ(static_cast<unsigned char>(file[54]), 12);
    EXPECT_EQ(static_cast<unsigned char>(file[56]), 10);
    EXPECT_EQ(file.substr(63, 3), std::string(3, '\0'));
    const Picture back = decodeBmp(file);
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.pixels, p.pixels);

    EXPECT_EQ(encodeBmp24(solidPicture(80, 16, 1, 2, 3)).size(), 3894u);
    EXPECT_EQ(encodeBmp24(solidPicture(22, 22, 1, 2, 3)).size(), 1550u);
    EXPECT_TRUE(encodeBmp24(Picture {}).empty());
}

TEST(BmpReader, ReadsPalettedDepthsBothRowOrders)
{
    // 5 x 2: top row indices 0 1 2 3 4, bottom row 5 4 3 2 1.
    const std::vector<unsigned> top = {0, 1, 2, 3, 4}, bottom = {5, 4, 3, 2, 1};
    for (std::uint16_t bits : {1, 4, 8}) {
        for (bool topDown : {false, true}) {
            const unsigned mask = (1u << bits) - 1;
            auto packRow = [&](const std::vector<unsigned>& row) {
                ByteBlock data(4 * ((5 * bits + 31) / 32), '\0');
                for (int x = 0; x < 5; ++x) {
                    const unsigned bit = x * bits;
                    data[bit / 8] = static_cast<char>(data[bit / 8] | ((row[x] & mask) << (8 - bits - bit % 8)));
                }
                return data;
            };
            BmpSpec layout {.width = 5, .height = topDown ? -2 : 2, .bitCount = bits};
            layout.palette = kPalette;
            layout.pixelData = topDown ? packRow(top) + packRow(bottom) : packRow(bottom) + packRow(top);
            const Picture p = decodeBmp(makeBmp(layout));
            ASSERT_EQ(p.width, 5) << bits;
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(rgbAt(p, x, 0), paletteRgb(top[x] & mask)) << bits << " " << x;
                EXPECT_EQ(rgbAt(p, x, 1), paletteRgb(bottom[x] & mask)) << bits << " " << x;
            }
        }
    }
}

TEST(BmpReader, ReadsOs2CoreHeaderWithThreeBytePalette)
{
    BmpSpec layout {.infoSize = 12, .width = 2, .height = 1, .bitCount = 8};
    layout.palette = kPalette;
    layout.pixelData = ByteBlock("\x04\x02\0\0", 4);
    const Picture p = decodeBmp(makeBmp(layout));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(rgbAt(p, 0, 0), paletteRgb(4));
    EXPECT_EQ(rgbAt(p, 1, 0), paletteRgb(2));
}

TEST(BmpReader, ReadsSixteenAndThirtyTwoBitsWithAndWithoutMasks)
{
    // 5-5-5 default: 0x7C00 is full red; 0x03FF is green and blue full.
    BmpSpec s16 {.width = 2, .height = 1, .bitCount = 16};
    s16.pixelData = ByteBlock("\x00\x7C\xFF\x03", 4);
    Picture p = decodeBmp(makeBmp(s16));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(rgbAt(p, 0, 0), (Rgb {255, 0, 0}));
    EXPECT_EQ(rgbAt(p, 1, 0), (Rgb {0, 255, 255}));

    // 5-6-5 through bit fields: green 0x07E0 half way (32 of 63) is 130.
    BmpSpec s565 = s16;
    s565.compression = 3;
    s565.masks = {0xF800, 0x07E0, 0x001F};
    s565.pixelData = ByteBlock("\x00\x04\x1F\x00", 4);
    p = decodeBmp(makeBmp(s565));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(rgbAt(p, 0, 0), (Rgb {0, 130, 0}));
    EXPECT_EQ(rgbAt(p, 1, 0), (Rgb {0, 0, 255}));

    // 32 bits: default BGRX, and masks inside a 124-byte header.
    BmpSpec s32 {.width = 1, .height = 1, .bitCount = 32};
    s32.pixelData = ByteBlock("\x01\x02\x03\xFF", 4);
    p = decodeBmp(makeBmp(s32));
    ASSERT_EQ(p.width, 1);
    EXPECT_EQ(rgbAt(p, 0, 0), (Rgb {3, 2, 1}));
    BmpSpec v5 = s32;
    v5.infoSize = 124;
    v5.compression = 3;
    v5.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    p = decodeBmp(makeBmp(v5));
    ASSERT_EQ(p.width, 1);
    EXPECT_EQ(rgbAt(p, 0, 0), (Rgb {1, 2, 3}));
}

TEST(BmpReader, ReadsRunLengthEncodedPictures)
{
    // RLE8, 6 x 3 bottom-up: row 0 (bottom) a run of three 1s and an absolute
    // run 2 3 4; row 1 skipped by a delta; row 2 two 5s, then end of line.
    BmpSpec rle8 {.width = 6, .height = 3, .bitCount = 8, .compression = 1};
    rle8.palette = kPalette;
    rle8.pixelData = ByteBlock("\x03\x01\x00\x03\x02\x03\x04\x00\x00\x00"
                               "\x00\x02\x00\x01"
                               "\x02\x05\x00\x00\x00\x01",
                               20);
    Picture p = decodeBmp(makeBmp(rle8));
    ASSERT_EQ(p.width, 6);
    const unsigned bottom[] = {1, 1, 1, 2, 3, 4};
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(rgbAt(p, x, 2), paletteRgb(bottom[x])) << x;
        EXPECT_EQ(rgbAt(p, x, 1), paletteRgb(0)) << x;
    }
    EXPECT_EQ(rgbAt(p, 1, 0), paletteRgb(5));
    EXPECT_EQ(rgbAt(p, 2, 0), paletteRgb(0));

    // RLE4: a run alternating 1 and 2, then an absolute run 3 4 5.
    BmpSpec rle4 {.width = 7, .height = 1, .bitCount = 4, .compression = 2};
    rle4.palette = kPalette;
    rle4.pixelData = ByteBlock("\x04\x12\x00\x03\x34\x50\x00\x01", 8);
    p = decodeBmp(makeBmp(rle4));
    ASSERT_EQ(p.width, 7);
    const unsigned row[] = {1, 2, 1, 2, 3, 4, 5};
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(rgbAt(p, x, 0), paletteRgb(row[x])) << x;

    // A stream without its end-of-picture marker is truncated.
    rle8.pixelData.resize(rle8.pixelData.size() - 2);
    EXPECT_TRUE(decodeBmp(makeBmp(rle8)).isNull());
}

TEST(BmpReader, RefusesMalformedTruncatedAndOversizedFiles)
{
    const ByteBlock good = encodeBmp24(solidPicture(4, 3, 10, 20, 30));
    ASSERT_FALSE(decodeBmp(good).isNull());
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_TRUE(decodeBmp(good.substr(0, n)).isNull()) << n;

    auto withField = [](ByteBlock b, std::size_t at, std::uint32_t v) {
        const char field[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                               static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
        return b.replace(at, 4, field, 4);
    };
    EXPECT_TRUE(decodeBmp(withField(good, 18, 0)).isNull()); // zero width
    EXPECT_TRUE(decodeBmp(withField(good, 18, 16385)).isNull()); // too wide
    EXPECT_TRUE(decodeBmp(withField(good, 22, 0x80000000u)).isNull()); // most negative height
    EXPECT_TRUE(decodeBmp(withField(good, 10, 0xFFFFFFF0u)).isNull()); // pixels past the end
    EXPECT_TRUE(decodeBmp(withField(good, 14, 0x7FFFFFFFu)).isNull()); // header past the end
    // 5000 x 5000 is within the side limit but beyond 64 MiB of pixels.
    EXPECT_TRUE(decodeBmp(withField(withField(good, 18, 5000), 22, 5000)).isNull());
    ByteBlock badBits = good;
    badBits[28] = 7;
    EXPECT_TRUE(decodeBmp(badBits).isNull());
}

} // namespace
} // namespace zv
