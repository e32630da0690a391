#include "imaging/decoders.h"

namespace zv {

PictureFormat sniffPictureFormat(const ByteBlock& bytes)
{
    auto starts = [&](std::string_view magic) { return bytes.size() >= magic.size() && bytes.starts_with(magic); };
    if (starts("BM"))
        return PictureFormat::Bmp;
    if (starts(std::string_view("\x89PNG\r\n\x1a\n", 8)))
        return PictureFormat::Png;
    if (starts("\xFF\xD8\xFF"))
        return PictureFormat::Jpeg;
    if (starts(std::string_view("II*\0", 4)) || starts(std::string_view("MM\0*", 4)))
        return PictureFormat::Tiff;
    return PictureFormat::Unknown;
}

Picture decodePicture(const ByteBlock& bytes)
{
    switch (sniffPictureFormat(bytes)) {
    case PictureFormat::Bmp:
        return decodeBmp(bytes);
    case PictureFormat::Png:
        return decodePng(bytes);
    case PictureFormat::Jpeg:
        return decodeJpeg(bytes);
    case PictureFormat::Tiff:
        return decodeTiff(bytes);
    case PictureFormat::Unknown:
        break;
    }
    return {};
}

} // namespace zv
