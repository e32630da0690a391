#include "imaging/decoders.h"
#include "picture_writers.h"

#include <gtest/gtest.h>
#include <png.h>
#include <random>
#include <tiffio.h>
#include <zlib.h>

namespace zv {
namespace {

using test::makeJpeg;
using test::makePng;
using test::makeTiff;
using test::PngSpec;
using test::rgbAt;
using test::TiffSpec;
using Rgb = std::array<int, 3>;

// Sample i of a picture with `levels` values per sample: a spread of values
// that covers both ends of the range.
std::uint16_t sampleValue(std::size_t i, unsigned levels)
{
    return static_cast<std::uint16_t>((i * 7 + i / 3) % levels);
}

struct PngCase
{
    int colourType;
    int bitDepth;
    bool interlaced;
};

// "rgbAlpha16Interlaced" and the like.
std::string pngCaseName(const PngCase& c)
{
    std::string name;
    switch (c.colourType) {
    case PNG_COLOR_TYPE_GRAY:
        name = "gray";
        break;
    case PNG_COLOR_TYPE_PALETTE:
        name = "palette";
        break;
    case PNG_COLOR_TYPE_RGB:
        name = "rgb";
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        name = "grayAlpha";
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        name = "rgbAlpha";
        break;
    default:
        name = "type" + std::to_string(c.colourType);
    }
    return name + std::to_string(c.bitDepth) + (c.interlaced ? "Interlaced" : "");
}

// Shown for a failing case instead of its bytes.
void PrintTo(const PngCase& c, std::ostream* os)
{
    *os << pngCaseName(c);
}

class PngDepths : public ::testing::TestWithParam<PngCase>
{
};

// Every pixel of a 9 x 7 picture (odd sizes exercise every interlace pass)
// checked against the value its samples stand for.
TEST_P(PngDepths, DecodesEveryPixel)
{
    const PngCase c = GetParam();
    PngSpec layout {
        .width = 9, .height = 7, .colourType = c.colourType, .bitDepth = c.bitDepth, .interlaced = c.interlaced};
    const int channels = c.colourType == PNG_COLOR_TYPE_GRAY || c.colourType == PNG_COLOR_TYPE_PALETTE ? 1
        : c.colourType == PNG_COLOR_TYPE_GRAY_ALPHA                                                    ? 2
        : c.colourType == PNG_COLOR_TYPE_RGB                                                           ? 3
                                                                                                       : 4;
    const unsigned levels = 1u << c.bitDepth;
    if (c.colourType == PNG_COLOR_TYPE_PALETTE) {
        for (unsigned i = 0; i < levels; ++i)
            layout.palette.push_back({static_cast<std::uint8_t>(i * 3), static_cast<std::uint8_t>(255 - i),
                                      static_cast<std::uint8_t>(i * 7 % 256)});
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(9 * 7 * channels); ++i)
        layout.samples.push_back(sampleValue(i, levels));
    // Samples of 16-bit pictures are multiples of 257, so each stands for an
    // exact 8-bit value.
    if (c.bitDepth == 16)
        for (auto& s : layout.samples)
            s = static_cast<std::uint16_t>((s % 256) * 257);

    const Picture p = decodePng(makePng(layout));
    ASSERT_EQ(p.width, 9);
    ASSERT_EQ(p.height, 7);
    auto to8 = [&](unsigned v) { return c.bitDepth == 16 ? v / 257 : v * 255 / (levels - 1); };
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 9; ++x) {
            const std::size_t at = static_cast<std::size_t>(y * 9 + x) * channels;
            Rgb expected {};
            int alpha = 255;
            if (c.colourType == PNG_COLOR_TYPE_PALETTE) {
                const auto& e = layout.palette[layout.samples[at]];
                expected = {e[0], e[1], e[2]};
            } else if (channels <= 2) {
                const int g = static_cast<int>(to8(layout.samples[at]));
                expected = {g, g, g};
            } else {
                expected = {static_cast<int>(to8(layout.samples[at])), static_cast<int>(to8(layout.samples[at + 1])),
                            static_cast<int>(to8(layout.samples[at + 2]))};
            }
            if (channels == 2 || channels == 4)
                alpha = static_cast<int>(to8(layout.samples[at + channels - 1]));
            for (int& v : expected)
                v = (v * alpha + 255 * (255 - alpha) + 127) / 255;
            ASSERT_EQ(rgbAt(p, x, y), expected) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllColourTypes, PngDepths,
    ::testing::Values(PngCase {PNG_COLOR_TYPE_GRAY, 1, false}, PngCase {PNG_COLOR_TYPE_GRAY, 2, true},
                      PngCase {PNG_COLOR_TYPE_GRAY, 4, false}, PngCase {PNG_COLOR_TYPE_GRAY, 8, true},
                      PngCase {PNG_COLOR_TYPE_GRAY, 16, false}, PngCase {PNG_COLOR_TYPE_PALETTE, 1, true},
                      PngCase {PNG_COLOR_TYPE_PALETTE, 2, false}, PngCase {PNG_COLOR_TYPE_PALETTE, 4, true},
                      PngCase {PNG_COLOR_TYPE_PALETTE, 8, false}, PngCase {PNG_COLOR_TYPE_RGB, 8, false},
                      PngCase {PNG_COLOR_TYPE_RGB, 16, true}, PngCase {PNG_COLOR_TYPE_GRAY_ALPHA, 8, true},
                      PngCase {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false}, PngCase {PNG_COLOR_TYPE_RGB_ALPHA, 8, false},
                      PngCase {PNG_COLOR_TYPE_RGB_ALPHA, 16, true}),
    [](const ::testing::TestParamInfo<PngCase>& info) { return pngCaseName(info.param); });

TEST(PngReader, ComposesTransparencyOverWhite)
{
    // Half-covered red: (255 * 128 + 255 * 127) / 255 stays 255, green and
    // blue become 127.
    PngSpec rgba {
        .width = 2, .height = 1, .colourType = PNG_COLOR_TYPE_RGB_ALPHA, .samples = {255, 0, 0, 128, 10, 20, 30, 0}};
    Picture p = decodePng(makePng(rgba));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(rgbAt(p, 0, 0), (Rgb {255, 127, 127}));
    EXPECT_EQ(rgbAt(p, 1, 0), (Rgb {255, 255, 255}));

    // tRNS: palette entry 1 half transparent, a grey key colour, an RGB key.
    PngSpec palette {.width = 2, .height = 1, .colourType = PNG_COLOR_TYPE_PALETTE, .samples = {0, 1}};
    palette.palette = {{0, 0, 0}, {0, 0, 0}};
    palette.paletteAlpha = {255, 51};
    p = decodePng(makePng(palette));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(rgbAt(p, 0, 0), (Rgb {0, 0, 0}));
    EXPECT_EQ(rgbAt(p, 1, 0), (Rgb {204, 204, 204}));

    PngSpec grey {.width = 2, .height = 1, .colourType = PNG_COLOR_TYPE_GRAY, .samples = {7, 8}};
    grey.transparentColour = {7};
    p = decodePng(makePng(grey));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(rgbAt(p, 0, 0), (Rgb {255, 255, 255}));
    EXPECT_EQ(rgbAt(p, 1, 0), (Rgb {8, 8, 8}));

    PngSpec rgb {.width = 2, .height = 1, .colourType = PNG_COLOR_TYPE_RGB, .samples = {1, 2, 3, 1, 2, 4}};
    rgb.transparentColour = {1, 2, 3};
    p = decodePng(makePng(rgb));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(rgbAt(p, 0, 0), (Rgb {255, 255, 255}));
    EXPECT_EQ(rgbAt(p, 1, 0), (Rgb {1, 2, 4}));
}

// Rewrites the IHDR size of a PNG file, with a valid checksum, so that only
// the size check can refuse it.
ByteBlock withPngSize(ByteBlock png, std::uint32_t width, std::uint32_t height)
{
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = static_cast<char>(width >> (24 - 8 * i));
        png[20 + i] = static_cast<char>(height >> (24 - 8 * i));
    }
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17));
    for (int i = 0; i < 4; ++i)
        png[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
    return png;
}

TEST(PngReader, RefusesOversizedTruncatedAndCorruptFiles)
{
    PngSpec layout {.width = 4, .height = 4, .colourType = PNG_COLOR_TYPE_RGB};
    layout.samples.assign(48, 99);
    const ByteBlock good = makePng(layout);
    ASSERT_FALSE(decodePng(good).isNull());
    ASSERT_FALSE(decodePng(withPngSize(good, 4, 4)).isNull());
    EXPECT_TRUE(decodePng(withPngSize(good, 16385, 1)).isNull());
    EXPECT_TRUE(decodePng(withPngSize(good, 5000, 5000)).isNull());
    // The pixel data ends long before a 4 x 4000 picture would.
    EXPECT_TRUE(decodePng(withPngSize(good, 4, 4000)).isNull());
    // Every cut before the last image data byte loses pixels.
    const std::size_t iend = good.size() - 12;
    for (std::size_t n = 0; n < iend - 4; ++n)
        EXPECT_TRUE(decodePng(good.substr(0, n)).isNull()) << n;
    ByteBlock corrupt = good;
    corrupt[40] = static_cast<char>(corrupt[40] ^ 0x55);
    EXPECT_TRUE(decodePng(corrupt).isNull());
}

TEST(JpegReader, DecodesGreyColourProgressiveAndCmyk)
{
    // 16 x 16 in four flat quadrants; a quality-100 file keeps flat areas
    // within a step or two.
    const Rgb quadrants[4] = {{200, 30, 30}, {30, 200, 30}, {30, 30, 200}, {240, 240, 240}};
    std::vector<std::uint8_t> colour, grey;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const Rgb& q = quadrants[(y / 8) * 2 + x / 8];
            colour.insert(
                colour.end(),
                {static_cast<std::uint8_t>(q[0]), static_cast<std::uint8_t>(q[1]), static_cast<std::uint8_t>(q[2])});
            grey.push_back(static_cast<std::uint8_t>(q[0]));
        }
    }
    for (bool progressive : {false, true}) {
        Picture p = decodeJpeg(makeJpeg(16, 16, 3, colour, progressive));
        ASSERT_EQ(p.width, 16);
        ASSERT_EQ(p.height, 16);
        for (int q = 0; q < 4; ++q) {
            const Rgb got = rgbAt(p, (q % 2) * 8 + 4, (q / 2) * 8 + 4);
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(got[c], quadrants[q][c], 3) << progressive << " " << q;
        }
        p = decodeJpeg(makeJpeg(16, 16, 1, grey, progressive));
        ASSERT_EQ(p.width, 16);
        const Rgb got = rgbAt(p, 12, 12);
        EXPECT_NEAR(got[0], 240, 2);
        EXPECT_EQ(got[0], got[1]);
        EXPECT_EQ(got[0], got[2]);
    }
    // CMYK with the Adobe marker stores 255 for "no ink": full cyan ink only.
    std::vector<std::uint8_t> cmyk;
    for (int i = 0; i < 64; ++i)
        cmyk.insert(cmyk.end(), {0, 255, 255, 255});
    const Picture p = decodeJpeg(makeJpeg(8, 8, 4, cmyk, false));
    ASSERT_EQ(p.width, 8);
    const Rgb got = rgbAt(p, 3, 3);
    EXPECT_NEAR(got[0], 0, 2);
    EXPECT_NEAR(got[1], 255, 2);
    EXPECT_NEAR(got[2], 255, 2);
}

TEST(JpegReader, RefusesOversizedTruncatedAndCorruptFiles)
{
    const ByteBlock good = makeJpeg(16, 16, 3, std::vector<std::uint8_t>(16 * 16 * 3, 77), false);
    ASSERT_FALSE(decodeJpeg(good).isNull());
    // The frame header holds height then width, big-endian, 5 bytes after
    // its marker.
    const std::size_t sof = good.find("\xFF\xC0");
    ASSERT_NE(sof, ByteBlock::npos);
    auto withSize = [&](unsigned width, unsigned height) {
        ByteBlock b = good;
        b[sof + 5] = static_cast<char>(height >> 8);
        b[sof + 6] = static_cast<char>(height & 0xFF);
        b[sof + 7] = static_cast<char>(width >> 8);
        b[sof + 8] = static_cast<char>(width & 0xFF);
        return b;
    };
    EXPECT_TRUE(decodeJpeg(withSize(20000, 16)).isNull());
    EXPECT_TRUE(decodeJpeg(withSize(6000, 6000)).isNull());
    for (std::size_t n = 0; n < good.size() - 2; n += 7)
        EXPECT_TRUE(decodeJpeg(good.substr(0, n)).isNull()) << n;
    ByteBlock corrupt = good;
    corrupt[sof + 4] = 3; // a sample precision no decoder knows
    EXPECT_TRUE(decodeJpeg(corrupt).isNull());
    corrupt = withSize(16, 0);
    EXPECT_TRUE(decodeJpeg(corrupt).isNull());
}

TEST(TiffReader, DecodesRgbGreyPaletteAndAlpha)
{
    TiffSpec rgb {.width = 3, .height = 2, .compression = COMPRESSION_LZW};
    for (int i = 0; i < 18; ++i)
        rgb.samples.push_back(static_cast<std::uint8_t>(i * 14));
    Picture p = decodeTiff(makeTiff(rgb));
    ASSERT_EQ(p.width, 3);
    ASSERT_EQ(p.height, 2);
    EXPECT_EQ(std::vector<std::uint8_t>(p.pixels.begin(), p.pixels.end()), rgb.samples);

    TiffSpec grey {
        .width = 2, .height = 2, .samplesPerPixel = 1, .photometric = PHOTOMETRIC_MINISBLACK, .rowsPerStrip = 2};
    grey.samples = {0, 60, 200, 255};
    p = decodeTiff(makeTiff(grey));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(rgbAt(p, 1, 0), (Rgb {60, 60, 60}));
    EXPECT_EQ(rgbAt(p, 0, 1), (Rgb {200, 200, 200}));

    // A 4-bit palette: the colour map holds 16-bit values.
    TiffSpec palette {
        .width = 2, .height = 1, .samplesPerPixel = 1, .bitsPerSample = 4, .photometric = PHOTOMETRIC_PALETTE};
    palette.colourMap.assign(48, 0);
    palette.colourMap[1] = 0xFFFF; // entry 1 red
    palette.colourMap[16 + 2] = 0x8080; // entry 2 half green
    palette.samples = {0x12};
    p = decodeTiff(makeTiff(palette));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(rgbAt(p, 0, 0), (Rgb {255, 0, 0}));
    EXPECT_EQ(rgbAt(p, 1, 0), (Rgb {0, 128, 0}));

    // Unassociated alpha: opaque blue stays, a transparent pixel is white.
    TiffSpec alpha {.width = 2, .height = 1, .samplesPerPixel = 4, .unassociatedAlpha = true};
    alpha.samples = {0, 0, 255, 255, 0, 0, 0, 0};
    p = decodeTiff(makeTiff(alpha));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(rgbAt(p, 0, 0), (Rgb {0, 0, 255}));
    EXPECT_EQ(rgbAt(p, 1, 0), (Rgb {255, 255, 255}));
}

TEST(TiffReader, RefusesOversizedTruncatedAndCorruptFiles)
{
    TiffSpec wide {.width = 16385,
                   .height = 1,
                   .samplesPerPixel = 1,
                   .bitsPerSample = 1,
                   .photometric = PHOTOMETRIC_MINISBLACK,
                   .compression = COMPRESSION_PACKBITS};
    wide.samples.assign((16385 + 7) / 8, 0);
    EXPECT_TRUE(decodeTiff(makeTiff(wide)).isNull());
    TiffSpec big {.width = 4800,
                  .height = 4800,
                  .samplesPerPixel = 1,
                  .bitsPerSample = 1,
                  .photometric = PHOTOMETRIC_MINISBLACK,
                  .compression = COMPRESSION_PACKBITS,
                  .rowsPerStrip = 64};
    big.samples.assign(600 * 4800, 0);
    EXPECT_TRUE(decodeTiff(makeTiff(big)).isNull());

    TiffSpec small {.width = 8, .height = 8, .rowsPerStrip = 2};
    small.samples.assign(8 * 8 * 3, 40);
    const ByteBlock good = makeTiff(small);
    ASSERT_FALSE(decodeTiff(good).isNull());
    // libtiff writes the pixel strips first and the directory last, so every
    // cut loses the directory or pixels.
    for (std::size_t n = 0; n < good.size(); n += 5)
        EXPECT_TRUE(decodeTiff(good.substr(0, n)).isNull()) << n;
}

// Random damage to valid files of every format never crashes a decoder (the
// sanitizer build checks memory use) and any picture it returns is whole.
TEST(Decoders, SurviveRandomDamage)
{
    PngSpec pngSpec {.width = 6, .height = 5, .colourType = PNG_COLOR_TYPE_RGB_ALPHA, .interlaced = true};
    for (int i = 0; i < 120; ++i)
        pngSpec.samples.push_back(static_cast<std::uint16_t>(i * 2));
    TiffSpec tiffSpec {.width = 6, .height = 5, .compression = COMPRESSION_LZW, .rowsPerStrip = 2};
    tiffSpec.samples.assign(90, 17);
    test::BmpSpec rle {.width = 6, .height = 3, .bitCount = 8, .compression = 1};
    rle.palette = {{1, 2, 3}, {4, 5, 6}};
    rle.pixelData = ByteBlock("\x06\x01\x00\x00\x00\x03\x00\x01\x00\x00\x00\x01", 12);
    const std::vector<ByteBlock> originals
        = {makePng(pngSpec), makeJpeg(24, 8, 3, std::vector<std::uint8_t>(24 * 8 * 3, 90), true), makeTiff(tiffSpec),
           test::makeBmp(rle), encodeBmp24(solidPicture(5, 3, 1, 2, 3))};
    std::mt19937 random(12345);
    int decoded = 0;
    for (const ByteBlock& original : originals) {
        ASSERT_FALSE(decodePicture(original).isNull());
        for (int round = 0; round < 300; ++round) {
            ByteBlock damaged = original;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < changes; ++i)
                damaged[random() % damaged.size()] = static_cast<char>(random() & 0xFF);
            if (round % 3 == 0)
                damaged.resize(random() % damaged.size());
            const Picture p = decodePicture(damaged);
            if (!p.isNull()) {
                ++decoded;
                ASSERT_EQ(p.pixels.size(), static_cast<std::size_t>(p.width) * p.height * 3);
            }
        }
    }
    EXPECT_GT(decoded, 0);
}

TEST(Decoders, PicksTheDecoderByContent)
{
    const ByteBlock bmp = encodeBmp24(solidPicture(2, 2, 5, 6, 7));
    EXPECT_EQ(sniffPictureFormat(bmp), PictureFormat::Bmp);
    EXPECT_EQ(rgbAt(decodePicture(bmp), 1, 1), (Rgb {5, 6, 7}));
    EXPECT_TRUE(decodePicture("GIF89a").isNull());
    EXPECT_TRUE(decodePicture("").isNull());
    EXPECT_TRUE(decodePng(bmp).isNull());
    EXPECT_TRUE(decodeJpeg(bmp).isNull());
    EXPECT_TRUE(decodeTiff(bmp).isNull());
}

} // namespace
} // namespace zv
