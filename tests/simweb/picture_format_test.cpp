// The index pictures' file formats: the extension a scenario file or a
// picture path names, and the content type a picture is served with.

#include <gtest/gtest.h>

#include "tools/simweb/picture_format.h"

#include <ostream>
#include <string>
#include <vector>

namespace zv::test {
namespace {

using simweb::PictureFormat;

struct FormatCase
{
    const char* name;
    PictureFormat format;
    const char* extension;
    const char* contentType;
    std::vector<const char*> alsoRead; // other spellings read as the format
};

// Shown for a failing case instead of its bytes.
void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << c.name;
}

class PictureFormats : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(PictureFormats, ExtensionAndContentTypeRoundTrip)
{
    const FormatCase& c = GetParam();
    EXPECT_EQ(simweb::formatExtension(c.format), c.extension);
    EXPECT_EQ(simweb::formatContentType(c.format), c.contentType);
    EXPECT_EQ(simweb::formatFromExtension(c.extension), c.format);
    for (const char* spelling : c.alsoRead) {
        EXPECT_EQ(simweb::formatFromExtension(spelling), c.format) << spelling;
    }
}

INSTANTIATE_TEST_SUITE_P(
    SimulatedWeb, PictureFormats,
    ::testing::Values(FormatCase {"png", PictureFormat::Png, "png", "image/png", {"PNG"}},
                      FormatCase {"jpeg", PictureFormat::Jpeg, "jpg", "image/jpeg", {"jpeg", "JPG", "Jpeg"}},
                      FormatCase {"tiff", PictureFormat::Tiff, "tif", "image/tiff", {"tiff", "TIF"}},
                      FormatCase {"bmp", PictureFormat::Bmp, "bmp", "image/bmp", {"BMP"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PictureFormats, OtherExtensionsNameNoFormat)
{
    for (const char* ext : {"", "gif", "pn", "pngx", ".png", "jp g"}) {
        EXPECT_FALSE(simweb::formatFromExtension(ext)) << ext;
    }
}

} // namespace
} // namespace zv::test
