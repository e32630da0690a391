// Determinism and drift of the made-up world, scenario checking, and the
// request forms the simulated web accepts.

#include <gtest/gtest.h>

#include <set>

#include "tests/simweb/page_reading.h"
#include "tests/support/temp_dir.h"
#include "tools/simweb/index_pages.h"
#include "tools/simweb/pages.h"
#include "tools/simweb/sim_web.h"
#include "web/codepage.h"

namespace zv::test {
namespace {

using simweb::World;

ByteBlock get(const simweb::SimWeb& web, const std::string& url)
{
    return web.handle({"GET", url, "", ""}).body;
}

std::unique_ptr<World> learnedWorld(simweb::Day day)
{
    auto world = std::make_unique<World>();
    world->setLearning(true);
    world->learnSite("www.alpha.cn");
    world->learnSite("www.beta-shop.com");
    world->setFixedDay(day);
    return world;
}

TEST(SimulatedWorld, SameRequestSameDayGivesTheSamePage)
{
    auto first = learnedWorld(19900);
    auto second = learnedWorld(19900);
    simweb::SimWeb a(*first);
    simweb::SimWeb b(*second);
    const std::vector<std::string> urls = {
        rankAddress(gbk("网站优化"), 1),
        rankAddress(gbk("网站优化"), 3),
        overviewAddress("site%3Awww.alpha.cn&lm=7"),
        overviewAddress("domain%3Awww.alpha.cn"),
        overviewAddress("http://www.alpha.cn"),
        "http://www.alpha.cn/",
    };
    for (const auto& url : urls) {
        EXPECT_EQ(get(a, url), get(b, url)) << url;
    }
    const std::string form = "kw=" + urlEncode(gbk("网站优化"), true, true);
    const ByteBlock answer = a.handle({"POST", "http://index.zeravudez.com/baidu/words.aspx", "", form}).body;
    EXPECT_EQ(answer, b.handle({"POST", "http://index.zeravudez.com/baidu/words.aspx", "", form}).body);
    const Text picture = readIndexPictureAddress(answer, gbk("网站优化"), simweb::kIndexHost);
    ASSERT_FALSE(picture.empty());
    EXPECT_EQ(get(a, picture), get(b, picture));
    EXPECT_FALSE(get(a, picture).empty());

    // Another day moves the figures.
    auto later = learnedWorld(19901);
    simweb::SimWeb c(*later);
    EXPECT_NE(get(a, overviewAddress("site%3Awww.alpha.cn")), get(c, overviewAddress("site%3Awww.alpha.cn")));
}

TEST(SimulatedWorld, SitesGainAndLosePositionsOverAMonth)
{
    World world;
    world.setLearning(true);
    world.learnSite("www.alpha.cn");
    int moving = 0;
    for (const char* keyword : {"网站优化", "外链建设", "seo工具", "网络营销", "网站建设", "站长工具"}) {
        std::set<int> seen;
        bool gained = false;
        bool lost = false;
        int previous = 0;
        for (simweb::Day day = 19900; day < 19930; ++day) {
            const auto entries = world.ranks("www.alpha.cn", keyword, day);
            const int position = entries.empty() ? 0 : entries.front().position;
            seen.insert(position);
            if (previous != 0 && position != 0) {
                gained = gained || position < previous;
                lost = lost || position > previous;
            }
            previous = position;
        }
        if (seen.size() >= 3 && gained && lost) {
            ++moving;
        }
    }
    EXPECT_GE(moving, 3);
}

TEST(SimulatedWorld, BadScenariosAreRefusedWithAReason)
{
    const char* const bad[] = {
        "{",
        R"({"date": "2024-13-01"})",
        R"({"sites": {"a.cn": {"ranks": {"k": [{"position": 0}]}}}})",
        R"({"sites": {"a.cn": {"ranks": {"k": [{"position": 801}]}}}})",
        R"({"sites": {"a.cn": {"ranks": {"k": [{"position": 3, "kind": "shouting"}]}}}})",
        R"({"sites": {"a.cn": {"overview": {"pagerank": 3}}}})",
        R"({"sites": {"a.cn": {"overview": {"indexed": [1]}}}})",
        R"({"sites": {"a.cn": {"home": {"charset": "latin-1"}}}})",
        R"({"index": {"keywords": {"k": {"format": "gif"}}}})",
        R"({"index": {"keywords": {"k": {"picture": "missing.png"}}}})",
    };
    TempDir dir;
    for (const char* text : bad) {
        std::string error;
        EXPECT_EQ(World::fromScenarioText(text, dir.path().string(), error), nullptr) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    std::string error;
    EXPECT_EQ(World::fromScenarioFile(dir.filePath("absent.json"), error), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST(SimulatedWorld, ScenarioPictureFilesAreServedAsTheyAre)
{
    TempDir dir;
    const std::string bytes = std::string("BM\0\x01junk", 8);
    dir.writeFile("seven.bmp", bytes);
    std::string error;
    auto world = World::fromScenarioText(R"({"index": {"keywords": {"k": {"picture": "seven.bmp"}}}})",
                                         dir.path().string(), error);
    ASSERT_TRUE(world) << error;
    simweb::SimWeb web(*world);
    const ByteBlock answer = web.handle({"POST", "http://index.zeravudez.com/baidu/words.aspx", "", "kw=k"}).body;
    const Text address = readIndexPictureAddress(answer, "k", simweb::kIndexHost);
    ASSERT_FALSE(address.empty());
    const simweb::SimResponse picture = web.handle({"GET", address, "", ""});
    EXPECT_EQ(picture.body, bytes);
    EXPECT_EQ(picture.contentType, "image/bmp");
}

TEST(SimulatedWorld, LearnsSitesOnlyWhenAskedAndKeepsThemInItsFile)
{
    World quiet;
    simweb::SimWeb quietWeb(quiet);
    get(quietWeb, "http://www.new-site.cn/");
    EXPECT_TRUE(quiet.sites().empty());

    TempDir dir;
    const std::string file = dir.filePath("sites.txt");
    {
        World world;
        world.setLearning(true, file);
        simweb::SimWeb web(world);
        get(web, "http://WWW.New-Site.cn/");
        get(web, overviewAddress("site%3Awww.other.com&lm=1"));
        get(web, overviewAddress("http://www.third.org/"));
        get(web, "http://www.new-site.cn/");
        EXPECT_EQ(world.sites(), (std::vector<std::string> {"www.new-site.cn", "www.other.com", "www.third.org"}));
    }
    World again;
    again.setLearning(true, file);
    EXPECT_EQ(again.sites(), (std::vector<std::string> {"www.new-site.cn", "www.other.com", "www.third.org"}));
    EXPECT_EQ(TempDir::readFile(file), "www.new-site.cn\nwww.other.com\nwww.third.org\n");
}

TEST(SimulatedWorld, FixedRanksKeepTheirPlacesAgainstGeneratedOnes)
{
    std::string error;
    auto world = World::fromScenarioText(R"({"sites": {"fixed.cn": {"ranks": {"k": [{"position": 1}, {"position": 2},
        {"position": 3}, {"position": 4}, {"position": 5}, {"position": 6}]}}}})",
                                         ".", error);
    ASSERT_TRUE(world) << error;
    world->setLearning(true);
    for (int i = 0; i < 30; ++i) {
        world->learnSite("www.learned" + std::to_string(i) + ".com");
    }
    std::set<int> taken;
    for (const auto& [position, placement] : world->placements("k", 19900)) {
        EXPECT_EQ(position, placement.entry.position);
        EXPECT_EQ(placement.site == "fixed.cn", position <= 6) << position << " " << placement.site;
        taken.insert(position);
    }
    EXPECT_GT(taken.size(), 6u);
}

TEST(SimulatedWeb, RequestFormsAndUnknownAddresses)
{
    World world;
    simweb::SimWeb web(world);
    // A plain server request (path and Host header) is answered like a proxy one.
    const simweb::SimResponse direct = web.handle({"GET", "/?x=1", "Www.Plain.Cn:8080", ""});
    EXPECT_EQ(direct.status, 200);
    EXPECT_EQ(direct.body, get(web, "http://www.plain.cn/"));
    EXPECT_EQ(get(web, "http://www.plain.cn:80/index.html"), direct.body);

    EXPECT_EQ(web.handle({"GET", "http://www.plain.cn/about.html", "", ""}).status, 404);
    EXPECT_EQ(web.handle({"GET", "http://www.baidu.com/other", "", ""}).status, 404);
    EXPECT_EQ(web.handle({"GET", "http://index.zeravudez.com/baidu/pic/ZZ-1.png", "", ""}).status, 404);
    EXPECT_EQ(web.handle({"GET", "http://index.zeravudez.com/baidu/pic/6B-19900.gif", "", ""}).status, 404);
    // A picture path naming another format than the keyword's is not served.
    const simweb::PictureFormat format = world.indexPicture("k", 19900).format;
    const simweb::PictureFormat other
        = format == simweb::PictureFormat::Png ? simweb::PictureFormat::Bmp : simweb::PictureFormat::Png;
    const std::string host = "http://index.zeravudez.com";
    EXPECT_EQ(web.handle({"GET", host + simweb::picturePath("k", format, 19900), "", ""}).status, 200);
    EXPECT_EQ(web.handle({"GET", host + simweb::picturePath("k", other, 19900), "", ""}).status, 404);

    // The lookup form also answers a GET with kw in the query.
    EXPECT_EQ(get(web, "http://index.zeravudez.com/baidu/words.aspx?kw=abc"),
              web.handle({"POST", "http://index.zeravudez.com/baidu/words.aspx", "", "kw=abc"}).body);
}

TEST(SimulatedWeb, QueryTextsDecodeLikeAFormDecoder)
{
    EXPECT_EQ(simweb::percentDecode("%E4%B8%AD%e6%96%87+a"), "中文 a");
    EXPECT_EQ(simweb::percentDecode("100%"), "100%");
    EXPECT_EQ(simweb::percentDecode("%4"), "%4");
    EXPECT_EQ(simweb::percentDecode("%zz%41"), "%zzA");
    const auto query = simweb::parseQuery("wd=site%3Awww.a.cn&lm=1&lm=7&empty=&=x&flag");
    EXPECT_EQ(query.at("wd"), "site:www.a.cn");
    EXPECT_EQ(query.at("lm"), "1");
    EXPECT_EQ(query.at("empty"), "");
    EXPECT_EQ(query.at("flag"), "");
    EXPECT_EQ(query.size(), 4u);

    const auto url = simweb::splitTarget("HTTP://WWW.Baidu.com:80?wd=x", "ignored");
    EXPECT_EQ(url.host, "www.baidu.com");
    EXPECT_EQ(url.path, "/");
    EXPECT_EQ(url.query, "wd=x");
}

TEST(SimulatedWeb, FiguresAreGroupedByThousands)
{
    EXPECT_EQ(simweb::groupedNumber(0), "0");
    EXPECT_EQ(simweb::groupedNumber(999), "999");
    EXPECT_EQ(simweb::groupedNumber(1000), "1,000");
    EXPECT_EQ(simweb::groupedNumber(1234567), "1,234,567");
    EXPECT_EQ(simweb::groupedNumber(-12345), "-12,345");
    EXPECT_EQ(simweb::dayText(*simweb::parseDay("2024-05-09")), "2024-5-9");
    EXPECT_EQ(simweb::isoDayText(*simweb::parseDay("2024-5-9")), "2024-05-09");
    EXPECT_FALSE(simweb::parseDay("2024-02-30"));
    EXPECT_FALSE(simweb::parseDay("2024-02-03x"));
}

} // namespace
} // namespace zv::test
