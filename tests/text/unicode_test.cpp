#include "text/unicode.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(GbkToUtf8MappedTest, MapsEveryUtf8ByteToItsCharacter)
{
    std::vector<std::uint32_t> positions;
    // a, 中 (D6 D0), b, 郎 (FD 9C, a compatibility ideograph), end.
    const std::string utf8 = gbkToUtf8Mapped("a\xD6\xD0"
                                             "b\xFD\x9C",
                                             positions);
    EXPECT_EQ(utf8,
              "a\xE4\xB8\xAD"
              "b\xEF\xA4\xAC");
    EXPECT_EQ(positions, (std::vector<std::uint32_t> {0, 1, 1, 1, 3, 4, 4, 4, 6}));

    gbkToUtf8Mapped("", positions);
    EXPECT_EQ(positions, (std::vector<std::uint32_t> {0}));
}

TEST(GbkToUtf8MappedTest, MalformedBytesStillMapInsideTheText)
{
    std::vector<std::uint32_t> positions;
    const std::string text = "a\x81";
    const std::string utf8 = gbkToUtf8Mapped(text, positions);
    ASSERT_EQ(positions.size(), utf8.size() + 1);
    for (const std::uint32_t p : positions)
        EXPECT_LE(p, text.size());
    EXPECT_EQ(positions.back(), text.size());
}

TEST(ComposeCombiningMarksTest, ComposesOnlyBaseAndMarkRuns)
{
    EXPECT_EQ(composeCombiningMarks(u"e\u0301x"), u"\u00E9x");
    EXPECT_EQ(composeCombiningMarks(u"a\u0300\u0300"), u"\u00E0\u0300");
    // Hangul jamo compose into a syllable.
    EXPECT_EQ(composeCombiningMarks(u"\u1100\u1161"), u"\uAC00");
    // Singletons that full normalisation would replace stay as they are.
    EXPECT_EQ(composeCombiningMarks(u"\uF92C\u212B"), u"\uF92C\u212B");
}

TEST(Utf16ConversionTest, LoneSurrogatesAndUnmappableCharactersAreReplaced)
{
    EXPECT_EQ(utf16ToUtf8(u"a\xD800"), "a\xEF\xBF\xBD");
    EXPECT_EQ(utf16ToGbk(u"a\xD800\U0001F600"), "a??");
}

} // namespace
} // namespace zv
