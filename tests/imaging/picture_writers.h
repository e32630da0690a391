#pragma once
// Small encoders the imaging tests use to make pictures of every kind.

#include "imaging/picture.h"
#include "text/text.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zv::test {

// A BMP file assembled field by field, so that tests can make variants no
// writer produces: every header size, bit count, compression, mask set.
struct BmpSpec
{
    std::uint32_t infoSize = 40;
    std::int32_t width = 0;
    std::int32_t height = 0; // negative: top-down
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::vector<std::array<std::uint8_t, 3>> palette {}; // red, green, blue
    std::vector<std::uint32_t> masks {}; // written after a 40-byte header, inside bigger ones
    ByteBlock pixelData {};
};
ByteBlock makeBmp(const BmpSpec& layout);

struct PngSpec
{
    int width = 0;
    int height = 0;
    int colourType = 0; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::uint16_t> samples {}; // row by row, channel by channel
    std::vector<std::array<std::uint8_t, 3>> palette {};
    std::vector<std::uint8_t> paletteAlpha {}; // tRNS for palettes
    std::vector<std::uint16_t> transparentColour {}; // tRNS for grey (1 value) or RGB (3 values)
};
ByteBlock makePng(const PngSpec& layout);

// components 1 (grey), 3 (RGB) or 4 (CMYK, with the Adobe marker).
ByteBlock makeJpeg(int width, int height, int components, const std::vector<std::uint8_t>& samples, bool progressive);

struct TiffSpec
{
    int width = 0;
    int height = 0;
    int samplesPerPixel = 3;
    int bitsPerSample = 8;
    int photometric = 2; // PHOTOMETRIC_RGB
    int compression = 1; // COMPRESSION_NONE
    int rowsPerStrip = 1;
    bool unassociatedAlpha = false;
    std::vector<std::uint16_t> colourMap {}; // red, green, blue tables for palettes
    std::vector<std::uint8_t> samples {}; // packed rows
};
ByteBlock makeTiff(const TiffSpec& layout);

// A folder under the system's temporary folder, removed with its content.
class TemporaryFolder
{
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    std::string path(const std::string& name) const { return folder + "/" + name; }

private:
    std::string folder;
};

// Pixel (x, y) as {red, green, blue}.
std::array<int, 3> rgbAt(const Picture& picture, int x, int y);

} // namespace zv::test
