#include "imaging/builtin_pictures.h"

#include "imaging/fitting.h"

#include <cstddef>

namespace zv {
namespace embedded {
extern const unsigned char index_zero[];
extern const std::size_t index_zero_size;
extern const unsigned char index_rate_limit[];
extern const std::size_t index_rate_limit_size;
} // namespace embedded

const ByteBlock& zeroPicture()
{
    static const ByteBlock bytes(reinterpret_cast<const char*>(embedded::index_zero), embedded::index_zero_size);
    return bytes;
}

const ByteBlock& rateLimitPicture()
{
    static const ByteBlock bytes(reinterpret_cast<const char*>(embedded::index_rate_limit),
                                 embedded::index_rate_limit_size);
    return bytes;
}

const ByteBlock& fittedRateLimitPicture()
{
    static const ByteBlock bytes = fitIndexPictureFile(rateLimitPicture());
    return bytes;
}

} // namespace zv
