#include "view/picture_image.h"

#include <cstring>

namespace zv {

QImage toQImage(const Picture& picture)
{
    if (picture.isNull())
        return {};
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(image.scanLine(y), picture.pixel(0, y), static_cast<std::size_t>(picture.width) * 3);
    return image;
}

} // namespace zv
