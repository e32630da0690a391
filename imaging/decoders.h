#pragma once
// Picture decoders into 24-bit pixels. Each returns a null picture for a file
// it cannot read (truncated, corrupt, unsupported, or claiming a size beyond
// pictureSizeAllowed); none of them throws, aborts or prints.

#include "imaging/bmp.h"
#include "imaging/picture.h"
#include "text/text.h"

namespace zv {

enum class PictureFormat { Unknown, Bmp, Png, Jpeg, Tiff };

// The format named by the file's first bytes.
PictureFormat sniffPictureFormat(const ByteBlock& bytes);

// Every colour type and bit depth, interlaced or not; transparency (alpha
// channels and tRNS) is composed over white.
Picture decodePng(const ByteBlock& bytes);

// Grey, colour (YCbCr or RGB) and CMYK, baseline or progressive.
Picture decodeJpeg(const ByteBlock& bytes);

// The first image of the file through libtiff's RGBA reader, transparency
// composed over white.
Picture decodeTiff(const ByteBlock& bytes);

// Decodes a BMP, PNG, JPEG or TIFF file, whichever the bytes are.
Picture decodePicture(const ByteBlock& bytes);

} // namespace zv
