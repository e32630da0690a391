// The result lists kept beside the rank tables: a day's list replaced in
// place, the comparison with the previous recorded day, and the lists going
// with their keyword's column or their site's rank table, in the same
// transaction as the drop.

#include "store/result_lists.h"
#include "store/schema.h"
#include "store/store.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

const Text kTable = "www_a_cn";

class ResultListStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string path = dir.filePath("web.db");
        Store::createDatabaseFile(path);
        ASSERT_TRUE(store.connectAccess(path));
        ASSERT_TRUE(store.bindConnection());
        ASSERT_TRUE(store.executeSql(createRankTableSql(kTable)));
        for (const char* keyword : {"alpha", "beta"})
            ASSERT_TRUE(store.executeSql(addKeywordColumnSql(kTable, keyword)));
    }

    test::TempDir dir;
    Store store;
};

TEST_F(ResultListStore, ADayIsReplacedAndComparedWithThePreviousRecordedDay)
{
    EXPECT_FALSE(resultLists::entries(store, kTable, "alpha", "2024-05-01")); // nothing kept yet
    ASSERT_TRUE(resultLists::record(store, kTable, "alpha", "2024-05-01",
                                    {{1, "x.cn/", "x.cn", false},
                                     {2, "x.cn/b", "x.cn", false},
                                     {4, "www.a.cn/", "www.a.cn", true},
                                     {5, "gone.cn/", "gone.cn", false}}));
    ASSERT_TRUE(resultLists::record(store, kTable, "alpha", "2024-05-03", {{9, "old.cn/", "old.cn", false}}));
    // The same day again: replaced, not added to.
    ASSERT_TRUE(resultLists::record(
        store, kTable, "alpha", "2024-05-03",
        {{1, "www.a.cn/p", "www.a.cn", true}, {3, "x.cn/b", "x.cn", false}, {7, "new.cn/", "new.cn", false}}));
    ASSERT_TRUE(resultLists::record(store, kTable, "beta", "2024-05-03", {}));

    EXPECT_EQ(resultLists::days(store, kTable, "alpha"), (std::vector<Text> {"2024-05-01", "2024-05-03"}));
    const ComparedList list = resultLists::compared(store, kTable, "alpha", "2024-05-03");
    ASSERT_EQ(list.entries.size(), 3u);
    EXPECT_EQ(list.entries[0].previousPosition, 4); // the host's best the day before
    EXPECT_EQ(list.entries[1].previousPosition, 1);
    EXPECT_FALSE(list.entries[2].previousPosition);
    ASSERT_EQ(list.gone.size(), 1u);
    EXPECT_EQ(list.gone[0], (KeptEntry {5, "gone.cn/", "gone.cn", false}));

    const LandingPage landing = resultLists::landingPage(store, kTable, "alpha", "2024-05-03");
    EXPECT_EQ(landing.address, Text("www.a.cn/p"));
    EXPECT_EQ(landing.previousAddress, Text("www.a.cn/"));
    EXPECT_TRUE(landing.changed);
    // An empty list is a list: searched, nobody kept.
    EXPECT_EQ(resultLists::entries(store, kTable, "beta", "2024-05-03"), std::vector<KeptEntry>());
    EXPECT_FALSE(resultLists::landingPage(store, kTable, "beta", "2024-05-03").changed);
}

TEST_F(ResultListStore, DroppingTheKeywordOrTheRankTableDropsTheirLists)
{
    for (const char* keyword : {"alpha", "beta"})
        ASSERT_TRUE(resultLists::record(store, kTable, keyword, "2024-05-01", {{1, "x.cn/", "x.cn", false}}));
    ASSERT_TRUE(resultLists::record(store, "other_cn", "alpha", "2024-05-01", {{1, "y.cn/", "y.cn", false}}));

    ASSERT_TRUE(store.executeSql(dropKeywordColumnSql(kTable, "alpha")));
    EXPECT_TRUE(resultLists::days(store, kTable, "alpha").empty());
    EXPECT_EQ(resultLists::days(store, kTable, "beta").size(), 1u);
    // A drop that fails takes nothing with it.
    EXPECT_FALSE(store.executeSql(dropKeywordColumnSql(kTable, "alpha")));
    EXPECT_EQ(resultLists::days(store, kTable, "beta").size(), 1u);

    ASSERT_TRUE(store.executeSql(dropRankTableSql(kTable)));
    EXPECT_TRUE(resultLists::days(store, kTable, "beta").empty());
    EXPECT_EQ(resultLists::days(store, "other_cn", "alpha").size(), 1u); // another site's stay
    EXPECT_EQ(resultLists::entries(store, "other_cn", "alpha", "2024-05-01"),
              (std::vector<KeptEntry> {{1, "y.cn/", "y.cn", false}}));
}

} // namespace
} // namespace zv
