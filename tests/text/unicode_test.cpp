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

TEST(GbkToUtf16Test, ReportsSourceOffsetsPerUnit)
{
    std::vector<std::uint32_t> offsets;
    const std::u16string utf16 = gbkToUtf16("\xD6\xD0"
                                            "ab\xCE\xC4",
                                            &offsets);
    EXPECT_EQ(utf16, u"\u4E2Dab\u6587");
    EXPECT_EQ(offsets, (std::vector<std::uint32_t> {0, 2, 3, 4}));
}

TEST(ComposeCombiningMarksTest, ComposesOnlyBaseAndMarkRuns)
{
    EXPECT_EQ(composeCombiningMarks(u"e\u0301x"), u"\u00E9x");
    EXPECT_EQ(composeCombiningMarks(u"a\u0300\u0300"), u"\u00E0\u0300");
    // Hangul jamo compose into a syllable.
    EXPECT_EQ(composeCombiningMarks(u"\u1100\u1161"), u"\uAC00");
    // Singletons that full normalisation would replace stay as they are.
    EXPECT_EQ(composeCombiningMarks(u"\uF92C\u212B"), u"\uF92C\u212B");
    EXPECT_EQ(composeCombiningMarks(u""), u"");
    // A lone mark with nothing before it is kept.
    EXPECT_EQ(composeCombiningMarks(u"\u0301a"), u"\u0301a");
}

TEST(Utf16RoundTripTest, LoneSurrogatesAndUnmappableCharacters)
{
    EXPECT_EQ(utf16ToUtf8(u"a\xD800"
                          "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(utf16ToGbk(u"a\xD800"
                         "b"),
              "a?b");
    EXPECT_EQ(utf16ToGbk(u"\U0001F600"), "?");
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
}

} // namespace
} // namespace zv
