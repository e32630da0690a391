// The program's patterns, applied to simulated pages, give back the figures
// the scenario or the generator meant.

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "imaging/decoders.h"
#include "tests/simweb/page_reading.h"
#include "tools/simweb/pictures.h"
#include "tools/simweb/sim_web.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

namespace zv::test {
namespace {

using simweb::World;

ByteBlock get(const simweb::SimWeb& web, const std::string& url)
{
    return web.handle({"GET", url, "", ""}).body;
}

ByteBlock askIndex(const simweb::SimWeb& web, const Text& keyword)
{
    return web
        .handle({"POST", "http://index.zeravudez.com/baidu/words.aspx", "", "kw=" + urlEncode(keyword, true, true)})
        .body;
}

std::vector<ByteBlock> rankPages(const simweb::SimWeb& web, const Text& keyword, int pageCount)
{
    std::vector<ByteBlock> pages;
    for (int p = 1; p <= pageCount; ++p) {
        pages.push_back(get(web, rankAddress(keyword, p)));
    }
    return pages;
}

Text expectedColumn(const std::vector<simweb::RankEntry>& entries)
{
    Text column;
    for (const auto& e : entries) {
        if (e.counts()) {
            column += std::to_string(e.position) + (e.home ? ". " : " ");
        }
    }
    return column;
}

class ScenarioRoundTrip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        world = World::fromScenarioFile(ZV_SCENARIO_DIR "/basic.json", error);
        ASSERT_TRUE(world) << error;
        world->setFixedDay(simweb::parseDay("2024-05-20"));
        web = std::make_unique<simweb::SimWeb>(*world);
    }

    std::unique_ptr<World> world;
    std::unique_ptr<simweb::SimWeb> web;
};

TEST_F(ScenarioRoundTrip, RanksComeBackWithTheirHomePageMarks)
{
    const Text site = "www.shop-demo.cn";
    // Capitals, broken mark-up and a cut-short address at 5, 9 and 12 do not count.
    EXPECT_EQ(readRanks(rankPages(*web, gbk("网站优化"), 1), site), "3. 17 ");
    // The two-line block at 150 counts once, as its first line says (not home).
    EXPECT_EQ(readRanks(rankPages(*web, gbk("网站优化"), 2), site), "3. 17 150 ");
    EXPECT_EQ(readRanks(rankPages(*web, gbk("关键词排名"), 8), site), "5 ");
    EXPECT_EQ(readRanks(rankPages(*web, gbk("seo工具"), 2), site), "");
    EXPECT_EQ(readRanks(rankPages(*web, gbk("seo工具"), 3), site), "250. ");
    EXPECT_EQ(readRanks(rankPages(*web, gbk("网站优化"), 8), "www.about-figures.com"), "");
    // Letter case counts: typed in capitals, the address matches only the
    // line written in capitals.
    EXPECT_EQ(readRanks(rankPages(*web, gbk("网站优化"), 2), "WWW.SHOP-DEMO.CN"), "5. ");
    // Blanks around a keyword do not change the results.
    EXPECT_EQ(readRanks(rankPages(*web, gbk("网站优化 "), 1), site), "3. 17 ");
}

TEST_F(ScenarioRoundTrip, EveryPageHoldsItsHundredPositions)
{
    for (int page : {1, 2, 8}) {
        PatternMatcher blocks;
        blocks.execute(gbk("<table.*?id=\"(.*?)\"[\\s\\S]*?</table>"),
                       utf8ToGbk(get(*web, rankAddress(gbk("网站优化"), page))));
        ASSERT_EQ(blocks.matchCount(), 100) << "page " << page;
        for (int n = 1; n <= 100; ++n) {
            ASSERT_EQ(blocks.subMatchText(n, 1), std::to_string((page - 1) * 100 + n));
        }
    }
    // Nothing lies beyond the last position.
    PatternMatcher beyond;
    beyond.execute(gbk("<table.*?id=\"(.*?)\"[\\s\\S]*?</table>"),
                   utf8ToGbk(get(*web, rankAddress(gbk("网站优化"), 9))));
    EXPECT_EQ(beyond.matchCount(), 0);
}

TEST_F(ScenarioRoundTrip, OverviewFiguresComeBack)
{
    const std::string site = "www.shop-demo.cn";
    EXPECT_EQ(readSnapshot(get(*web, overviewAddress("http://" + site)), site), "2024-5-19");
    EXPECT_EQ(readIndexedCount(get(*web, overviewAddress("site%3A" + site))), "12,345");
    EXPECT_EQ(recordedFigure(readIndexedCount(get(*web, overviewAddress("site%3A" + site)))), 12345);
    EXPECT_EQ(readBacklinks(get(*web, overviewAddress("domain%3A" + site))), "5,000");
    EXPECT_EQ(readIndexedCount(get(*web, overviewAddress("site%3A" + site + "&lm=1"))), "12");
    EXPECT_EQ(readIndexedCount(get(*web, overviewAddress("site%3A" + site + "&lm=7"))), "345");
    EXPECT_EQ(recordedFigure(readIndexedCount(get(*web, overviewAddress("site%3A" + site + "&lm=30")))), 1234);

    // Texts the scenario writes out stand on the page as written.
    const std::string other = "www.about-figures.com";
    EXPECT_EQ(readSnapshot(get(*web, overviewAddress("http://" + other)), other), gbk("无"));
    const Text about = readIndexedCount(get(*web, overviewAddress("site%3A" + other)));
    EXPECT_EQ(about, gbk("约1,234"));
    EXPECT_EQ(recordedFigure(about), 0);
    EXPECT_EQ(recordedFigure(readBacklinks(get(*web, overviewAddress("domain%3A" + other)))), 5000);
    EXPECT_EQ(readIndexedCount(get(*web, overviewAddress("site%3A" + other + "&lm=1"))), "0");
}

struct PictureCase
{
    const char* keyword;
    PictureFormat format;
    int value;
    int width;
    int height;
};

TEST_F(ScenarioRoundTrip, IndexRowsLeadToThePicturesMeant)
{
    const PictureCase cases[] = {
        {"网站优化", PictureFormat::Png, 1234, 4 + 12 * 4, 16},
        {"关键词排名", PictureFormat::Jpeg, 88, 4 + 12 * 2, 16},
        {"seo工具", PictureFormat::Tiff, 56789, 4 + 12 * 5, 16},
        {"外链建设", PictureFormat::Bmp, 7, 120, 30},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.keyword);
        const ByteBlock answer = askIndex(*web, gbk(c.keyword));
        const Text address = readIndexPictureAddress(answer, gbk(c.keyword), simweb::kIndexHost);
        ASSERT_FALSE(address.empty());
        const simweb::SimResponse picture = web->handle({"GET", address, "", ""});
        ASSERT_EQ(picture.status, 200);
        EXPECT_EQ(sniffPictureFormat(picture.body), c.format);
        const Picture decoded = decodePicture(picture.body);
        ASSERT_EQ(decoded.width, c.width);
        ASSERT_EQ(decoded.height, c.height);
        const simweb::Pixels meant = simweb::drawFigure(c.value, c.width, c.height);
        if (c.format == PictureFormat::Jpeg) {
            long difference = 0;
            for (std::size_t i = 0; i < meant.rgb.size(); ++i) {
                difference += std::abs(static_cast<int>(meant.rgb[i]) - static_cast<int>(decoded.pixels[i]));
            }
            EXPECT_LT(difference / static_cast<long>(meant.rgb.size()), 6);
        } else {
            EXPECT_EQ(decoded.pixels, meant.rgb);
        }
    }
}

TEST_F(ScenarioRoundTrip, IndexAnswersWithoutAPicture)
{
    const ByteBlock throttled = askIndex(*web, gbk("友情链接"));
    EXPECT_TRUE(saysTooFrequent(throttled));
    EXPECT_EQ(readIndexPictureAddress(throttled, gbk("友情链接"), simweb::kIndexHost), "");

    // Not listed: only related rows, which never equal the keyword.
    const ByteBlock unlisted = askIndex(*web, gbk("流量统计"));
    EXPECT_FALSE(saysTooFrequent(unlisted));
    EXPECT_EQ(readIndexPictureAddress(unlisted, gbk("流量统计"), simweb::kIndexHost), "");
    EXPECT_NE(readIndexPictureAddress(unlisted, gbk("流量统计价格"), simweb::kIndexHost)
                  + readIndexPictureAddress(unlisted, gbk("流量统计排名"), simweb::kIndexHost)
                  + readIndexPictureAddress(unlisted, gbk("流量统计官网"), simweb::kIndexHost)
                  + readIndexPictureAddress(unlisted, gbk("流量统计是什么"), simweb::kIndexHost),
              "");

    // The row spells the keyword in other letter case: no match.
    EXPECT_EQ(readIndexPictureAddress(askIndex(*web, "SEO"), "SEO", simweb::kIndexHost), "");

    // A keyword the scenario does not name still gets a row and a picture.
    const Text address
        = readIndexPictureAddress(askIndex(*web, gbk("长尾关键词")), gbk("长尾关键词"), simweb::kIndexHost);
    ASSERT_FALSE(address.empty());
    EXPECT_FALSE(decodePicture(web->handle({"GET", address, "", ""}).body).isNull());
}

TEST_F(ScenarioRoundTrip, HomePageKeywordsComeBack)
{
    EXPECT_EQ(readMetaKeywords(get(*web, "http://www.shop-demo.cn/")),
              (std::vector<Text> {gbk("网站优化"), gbk("关键词排名"), gbk("seo工具")}));
    // Content first, served in code page 936, split at the full-width comma; the
    // removal of "name=" leaves a blank after the last keyword.
    EXPECT_EQ(readMetaKeywords(get(*web, "http://www.about-figures.com/")),
              (std::vector<Text> {gbk("外链建设"), gbk("友情链接 ")}));
    EXPECT_EQ(readMetaKeywords(get(*web, "http://www.caps-meta.org/")),
              (std::vector<Text> {gbk("虚拟主机"), gbk("域名查询")}));

    // UTF-8 declared only in the HTTP header: the page is read unconverted.
    const simweb::SimResponse headerOnly = web->handle({"GET", "http://www.header-only.net/", "", ""});
    EXPECT_EQ(headerOnly.contentType, "text/html; charset=utf-8");
    EXPECT_NE(headerOnly.body.find("流量统计|网页设计"), std::string::npos);
    for (const Text& piece : readMetaKeywords(headerOnly.body)) {
        EXPECT_NE(trimBlanks(piece), gbk("流量统计"));
        EXPECT_NE(trimBlanks(piece), gbk("网页设计"));
    }
}

TEST(GeneratedRoundTrip, HomePagesOfEveryFormGiveBackTheirKeywords)
{
    World world;
    simweb::SimWeb web(world);
    std::set<std::string> separators;
    std::set<simweb::Charset> charsets;
    std::set<bool> orders;
    for (int i = 0; i < 60; ++i) {
        const std::string host = "www.site" + std::to_string(i) + ".com";
        const simweb::HomePage meant = world.homePage(host);
        separators.insert(meant.separator);
        charsets.insert(meant.charset);
        orders.insert(meant.contentFirst);
        std::vector<Text> pieces = readMetaKeywords(get(web, "http://" + host + "/"));
        for (Text& piece : pieces) {
            piece = trimBlanks(piece);
        }
        std::vector<Text> expected;
        for (const std::string& k : meant.keywords) {
            expected.push_back(utf8ToGbkString(k));
        }
        EXPECT_EQ(pieces, expected) << host;
    }
    EXPECT_EQ(separators.size(), 3u);
    EXPECT_EQ(charsets.size(), 3u);
    EXPECT_EQ(orders.size(), 2u);
}

TEST(GeneratedRoundTrip, RanksComeBackAsPlacedForEverySiteAndDay)
{
    World world;
    world.setLearning(true);
    const std::vector<std::string> sites = {"www.alpha.cn", "www.beta-shop.com", "gamma.net"};
    for (const auto& s : sites) {
        world.learnSite(s);
    }
    simweb::SimWeb web(world);
    int found = 0;
    for (simweb::Day day : {19863, 19864}) {
        world.setFixedDay(day);
        for (const char* keyword : {"网站优化", "外链建设", "seo工具", "网络营销"}) {
            const auto pages = rankPages(web, gbk(keyword), 8);
            for (const auto& site : sites) {
                const Text expected = expectedColumn(world.ranks(site, keyword, day));
                found += expected.empty() ? 0 : 1;
                EXPECT_EQ(readRanks(pages, site), expected) << site << " " << keyword << " day " << day;
            }
        }
    }
    EXPECT_GT(found, 10);
}

TEST(GeneratedRoundTrip, OverviewTextsComeBackInOrder)
{
    World world;
    simweb::SimWeb web(world);
    world.setFixedDay(simweb::parseDay("2024-06-01"));
    for (const std::string site : {"www.alpha.cn", "www.beta-shop.com", "gamma.net", "www.delta.com.cn"}) {
        SCOPED_TRACE(site);
        const simweb::OverviewTexts meant = world.overview(site, world.day());
        ASSERT_TRUE(meant.snapshot);
        EXPECT_EQ(readSnapshot(get(web, overviewAddress("http://" + site)), site), *meant.snapshot);
        const Text indexed = readIndexedCount(get(web, overviewAddress("site%3A" + site)));
        const Text today = readIndexedCount(get(web, overviewAddress("site%3A" + site + "&lm=1")));
        const Text week = readIndexedCount(get(web, overviewAddress("site%3A" + site + "&lm=7")));
        const Text month = readIndexedCount(get(web, overviewAddress("site%3A" + site + "&lm=30")));
        EXPECT_EQ(indexed, meant.indexed);
        EXPECT_EQ(today, meant.today);
        EXPECT_EQ(week, meant.week);
        EXPECT_EQ(month, meant.month);
        EXPECT_EQ(gbk("约") + readBacklinks(get(web, overviewAddress("domain%3A" + site))),
                  gbk(meant.backlinks.c_str()));
        EXPECT_LE(recordedFigure(today), recordedFigure(week));
        EXPECT_LE(recordedFigure(week), recordedFigure(month));
        EXPECT_LE(recordedFigure(month), recordedFigure(indexed));
        EXPECT_GT(recordedFigure(indexed), 0);
    }
}

} // namespace
} // namespace zv::test
