// The second engine, search.example.com: the same result lists as
// www.baidu.com in list-item mark-up, its paging, the scenario's engine
// answers and its own security check.

#include <gtest/gtest.h>

#include "tests/simweb/page_reading.h"
#include "tests/simweb/served_world.h"
#include "tests/support/temp_dir.h"
#include "tools/simweb/proxy_server.h"
#include "tools/simweb/sim_web.h"
#include "web/codepage.h"
#include "web/http_request.h"
#include "web/pattern_matcher.h"

namespace zv::test {
namespace {

using simweb::World;

// One result as a page shows it: its position and the addresses of its lines.
struct ShownResult
{
    Text position;
    std::vector<Text> addresses;
    bool operator==(const ShownResult&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ShownResult& result)
{
    out << result.position << ":";
    for (const Text& address : result.addresses) {
        out << " " << gbkToUtf8(address);
    }
    return out;
}

// Results of a table page; a line is the address, a blank and the date.
std::vector<ShownResult> tableResults(const ByteBlock& page)
{
    std::vector<ShownResult> shown;
    PatternMatcher blocks;
    PatternMatcher lines;
    blocks.execute(gbk("<table.*?id=\"(.*?)\"[\\s\\S]*?</table>"), utf8ToGbk(page));
    for (int n = 1; n <= blocks.matchCount(); ++n) {
        ShownResult result {blocks.subMatchText(n, 1), {}};
        lines.execute(gbk("<span class=\"g\">(.*?)</span>"), blocks.matchText(n));
        for (int l = 1; l <= lines.matchCount(); ++l) {
            const Text line = lines.subMatchText(l, 1);
            result.addresses.push_back(line.substr(0, line.find(' ')));
        }
        shown.push_back(std::move(result));
    }
    return shown;
}

std::vector<ShownResult> listResults(const ByteBlock& page)
{
    std::vector<ShownResult> shown;
    PatternMatcher blocks;
    PatternMatcher entries;
    blocks.execute(gbk("<li class=\"result\" data-pos=\"(\\d+)\">[\\s\\S]*?</li>"), utf8ToGbk(page));
    for (int n = 1; n <= blocks.matchCount(); ++n) {
        ShownResult result {blocks.subMatchText(n, 1), {}};
        entries.execute(gbk("<div class=\"url\">(.*?)</div>"), blocks.matchText(n));
        for (int e = 1; e <= entries.matchCount(); ++e) {
            result.addresses.push_back(entries.subMatchText(e, 1));
        }
        shown.push_back(std::move(result));
    }
    return shown;
}

std::string listAddress(const char* keyword, int first, int count)
{
    return "http://search.example.com/search?q=" + urlEncode(gbk(keyword), true, true)
        + "&first=" + std::to_string(first) + "&count=" + std::to_string(count);
}

std::vector<int> positions(const ByteBlock& page)
{
    std::vector<int> out;
    for (const ShownResult& result : listResults(page)) {
        out.push_back(leadingInteger(result.position));
    }
    return out;
}

bool saysNoResults(const ByteBlock& page)
{
    PatternMatcher m;
    m.execute(gbk("未找到与[\\s\\S]*?相关的结果"), utf8ToGbk(page));
    return m.matchCount() > 0;
}

bool titled(const ByteBlock& page, const char* title)
{
    return containsText(utf8ToGbk(page), gbk("<title>") + gbk(title) + "</title>");
}

class ListEngine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        world = World::fromScenarioFile(ZV_SCENARIO_DIR "/basic.json", error);
        ASSERT_TRUE(world) << error;
        web = std::make_unique<simweb::SimWeb>(*world);
    }

    ByteBlock get(const std::string& url) const { return web->handle({"GET", url, "", ""}).body; }

    std::unique_ptr<World> world;
    std::unique_ptr<simweb::SimWeb> web;
};

// Generated and fixed entries, near misses and double entries alike stand at
// the same positions with the same addresses on both engines.
TEST_F(ListEngine, SameResultsAsTheTableEngine)
{
    world->setLearning(true);
    for (const char* site : {"www.alpha.cn", "alpha.cn", "www.beta-shop.com", "news.gamma.com.cn"}) {
        world->learnSite(site);
    }
    int siteResults = 0;
    for (const simweb::Day day : {19900, 19917}) {
        world->setFixedDay(day);
        for (const char* keyword : {"网站优化", "seo工具", "外链建设", "网络营销"}) {
            for (int page = 1; page <= 8; ++page) {
                const auto tables = tableResults(get(rankAddress(gbk(keyword), page)));
                const auto list = listResults(get(listRankAddress(gbk(keyword), page)));
                ASSERT_EQ(tables.size(), 100u) << keyword << " " << page;
                ASSERT_EQ(list.size(), tables.size()) << keyword << " " << page;
                for (std::size_t i = 0; i < list.size(); ++i) {
                    EXPECT_EQ(list[i], tables[i]) << keyword << " day " << day;
                }
                for (const ShownResult& result : list) {
                    siteResults += containsText(result.addresses.front(), "alpha.cn")
                        || containsText(result.addresses.front(), "shop-demo");
                }
            }
        }
    }
    // The lists compared hold the sites, not fillers alone.
    EXPECT_GT(siteResults, 20);
}

TEST_F(ListEngine, ScenarioRanksReadBackThroughTheProfilePatterns)
{
    world->setFixedDay(19900);
    const Text site = "www.shop-demo.cn";
    std::vector<ByteBlock> tables;
    std::vector<ByteBlock> list;
    for (int page = 1; page <= 3; ++page) {
        tables.push_back(get(rankAddress(gbk("网站优化"), page)));
        list.push_back(get(listRankAddress(gbk("网站优化"), page)));
    }
    // Home page at 3, near misses at 5, 9 and 12 not counted, a double entry
    // counted once.
    EXPECT_EQ(readListRanks(list, site), "3. 17 150 ");
    EXPECT_EQ(readListRanks(list, site), readRanks(tables, site));
    EXPECT_EQ(readListRanks({get(listRankAddress(gbk("seo工具"), 3))}, site), "250. ");
    EXPECT_EQ(readListRanks({get(listRankAddress(gbk("关键词排名"), 1))}, site), "5 ");

    const ByteBlock first = list.front();
    const Text text = utf8ToGbk(first);
    EXPECT_TRUE(titled(first, "网站优化 - 搜索结果"));
    EXPECT_FALSE(containsText(first, "<table", true));
    EXPECT_FALSE(saysNoResults(first));
    EXPECT_TRUE(containsText(text, "<li class=\"result\" data-pos=\"3\"><h3><a href=\"http://www.shop-demo.cn/\">"));
    EXPECT_TRUE(containsText(text, "<div class=\"url\">www.shop-demo.cn/</div>"));
    // A page other than the home page shows its path, and the link goes there.
    const ShownResult at17 = listResults(first)[16];
    ASSERT_EQ(at17.addresses.size(), 1u);
    EXPECT_TRUE(at17.addresses[0].starts_with("www.shop-demo.cn/")) << at17;
    EXPECT_TRUE(at17.addresses[0].ends_with(".html")) << at17;
    EXPECT_TRUE(containsText(text, "<a href=\"http://" + at17.addresses[0] + "\">"));
}

TEST_F(ListEngine, PagingCountsFromFirst)
{
    world->setFixedDay(19900);
    auto run = [](int from, int count) {
        std::vector<int> out(count);
        for (int i = 0; i < count; ++i) {
            out[i] = from + i;
        }
        return out;
    };
    EXPECT_EQ(positions(get(listAddress("网站优化", 101, 100))), run(101, 100));
    EXPECT_EQ(positions(get(listAddress("网站优化", 11, 10))), run(11, 10));
    // The last page stops at the last result; past it, the notice.
    const auto last = positions(get(listAddress("网站优化", 751, 100)));
    ASSERT_EQ(last.size(), 50u);
    EXPECT_EQ(last.front(), 751);
    EXPECT_EQ(last.back(), World::totalResults);
    const ByteBlock past = get(listAddress("网站优化", 801, 100));
    EXPECT_EQ(listResultCount(past), 0);
    EXPECT_TRUE(saysNoResults(past));
    // Without first and count: the first ten; nonsense counts are brought
    // into 1 .. 100.
    const auto plain = positions(get("http://search.example.com/search?q=seo"));
    EXPECT_EQ(plain, run(1, 10));
    EXPECT_EQ(positions(get(listAddress("seo", 1, 500))).size(), 100u);
    EXPECT_EQ(positions(get(listAddress("seo", -5, 0))), run(1, 1));
}

TEST_F(ListEngine, KeywordIsEscapedAndTrimmed)
{
    const ByteBlock page = get("http://search.example.com/search?q=%20a%26%3Cb%3E%20&first=1&count=5");
    EXPECT_TRUE(titled(page, "a&amp;&lt;b&gt; - 搜索结果"));
    EXPECT_FALSE(containsText(page, "<b>"));
    EXPECT_EQ(listResultCount(page), 5);
    // The pager asks for the same keyword.
    EXPECT_TRUE(containsText(page, "href=\"/search?q=a%26%3Cb%3E&amp;first=6&amp;count=5\""));

    // Without a keyword: the search box; other paths are not there.
    const auto form = web->handle({"GET", "http://search.example.com/search?q=%20", "", ""});
    EXPECT_EQ(form.status, 200);
    EXPECT_EQ(listResultCount(form.body), 0);
    EXPECT_EQ(web->handle({"GET", "http://search.example.com/s?wd=seo", "", ""}).status, 404);
}

class ListEngineAnswers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        world = World::fromScenarioFile(ZV_SCENARIO_DIR "/engine_answers.json", error);
        ASSERT_TRUE(world) << error;
        web = std::make_unique<simweb::SimWeb>(*world);
    }

    simweb::SimResponse rank(const char* keyword, int page) const
    {
        return web->handle({"GET", listRankAddress(gbk(keyword), page), "", ""});
    }

    std::unique_ptr<World> world;
    std::unique_ptr<simweb::SimWeb> web;
};

TEST_F(ListEngineAnswers, ErrorStatusesAndStallsAsForTheTableEngine)
{
    const auto failed = rank("外链建设", 1);
    EXPECT_EQ(failed.status, 500);
    EXPECT_EQ(listResultCount(failed.body), 0);
    const auto second = rank("外链建设", 2);
    EXPECT_EQ(second.status, 200);
    EXPECT_EQ(readListRanks({second.body}, "www.shop-demo.cn"), "120 ");
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(rank("网站建设", page).status, 503) << page;
    }
    EXPECT_EQ(rank("关键词排名", 1).status, 200);
    EXPECT_EQ(readListRanks({rank("关键词排名", 1).body}, "www.shop-demo.cn"), "7 ");
    EXPECT_EQ(rank("关键词排名", 2).status, 503);
    EXPECT_TRUE(rank("网站优化", 2).stall);
    EXPECT_FALSE(rank("网站优化", 1).stall);
    EXPECT_EQ(listResultCount(rank("网站优化", 1).body), 100);
}

TEST_F(ListEngineAnswers, NoResultsNoticeAndBrokenPage)
{
    const auto none = rank("没有结果的词", 1);
    EXPECT_EQ(none.status, 200);
    EXPECT_EQ(listResultCount(none.body), 0);
    EXPECT_TRUE(saysNoResults(none.body));
    EXPECT_TRUE(containsText(utf8ToGbk(none.body), gbk("<div class=\"empty\">未找到与“没有结果的词”相关的结果</div>")));
    EXPECT_FALSE(titled(none.body, "人机验证"));

    const auto broken = rank("坏页面", 1);
    EXPECT_EQ(broken.status, 200);
    EXPECT_TRUE(titled(broken.body, "坏页面 - 搜索结果"));
    EXPECT_EQ(listResultCount(broken.body), 0);
    EXPECT_FALSE(saysNoResults(broken.body));
    EXPECT_FALSE(containsText(broken.body, "</html>"));

    // The table engine keeps its own notice for the same keyword.
    const auto tables = web->handle({"GET", rankAddress(gbk("没有结果的词"), 1), "", ""});
    EXPECT_FALSE(saysNoResults(tables.body));
    EXPECT_TRUE(containsText(utf8ToGbk(tables.body), gbk("没有找到与")));
}

TEST(ListEngineVerification, CheckPageAfterNRequestsCountedPerEngine)
{
    auto world = worldFrom(R"({"engine": {"verification": {"after": 2, "form": "page"}}})");
    ASSERT_TRUE(world);
    simweb::SimWeb web(*world);
    const std::string list = listRankAddress(gbk("网站优化"), 1);
    const std::string tables = rankAddress(gbk("网站优化"), 1);
    // Three requests to the table engine use up its allowance, not this one's.
    for (int i = 0; i < 3; ++i) {
        web.handle({"GET", tables, "", ""});
    }
    for (int i = 0; i < 2; ++i) {
        const auto answer = web.handle({"GET", list, "", ""});
        EXPECT_EQ(listResultCount(answer.body), 100) << i;
        EXPECT_FALSE(titled(answer.body, "人机验证"));
    }
    for (int i = 0; i < 2; ++i) {
        const auto check = web.handle({"GET", list, "", ""});
        EXPECT_EQ(check.status, 200);
        EXPECT_TRUE(titled(check.body, "人机验证")) << i;
        EXPECT_EQ(listResultCount(check.body), 0);
        EXPECT_FALSE(saysNoResults(check.body));
    }
    // The check host answers with the same page.
    EXPECT_TRUE(titled(web.handle({"GET", "http://verify.example.com/check?back=x", "", ""}).body, "人机验证"));
}

using ProxiedListEngine = ProxiedWorld;

TEST_F(ProxiedListEngine, RedirectionToTheCheckHostIsFollowedAndLogged)
{
    start(R"({"engine": {"verification": {"after": 1}}})");
    const std::string first = listRankAddress(gbk("网站优化"), 1);
    const std::string second = listRankAddress(gbk("网站优化"), 2);

    const HttpResult normal = httpExchange(first, {}, proxy);
    EXPECT_TRUE(normal.ok());
    EXPECT_FALSE(normal.changedHost());
    EXPECT_EQ(listResultCount(normal.body), 100);

    const HttpResult check = httpExchange(second, {}, proxy);
    EXPECT_TRUE(check.ok());
    EXPECT_TRUE(check.changedHost());
    EXPECT_EQ(check.finalHost, simweb::kListVerifyHost);
    EXPECT_TRUE(titled(check.body, "人机验证"));
    EXPECT_EQ(listResultCount(check.body), 0);

    const auto lines = logLines(logPath);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["method"], "GET");
    EXPECT_EQ(lines[0]["url"], first);
    EXPECT_EQ(lines[0]["status"], 200);
    EXPECT_EQ(lines[1]["url"], second);
    EXPECT_EQ(lines[1]["status"], 302);
    const std::string checkUrl = lines[2]["url"];
    EXPECT_TRUE(checkUrl.starts_with("http://verify.example.com/check?back=http%3A%2F%2Fsearch.example.com%2Fsearch"
                                     "%3Fq%3D%25E7%25BD%2591"))
        << checkUrl;
    EXPECT_EQ(check.finalUrl, checkUrl);
    EXPECT_EQ(lines[2]["status"], 200);
}

} // namespace
} // namespace zv::test
