#include "web/url.h"

#include <gtest/gtest.h>

#include <climits>

namespace zv {
namespace {

struct UrlCase
{
    const char* url;
    const char* host;
    int port;
    const char* path;
};

class UrlSplitTest : public ::testing::TestWithParam<UrlCase>
{
};

TEST_P(UrlSplitTest, SplitsIntoHostPortAndPath)
{
    const UrlCase& c = GetParam();
    EXPECT_EQ(urlHost(c.url), c.host);
    EXPECT_EQ(urlPort(c.url), c.port);
    EXPECT_EQ(urlPath(c.url), c.path);
}

INSTANTIATE_TEST_SUITE_P(Addresses, UrlSplitTest,
                         ::testing::Values(
                             // Prefix in capitals, host lowered, path keeps its case.
                             UrlCase {"HTTP://Alpha:8080/a/b?c=d", "alpha", 8080, "/a/b?c=d"},
                             UrlCase {"Http://www.Example.COM/Index.HTML", "www.example.com", 80, "/Index.HTML"},
                             // No prefix.
                             UrlCase {"Alpha:81/x?y", "alpha", 81, "/x?y"}, UrlCase {"alpha/x", "alpha", 80, "/x"},
                             // Nothing after the authority.
                             UrlCase {"http://alpha", "alpha", 80, "/"}, UrlCase {"http://alpha/", "alpha", 80, "/"},
                             UrlCase {"http://alpha:8080", "alpha", 8080, "/"}, UrlCase {"http://", "", 80, "/"},
                             // "?", "#" and "@" do not end the authority.
                             UrlCase {"http://alpha?x=1", "alpha?x=1", 80, "/"},
                             UrlCase {"http://u@alpha/p", "u@alpha", 80, "/p"},
                             UrlCase {"http://alpha/b#frag", "alpha", 80, "/b#frag"},
                             // Empty, non-numeric and partly numeric ports.
                             UrlCase {"alpha:/x", "alpha", 0, "/x"}, UrlCase {"alpha:x/y", "alpha", 0, "/y"},
                             UrlCase {"alpha:81abc/", "alpha", 81, "/"},
                             // Only the first ":" counts.
                             UrlCase {"a:1:2", "a", 1, "/"},
                             // Nothing is trimmed: a leading blank hides the prefix.
                             UrlCase {" http://alpha/x", " http", 0, "//alpha/x"},
                             // A single slash is no prefix either.
                             UrlCase {"http:/alpha/x", "http", 0, "/alpha/x"}, UrlCase {"", "", 80, "/"},
                             // Hosts that also occur inside the prefix still give the real path.
                             UrlCase {"http://h/x", "h", 80, "/x"}, UrlCase {"http://http/x", "http", 80, "/x"},
                             UrlCase {"HTTP://TP:81/x", "tp", 81, "/x"}));

// The port text is read like a C decimal number: blanks, sign, fraction and
// exponent, stopping at the first other character, truncated toward zero.
INSTANTIATE_TEST_SUITE_P(PortNumbers, UrlSplitTest,
                         ::testing::Values(UrlCase {"a: 81/", "a", 81, "/"}, UrlCase {"a:+81/", "a", 81, "/"},
                                           UrlCase {"a:-5/", "a", -5, "/"}, UrlCase {"a:8.9/", "a", 8, "/"},
                                           UrlCase {"a:-8.9/", "a", -8, "/"}, UrlCase {"a:1e3/", "a", 1000, "/"},
                                           UrlCase {"a:1e/", "a", 1, "/"}, UrlCase {"a:.5/", "a", 0, "/"},
                                           UrlCase {"a:5./", "a", 5, "/"}, UrlCase {"a:0x50/", "a", 0, "/"},
                                           UrlCase {"a:inf/", "a", 0, "/"}, UrlCase {"a:+/", "a", 0, "/"},
                                           UrlCase {"a:99999999999/", "a", INT_MAX, "/"},
                                           UrlCase {"a:-1e300/", "a", INT_MIN, "/"},
                                           UrlCase {"a:1e999/", "a", INT_MAX, "/"}));

// A byte of 0x81 or above starts a two-byte character; its second byte is
// never taken for "/" or ":" and never lowered. 0x80 is a character of
// its own in code page 936.
INSTANTIATE_TEST_SUITE_P(
    DoubleByteCharacters, UrlSplitTest,
    ::testing::Values(UrlCase {"http://\xD6\xD0\xCE\xC4.cn/\xB0\xA1", "\xD6\xD0\xCE\xC4.cn", 80, "/\xB0\xA1"},
                      UrlCase {"http://\xB0"
                               "AB/x",
                               "\xB0"
                               "Ab",
                               80, "/x"},
                      UrlCase {"http://a\x81/b/c", "a\x81/b", 80, "/c"}, UrlCase {"http://a\x80/b", "a\x80", 80, "/b"},
                      UrlCase {"a\x81:b:7/c", "a\x81:b", 7, "/c"},
                      // A lone lead byte at the very end is a character of its own.
                      UrlCase {"http://ab\x81", "ab\x81", 80, "/"}));

} // namespace
} // namespace zv
