// The digest of a check: which keywords count as changed against their
// previous recorded day, what counts as failed, and how it reads.

#include "app/check_digest.h"
#include "app/digest_notices.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace zv {
namespace {

using namespace Qt::StringLiterals;

struct DigestCase
{
    const char* name;
    std::optional<int> previous;
    std::optional<int> today;
    unsigned flags; // expected; 0: not a change
    bool failed = false;
    std::optional<bool> landingChanged = std::nullopt;
};

void PrintTo(const DigestCase& c, std::ostream* os)
{
    *os << c.name;
}

class DigestArithmetic : public ::testing::TestWithParam<DigestCase>
{
};

TEST_P(DigestArithmetic, ClassifiesTheKeyword)
{
    const DigestCase& c = GetParam();
    DigestSite site {u"www.a.cn"_s, false, {}, 0, {{u"词"_s, c.today, c.previous, c.landingChanged}}};
    const Digest digest = makeDigest({site}, 3);
    if (c.flags == 0) {
        EXPECT_TRUE(digest.changes.empty()) << changeWords(digest.changes.front()).toStdString();
    } else {
        ASSERT_EQ(digest.changes.size(), 1u);
        EXPECT_EQ(digest.changes[0].flags, c.flags) << changeWords(digest.changes[0]).toStdString();
    }
    EXPECT_EQ(digest.failures.size(), c.failed ? 1u : 0u);
    EXPECT_EQ(digest.counts.failed, c.failed ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DigestArithmetic,
    ::testing::Values(DigestCase {"equal", 5, 5, 0},
                      DigestCase {"up_onto_the_first_page", 12, 4, kMovedUp | kEnteredFirstPage},
                      DigestCase {"down_off_the_first_page", 4, 15, kMovedDown | kLeftFirstPage},
                      DigestCase {"up_within_the_first_page", 9, 2, kMovedUp},
                      DigestCase {"down_beyond_the_first_page", 30, 60, kMovedDown},
                      DigestCase {"threshold_edge_down", 20, 23, kMovedDown},
                      DigestCase {"threshold_edge_up", 23, 20, kMovedUp}, DigestCase {"below_threshold", 20, 22, 0},
                      DigestCase {"below_threshold_up", 22, 20, 0},
                      DigestCase {"first_page_entry_by_one", 11, 10, kEnteredFirstPage},
                      DigestCase {"first_page_exit_by_one", 10, 11, kLeftFirstPage},
                      DigestCase {"lost_from_the_first_page", 4, 0, kLost | kLeftFirstPage},
                      DigestCase {"lost_from_further_down", 50, 0, kLost},
                      DigestCase {"new_on_the_first_page", 0, 7, kNewlyRanked | kEnteredFirstPage},
                      DigestCase {"new_further_down", 0, 40, kNewlyRanked}, DigestCase {"unranked_both_days", 0, 0, 0},
                      DigestCase {"failed", 5, std::nullopt, 0, true},
                      DigestCase {"failed_without_previous_day", std::nullopt, std::nullopt, 0, true},
                      DigestCase {"added_today", std::nullopt, 3, 0},
                      DigestCase {"added_today_landing_known", std::nullopt, 3, 0, false, true},
                      DigestCase {"landing_changed", 5, 5, kLandingChanged, false, true},
                      DigestCase {"landing_unchanged", 5, 5, 0, false, false},
                      DigestCase {"landing_and_move", 5, 1, kMovedUp | kLandingChanged, false, true}),
    [](const auto& i) { return std::string(i.param.name); });

// Two sites: one with moves and a failed keyword, one stopped by the
// engine's security check.
std::vector<DigestSite> twoSites()
{
    DigestSite a {u"www.a.cn"_s, false, {}, 0, {}};
    a.keywords = {
        {u"网站优化"_s, 15, 4, std::nullopt}, // down 11, off the first page
        {u"关键词\t排名"_s, 3, 9, std::nullopt}, // up 6
        {u"seo工具"_s, 0, 30, std::nullopt}, // lost
        {u"稳定"_s, 8, 8, std::nullopt},
        {u"失败"_s, std::nullopt, 6, std::nullopt},
        {u"新词"_s, 2, std::nullopt, std::nullopt},
    };
    DigestSite b {u"www.b.cn"_s, true, {u"网站综合信息查询失败！"_s}, 2, {}};
    b.keywords = {
        {u"前"_s, 60, 20, std::nullopt}, // down 40
        {u"后一"_s, std::nullopt, 5, std::nullopt},
        {u"后二"_s, std::nullopt, 7, std::nullopt},
    };
    return {a, b};
}

TEST(Digest, CountsListsAndOrdersTheLargestMoves)
{
    const Digest digest = makeDigest(twoSites(), 3);
    EXPECT_EQ(digest.sitesChecked, 2);
    EXPECT_EQ(digest.counts, (DigestCounts {1, 2, 0, 1, 0, 1, 0, 4}));
    EXPECT_EQ(countsText(digest).toStdString(), "1 up, 2 down, 1 left the first page, 1 lost, 4 failed");

    // Lost first, then by places moved; the three largest only.
    const std::vector<DigestChange> moves = digest.largestMoves(3);
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[0].keyword, u"seo工具"_s);
    EXPECT_EQ(moves[1].keyword, u"前"_s);
    EXPECT_EQ(moves[2].keyword, u"网站优化"_s);

    EXPECT_EQ(digestBlock(digest).toStdString(),
              "\n# changes\n"
              "# 2 sites checked: 1 up, 2 down, 1 left the first page, 1 lost, 4 failed\n"
              "www.a.cn\t网站优化\t4 → 15\tdown 11, left the first page\n"
              "www.a.cn\t关键词 排名\t9 → 3\tup 6\n"
              "www.a.cn\tseo工具\t30 → not ranked\tlost\n"
              "www.b.cn\t前\t20 → 60\tdown 40\n"
              "www.a.cn\t失败\tfailed\tsearch failed\n"
              "www.b.cn\t\tfailed\tthe search engine asked for its security check; 2 keywords without a rank today\n"
              "www.b.cn\t\tfailed\t网站综合信息查询失败！\n"
              "www.b.cn\t\tfailed\t2 index pictures could not be fetched\n");

    EXPECT_EQ(noticeTitle(digest), u"Zeravudez: 2 sites checked"_s);
    EXPECT_EQ(noticeBody(digest).toStdString(),
              "1 up, 2 down, 1 left the first page, 1 lost, 4 failed\n"
              "seo工具 (www.a.cn): 30 → not ranked\n"
              "前 (www.b.cn): 20 → 60\n"
              "网站优化 (www.a.cn): 4 → 15");
}

TEST(Digest, TheJsonObjectHoldsTheSameFacts)
{
    const QByteArray line = digestJsonLine(makeDigest(twoSites(), 3));
    ASSERT_TRUE(line.endsWith('\n'));
    EXPECT_EQ(line.count('\n'), 1);
    const QJsonObject digest = QJsonDocument::fromJson(line).object().value(u"digest"_s).toObject();
    EXPECT_EQ(digest.value(u"sitesChecked"_s).toInt(), 2);
    EXPECT_EQ(digest.value(u"threshold"_s).toInt(), 3);
    EXPECT_EQ(digest.value(u"counts"_s).toObject().value(u"down"_s).toInt(), 2);
    const QJsonArray changes = digest.value(u"changes"_s).toArray();
    ASSERT_EQ(changes.size(), 4);
    const QJsonObject first = changes.at(0).toObject();
    EXPECT_EQ(first.value(u"keyword"_s).toString(), u"网站优化"_s);
    EXPECT_EQ(first.value(u"previous"_s).toInt(), 4);
    EXPECT_EQ(first.value(u"value"_s).toInt(), 15);
    EXPECT_EQ(first.value(u"what"_s).toArray(), (QJsonArray {u"down"_s, u"leftFirstPage"_s}));
    // A keyword with a tab keeps it: JSON needs no columns.
    EXPECT_EQ(changes.at(1).toObject().value(u"keyword"_s).toString(), u"关键词\t排名"_s);
    const QJsonArray failures = digest.value(u"failures"_s).toArray();
    ASSERT_EQ(failures.size(), 4);
    EXPECT_EQ(failures.at(0).toObject().value(u"keyword"_s).toString(), u"失败"_s);
    EXPECT_TRUE(failures.at(1).toObject().value(u"keyword"_s).isNull());
}

TEST(Digest, NothingToTellIsQuiet)
{
    DigestSite site {u"www.a.cn"_s, false, {}, 0, {{u"词"_s, 5, 6, std::nullopt}}};
    const Digest digest = makeDigest({site}, 3);
    EXPECT_TRUE(digest.quiet());
    EXPECT_EQ(digestBlock(digest).toStdString(), "\n# changes\n# 1 site checked: no changes\n");
    // The threshold of the settings decides: one place is a move at 1.
    EXPECT_FALSE(makeDigest({site}, 1).quiet());
}

} // namespace
} // namespace zv
