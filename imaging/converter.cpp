#include "imaging/converter.h"

#include "imaging/bmp.h"
#include "imaging/decoders.h"
#include "imaging/picture_file.h"

namespace zv {

bool convertToBmp24File(const std::string& path)
{
    const ByteBlock original = readFileBytes(path);
    if (original.empty())
        return false;
    const ByteBlock converted = encodeBmp24(decodePicture(original));
    if (converted.empty())
        return false;
    return writeFileBytes(path, converted);
}

} // namespace zv
