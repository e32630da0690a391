#pragma once
// Decoded pictures as Qt images, for showing them.

#include "imaging/picture.h"

#include <QImage>

namespace zv {

// The picture's pixels as an RGB888 image of its size; a null image for a null picture.
QImage toQImage(const Picture& picture);

} // namespace zv
