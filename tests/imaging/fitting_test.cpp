#include "imaging/bmp.h"
#include "imaging/builtin_pictures.h"
#include "imaging/converter.h"
#include "imaging/decoders.h"
#include "imaging/fitting.h"
#include "imaging/picture_file.h"
#include "picture_writers.h"

#include <gtest/gtest.h>
#include <png.h>

namespace zv {
namespace {

using test::rgbAt;
using Rgb = std::array<int, 3>;

Rgb grey(int v)
{
    return {v, v, v};
}

TEST(AreaAverage, WeighsEverySourcePixelByTheAreaItCovers)
{
    // 22 rows onto 16: target row 0 covers source row 0 whole and 3/8 of row
    // 1; row 1 the other 5/8 of row 1 and 6/8 of row 2.
    Picture rows = solidPicture(1, 22, 0, 0, 0);
    for (int y = 0; y < 22; ++y)
        rows.pixel(0, y)[0] = rows.pixel(0, y)[1] = rows.pixel(0, y)[2] = static_cast<std::uint8_t>(y % 2 ? 220 : 0);
    const Picture scaled = scaleAreaAverage(rows, 1, 16);
    ASSERT_EQ(scaled.height, 16);
    EXPECT_EQ(rgbAt(scaled, 0, 0), grey(60)); // 220 * 0.375 / 1.375
    EXPECT_EQ(rgbAt(scaled, 0, 1), grey(100)); // 220 * 0.625 / 1.375

    // Both axes at once: 3 x 3 onto 2 x 2, each target covering 1.5 x 1.5.
    Picture square = solidPicture(3, 3, 0, 0, 0);
    square.pixel(0, 0)[0] = 225; // only the top-left target sees it, weight 1 of 2.25
    square.pixel(1, 1)[1] = 225; // every target sees a quarter of it
    const Picture small = scaleAreaAverage(square, 2, 2);
    EXPECT_EQ(rgbAt(small, 0, 0), (Rgb {100, 25, 0}));
    EXPECT_EQ(rgbAt(small, 1, 1), (Rgb {0, 25, 0}));
    EXPECT_TRUE(scaleAreaAverage(Picture {}, 2, 2).isNull());
}

TEST(IndexFitting, SixteenRowPictureFillsAboutTheTopTwelveRows)
{
    const ByteBlock bytes = fitIndexPictureFile(encodeBmp24(solidPicture(80, 16, 0, 0, 0)));
    ASSERT_EQ(bytes.size(), 3894u);
    const Picture p = decodeBmp(bytes);
    ASSERT_EQ(p.width, 80);
    ASSERT_EQ(p.height, 16);
    for (int x = 0; x < 80; ++x) {
        for (int y = 0; y <= 10; ++y)
            ASSERT_EQ(rgbAt(p, x, y), grey(0)) << x << "," << y;
        // Row 11 covers source rows 15.125 to 16.5: 0.5 of white in 1.375.
        ASSERT_EQ(rgbAt(p, x, 11), grey(93)) << x;
        for (int y = 12; y < 16; ++y)
            ASSERT_EQ(rgbAt(p, x, y), grey(255)) << x << "," << y;
    }
}

TEST(IndexFitting, KeepsOnlyTheTopLeftCorner)
{
    // Blue inside the top-left 80 x 22, red everywhere beyond it.
    Picture big = solidPicture(200, 60, 255, 0, 0);
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 80; ++x)
            big.pixel(x, y)[0] = 0, big.pixel(x, y)[2] = 255;
    const Picture p = fitIndexPicture(big);
    ASSERT_EQ(p.width, 80);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 80; ++x)
            ASSERT_EQ(rgbAt(p, x, y), (Rgb {0, 0, 255})) << x << "," << y;

    // A narrow picture: the surface right of it stays white.
    const Picture narrow = fitIndexPicture(solidPicture(10, 22, 0, 0, 0));
    EXPECT_EQ(rgbAt(narrow, 9, 15), grey(0));
    EXPECT_EQ(rgbAt(narrow, 10, 0), grey(255));
}

TEST(IndexFitting, BytesThatAreNoPictureGiveWhite)
{
    for (const ByteBlock& junk : {ByteBlock(), ByteBlock("not a picture"), ByteBlock("BM\x01\x02", 4)}) {
        const ByteBlock bytes = fitIndexPictureFile(junk);
        ASSERT_EQ(bytes, encodeBmp24(solidPicture(80, 16, 255, 255, 255)));
    }
}

// The built-in pictures: exact sizes, only white and their one green, and
// the fitted rate-limit picture a proper index picture of it.
TEST(BuiltinPictures, HaveTheirSizesAndColours)
{
    auto onlyWhiteAnd = [](const Picture& p, Rgb ink) {
        int inked = 0;
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                const Rgb c = rgbAt(p, x, y);
                if (c == ink)
                    ++inked;
                else if (c != grey(255))
                    return -1;
            }
        }
        return inked;
    };
    ASSERT_EQ(zeroPicture().size(), 1550u);
    const Picture zero = decodeBmp(zeroPicture());
    ASSERT_EQ(zero.width, 22);
    ASSERT_EQ(zero.height, 22);
    EXPECT_GT(onlyWhiteAnd(zero, Rgb {75, 140, 85}), 20);

    ASSERT_EQ(rateLimitPicture().size(), 3894u);
    const Picture limit = decodeBmp(rateLimitPicture());
    ASSERT_EQ(limit.width, 80);
    ASSERT_EQ(limit.height, 16);
    EXPECT_GT(onlyWhiteAnd(limit, Rgb {0, 128, 0}), 100);

    ASSERT_EQ(fittedRateLimitPicture().size(), 3894u);
    EXPECT_NE(fittedRateLimitPicture(), rateLimitPicture());
    const Picture fitted = decodeBmp(fittedRateLimitPicture());
    ASSERT_EQ(fitted.height, 16);
    for (int x = 0; x < 80; ++x)
        EXPECT_EQ(rgbAt(fitted, x, 15), grey(255));
    EXPECT_EQ(fitIndexPictureFile(rateLimitPicture()), fittedRateLimitPicture());
}

TEST(Converter, RewritesPictureFilesAsBmpInPlace)
{
    test::TemporaryFolder folder;
    const std::string path = folder.path("100.bmp");
    test::PngSpec layout {.width = 3, .height = 2, .colourType = PNG_COLOR_TYPE_RGB};
    for (int i = 0; i < 18; ++i)
        layout.samples.push_back(static_cast<std::uint16_t>(i * 10));
    ASSERT_TRUE(writeFileBytes(path, test::makePng(layout)));
    ASSERT_TRUE(convertToBmp24File(path));
    const ByteBlock converted = readFileBytes(path);
    ASSERT_EQ(converted.size(), bmp24FileSize(3, 2));
    const Picture p = decodeBmp(converted);
    ASSERT_EQ(p.width, 3);
    EXPECT_EQ(rgbAt(p, 2, 1), (Rgb {150, 160, 170}));

    // A 32-bit BMP becomes a 24-bit one.
    test::BmpSpec wide {.width = 1, .height = 1, .bitCount = 32};
    wide.pixelData = ByteBlock("\x01\x02\x03\x00", 4);
    ASSERT_TRUE(writeFileBytes(path, test::makeBmp(wide)));
    ASSERT_TRUE(convertToBmp24File(path));
    EXPECT_EQ(readFileBytes(path), encodeBmp24(solidPicture(1, 1, 3, 2, 1)));

    // Failures leave the file as it was.
    ASSERT_TRUE(writeFileBytes(path, "no picture here"));
    EXPECT_FALSE(convertToBmp24File(path));
    EXPECT_EQ(readFileBytes(path), "no picture here");
    EXPECT_FALSE(convertToBmp24File(folder.path("missing.bmp")));
    EXPECT_FALSE(writeFileBytes(folder.path("no/such/folder/x.bmp"), "x"));
}

} // namespace
} // namespace zv
