#include "picture_writers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <jpeglib.h>
#include <png.h>
#include <stdexcept>
#include <tiffio.h>
#include <unistd.h>

namespace zv::test {
namespace {

void put16(ByteBlock& b, std::uint16_t v)
{
    b.push_back(static_cast<char>(v & 0xFF));
    b.push_back(static_cast<char>(v >> 8));
}

void put32(ByteBlock& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void appendToBlock(png_structp png, png_bytep data, std::size_t length)
{
    static_cast<ByteBlock*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

} // namespace

ByteBlock makeBmp(const BmpSpec& layout)
{
    const bool core = layout.infoSize == 12;
    ByteBlock info;
    if (core) {
        put32(info, 12);
        put16(info, static_cast<std::uint16_t>(layout.width));
        put16(info, static_cast<std::uint16_t>(layout.height));
        put16(info, 1);
        put16(info, layout.bitCount);
    } else {
        put32(info, layout.infoSize);
        put32(info, static_cast<std::uint32_t>(layout.width));
        put32(info, static_cast<std::uint32_t>(layout.height));
        put16(info, 1);
        put16(info, layout.bitCount);
        put32(info, layout.compression);
        put32(info, static_cast<std::uint32_t>(layout.pixelData.size()));
        put32(info, 2835);
        put32(info, 2835);
        put32(info, static_cast<std::uint32_t>(layout.palette.size()));
        put32(info, 0);
        if (layout.infoSize > 40)
            for (std::uint32_t m : layout.masks)
                put32(info, m);
        info.resize(layout.infoSize, '\0');
        if (layout.infoSize == 40)
            for (std::uint32_t m : layout.masks)
                put32(info, m);
    }
    for (const auto& c : layout.palette) {
        info.push_back(static_cast<char>(c[2]));
        info.push_back(static_cast<char>(c[1]));
        info.push_back(static_cast<char>(c[0]));
        if (!core)
            info.push_back('\0');
    }
    ByteBlock file = "BM";
    put32(file, static_cast<std::uint32_t>(14 + info.size() + layout.pixelData.size()));
    put32(file, 0);
    put32(file, static_cast<std::uint32_t>(14 + info.size()));
    return file + info + layout.pixelData;
}

ByteBlock makePng(const PngSpec& layout)
{
    ByteBlock out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("png write failed");
    }
    png_set_write_fn(png, &out, appendToBlock, nullptr);
    png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, layout.colourType,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (const auto& c : layout.palette)
        palette.push_back({c[0], c[1], c[2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    std::vector<png_byte> alpha(layout.paletteAlpha.begin(), layout.paletteAlpha.end());
    png_color_16 colour {};
    if (!alpha.empty()) {
        png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
    } else if (!layout.transparentColour.empty()) {
        if (layout.transparentColour.size() == 1) {
            colour.gray = layout.transparentColour[0];
        } else {
            colour.red = layout.transparentColour[0];
            colour.green = layout.transparentColour[1];
            colour.blue = layout.transparentColour[2];
        }
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);
    const int channels = png_get_channels(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<png_byte> buffer(rowBytes * layout.height, 0);
    std::vector<png_bytep> rows(layout.height);
    std::size_t s = 0;
    for (int y = 0; y < layout.height; ++y) {
        rows[y] = buffer.data() + rowBytes * y;
        for (int i = 0; i < layout.width * channels; ++i, ++s) {
            const unsigned v = layout.samples.at(s);
            if (layout.bitDepth == 16) {
                rows[y][2 * i] = static_cast<png_byte>(v >> 8);
                rows[y][2 * i + 1] = static_cast<png_byte>(v & 0xFF);
            } else if (layout.bitDepth == 8) {
                rows[y][i] = static_cast<png_byte>(v);
            } else {
                const int perByte = 8 / layout.bitDepth;
                const int shift = 8 - layout.bitDepth * (i % perByte + 1);
                rows[y][i / perByte] |= static_cast<png_byte>(v << shift);
            }
        }
    }
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

ByteBlock makeJpeg(int width, int height, int components, const std::vector<std::uint8_t>& samples, bool progressive)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(samples.data()) + info.next_scanline * width * components;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    ByteBlock out(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return out;
}

ByteBlock makeTiff(const TiffSpec& layout)
{
    TemporaryFolder folder;
    const std::string path = folder.path("picture.tif");
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr)
        throw std::runtime_error("tiff open failed");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(layout.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(layout.height));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(layout.samplesPerPixel));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(layout.bitsPerSample));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, static_cast<std::uint16_t>(layout.photometric));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, static_cast<std::uint16_t>(layout.compression));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(layout.rowsPerStrip));
    if (layout.unassociatedAlpha) {
        const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (!layout.colourMap.empty()) {
        const std::size_t n = layout.colourMap.size() / 3;
        std::vector<std::uint16_t> map = layout.colourMap;
        TIFFSetField(tiff, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
    }
    const std::size_t rowBytes
        = (static_cast<std::size_t>(layout.width) * layout.samplesPerPixel * layout.bitsPerSample + 7) / 8;
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = 0; y < layout.height; ++y) {
        std::copy_n(layout.samples.begin() + static_cast<std::ptrdiff_t>(rowBytes * y), rowBytes, row.begin());
        TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0);
    }
    TIFFClose(tiff);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ByteBlock out;
    char chunk[4096];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        out.append(chunk, n);
    std::fclose(file);
    return out;
}

TemporaryFolder::TemporaryFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zv-imaging-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    folder = pattern;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::array<int, 3> rgbAt(const Picture& picture, int x, int y)
{
    const std::uint8_t* p = picture.pixel(x, y);
    return {p[0], p[1], p[2]};
}

} // namespace zv::test
