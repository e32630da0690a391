#include "imaging/decoders.h"

#include <cstdarg>
#include <cstring>
#include <memory>
#include <mutex>
#include <tiffio.h>

namespace zv {
namespace {

struct MemoryFile
{
    const ByteBlock* bytes = nullptr;
    std::uint64_t at = 0;
};

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (size <= 0 || file->at >= file->bytes->size())
        return 0;
    const std::uint64_t count
        = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), file->bytes->size() - file->at);
    std::memcpy(buffer, file->bytes->data() + file->at, count);
    file->at += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t writeProc(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = file->at;
    else if (whence == SEEK_END)
        base = file->bytes->size();
    // offset is unsigned; libtiff passes relative moves that wrap around.
    file->at = base + offset;
    return file->at;
}

int closeProc(thandle_t)
{
    return 0;
}

toff_t sizeProc(thandle_t handle)
{
    return static_cast<MemoryFile*>(handle)->bytes->size();
}

int mapProc(thandle_t, void**, toff_t*)
{
    return 0;
}

void unmapProc(thandle_t, void*, toff_t) { }

int silentHandler(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

// Messages raised before a handle exists go to the process-wide handlers.
void silenceGlobalHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

struct TiffCloser
{
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

struct OptionsFreer
{
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

} // namespace

Picture decodeTiff(const ByteBlock& bytes)
{
    try {
        if (sniffPictureFormat(bytes) != PictureFormat::Tiff)
            return {};
        silenceGlobalHandlers();
        std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
        if (!options)
            return {};
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), silentHandler, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), silentHandler, nullptr);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxPictureBytes * 2));
        MemoryFile file {&bytes, 0};
        std::unique_ptr<TIFF, TiffCloser> tiff(TIFFClientOpenExt("picture", "rm", &file, readProc, writeProc, seekProc,
                                                                 closeProc, sizeProc, mapProc, unmapProc,
                                                                 options.get()));
        if (!tiff)
            return {};
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        if (TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) != 1
            || TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) != 1 || !pictureSizeAllowed(width, height))
            return {};
        char message[1024] = {};
        if (TIFFRGBAImageOK(tiff.get(), message) != 1)
            return {};
        std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * height);
        if (TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 1) != 1)
            return {};
        Picture out;
        out.width = static_cast<int>(width);
        out.height = static_cast<int>(height);
        out.pixels.resize(raster.size() * 3);
        // The RGBA reader gives premultiplied colour, so composing over white
        // adds the uncovered part.
        for (std::size_t i = 0; i < raster.size(); ++i) {
            const std::uint32_t p = raster[i];
            const unsigned uncovered = 255u - TIFFGetA(p);
            out.pixels[i * 3] = static_cast<std::uint8_t>(std::min(255u, TIFFGetR(p) + uncovered));
            out.pixels[i * 3 + 1] = static_cast<std::uint8_t>(std::min(255u, TIFFGetG(p) + uncovered));
            out.pixels[i * 3 + 2] = static_cast<std::uint8_t>(std::min(255u, TIFFGetB(p) + uncovered));
        }
        return out;
    } catch (...) {
        return {};
    }
}

} // namespace zv
