#pragma once
// Properties of the picture decoders and the fitting that must hold for any
// file bytes: a decoder gives a null picture or a sound one, never more than
// the size limit allows, and the fitting always gives an 80 x 16 index
// picture file.

#include "imaging/bmp.h"
#include "imaging/decoders.h"
#include "imaging/fitting.h"
#include "tests/fuzz/fuzz_check.h"

#include <zlib.h>

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

// The same PNG file with the CRC of every complete chunk made right, so that
// mutations reach past the checksum test into the decoder.
inline ByteBlock withPngChecksumsFixed(ByteBlock png)
{
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(png[i])); };
        const std::uint32_t length = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
        if (length > png.size() - at - 12)
            break;
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(png.data() + at + 4), static_cast<uInt>(length + 4)));
        for (int i = 0; i < 4; ++i)
            png[at + 8 + length + i] = static_cast<char>((crc >> (24 - 8 * i)) & 0xFF);
        at += 12 + length;
    }
    return png;
}

inline void checkPng(std::string_view input)
{
    checkDecoded(decodePng(ByteBlock(input)));
    if (input.size() > 8)
        checkDecoded(decodePng(withPngChecksumsFixed(ByteBlock(input))));
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
