#include "imaging/picture.h"

namespace zv {

Picture solidPicture(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    Picture picture;
    if (!pictureSizeAllowed(width, height))
        return picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < picture.pixels.size(); i += 3) {
        picture.pixels[i] = red;
        picture.pixels[i + 1] = green;
        picture.pixels[i + 2] = blue;
    }
    return picture;
}

bool pictureSizeAllowed(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return false;
    return width * height * 3 <= kMaxPictureBytes;
}

} // namespace zv
