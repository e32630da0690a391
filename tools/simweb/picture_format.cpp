#include "tools/simweb/picture_format.h"

#include "tools/simweb/ascii_case.h"

#include <string>

namespace zv::simweb {

std::string_view formatExtension(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Png:
        return "png";
    case PictureFormat::Jpeg:
        return "jpg";
    case PictureFormat::Tiff:
        return "tif";
    case PictureFormat::Bmp:
        return "bmp";
    }
    return "png";
}

std::optional<PictureFormat> formatFromExtension(std::string_view ext)
{
    const std::string e = lowerAscii(std::string(ext));
    if (e == "png") {
        return PictureFormat::Png;
    }
    if (e == "jpg" || e == "jpeg") {
        return PictureFormat::Jpeg;
    }
    if (e == "tif" || e == "tiff") {
        return PictureFormat::Tiff;
    }
    if (e == "bmp") {
        return PictureFormat::Bmp;
    }
    return std::nullopt;
}

std::string_view formatContentType(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Png:
        return "image/png";
    case PictureFormat::Jpeg:
        return "image/jpeg";
    case PictureFormat::Tiff:
        return "image/tiff";
    case PictureFormat::Bmp:
        return "image/bmp";
    }
    return "application/octet-stream";
}

} // namespace zv::simweb
