// The entries a rank search keeps of a result page: the first ones up to the
// depth and every one of the site's, each with its displayed address (mark-up
// and the engine's date removed) and its host.

#include "readers/engine_profile.h"
#include "readers/rank_page.h"
#include "readers/result_entries.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv {
namespace {

struct AddressCase
{
    const char* name;
    std::string line;
    std::string address;
};

class DisplayedAddressTest : public ::testing::TestWithParam<AddressCase>
{
};

TEST_P(DisplayedAddressTest, KeepsTheAddressAlone)
{
    EXPECT_EQ(displayedAddress(GetParam().line), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DisplayedAddressTest,
    ::testing::Values(
        AddressCase {"with_date", "<span class=\"g\">www.a.cn/x.html 2024-5-20 </span>", "www.a.cn/x.html"},
        AddressCase {"markup_inside", "<span class=g>www.<b>a</b>.cn/ 2024-5-20</span>", "www.a.cn/"},
        AddressCase {"leading_blanks", "<span class=g>  \t www.a.cn/</span>", "www.a.cn/"},
        AddressCase {"nbsp_before_date", "<span class=g>www.a.cn/p&nbsp;2024-5-20</span>", "www.a.cn/p"},
        AddressCase {"ampersand", "<span class=g>www.a.cn/?a=1&amp;b=2 2024</span>", "www.a.cn/?a=1&b=2"},
        AddressCase {"full_width_blank",
                     "<span class=g>www.a.cn/\xA1\xA1"
                     "2024</span>",
                     "www.a.cn/"},
        AddressCase {"gbk_path", "<span class=g>www.a.cn/\xCD\xF8\xD5\xBE 2024</span>", "www.a.cn/\xCD\xF8\xD5\xBE"},
        AddressCase {"unclosed_tag", "<span class=g>www.a.cn/<b", "www.a.cn/"},
        AddressCase {"only_markup", "<span class=g></span>", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AddressHost, IsTheTextBeforeTheFirstSlashLowered)
{
    EXPECT_EQ(addressHost("WWW.Shop.CN/Path/X.html"), "www.shop.cn");
    EXPECT_EQ(addressHost("http://www.a.cn/x"), "www.a.cn");
    EXPECT_EQ(addressHost("www.a.cn"), "www.a.cn");
    EXPECT_EQ(addressHost("=evil/x"), "=evil");
}

std::string block(int position, const std::vector<std::string>& lines)
{
    std::string out = "<table class=\"result\" id=\"" + std::to_string(position) + "\"><tr><td>";
    for (const std::string& line : lines)
        out += "<span class=\"g\">" + line + " 2024-5-20 </span><br>";
    return out + "</td></tr></table>\n";
}

TEST(ResultEntries, KeepTheFirstOnesAndTheSitesWhereverTheyStand)
{
    const Text site = "www.shop.cn";
    std::string page = "<html><body>";
    for (int position = 101; position <= 140; ++position) {
        if (position == 103)
            page += block(position, {"www.shop.cn/"});
        else if (position == 125)
            page += block(position, {"www.other.cn/a", "www.shop.cn/deep.html"});
        else if (position == 130)
            page += block(position, {"WWW.SHOP.CN/near-miss"});
        else
            page += block(position, {"www.filler" + std::to_string(position) + ".com/p"});
    }
    page += "</body></html>";

    const EngineProfile& engine = builtinEngineProfile();
    const PageForm form(page);
    PageMatcher tables;
    PageMatcher entries;
    const Text found = siteRankEntries(engine, form, site, tables, entries);
    ASSERT_EQ(found, "103. 125 ");
    // Positions up to 110 on the second page: the depth counts positions.
    const std::vector<ResultEntry> kept = resultEntries(engine, form, site, found, tables, entries, 110);
    std::vector<int> positions;
    for (const ResultEntry& e : kept)
        positions.push_back(e.position);
    EXPECT_EQ(positions, (std::vector<int> {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 125}));
    EXPECT_EQ(kept[2].address, "www.shop.cn/");
    EXPECT_TRUE(kept[2].own);
    EXPECT_FALSE(kept[0].own);
    EXPECT_EQ(kept[0].host, "www.filler101.com");
    // The site's line of a block with two, not its first line.
    EXPECT_EQ(kept.back().address, "www.shop.cn/deep.html");
    EXPECT_TRUE(kept.back().own);

    // Beyond the depth only the site's; a page without the site keeps the
    // first ones only.
    EXPECT_EQ(resultEntries(engine, form, site, found, tables, entries, 20).size(), 2u);
    const Text none = siteRankEntries(engine, form, "www.absent.cn", tables, entries);
    EXPECT_EQ(resultEntries(engine, form, "www.absent.cn", none, tables, entries, 20).size(), 0u);
}

} // namespace
} // namespace zv
