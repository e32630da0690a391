#include "imaging/bmp.h"

#include <array>
#include <bit>
#include <cstring>

namespace zv {
namespace {

enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kAlphaBitFields = 6,
};

struct Reader
{
    const ByteBlock& bytes;

    bool has(std::size_t offset, std::size_t count) const
    {
        return offset <= bytes.size() && count <= bytes.size() - offset;
    }
    std::uint8_t u8(std::size_t at) const { return static_cast<std::uint8_t>(bytes[at]); }
    std::uint16_t u16(std::size_t at) const { return static_cast<std::uint16_t>(u8(at) | u8(at + 1) << 8); }
    std::uint32_t u32(std::size_t at) const
    {
        return static_cast<std::uint32_t>(u8(at)) | static_cast<std::uint32_t>(u8(at + 1)) << 8
            | static_cast<std::uint32_t>(u8(at + 2)) << 16 | static_cast<std::uint32_t>(u8(at + 3)) << 24;
    }
};

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel
{
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t maximum = 0;

    explicit Channel(std::uint32_t m = 0)
        : mask(m)
    {
        if (mask == 0)
            return;
        shift = std::countr_zero(mask);
        maximum = mask >> shift;
    }
    std::uint8_t value(std::uint32_t raw) const
    {
        if (maximum == 0)
            return 0;
        const std::uint64_t v = (raw & mask) >> shift;
        return static_cast<std::uint8_t>((v * 255 + maximum / 2) / maximum);
    }
};

struct Header
{
    std::int64_t width = 0;
    std::int64_t height = 0; // always positive; topDown tells the row order
    bool topDown = false;
    unsigned bitCount = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t pixelOffset = 0;
    std::array<std::uint32_t, 3> masks {};
    std::vector<std::array<std::uint8_t, 3>> palette; // red, green, blue
};

bool readHeader(const Reader& in, Header& h)
{
    if (!in.has(0, 18) || in.u8(0) != 'B' || in.u8(1) != 'M')
        return false;
    h.pixelOffset = in.u32(10);
    const std::uint32_t infoSize = in.u32(14);
    if (infoSize < 12 || !in.has(14, infoSize))
        return false;
    std::size_t paletteEntrySize = 4;
    if (infoSize == 12) {
        // OS/2 core header: 16-bit unsigned sizes, three-byte palette entries.
        h.width = in.u16(18);
        h.height = in.u16(20);
        h.bitCount = in.u16(24);
        paletteEntrySize = 3;
    } else {
        if (infoSize < 16)
            return false;
        h.width = static_cast<std::int32_t>(in.u32(18));
        const auto height = static_cast<std::int32_t>(in.u32(22));
        h.topDown = height < 0;
        h.height = height < 0 ? -static_cast<std::int64_t>(height) : height;
        h.bitCount = in.u16(28);
        if (infoSize >= 20)
            h.compression = in.u32(30);
    }
    if (!pictureSizeAllowed(h.width, h.height))
        return false;

    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
        if (!(h.compression == kRgb || (h.compression == kRle8 && h.bitCount == 8)
              || (h.compression == kRle4 && h.bitCount == 4)))
            return false;
        break;
    case 16:
    case 32:
        if (h.compression != kRgb && h.compression != kBitFields && h.compression != kAlphaBitFields)
            return false;
        break;
    case 24:
        if (h.compression != kRgb)
            return false;
        break;
    default:
        return false;
    }
    if (h.topDown && (h.compression == kRle8 || h.compression == kRle4))
        return false;

    std::size_t afterInfo = 14 + infoSize;
    if (h.bitCount == 16 || h.bitCount == 32) {
        if (h.bitCount == 16)
            h.masks = {0x7C00, 0x03E0, 0x001F};
        else
            h.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
        if (h.compression != kRgb) {
            // Masks sit inside headers of 52 bytes or more, right after a
            // 40-byte header otherwise.
            constexpr std::size_t at = 14 + 40;
            if (infoSize < 52)
                afterInfo = at + (h.compression == kAlphaBitFields ? 16 : 12);
            if (!in.has(at, 12))
                return false;
            h.masks = {in.u32(at), in.u32(at + 4), in.u32(at + 8)};
        }
    }

    if (h.bitCount <= 8) {
        std::size_t count = std::size_t {1} << h.bitCount;
        if (infoSize >= 36) {
            const std::uint32_t used = in.u32(46);
            if (used != 0 && used < count)
                count = used;
        }
        // Some writers store fewer entries than the header implies; take what
        // fits before the pixels.
        if (h.pixelOffset > afterInfo && (h.pixelOffset - afterInfo) / paletteEntrySize < count)
            count = (h.pixelOffset - afterInfo) / paletteEntrySize;
        if (count == 0 || !in.has(afterInfo, count * paletteEntrySize))
            return false;
        h.palette.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = afterInfo + i * paletteEntrySize;
            h.palette[i] = {in.u8(at + 2), in.u8(at + 1), in.u8(at)};
        }
    }
    return h.pixelOffset >= afterInfo && h.pixelOffset <= in.bytes.size();
}

std::size_t rowStride(std::int64_t width, unsigned bitCount)
{
    return static_cast<std::size_t>((width * bitCount + 31) / 32 * 4);
}

void putIndexed(Picture& out, const Header& h, int x, int y, unsigned index)
{
    std::uint8_t* p = out.pixel(x, y);
    if (index < h.palette.size()) {
        p[0] = h.palette[index][0];
        p[1] = h.palette[index][1];
        p[2] = h.palette[index][2];
    } else {
        p[0] = p[1] = p[2] = 0;
    }
}

bool decodeUncompressed(const Reader& in, const Header& h, Picture& out)
{
    const std::size_t stride = rowStride(h.width, h.bitCount);
    // The last row need not carry its padding.
    const std::size_t lastRow = static_cast<std::size_t>((h.width * h.bitCount + 7) / 8);
    if (!in.has(h.pixelOffset, stride * (h.height - 1) + lastRow))
        return false;
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
    for (int row = 0; row < out.height; ++row) {
        const int y = h.topDown ? row : out.height - 1 - row;
        const std::size_t base = h.pixelOffset + stride * row;
        for (int x = 0; x < out.width; ++x) {
            std::uint8_t* p = out.pixel(x, y);
            switch (h.bitCount) {
            case 1:
                putIndexed(out, h, x, y, (in.u8(base + x / 8) >> (7 - x % 8)) & 1);
                break;
            case 4:
                putIndexed(out, h, x, y, (in.u8(base + x / 2) >> (x % 2 ? 0 : 4)) & 0x0F);
                break;
            case 8:
                putIndexed(out, h, x, y, in.u8(base + x));
                break;
            case 16: {
                const std::uint32_t raw = in.u16(base + 2 * static_cast<std::size_t>(x));
                p[0] = red.value(raw);
                p[1] = green.value(raw);
                p[2] = blue.value(raw);
                break;
            }
            case 24: {
                const std::size_t at = base + 3 * static_cast<std::size_t>(x);
                p[0] = in.u8(at + 2);
                p[1] = in.u8(at + 1);
                p[2] = in.u8(at);
                break;
            }
            case 32: {
                const std::uint32_t raw = in.u32(base + 4 * static_cast<std::size_t>(x));
                p[0] = red.value(raw);
                p[1] = green.value(raw);
                p[2] = blue.value(raw);
                break;
            }
            }
        }
    }
    return true;
}

// RLE8 and RLE4. Pixels the stream skips (by a delta or an early end of line)
// keep palette entry 0. A stream that runs out before its end-of-picture
// marker is a truncated file.
bool decodeRle(const Reader& in, const Header& h, Picture& out)
{
    const bool four = h.compression == kRle4;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            putIndexed(out, h, x, y, 0);

    std::size_t at = h.pixelOffset;
    std::int64_t x = 0;
    std::int64_t row = 0; // counted from the bottom
    auto put = [&](unsigned index) {
        if (x < out.width && row < out.height)
            putIndexed(out, h, static_cast<int>(x), static_cast<int>(out.height - 1 - row), index);
        ++x;
    };
    while (true) {
        if (!in.has(at, 2))
            return false;
        const unsigned count = in.u8(at);
        const unsigned value = in.u8(at + 1);
        at += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i)
                put(four ? (i % 2 ? value & 0x0F : value >> 4) : value);
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++row;
            break;
        case 1: // end of picture
            return true;
        case 2: // delta
            if (!in.has(at, 2))
                return false;
            x += in.u8(at);
            row += in.u8(at + 1);
            at += 2;
            break;
        default: { // absolute run of `value` pixels, padded to 16 bits
            const std::size_t dataBytes = four ? (value + 1) / 2 : value;
            if (!in.has(at, dataBytes))
                return false;
            for (unsigned i = 0; i < value; ++i) {
                const unsigned byte = in.u8(at + (four ? i / 2 : i));
                put(four ? (i % 2 ? byte & 0x0F : byte >> 4) : byte);
            }
            at += dataBytes + (dataBytes % 2);
            break;
        }
        }
        if (row > out.height)
            return false;
    }
}

void put16(ByteBlock& out, std::size_t at, std::uint16_t v)
{
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>(v >> 8);
}

void put32(ByteBlock& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

} // namespace

Picture decodeBmp(const ByteBlock& bytes)
{
    const Reader in {bytes};
    Header h;
    if (!readHeader(in, h))
        return {};
    Picture out;
    out.width = static_cast<int>(h.width);
    out.height = static_cast<int>(h.height);
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height * 3, 0);
    const bool ok
        = (h.compression == kRle8 || h.compression == kRle4) ? decodeRle(in, h, out) : decodeUncompressed(in, h, out);
    return ok ? out : Picture {};
}

std::size_t bmp24FileSize(int width, int height)
{
    return 54 + rowStride(width, 24) * static_cast<std::size_t>(height);
}

ByteBlock encodeBmp24(const Picture& picture)
{
    if (picture.isNull() || picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height * 3)
        return {};
    const std::size_t stride = rowStride(picture.width, 24);
    const std::size_t size = bmp24FileSize(picture.width, picture.height);
    ByteBlock out(size, '\0');
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, static_cast<std::uint32_t>(size));
    put32(out, 10, 54);
    put32(out, 14, 40);
    put32(out, 18, static_cast<std::uint32_t>(picture.width));
    put32(out, 22, static_cast<std::uint32_t>(picture.height));
    put16(out, 26, 1);
    put16(out, 28, 24);
    put32(out, 34, static_cast<std::uint32_t>(stride * picture.height));
    put32(out, 38, 2835); // 72 dots per inch
    put32(out, 42, 2835);
    for (int y = 0; y < picture.height; ++y) {
        const std::size_t base = 54 + stride * static_cast<std::size_t>(picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = picture.pixel(x, y);
            out[base + 3 * x] = static_cast<char>(p[2]);
            out[base + 3 * x + 1] = static_cast<char>(p[1]);
            out[base + 3 * x + 2] = static_cast<char>(p[0]);
        }
    }
    return out;
}

} // namespace zv
