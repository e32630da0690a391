#pragma once
// The file formats of the index service's pictures: their file name
// extensions and content types.

#include <optional>
#include <string_view>

namespace zv::simweb {

enum class PictureFormat { Png, Jpeg, Tiff, Bmp };
std::string_view formatExtension(PictureFormat format);
// The format of an extension in any letter case ("jpeg" and "tiff" too).
std::optional<PictureFormat> formatFromExtension(std::string_view ext);
std::string_view formatContentType(PictureFormat format);

} // namespace zv::simweb
