#pragma once
// A decoded picture: 24-bit pixels, red, green and blue bytes per pixel, rows
// from the top. Every decoder returns a null picture for anything it cannot
// read, so callers test isNull() instead of catching anything.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zv {

struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height * 3 bytes

    bool isNull() const { return width <= 0 || height <= 0; }
    std::uint8_t* pixel(int x, int y) { return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
    const std::uint8_t* pixel(int x, int y) const
    {
        return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
};

// A picture filled with one colour.
Picture solidPicture(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Only the top-left corner of a picture is ever used, so pictures whose header
// claims more than this are refused before any pixel memory is taken.
inline constexpr std::int64_t kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPictureBytes = std::int64_t {64} * 1024 * 1024;

// True when a picture of this size may be decoded: both sides positive, neither
// above kMaxPictureSide, and its 24-bit pixels within kMaxPictureBytes.
bool pictureSizeAllowed(std::int64_t width, std::int64_t height);

// Composes a colour component with the given alpha (0..255) over white.
inline std::uint8_t overWhite(unsigned component, unsigned alpha)
{
    return static_cast<std::uint8_t>((component * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

} // namespace zv
