#pragma once
// Fitting a picture into the 80 x 16 index picture: the picture is drawn
// unscaled at the top-left corner of a white 80 x 22 surface (anything beyond
// is cut off), and the whole surface is shrunk to 80 x 16, every target pixel
// the exact average of the source area it covers.

#include "imaging/picture.h"
#include "text/text.h"

namespace zv {

inline constexpr int kSurfaceWidth = 80;
inline constexpr int kSurfaceHeight = 22;
inline constexpr int kIndexWidth = 80;
inline constexpr int kIndexHeight = 16;

// A white surface of width x height with picture's top-left corner drawn on
// it, cropped. A null picture leaves the surface white.
Picture composeOnWhite(const Picture& picture, int width, int height);

// Area-average scaling to width x height: each target pixel is the mean of the
// source pixels it covers, each weighted by the covered fraction, rounded to
// the nearest value. Exact in integer arithmetic.
Picture scaleAreaAverage(const Picture& source, int width, int height);

// The 80 x 22 surface after drawing picture on it.
Picture fittingSurface(const Picture& picture);

// The index picture of a decoded picture.
Picture fitIndexPicture(const Picture& picture);

// The index picture, as a 24-bit BMP file of 3894 bytes, of picture file
// bytes in any format decodePicture reads; bytes that are no picture give a
// white index picture.
ByteBlock fitIndexPictureFile(const ByteBlock& fileBytes);

} // namespace zv
