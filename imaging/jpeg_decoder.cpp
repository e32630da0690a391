#include "imaging/decoders.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <jerror.h>
#include <jpeglib.h>

namespace zv {
namespace {

struct JpegErrors
{
    jpeg_error_mgr manager {};
    std::jmp_buf jump {};
};

// libjpeg's default error exit ends the process; jump back into readJpeg
// instead.
[[noreturn]] void jumpOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// A file that ends early only draws a warning and grey filler; treat it as
// the truncated file it is. Other warnings and every trace message are quiet.
void filterMessage(j_common_ptr info, int level)
{
    if (level < 0) {
        if (info->err->msg_code == JWRN_JPEG_EOF)
            jumpOnError(info);
        ++info->err->num_warnings;
    }
}

void dropMessage(j_common_ptr) { }

struct JpegDecompressor
{
    jpeg_decompress_struct info {};
    JpegErrors errors;
    bool created = false;

    ~JpegDecompressor()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

// Every object with a destructor belongs to the caller, so the jump from
// libjpeg back to the setjmp below skips no destructor.
bool readJpeg(JpegDecompressor& d, const ByteBlock& bytes, std::vector<std::uint8_t>& row, Picture& out)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_create_decompress(&d.info);
    d.created = true;
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&d.info, TRUE);
    if (!pictureSizeAllowed(d.info.image_width, d.info.image_height))
        return false;
    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    d.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&d.info);
    const int components = d.info.output_components;
    if (components != (cmyk ? 4 : 3))
        return false;
    out.width = static_cast<int>(d.info.output_width);
    out.height = static_cast<int>(d.info.output_height);
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height * 3);
    row.resize(static_cast<std::size_t>(out.width) * components);
    // Adobe writes CMYK inverted (255 = no ink).
    const bool inverted = d.info.saw_Adobe_marker;
    while (d.info.output_scanline < d.info.output_height) {
        const auto y = d.info.output_scanline;
        JSAMPROW rowPointer = row.data();
        if (jpeg_read_scanlines(&d.info, &rowPointer, 1) != 1)
            return false;
        std::uint8_t* target = out.pixels.data() + static_cast<std::size_t>(y) * out.width * 3;
        if (!cmyk) {
            std::copy(row.begin(), row.end(), target);
            continue;
        }
        for (int x = 0; x < out.width; ++x) {
            const std::uint8_t* p = row.data() + static_cast<std::size_t>(x) * 4;
            const unsigned k = inverted ? p[3] : 255u - p[3];
            for (int c = 0; c < 3; ++c) {
                const unsigned ink = inverted ? p[c] : 255u - p[c];
                target[x * 3 + c] = static_cast<std::uint8_t>((ink * k + 127) / 255);
            }
        }
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

} // namespace

Picture decodeJpeg(const ByteBlock& bytes)
{
    try {
        if (sniffPictureFormat(bytes) != PictureFormat::Jpeg)
            return {};
        JpegDecompressor d;
        d.info.err = jpeg_std_error(&d.errors.manager);
        d.errors.manager.error_exit = jumpOnError;
        d.errors.manager.emit_message = filterMessage;
        d.errors.manager.output_message = dropMessage;
        std::vector<std::uint8_t> row;
        Picture out;
        if (!readJpeg(d, bytes, row, out))
            return {};
        return out;
    } catch (...) {
        return {};
    }
}

} // namespace zv
