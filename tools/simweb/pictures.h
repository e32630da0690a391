#pragma once
// Index pictures of the simulated index service: a figure drawn in digits on
// white, encoded as PNG, JPEG, TIFF or 24-bit BMP.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/simweb/world.h"

namespace zv::simweb {

struct Pixels
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows top to bottom, 3 bytes a pixel

    std::uint8_t* at(int x, int y) { return rgb.data() + 3 * (static_cast<std::size_t>(y) * width + x); }
    const std::uint8_t* at(int x, int y) const { return rgb.data() + 3 * (static_cast<std::size_t>(y) * width + x); }
};

// Colour of the drawn digits.
inline constexpr std::uint8_t kInkRed = 0x33;
inline constexpr std::uint8_t kInkGreen = 0x66;
inline constexpr std::uint8_t kInkBlue = 0xCC;

// White picture of width x height with value in 10 x 14 digits from (2, 1);
// digits that do not fit are cut off.
Pixels drawFigure(int value, int width, int height);

// Encoded file bytes; empty when the encoder fails.
std::string encodePicture(const Pixels& pixels, PictureFormat format);

// The bytes the service serves for a picture the world describes.
std::string pictureBytes(const IndexPicture& picture);

} // namespace zv::simweb
