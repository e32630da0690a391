// Pictures whose headers claim 100,000 x 100,000 pixels (30 GB of pixels): each
// decoder refuses them before taking pixel memory, and the fitting shows
// white, as for any bytes that are no picture.
#include "imaging/decoders.h"
#include "imaging/fitting.h"
#include "picture_writers.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <cstdint>
#include <string>

namespace zv {
namespace {

using namespace zv::test;

constexpr std::uint32_t kClaimed = 100000;

void putBigEndian32(ByteBlock& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
}

void putLittle(std::string& out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

ByteBlock claimingBmp()
{
    BmpSpec layout;
    layout.width = static_cast<std::int32_t>(kClaimed);
    layout.height = static_cast<std::int32_t>(kClaimed);
    layout.pixelData = ByteBlock(64, '\x7F');
    return makeBmp(layout);
}

ByteBlock claimingPng()
{
    ByteBlock png = makePng({.width = 1, .height = 1, .colourType = 2, .samples = {1, 2, 3}});
    // The header chunk's data starts at 16 (width, height) and its CRC follows
    // its 13 bytes.
    putBigEndian32(png, 16, kClaimed);
    putBigEndian32(png, 20, kClaimed);
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
    putBigEndian32(png, 29, static_cast<std::uint32_t>(crc));
    return png;
}

// JPEG sides stop at 65,535: the largest claim the format can make.
ByteBlock claimingJpeg()
{
    ByteBlock jpeg = makeJpeg(8, 8, 3, std::vector<std::uint8_t>(192, 128), false);
    const std::size_t frame = jpeg.find("\xFF\xC0");
    if (frame != std::string::npos) {
        for (std::size_t at : {frame + 5, frame + 7}) {
            jpeg[at] = '\xFF';
            jpeg[at + 1] = '\xFF';
        }
    }
    return jpeg;
}

ByteBlock claimingTiff()
{
    std::string tiff = "II*";
    tiff.push_back('\0');
    putLittle(tiff, 8, 4);
    const struct
    {
        std::uint16_t tag, type;
        std::uint32_t value;
    } entries[] = {{256, 4, kClaimed}, {257, 4, kClaimed}, {258, 3, 8},        {259, 3, 1}, {262, 3, 1},
                   {273, 4, 200},      {277, 3, 1},        {278, 4, kClaimed}, {279, 4, 64}};
    putLittle(tiff, std::size(entries), 2);
    for (const auto& e : entries) {
        putLittle(tiff, e.tag, 2);
        putLittle(tiff, e.type, 2);
        putLittle(tiff, 1, 4);
        putLittle(tiff, e.value, 4);
    }
    putLittle(tiff, 0, 4);
    tiff.resize(264, '\x40');
    return tiff;
}

long peakResidentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(HostilePictures, HundredThousandPixelsSquareAreRefusedAndFitWhite)
{
    const long before = peakResidentKiB();
    const struct
    {
        const char* name;
        ByteBlock bytes;
        PictureFormat format;
        Picture (*decode)(const ByteBlock&);
    } cases[] = {
        {"bmp", claimingBmp(), PictureFormat::Bmp, &decodeBmp},
        {"png", claimingPng(), PictureFormat::Png, &decodePng},
        {"jpeg", claimingJpeg(), PictureFormat::Jpeg, &decodeJpeg},
        {"tiff", claimingTiff(), PictureFormat::Tiff, &decodeTiff},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(sniffPictureFormat(c.bytes), c.format) << c.name;
        EXPECT_TRUE(c.decode(c.bytes).isNull()) << c.name;
        EXPECT_TRUE(decodePicture(c.bytes).isNull()) << c.name;
        const Picture index = decodeBmp(fitIndexPictureFile(c.bytes));
        ASSERT_EQ(index.width, kIndexWidth) << c.name;
        EXPECT_EQ(index.pixels, solidPicture(kIndexWidth, kIndexHeight, 255, 255, 255).pixels) << c.name;
    }
    EXPECT_LT(peakResidentKiB() - before, 256L * 1024);
}

} // namespace
} // namespace zv
