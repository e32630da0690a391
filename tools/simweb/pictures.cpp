#include "tools/simweb/pictures.h"

#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace zv::simweb {

namespace {

// 5 x 7 digit glyphs, one row per byte, bit 4 the leftmost column.
constexpr std::array<std::array<std::uint8_t, 7>, 10> kGlyphs = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}, // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}, // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}, // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}, // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}, // 9
}};

void appendLittleEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::string encodeBmp(const Pixels& p)
{
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(p.width) * 3 + 3) & ~3U;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(p.height);
    std::string out;
    out.reserve(54 + imageBytes);
    out += "BM";
    appendLittleEndian(out, 54 + imageBytes, 4);
    appendLittleEndian(out, 0, 4);
    appendLittleEndian(out, 54, 4);
    appendLittleEndian(out, 40, 4);
    appendLittleEndian(out, static_cast<std::uint32_t>(p.width), 4);
    appendLittleEndian(out, static_cast<std::uint32_t>(p.height), 4);
    appendLittleEndian(out, 1, 2);
    appendLittleEndian(out, 24, 2);
    appendLittleEndian(out, 0, 4);
    appendLittleEndian(out, imageBytes, 4);
    appendLittleEndian(out, 2835, 4);
    appendLittleEndian(out, 2835, 4);
    appendLittleEndian(out, 0, 4);
    appendLittleEndian(out, 0, 4);
    for (int y = p.height - 1; y >= 0; --y) {
        std::uint32_t written = 0;
        for (int x = 0; x < p.width; ++x) {
            const std::uint8_t* px = p.at(x, y);
            out += static_cast<char>(px[2]);
            out += static_cast<char>(px[1]);
            out += static_cast<char>(px[0]);
            written += 3;
        }
        out.append(rowBytes - written, '\0');
    }
    return out;
}

void pngWrite(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void pngFlush(png_structp) { }

// Only trivially destructible locals live between setjmp and longjmp here.
bool encodePngInto(const Pixels& p, std::string* out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, pngWrite, pngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(p.width), static_cast<png_uint_32>(p.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < p.height; ++y) {
        png_write_row(png, const_cast<png_bytep>(p.at(0, y)));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct JpegError
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void jpegSilence(j_common_ptr, int) { }

// Everything the error jump may touch lives in the caller's frame, never in
// the frame that calls setjmp.
struct JpegJob
{
    jpeg_compress_struct cinfo {};
    JpegError error {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

bool runJpeg(const Pixels& p, JpegJob* job)
{
    job->cinfo.err = jpeg_std_error(&job->error.manager);
    job->error.manager.error_exit = jpegErrorExit;
    job->error.manager.emit_message = jpegSilence;
    if (setjmp(job->error.jump)) {
        return false;
    }
    jpeg_create_compress(&job->cinfo);
    jpeg_mem_dest(&job->cinfo, &job->buffer, &job->size);
    job->cinfo.image_width = static_cast<JDIMENSION>(p.width);
    job->cinfo.image_height = static_cast<JDIMENSION>(p.height);
    job->cinfo.input_components = 3;
    job->cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&job->cinfo);
    jpeg_set_quality(&job->cinfo, 95, TRUE);
    // Full-resolution colour keeps thin digits their colour.
    for (int c = 0; c < job->cinfo.num_components; ++c) {
        job->cinfo.comp_info[c].h_samp_factor = 1;
        job->cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&job->cinfo, TRUE);
    while (job->cinfo.next_scanline < job->cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(p.at(0, static_cast<int>(job->cinfo.next_scanline)));
        jpeg_write_scanlines(&job->cinfo, &row, 1);
    }
    jpeg_finish_compress(&job->cinfo);
    return true;
}

std::string encodeJpeg(const Pixels& p)
{
    auto job = std::make_unique<JpegJob>();
    const bool ok = runJpeg(p, job.get());
    std::string out;
    if (ok && job->buffer) {
        out.assign(reinterpret_cast<const char*>(job->buffer), job->size);
    }
    jpeg_destroy_compress(&job->cinfo);
    std::free(job->buffer);
    return out;
}

// TIFF writes through seekable client procedures over a growing string.
struct TiffBuffer
{
    std::string bytes;
    toff_t position = 0;
};

tsize_t tiffRead(thandle_t, tdata_t, tsize_t)
{
    return 0;
}

tsize_t tiffWrite(thandle_t handle, tdata_t data, tsize_t size)
{
    auto* b = static_cast<TiffBuffer*>(handle);
    const auto end = b->position + static_cast<toff_t>(size);
    if (b->bytes.size() < end) {
        b->bytes.resize(end);
    }
    std::memcpy(b->bytes.data() + b->position, data, static_cast<std::size_t>(size));
    b->position = end;
    return size;
}

toff_t tiffSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* b = static_cast<TiffBuffer*>(handle);
    switch (whence) {
    case SEEK_SET:
        b->position = offset;
        break;
    case SEEK_CUR:
        b->position += offset;
        break;
    case SEEK_END:
        b->position = b->bytes.size() + offset;
        break;
    default:
        return static_cast<toff_t>(-1);
    }
    return b->position;
}

int tiffClose(thandle_t)
{
    return 0;
}

toff_t tiffSize(thandle_t handle)
{
    return static_cast<TiffBuffer*>(handle)->bytes.size();
}

int tiffMap(thandle_t, tdata_t*, toff_t*)
{
    return 0;
}

void tiffUnmap(thandle_t, tdata_t, toff_t) { }

std::string encodeTiff(const Pixels& p)
{
    TiffBuffer buffer;
    TIFF* tif
        = TIFFClientOpen("index", "w", &buffer, tiffRead, tiffWrite, tiffSeek, tiffClose, tiffSize, tiffMap, tiffUnmap);
    if (!tif) {
        return {};
    }
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(p.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(p.height));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(p.height));
    bool ok = true;
    for (int y = 0; y < p.height && ok; ++y) {
        ok = TIFFWriteScanline(tif, const_cast<std::uint8_t*>(p.at(0, y)), static_cast<std::uint32_t>(y), 0) == 1;
    }
    TIFFClose(tif);
    return ok ? std::move(buffer.bytes) : std::string();
}

} // namespace

Pixels drawFigure(int value, int width, int height)
{
    Pixels p;
    p.width = std::max(1, width);
    p.height = std::max(1, height);
    p.rgb.assign(static_cast<std::size_t>(p.width) * p.height * 3, 0xFF);
    const std::string digits = std::to_string(value < 0 ? 0 : value);
    int left = 2;
    for (char digit : digits) {
        const auto& glyph = kGlyphs[static_cast<std::size_t>(digit - '0')];
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 5; ++col) {
                if (!(glyph[static_cast<std::size_t>(row)] & (0x10 >> col))) {
                    continue;
                }
                // Each glyph dot becomes a 2 x 2 block.
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        const int x = left + 2 * col + dx;
                        const int y = 1 + 2 * row + dy;
                        if (x < p.width && y < p.height) {
                            std::uint8_t* px = p.at(x, y);
                            px[0] = kInkRed;
                            px[1] = kInkGreen;
                            px[2] = kInkBlue;
                        }
                    }
                }
            }
        }
        left += 12;
    }
    return p;
}

std::string encodePicture(const Pixels& pixels, PictureFormat format)
{
    if (pixels.width <= 0 || pixels.height <= 0
        || pixels.rgb.size() != static_cast<std::size_t>(pixels.width) * pixels.height * 3) {
        return {};
    }
    std::string out;
    switch (format) {
    case PictureFormat::Bmp:
        return encodeBmp(pixels);
    case PictureFormat::Png:
        return encodePngInto(pixels, &out) ? out : std::string();
    case PictureFormat::Jpeg:
        return encodeJpeg(pixels);
    case PictureFormat::Tiff:
        return encodeTiff(pixels);
    }
    return {};
}

std::string pictureBytes(const IndexPicture& picture)
{
    if (!picture.value) {
        return picture.fileBytes;
    }
    return encodePicture(drawFigure(*picture.value, picture.width, picture.height), picture.format);
}

} // namespace zv::simweb
