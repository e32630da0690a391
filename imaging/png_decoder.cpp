#include "imaging/decoders.h"

#include <csetjmp>
#include <cstring>
#include <png.h>

namespace zv {
namespace {

struct PngSource
{
    const ByteBlock* bytes = nullptr;
    std::size_t at = 0;
};

void readFromBlock(png_structp png, png_bytep out, std::size_t length)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->bytes->size() - source->at)
        png_error(png, "truncated");
    std::memcpy(out, source->bytes->data() + source->at, length);
    source->at += length;
}

// libpng must not print or exit: errors jump back into readPng, warnings are
// dropped.
[[noreturn]] void jumpOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) { }

struct PngReadHandles
{
    png_structp png = nullptr;
    png_infop info = nullptr;

    PngReadHandles()
    {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpOnError, ignoreWarning);
        if (png != nullptr)
            info = png_create_info_struct(png);
    }
    ~PngReadHandles() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
    PngReadHandles(const PngReadHandles&) = delete;
    PngReadHandles& operator=(const PngReadHandles&) = delete;
};

// Everything with a destructor is owned by the caller, so a jump out of libpng
// back to the setjmp below skips no destructor.
bool readPng(png_structp png, png_infop info, std::vector<std::uint8_t>& buffer, std::vector<png_bytep>& rows,
             Picture& out, int& channels)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_user_limits(png, static_cast<png_uint_32>(kMaxPictureSide), static_cast<png_uint_32>(kMaxPictureSide));
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!pictureSizeAllowed(width, height))
        return false;
    png_set_expand(png); // palette to RGB, low grey depths to 8 bits, tRNS to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    channels = png_get_channels(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    if ((channels != 3 && channels != 4) || rowBytes != static_cast<std::size_t>(width) * channels)
        return false;
    buffer.resize(rowBytes * height);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = buffer.data() + rowBytes * y;
    png_read_image(png, rows.data());
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    return true;
}

} // namespace

Picture decodePng(const ByteBlock& bytes)
{
    try {
        if (sniffPictureFormat(bytes) != PictureFormat::Png)
            return {};
        PngReadHandles handles;
        if (handles.info == nullptr)
            return {};
        PngSource source {&bytes, 0};
        png_set_read_fn(handles.png, &source, readFromBlock);
        std::vector<std::uint8_t> buffer;
        std::vector<png_bytep> rows;
        Picture out;
        int channels = 0;
        if (!readPng(handles.png, handles.info, buffer, rows, out, channels))
            return {};
        const std::size_t count = static_cast<std::size_t>(out.width) * out.height;
        if (channels == 3) {
            out.pixels = std::move(buffer);
            return out;
        }
        out.pixels.resize(count * 3);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* p = buffer.data() + i * 4;
            out.pixels[i * 3] = overWhite(p[0], p[3]);
            out.pixels[i * 3 + 1] = overWhite(p[1], p[3]);
            out.pixels[i * 3 + 2] = overWhite(p[2], p[3]);
        }
        return out;
    } catch (...) {
        return {};
    }
}

} // namespace zv
