#pragma once
// Rewrites a picture file on disk as a 24-bit BMP file.

#include <string>

namespace zv {

// Reads the BMP, PNG, JPEG or TIFF file at path and replaces it with the same
// picture as a 24-bit uncompressed BMP file. When the file cannot be read or
// decoded, or the new file cannot be written, it keeps its bytes and the
// result is false.
bool convertToBmp24File(const std::string& path);

} // namespace zv
