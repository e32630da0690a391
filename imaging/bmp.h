#pragma once
// BMP files: reading every common variant, writing 24-bit uncompressed files.

#include "imaging/picture.h"
#include "text/text.h"

namespace zv {

// Reads a BMP file with 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed,
// with bit-field masks, or RLE8/RLE4 compressed, bottom-up or top-down, with a
// Windows or OS/2 information header. Alpha is ignored. A truncated or
// malformed file gives a null picture.
Picture decodeBmp(const ByteBlock& bytes);

// A 24-bit uncompressed bottom-up BMP file: 54 bytes of headers, then the rows
// padded to four bytes. A null picture gives an empty block.
ByteBlock encodeBmp24(const Picture& picture);

// The size in bytes of the file encodeBmp24 writes for a picture of this size.
std::size_t bmp24FileSize(int width, int height);

} // namespace zv
