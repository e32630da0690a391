#include "imaging/fitting.h"

#include "imaging/bmp.h"
#include "imaging/decoders.h"

#include <algorithm>
#include <cstring>

namespace zv {
namespace {

// Along one axis, source pixel i spans [i * to, (i + 1) * to) and target pixel
// j spans [j * from, (j + 1) * from) in common units; the weights of a target
// pixel are the overlap lengths and add up to `from`.
struct Span
{
    int first = 0;
    std::vector<std::int64_t> weights;
};

std::vector<Span> spans(int from, int to)
{
    std::vector<Span> result(to);
    for (int j = 0; j < to; ++j) {
        const std::int64_t begin = std::int64_t {j} * from;
        const std::int64_t end = begin + from;
        Span& span = result[j];
        span.first = static_cast<int>(begin / to);
        for (std::int64_t i = span.first; i * to < end && i < from; ++i) {
            const std::int64_t overlap = std::min(end, (i + 1) * to) - std::max(begin, i * to);
            span.weights.push_back(overlap);
        }
    }
    return result;
}

} // namespace

Picture composeOnWhite(const Picture& picture, int width, int height)
{
    Picture surface = solidPicture(width, height, 255, 255, 255);
    if (picture.isNull() || surface.isNull())
        return surface;
    const int columns = std::min(width, picture.width);
    const int rows = std::min(height, picture.height);
    for (int y = 0; y < rows; ++y)
        std::memcpy(surface.pixel(0, y), picture.pixel(0, y), static_cast<std::size_t>(columns) * 3);
    return surface;
}

Picture scaleAreaAverage(const Picture& source, int width, int height)
{
    if (source.isNull() || !pictureSizeAllowed(width, height))
        return {};
    const std::vector<Span> xs = spans(source.width, width);
    const std::vector<Span> ys = spans(source.height, height);
    const std::int64_t total = std::int64_t {source.width} * source.height;
    Picture out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(width) * height * 3);
    for (int ty = 0; ty < height; ++ty) {
        const Span& sy = ys[ty];
        for (int tx = 0; tx < width; ++tx) {
            const Span& sx = xs[tx];
            std::int64_t sum[3] = {0, 0, 0};
            for (std::size_t dy = 0; dy < sy.weights.size(); ++dy) {
                for (std::size_t dx = 0; dx < sx.weights.size(); ++dx) {
                    const std::int64_t weight = sy.weights[dy] * sx.weights[dx];
                    const std::uint8_t* p
                        = source.pixel(sx.first + static_cast<int>(dx), sy.first + static_cast<int>(dy));
                    for (int c = 0; c < 3; ++c)
                        sum[c] += weight * p[c];
                }
            }
            std::uint8_t* q = out.pixel(tx, ty);
            for (int c = 0; c < 3; ++c)
                q[c] = static_cast<std::uint8_t>((sum[c] + total / 2) / total);
        }
    }
    return out;
}

Picture fittingSurface(const Picture& picture)
{
    return composeOnWhite(picture, kSurfaceWidth, kSurfaceHeight);
}

Picture fitIndexPicture(const Picture& picture)
{
    return scaleAreaAverage(fittingSurface(picture), kIndexWidth, kIndexHeight);
}

ByteBlock fitIndexPictureFile(const ByteBlock& fileBytes)
{
    return encodeBmp24(fitIndexPicture(decodePicture(fileBytes)));
}

} // namespace zv
