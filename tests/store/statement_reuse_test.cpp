// The store keeps compiled statements for their next use. A statement sent
// again must see the values of this call and the table as it is now, also
// when a second copy of the program has changed the table in between.

#include "store/schema.h"
#include "store/store.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <vector>

namespace zv {
namespace {

const Text kTable = "www_example_com";
const Text kTodayRow = "select * from www_example_com where keydate=date()";

std::vector<Text> fieldNames(const Store& store)
{
    std::vector<Text> names;
    for (int i = 0; !store.fieldName(i).empty(); ++i)
        names.push_back(store.fieldName(i));
    return names;
}

class StatementReuse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = dir.filePath("web.db");
        Store::createDatabaseFile(path);
        for (Store* s : {&store, &secondCopy}) {
            ASSERT_TRUE(s->connectAccess(path));
            ASSERT_TRUE(s->bindConnection());
        }
        ASSERT_TRUE(store.executeSql(createKeywordIndexTableSql()));
        ASSERT_TRUE(store.executeSql(createRankTableSql(kTable)));
        ASSERT_TRUE(store.executeSql(createRankDateIndexSql(kTable)));
        ASSERT_TRUE(store.openRecordset(addKeywordColumnSql(kTable, "alpha"), SqlText));
        ASSERT_TRUE(store.openRecordset(kTable, TableName));
        ASSERT_TRUE(store.addNew());
        ASSERT_TRUE(store.writeInteger("alpha", 3));
        ASSERT_TRUE(store.update());
    }

    test::TempDir dir;
    std::string path;
    Store store;
    Store secondCopy;
};

TEST_F(StatementReuse, SameTextWithOtherValuesFindsOtherRows)
{
    for (const char* keyword : {"one", "two"})
        ASSERT_TRUE(store.executeSql("insert into web_baiduzhishu (keywords, baiduzhishu) values ('" + Text(keyword)
                                     + "', '" + Text(keyword) + "-picture')"));
    for (const char* keyword : {"two", "one", "three", "one"}) {
        SCOPED_TRACE(keyword);
        ASSERT_TRUE(
            store.openRecordset("select * from web_baiduzhishu where keywords='" + Text(keyword) + "'", SqlText));
        Text picture;
        if (Text(keyword) == "three") {
            EXPECT_EQ(store.recordCount(), 0);
            continue;
        }
        ASSERT_EQ(store.recordCount(), 1);
        ASSERT_TRUE(store.readText(1, picture));
        EXPECT_EQ(picture, Text(keyword) + "-picture");
    }
}

TEST_F(StatementReuse, ColumnsAddedSinceTheLastUseAreSeen)
{
    ASSERT_TRUE(store.openRecordset(kTodayRow, SqlText));
    EXPECT_EQ(fieldNames(store), (std::vector<Text> {"ID", "keydate", "alpha"}));

    // Added through this connection.
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql(kTable, "beta"), SqlText));
    ASSERT_TRUE(store.openRecordset(kTodayRow, SqlText));
    EXPECT_EQ(fieldNames(store), (std::vector<Text> {"ID", "keydate", "alpha", "beta"}));

    // Added by a second copy of the program: the row read and changed through
    // the reused statement is still today's row, field by field.
    ASSERT_TRUE(secondCopy.openRecordset(addKeywordColumnSql(kTable, "gamma"), SqlText));
    ASSERT_TRUE(store.openRecordset(kTodayRow, SqlText));
    ASSERT_EQ(fieldNames(store), (std::vector<Text> {"ID", "keydate", "alpha", "beta", "gamma"}));
    ASSERT_EQ(store.recordCount(), 1);
    int alpha = 0;
    ASSERT_TRUE(store.readInteger(2, alpha));
    EXPECT_EQ(alpha, 3);
    ASSERT_TRUE(store.writeInteger(4, 7));
    ASSERT_TRUE(store.update());

    ASSERT_TRUE(secondCopy.openRecordset(kTodayRow, SqlText));
    ASSERT_EQ(secondCopy.recordCount(), 1);
    int values[3] = {};
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(secondCopy.readInteger(i + 2, values[i]));
    EXPECT_EQ(values[0], 3);
    EXPECT_EQ(values[1], 0);
    EXPECT_EQ(values[2], 7);
}

} // namespace
} // namespace zv
