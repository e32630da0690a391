#pragma once
// Properties of the picture decoders and the fitting that must hold for any
// file bytes: a decoder gives a null picture or a sound one, never more than
// the size limit allows, and the fitting always gives an 80 x 16 index
// picture file.

#include "imaging/bmp.h"
#include "imaging/decoders.h"
#include "imaging/fitting.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <string_view>

namespace zv::fuzz {

inline void checkDecoded(const Picture& picture)
{
    if (picture.isNull())
        return;
    require(pictureSizeAllowed(picture.width, picture.height), "a decoded picture is within the size limit");
    require(picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height * 3,
            "a decoded picture has three bytes per pixel");
    // Small pictures also go through the BMP writer and back unchanged.
    if (static_cast<std::int64_t>(picture.width) * picture.height <= 4096) {
        const Picture again = decodeBmp(encodeBmp24(picture));
        require(again.width == picture.width && again.height == picture.height && again.pixels == picture.pixels,
                "a 24-bit BMP file gives back the picture written");
    }
}

inline void checkBmp(std::string_view input)
{
    checkDecoded(decodeBmp(ByteBlock(input)));
}

inline void checkPng(std::string_view input)
{
    checkDecoded(decodePng(ByteBlock(input)));
}

inline void checkJpeg(std::string_view input)
{
    checkDecoded(decodeJpeg(ByteBlock(input)));
}

inline void checkTiff(std::string_view input)
{
    checkDecoded(decodeTiff(ByteBlock(input)));
}

inline void checkFitting(std::string_view input)
{
    const ByteBlock file = fitIndexPictureFile(ByteBlock(input));
    require(file.size() == bmp24FileSize(kIndexWidth, kIndexHeight), "an index picture file is 3894 bytes");
    const Picture index = decodeBmp(file);
    require(index.width == kIndexWidth && index.height == kIndexHeight, "an index picture is 80 x 16");
    if (decodePicture(ByteBlock(input)).isNull()) {
        bool white = true;
        for (std::uint8_t value : index.pixels)
            white = white && value == 255;
        require(white, "bytes that are no picture give a white index picture");
    }
}

} // namespace zv::fuzz
