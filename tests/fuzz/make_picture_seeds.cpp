// Writes small pictures of every format and common variant into the seed
// corpora of the picture targets: make_picture_seeds <corpus folder>.
#include "imaging/bmp.h"
#include "imaging/builtin_pictures.h"
#include "imaging/picture_file.h"
#include "tests/imaging/picture_writers.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace zv;
using namespace zv::test;

std::vector<std::uint8_t> gradient(int width, int height, int channels)
{
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                samples.push_back(static_cast<std::uint8_t>((x * 37 + y * 11 + c * 80) & 0xFF));
    return samples;
}

std::vector<std::uint16_t> wide(const std::vector<std::uint8_t>& samples)
{
    return {samples.begin(), samples.end()};
}

void save(const std::string& folder, const std::string& target, const std::string& name, const ByteBlock& bytes)
{
    const std::string path = folder + "/" + target + "/" + name;
    if (!writeFileBytes(path, bytes))
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_picture_seeds <corpus folder>\n");
        return 2;
    }
    const std::string corpus = argv[1];

    // BMP: 24-bit bottom-up, 8-bit palette top-down, RLE8, 4-bit, 1-bit, 16-bit
    // bit fields, 32-bit, OS/2 header.
    std::vector<ByteBlock> bmps;
    {
        BmpSpec s;
        s.width = 5;
        s.height = 3;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x)
                s.pixelData += std::string {char(x * 40), char(y * 80), char(200)};
            s.pixelData += std::string(1, '\0');
        }
        bmps.push_back(makeBmp(s));
    }
    {
        BmpSpec s;
        s.width = 4;
        s.height = -2;
        s.bitCount = 8;
        s.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        s.pixelData = std::string {0, 1, 2, 3, 3, 2, 1, 0};
        bmps.push_back(makeBmp(s));
    }
    {
        BmpSpec s;
        s.width = 6;
        s.height = 2;
        s.bitCount = 8;
        s.compression = 1;
        s.palette = {{0, 0, 0}, {255, 128, 0}};
        s.pixelData = std::string {3, 1, 0, 3, 1, 0, 0, 0, 6, 0, 0, 1};
        bmps.push_back(makeBmp(s));
    }
    {
        BmpSpec s;
        s.width = 3;
        s.height = 2;
        s.bitCount = 4;
        s.palette = {{0, 0, 0}, {10, 20, 30}, {200, 100, 50}};
        s.pixelData = std::string {0x12, 0x00, 0, 0, 0x21, 0x10, 0, 0};
        bmps.push_back(makeBmp(s));
    }
    {
        BmpSpec s;
        s.width = 9;
        s.height = 1;
        s.bitCount = 1;
        s.palette = {{0, 0, 0}, {255, 255, 255}};
        s.pixelData = std::string {char(0xAA), char(0x80), 0, 0};
        bmps.push_back(makeBmp(s));
    }
    {
        BmpSpec s;
        s.infoSize = 56;
        s.width = 2;
        s.height = 2;
        s.bitCount = 16;
        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F, 0};
        s.pixelData
            = std::string {char(0x00), char(0xF8), char(0xE0), char(0x07), char(0x1F), 0, char(0xFF), char(0xFF)};
        bmps.push_back(makeBmp(s));
    }
    {
        BmpSpec s;
        s.width = 2;
        s.height = 2;
        s.bitCount = 32;
        s.pixelData = std::string(16, char(0x7F));
        bmps.push_back(makeBmp(s));
    }
    {
        BmpSpec s;
        s.infoSize = 12;
        s.width = 2;
        s.height = 1;
        s.palette = {};
        s.pixelData = std::string {1, 2, 3, 4, 5, 6, 0, 0};
        bmps.push_back(makeBmp(s));
    }
    for (std::size_t i = 0; i < bmps.size(); ++i)
        save(corpus, "picture_bmp", "seed" + std::to_string(i) + ".bmp", bmps[i]);

    // PNG: RGB, palette with transparency, grey 16-bit interlaced, RGBA,
    // grey with a transparent value.
    std::vector<ByteBlock> pngs;
    pngs.push_back(
        makePng({.width = 4, .height = 3, .colourType = 2, .bitDepth = 8, .samples = wide(gradient(4, 3, 3))}));
    pngs.push_back(makePng({.width = 3,
                            .height = 2,
                            .colourType = 3,
                            .bitDepth = 4,
                            .samples = {0, 1, 2, 2, 1, 0},
                            .palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                            .paletteAlpha = {0, 128}}));
    pngs.push_back(
        makePng({.width = 9, .height = 9, .colourType = 0, .bitDepth = 16, .interlaced = true, .samples = [] {
                     std::vector<std::uint16_t> v;
                     for (int i = 0; i < 81; ++i)
                         v.push_back(static_cast<std::uint16_t>(i * 800));
                     return v;
                 }()}));
    pngs.push_back(
        makePng({.width = 2, .height = 2, .colourType = 6, .bitDepth = 8, .samples = wide(gradient(2, 2, 4))}));
    pngs.push_back(makePng(
        {.width = 3, .height = 1, .colourType = 0, .bitDepth = 8, .samples = {0, 7, 255}, .transparentColour = {7}}));
    for (std::size_t i = 0; i < pngs.size(); ++i)
        save(corpus, "picture_png", "seed" + std::to_string(i) + ".png", pngs[i]);

    // JPEG: grey, colour, CMYK, progressive colour.
    std::vector<ByteBlock> jpegs;
    jpegs.push_back(makeJpeg(8, 8, 1, gradient(8, 8, 1), false));
    jpegs.push_back(makeJpeg(16, 8, 3, gradient(16, 8, 3), false));
    jpegs.push_back(makeJpeg(8, 8, 4, gradient(8, 8, 4), false));
    jpegs.push_back(makeJpeg(9, 7, 3, gradient(9, 7, 3), true));
    for (std::size_t i = 0; i < jpegs.size(); ++i)
        save(corpus, "picture_jpeg", "seed" + std::to_string(i) + ".jpg", jpegs[i]);

    // TIFF: RGB, grey, palette, RGBA, LZW, PackBits.
    std::vector<ByteBlock> tiffs;
    tiffs.push_back(makeTiff({.width = 4, .height = 3, .samples = gradient(4, 3, 3)}));
    tiffs.push_back(
        makeTiff({.width = 4, .height = 2, .samplesPerPixel = 1, .photometric = 1, .samples = gradient(4, 2, 1)}));
    tiffs.push_back(makeTiff({.width = 2,
                              .height = 2,
                              .samplesPerPixel = 1,
                              .bitsPerSample = 8,
                              .photometric = 3,
                              .colourMap = std::vector<std::uint16_t>(3 * 256, 0x8000),
                              .samples = {0, 1, 2, 3}}));
    tiffs.push_back(makeTiff(
        {.width = 2, .height = 2, .samplesPerPixel = 4, .unassociatedAlpha = true, .samples = gradient(2, 2, 4)}));
    tiffs.push_back(
        makeTiff({.width = 5, .height = 4, .compression = 5, .rowsPerStrip = 2, .samples = gradient(5, 4, 3)}));
    tiffs.push_back(makeTiff({.width = 5, .height = 4, .compression = 32773, .samples = gradient(5, 4, 3)}));
    for (std::size_t i = 0; i < tiffs.size(); ++i)
        save(corpus, "picture_tiff", "seed" + std::to_string(i) + ".tif", tiffs[i]);

    // The fitting reads any of them, and the built-in pictures.
    save(corpus, "index_fitting", "bmp.bmp", bmps[0]);
    save(corpus, "index_fitting", "png.png", pngs[0]);
    save(corpus, "index_fitting", "jpeg.jpg", jpegs[1]);
    save(corpus, "index_fitting", "tiff.tif", tiffs[0]);
    save(corpus, "index_fitting", "zero.bmp", zeroPicture());
    save(corpus, "index_fitting", "rate_limit.bmp", rateLimitPicture());
    {
        Picture big = solidPicture(120, 40, 10, 200, 30);
        save(corpus, "index_fitting", "large.bmp", encodeBmp24(big));
    }
    return 0;
}
