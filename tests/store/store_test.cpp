#include "store/schema.h"
#include "store/store.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <thread>

namespace zv {
namespace {

Text gbk(const char* utf8)
{
    return utf8ToGbkString(utf8);
}

std::string todayText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", &local);
    return buf;
}

class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = dir.filePath("data/web.db");
        Store::createDatabaseFile(path);
        ASSERT_TRUE(store.connectAccess(path));
        ASSERT_TRUE(store.executeSql(createSiteRegistrySql()));
        ASSERT_TRUE(store.executeSql(createKeywordIndexTableSql()));
        ASSERT_TRUE(store.bindConnection());
        setStoreErrorHook([this](const std::string& message) { errors.push_back(message); });
    }

    void TearDown() override { setStoreErrorHook(nullptr); }

    // The add-site sequence: rank table, its date index, overview table, registry row.
    bool addSite(const Text& address)
    {
        const Text T = siteTableName(address);
        if (!store.executeSql(createRankTableSql(T))) {
            return false;
        }
        if (!store.executeSql(createRankDateIndexSql(T))) {
            store.executeSql(dropUnindexedRankTableSql(T));
            return false;
        }
        return store.executeSql(createOverviewTableSql(T)) && store.openRecordset(siteRegistryTable(), 2)
            && store.addNew() && store.writeText("web_name", T) && store.update();
    }

    std::vector<Text> registeredSites()
    {
        std::vector<Text> sites;
        if (!store.openRecordset(selectSitesSql(), 1)) {
            return sites;
        }
        for (int i = store.recordCount(); i > 0; --i) {
            Text name;
            store.readText("web_name", name);
            sites.push_back(siteAddress(name));
            store.moveNext();
        }
        return sites;
    }

    // Stores one day of a per-site table with the given integer columns.
    bool addDay(const Text& table, const std::string& day, const std::vector<std::pair<Field, int>>& values = {})
    {
        if (!store.openRecordset(table, 2) || !store.addNew() || !store.writeText("keydate", day)) {
            return false;
        }
        for (const auto& [field, value] : values) {
            if (!store.writeInteger(field, value)) {
                return false;
            }
        }
        return store.update();
    }

    int countRows(const Text& select) { return store.openRecordset(select, 1) ? store.recordCount() : -1; }

    test::TempDir dir;
    std::string path;
    Store store;
    std::vector<std::string> errors;
};

TEST(StoreFile, OnlyARealDatabaseFileOpens)
{
    test::TempDir dir;
    Store store;
    const std::string missing = dir.filePath("missing.db");
    EXPECT_FALSE(store.connectAccess(missing));
    EXPECT_FALSE(std::filesystem::exists(missing)) << "opening must not create the file";

    const std::string junk = dir.writeFile("junk.db", "this is a text file, not a database, padded to be long enough");
    EXPECT_FALSE(store.connectAccess(junk));
    EXPECT_FALSE(store.executeSql(createSiteRegistrySql()));
    EXPECT_FALSE(store.bindConnection());
    // Creation never replaces a file that is there already.
    Store::createDatabaseFile(junk);
    EXPECT_EQ(test::TempDir::readFile(junk), "this is a text file, not a database, padded to be long enough");
    EXPECT_FALSE(store.connectAccess(junk));

    const std::string fresh = dir.filePath("a/b/web.db");
    Store::createDatabaseFile(fresh);
    ASSERT_TRUE(std::filesystem::exists(fresh));
    EXPECT_GT(std::filesystem::file_size(fresh), 0u);
    EXPECT_TRUE(store.connectAccess(fresh));
    EXPECT_FALSE(store.connectAccess(fresh, "secret")) << "a password cannot be checked, so it is refused";
    EXPECT_TRUE(store.connectAccess(fresh, ""));
}

TEST_F(StoreTest, FixedTablesAreCreatedOnceAndKeepTheirRows)
{
    ASSERT_TRUE(addSite("www.a.com"));
    Store second;
    ASSERT_TRUE(second.connectAccess(path));
    EXPECT_FALSE(second.executeSql(createSiteRegistrySql()));
    EXPECT_FALSE(second.executeSql(createKeywordIndexTableSql()));
    ASSERT_TRUE(second.bindConnection());
    ASSERT_TRUE(second.openRecordset(selectSitesSql(), 1));
    EXPECT_EQ(second.recordCount(), 1);
}

TEST(SiteTableName, WholeCharactersLeftToRight)
{
    EXPECT_EQ(siteTableName("a.b-c.d"), "a_b__c_d");
    EXPECT_EQ(siteAddress("a_b__c_d"), "a.b-c.d");
    EXPECT_EQ(siteTableName("www.my_site.com"), "www_my_site_com");
    EXPECT_EQ(siteAddress(siteTableName("www.my_site.com")), "www.my.site.com");
    EXPECT_EQ(siteAddress("a___b"), "a-.b");
    // 0x81 0x5F is one character whose second byte looks like "_".
    const Text address = "\x81\x5F.com";
    EXPECT_EQ(siteTableName(address), "\x81\x5F_com");
    EXPECT_EQ(siteAddress(siteTableName(address)), address);
}

TEST_F(StoreTest, AddressesThatShareATableNameCollide)
{
    ASSERT_TRUE(addSite("www.a-b.com"));
    EXPECT_FALSE(addSite("www_a-b.com"));
    EXPECT_FALSE(addSite("WWW.A-B.COM")) << "table names ignore letter case";
    ASSERT_TRUE(addSite("www.c.com"));
    EXPECT_EQ(registeredSites(), (std::vector<Text> {"www.a-b.com", "www.c.com"}));

    // The registry refuses a second row for the same table name and keeps one.
    ASSERT_TRUE(store.openRecordset(siteRegistryTable(), 2));
    ASSERT_TRUE(store.addNew());
    ASSERT_TRUE(store.writeText("web_name", "www_c_com"));
    EXPECT_FALSE(store.update());
    EXPECT_EQ(store.recordCount(), 2);
    EXPECT_EQ(countRows(selectSitesSql()), 2);
}

TEST_F(StoreTest, EverySiteHasItsOwnIndex1AndOneRowPerDay)
{
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(addSite("www.b.com"));
    EXPECT_FALSE(store.executeSql(createRankDateIndexSql("www_a_com"))) << "index1 exists on that table";

    for (const Text T : {"www_a_com", "www_b_com"}) {
        ASSERT_TRUE(store.openRecordset(T, 2));
        ASSERT_TRUE(store.addNew());
        ASSERT_TRUE(store.update()) << "a row of defaults only";
        ASSERT_TRUE(store.addNew());
        EXPECT_FALSE(store.update()) << "a second row for today";
        EXPECT_EQ(countRows("select * from " + T), 1);
    }
}

TEST_F(StoreTest, TodaysRowIsSelectedByDate)
{
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(addDay("www_a_com", "2009-12-8"));
    ASSERT_TRUE(store.openRecordset("www_a_com", 2));
    ASSERT_TRUE(store.addNew());
    ASSERT_TRUE(store.update());

    ASSERT_TRUE(store.openRecordset("select * from www_a_com where keydate=date()", 1));
    ASSERT_EQ(store.recordCount(), 1);
    Text day;
    ASSERT_TRUE(store.readText("keydate", day));
    EXPECT_EQ(day, todayText() + " 00:00:00");
    int id = 0;
    ASSERT_TRUE(store.readInteger(0, id));
    EXPECT_EQ(id, 2);

    // The overview table's key takes today's date the same way.
    ASSERT_TRUE(store.openRecordset(overviewTableName("www_a_com"), 2));
    ASSERT_TRUE(store.addNew());
    ASSERT_TRUE(store.update());
    ASSERT_TRUE(store.openRecordset("select * from www_a_com_xx where keydate=date()", 1));
    ASSERT_EQ(store.recordCount(), 1);
    Text snapshot;
    ASSERT_TRUE(store.readText("baidukuaizhao", snapshot));
    EXPECT_EQ(snapshot, "0");
    int indexed = -1;
    ASSERT_TRUE(store.readInteger("baidushoulu", indexed));
    EXPECT_EQ(indexed, 0);
}

TEST_F(StoreTest, LikeFindsADayWithOrWithoutLeadingZeros)
{
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql("www_a_com", "seo"), 1));
    ASSERT_TRUE(addDay("www_a_com", "2010-01-05", {{"seo", 5}}));
    ASSERT_TRUE(addDay("www_a_com", "2010-01-15", {{"seo", 15}}));
    ASSERT_TRUE(addDay("www_a_com", "2010-11-05", {{"seo", 1105}}));

    for (const char* key : {"2010-1-5", "2010-01-05"}) {
        ASSERT_TRUE(store.openRecordset(Text("select * from www_a_com where keydate like '") + key + "'", 1));
        ASSERT_EQ(store.recordCount(), 1) << key;
        int rank = 0;
        ASSERT_TRUE(store.readInteger("seo", rank));
        EXPECT_EQ(rank, 5) << key;
    }
    ASSERT_TRUE(store.openRecordset("select * from www_a_com where keydate like '2010-11-5'", 1));
    ASSERT_EQ(store.recordCount(), 1);
    int rank = 0;
    ASSERT_TRUE(store.readInteger("seo", rank));
    EXPECT_EQ(rank, 1105);
    EXPECT_EQ(countRows("select * from www_a_com where keydate like '2010-2-30'"), 0);
    EXPECT_EQ(countRows("select * from www_a_com where keydate like '2010-1-6'"), 0);
}

TEST_F(StoreTest, KeywordColumnsFollowTheTableAndOlderRowsReadZero)
{
    ASSERT_TRUE(addSite("www.a.com"));
    store.closeRecordset();
    EXPECT_EQ(store.fieldName(0), "") << "nothing open";
    ASSERT_TRUE(addDay("www_a_com", "2010-01-01"));
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql("www_a_com", "seo"), 1));
    EXPECT_EQ(store.recordCount(), 0) << "an ALTER leaves the recordset closed";
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql("www_a_com", gbk("北京")), 1));

    ASSERT_TRUE(store.openRecordset(selectRankTableSql("www_a_com"), 1));
    EXPECT_EQ(store.fieldName(0), "ID");
    EXPECT_EQ(store.fieldName(1), "keydate");
    EXPECT_EQ(store.fieldName(2), "seo");
    EXPECT_EQ(store.fieldName(3), gbk("北京"));
    EXPECT_EQ(store.fieldName(4), "") << "past the last column ends the keyword scan";
    EXPECT_EQ(store.fieldName(-1), "");
    int rank = -1;
    ASSERT_TRUE(store.readInteger(2, rank));
    EXPECT_EQ(rank, 0);
    rank = -1;
    ASSERT_TRUE(store.readInteger(gbk("北京"), rank));
    EXPECT_EQ(rank, 0);
    Text shown;
    ASSERT_TRUE(store.readText(3, shown));
    EXPECT_EQ(shown, "0");
    EXPECT_TRUE(errors.empty());
}

TEST_F(StoreTest, NoValueTakesThePlaceOfTheDefaultAndReadsAsNull)
{
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql("www_a_com", "seo"), 1));
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql("www_a_com", gbk("北京")), 1));

    // A new row: one column left to its default 0, one written as no value.
    ASSERT_TRUE(store.openRecordset("www_a_com", 2));
    ASSERT_TRUE(store.addNew());
    EXPECT_TRUE(store.writeNull("seo"));
    EXPECT_FALSE(store.writeNull("nosuchcolumn"));
    ASSERT_TRUE(store.update());

    ASSERT_TRUE(store.openRecordset("select * from www_a_com where keydate=date()", 1));
    ASSERT_EQ(store.recordCount(), 1);
    EXPECT_TRUE(store.isNull("seo"));
    EXPECT_FALSE(store.isNull(gbk("北京")));
    EXPECT_FALSE(store.isNull("keydate"));
    EXPECT_FALSE(store.isNull("nosuchcolumn")) << "no such field is no NULL";
    int rank = -1;
    ASSERT_TRUE(store.readInteger("seo", rank));
    EXPECT_EQ(rank, 0) << "integer reads keep giving 0 for no value";
    Text shown = "x";
    ASSERT_TRUE(store.readText("seo", shown));
    EXPECT_EQ(shown, "");

    // Changing today's row: a value replaces NULL, NULL replaces a value.
    ASSERT_TRUE(store.writeInteger("seo", 7));
    ASSERT_TRUE(store.writeNull(gbk("北京")));
    ASSERT_TRUE(store.update());
    ASSERT_TRUE(store.openRecordset("select * from www_a_com where keydate=date()", 1));
    EXPECT_FALSE(store.isNull("seo"));
    EXPECT_TRUE(store.isNull(gbk("北京")));

    store.closeRecordset();
    EXPECT_FALSE(store.isNull("seo")) << "nothing open";
    EXPECT_TRUE(errors.empty());
}

TEST_F(StoreTest, KeywordNamesAreJudgedByTheStatement)
{
    ASSERT_TRUE(addSite("www.a.com"));
    EXPECT_TRUE(store.openRecordset("alter table www_a_com add  seo  int default 0", 1));

    const Text refused[] = {"bad key",
                            "",
                            "SEO",
                            "ID",
                            "keydate",
                            "a-b",
                            "select",
                            "seo\xA3\xBB"
                            "x",
                            "seo\xA3\xA7",
                            "x int default 0; drop table website",
                            "x int default 0 --",
                            "3d x",
                            "360",
                            "3d\xA3\xBB",
                            "3d'",
                            "3d int default 0; drop table website"};
    for (const Text& K : refused) {
        const std::size_t before = errors.size();
        EXPECT_FALSE(store.openRecordset(addKeywordColumnSql("www_a_com", K), 1)) << K;
        ASSERT_EQ(errors.size(), before + 1) << "the error box for " << K;
        EXPECT_FALSE(errors.back().empty());
    }
    ASSERT_TRUE(store.openRecordset(selectRankTableSql("www_a_com"), 1));
    EXPECT_EQ(store.fieldName(2), "seo");
    EXPECT_EQ(store.fieldName(3), "");
    EXPECT_EQ(countRows("select * from website"), 1);
}

TEST_F(StoreTest, AMissingColumnFailsInsteadOfReadingAsText)
{
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(addDay("www_a_com", "2010-01-01"));
    EXPECT_FALSE(store.openRecordset("select max([gone]) as themax from www_a_com", 1));
    EXPECT_FALSE(store.openRecordset("select * from www_a_com where gone=1", 1));
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(StoreTest, ChineseColumnNamesRoundTrip)
{
    ASSERT_TRUE(addSite("www.a.com"));
    const Text K = gbk("关键词优化");
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql("www_a_com", K), 1));
    ASSERT_TRUE(addDay("www_a_com", "2010-01-02", {{K, 17}}));
    ASSERT_TRUE(addDay("www_a_com", "2010-01-03", {{2, 4}}));

    ASSERT_TRUE(store.openRecordset("select max([" + K + "]) as themax from www_a_com", 1));
    int best = 0;
    ASSERT_TRUE(store.readInteger("themax", best));
    EXPECT_EQ(best, 17);

    ASSERT_TRUE(store.openRecordset(selectRankTableSql("www_a_com"), 1));
    EXPECT_EQ(store.fieldName(2), K);
    EXPECT_TRUE(store.executeSql(dropKeywordColumnSql("www_a_com", K)));
    ASSERT_TRUE(store.openRecordset(selectRankTableSql("www_a_com"), 1));
    EXPECT_EQ(store.fieldName(2), "");
}

TEST_F(StoreTest, NamesStartingWithADigitRoundTrip)
{
    for (const char* address : {"163.com", "58.com", "360.cn"}) {
        ASSERT_TRUE(addSite(address)) << address;
    }
    std::vector<Text> sites = registeredSites();
    std::sort(sites.begin(), sites.end());
    EXPECT_EQ(sites, (std::vector<Text> {"163.com", "360.cn", "58.com"}));

    const Text T = siteTableName("163.com");
    const Text printing = gbk("3d打印");
    const Text phones = gbk("5g手机");
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql(T, printing), 1));
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql(T, phones), 1));
    ASSERT_TRUE(addDay(T, "2010-01-02", {{printing, 7}, {phones, 30}}));
    ASSERT_TRUE(store.openRecordset(T, 2));
    ASSERT_TRUE(store.addNew());
    ASSERT_TRUE(store.writeInteger(printing, 3));
    ASSERT_TRUE(store.update());

    // Today's row found by date and changed in place.
    ASSERT_TRUE(store.openRecordset("select * from " + T + " where keydate=date()", 1));
    ASSERT_EQ(store.recordCount(), 1);
    ASSERT_TRUE(store.writeInteger(phones, 12));
    ASSERT_TRUE(store.update());
    ASSERT_TRUE(store.openRecordset("select * from " + T + " where keydate=date()", 1));
    int rank = 0;
    ASSERT_TRUE(store.readInteger(printing, rank));
    EXPECT_EQ(rank, 3);
    ASSERT_TRUE(store.readInteger(phones, rank));
    EXPECT_EQ(rank, 12);
    ASSERT_TRUE(store.openRecordset("select * from " + T + " where keydate like '2010-1-2'", 1));
    ASSERT_EQ(store.recordCount(), 1);
    ASSERT_TRUE(store.readInteger(printing, rank));
    EXPECT_EQ(rank, 7);

    ASSERT_TRUE(store.openRecordset("select max([" + phones + "]) as themax from " + T, 1));
    ASSERT_TRUE(store.readInteger("themax", rank));
    EXPECT_EQ(rank, 30);

    EXPECT_TRUE(store.executeSql(dropKeywordColumnSql(T, printing)));
    ASSERT_TRUE(store.openRecordset(selectRankTableSql(T), 1));
    EXPECT_EQ(store.fieldName(2), phones);
    EXPECT_EQ(store.fieldName(3), "");

    // The overview table, and the site's removal.
    ASSERT_TRUE(addDay(overviewTableName(T), "2010-01-02", {{"baidushoulu", 5}}));
    EXPECT_EQ(countRows("select * from 163_com_xx where keydate like '2010-1-2'"), 1);
    EXPECT_TRUE(store.executeSql(deleteSiteSql(T)));
    EXPECT_TRUE(store.executeSql(dropRankTableSql(T)));
    EXPECT_TRUE(store.executeSql(dropOverviewTableSql(T)));
    sites = registeredSites();
    std::sort(sites.begin(), sites.end());
    EXPECT_EQ(sites, (std::vector<Text> {"360.cn", "58.com"}));
    EXPECT_EQ(countRows(selectRankTableSql("58_com")), 0) << "the other sites keep their tables";
    EXPECT_TRUE(errors.empty());
}

TEST_F(StoreTest, ReadIntegerOnlyFromIntegerColumns)
{
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(store.openRecordset(overviewTableName("www_a_com"), 2));
    ASSERT_TRUE(store.addNew());
    ASSERT_TRUE(store.writeText("baidukuaizhao", "2009-12-8"));
    ASSERT_TRUE(store.writeText("baidushoulu", ""));
    EXPECT_FALSE(store.writeInteger("baidukuaizhao", 5)) << "not an integer column";
    EXPECT_FALSE(store.writeText("baidufanlian", "many")) << "not a number";
    ASSERT_TRUE(store.writeText("baidufanlian", "5000"));
    ASSERT_TRUE(store.update());

    ASSERT_TRUE(store.openRecordset("select * from www_a_com_xx", 1));
    int value = 42;
    EXPECT_FALSE(store.readInteger("baidukuaizhao", value));
    EXPECT_FALSE(store.readInteger("keydate", value));
    EXPECT_EQ(value, 42) << "left unchanged";
    ASSERT_TRUE(store.readInteger("baidushoulu", value));
    EXPECT_EQ(value, 0) << "NULL reads as 0";
    ASSERT_TRUE(store.readInteger("baidufanlian", value));
    EXPECT_EQ(value, 5000);
    EXPECT_FALSE(store.readInteger("nosuch", value));
    Text text = "old";
    ASSERT_TRUE(store.readText("baidushoulu", text));
    EXPECT_EQ(text, "");
    DateTime day;
    ASSERT_TRUE(store.readDateTime("keydate", day));
    EXPECT_EQ(day.hour + day.minute + day.second, 0);

    ASSERT_TRUE(store.moveNext());
    value = 42;
    EXPECT_FALSE(store.readInteger("baidufanlian", value)) << "past the last record";
    EXPECT_EQ(value, 42);
    text = "old";
    EXPECT_FALSE(store.readText("baidukuaizhao", text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(store.moveNext());

    ASSERT_TRUE(store.openRecordset("select max([baidushoulu]) as themax from www_a_com_xx", 1));
    value = 42;
    ASSERT_TRUE(store.readInteger("themax", value));
    EXPECT_EQ(value, 0) << "max of NULLs";
}

TEST_F(StoreTest, OpeningReplacesTheRecordsetAndAFailureClosesIt)
{
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(addSite("www.b.com"));
    ASSERT_TRUE(store.openRecordset(selectSitesSql(), 1));
    ASSERT_EQ(store.recordCount(), 2);
    ASSERT_TRUE(store.moveNext());

    ASSERT_TRUE(store.openRecordset(selectRankTableSql("www_b_com"), 1));
    EXPECT_EQ(store.recordCount(), 0);
    EXPECT_EQ(store.fieldName(0), "ID");
    Text text = "old";
    EXPECT_FALSE(store.readText("web_name", text));
    EXPECT_EQ(text, "");

    EXPECT_FALSE(store.openRecordset("select * from www_nosuch_com", 1));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("no such table"), std::string::npos) << errors[0];
    EXPECT_EQ(store.recordCount(), 0);
    EXPECT_EQ(store.fieldName(0), "");
    EXPECT_FALSE(store.moveLast());
    EXPECT_FALSE(store.addNew());

    // Failures of the other operations are silent.
    EXPECT_FALSE(store.executeSql("drop table www_nosuch_com"));
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(StoreTest, AFailedInsertLeavesNoRowAndTheLastRowTakesTheValues)
{
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql("www_a_com", "seo"), 1));
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql("www_a_com", "sem"), 1));
    ASSERT_TRUE(addDay("www_a_com", "2009-12-01", {{2, 9}, {3, 9}}));

    for (int round = 1; round <= 2; ++round) {
        ASSERT_TRUE(store.openRecordset("www_a_com", 2));
        ASSERT_TRUE(store.addNew());
        ASSERT_TRUE(store.writeInteger(2, 3 * round));
        ASSERT_TRUE(store.writeInteger(3, 0));
        if (!store.update()) {
            EXPECT_EQ(round, 2);
            ASSERT_TRUE(store.moveLast());
            ASSERT_TRUE(store.writeInteger(2, 3 * round));
            ASSERT_TRUE(store.writeInteger(3, 0));
            ASSERT_TRUE(store.update());
        }
    }
    EXPECT_EQ(countRows("select * from www_a_com"), 2);
    ASSERT_TRUE(store.openRecordset("select * from www_a_com where keydate=date()", 1));
    ASSERT_EQ(store.recordCount(), 1);
    int rank = 0;
    ASSERT_TRUE(store.readInteger("seo", rank));
    EXPECT_EQ(rank, 6);
    ASSERT_TRUE(store.openRecordset("select * from www_a_com where keydate like '2009-12-1'", 1));
    ASSERT_TRUE(store.readInteger("seo", rank));
    EXPECT_EQ(rank, 9) << "the older day is untouched";

    // The overview table opened by name lists its days in key order, so the
    // last record is today's even when an older day was stored after it.
    ASSERT_TRUE(store.openRecordset(overviewTableName("www_a_com"), 2));
    ASSERT_TRUE(store.addNew());
    ASSERT_TRUE(store.writeInteger("baidushoulu", 1));
    ASSERT_TRUE(store.update());
    ASSERT_TRUE(addDay("www_a_com_xx", "2009-01-01", {{"baidushoulu", 2}}));
    ASSERT_TRUE(store.openRecordset(overviewTableName("www_a_com"), 2));
    ASSERT_TRUE(store.addNew());
    ASSERT_TRUE(store.writeInteger("baidushoulu", 1234));
    ASSERT_FALSE(store.update());
    ASSERT_TRUE(store.moveLast());
    ASSERT_TRUE(store.writeInteger("baidushoulu", 1234));
    ASSERT_TRUE(store.update());
    ASSERT_TRUE(store.openRecordset("select * from www_a_com_xx where keydate=date()", 1));
    ASSERT_TRUE(store.readInteger("baidushoulu", rank));
    EXPECT_EQ(rank, 1234);
    EXPECT_EQ(countRows("select * from www_a_com_xx where keydate like '2009-1-1'"), 1);
}

TEST_F(StoreTest, SplicedValuesCannotWidenOrChainStatements)
{
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(addSite("www.b.com"));

    EXPECT_TRUE(store.executeSql(deleteSiteSql("x' or '1'='1")));
    EXPECT_TRUE(store.executeSql(deleteSiteSql("x' or web_name<>'")));
    EXPECT_TRUE(store.executeSql(deleteSiteSql("www_a_com'; drop table website; --")));
    EXPECT_EQ(registeredSites().size(), 2u);

    EXPECT_FALSE(store.executeSql(dropRankTableSql("www_a_com; drop table www_b_com")));
    EXPECT_FALSE(store.executeSql(dropRankTableSql("www_a_com -- x")));
    EXPECT_FALSE(store.executeSql(dropRankTableSql("www_a_com /* x */")));
    EXPECT_FALSE(store.openRecordset("website where 1=1", 2));
    EXPECT_FALSE(store.openRecordset("website; drop table www_b_com", 2));
    EXPECT_EQ(countRows(selectRankTableSql("www_a_com")), 0) << "table still there";
    EXPECT_EQ(countRows(selectRankTableSql("www_b_com")), 0) << "table still there";

    // The keyword lookups keep a hostile keyword inside the quotes too.
    ASSERT_TRUE(store.openRecordset("select * from web_baiduzhishu", 1));
    for (const Text kw : {"seo", "sem"}) {
        ASSERT_TRUE(store.addNew());
        ASSERT_TRUE(store.writeText(0, kw));
        ASSERT_TRUE(store.writeText(1, "0A0B"));
        ASSERT_TRUE(store.update());
    }
    EXPECT_EQ(countRows("select * from web_baiduzhishu where keywords='x' or '1'='1'"), 0);
    EXPECT_EQ(countRows("select * from web_baiduzhishu where keywords='SEO'"), 1) << "letter case ignored";
    ASSERT_TRUE(store.executeSql("UPDATE web_baiduzhishu SET baiduzhishu='FFFF' WHERE keywords = 'x' or '1'='1'"));
    ASSERT_TRUE(store.executeSql("UPDATE web_baiduzhishu SET baiduzhishu='0C0D' WHERE keywords = 'sem'"));
    ASSERT_TRUE(store.openRecordset("select * from web_baiduzhishu where keywords='seo'", 1));
    Text hex;
    ASSERT_TRUE(store.readText("baiduzhishu", hex));
    EXPECT_EQ(hex, "0A0B");
    ASSERT_TRUE(store.openRecordset("select * from web_baiduzhishu where keywords='sem'", 1));
    ASSERT_TRUE(store.readText("baiduzhishu", hex));
    EXPECT_EQ(hex, "0C0D");
}

TEST_F(StoreTest, DeletingASiteDropsItsTablesAndIndex)
{
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql("www_a_com", "seo"), 1));
    ASSERT_TRUE(addDay("www_a_com", "2010-01-01", {{"seo", 1}}));

    EXPECT_TRUE(store.executeSql(deleteSiteSql("WWW_A_COM"))) << "the registry compares without letter case";
    EXPECT_TRUE(store.executeSql(dropRankTableSql("www_a_com")));
    EXPECT_TRUE(store.executeSql(dropOverviewTableSql("www_a_com")));
    EXPECT_TRUE(registeredSites().empty());
    EXPECT_FALSE(store.executeSql(dropRankTableSql("www_a_com")));
    EXPECT_FALSE(store.openRecordset(selectRankTableSql("www_a_com"), 1));

    // Its address can be added again, index1 included, with no old keywords.
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(store.openRecordset(selectRankTableSql("www_a_com"), 1));
    EXPECT_EQ(store.fieldName(2), "");
    EXPECT_EQ(store.recordCount(), 0);
}

TEST_F(StoreTest, KeywordColumnDropsBesideTheDateIndex)
{
    ASSERT_TRUE(addSite("www.a.com"));
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql("www_a_com", "seo"), 1));
    ASSERT_TRUE(store.openRecordset(addKeywordColumnSql("www_a_com", "sem"), 1));
    ASSERT_TRUE(addDay("www_a_com", "2010-01-01", {{"seo", 1}, {"sem", 2}}));

    EXPECT_TRUE(store.executeSql(dropKeywordColumnSql("www_a_com", "seo")));
    EXPECT_FALSE(store.executeSql(dropKeywordColumnSql("www_a_com", "seo")));
    EXPECT_FALSE(store.executeSql(dropKeywordColumnSql("www_a_com", "keydate")));
    EXPECT_FALSE(store.executeSql(dropKeywordColumnSql("www_a_com", "ID")));
    ASSERT_TRUE(store.openRecordset(selectRankTableSql("www_a_com"), 1));
    EXPECT_EQ(store.fieldName(2), "sem");
    int rank = 0;
    ASSERT_TRUE(store.readInteger(2, rank));
    EXPECT_EQ(rank, 2);
    // The date index still holds: a second row for that day is refused.
    EXPECT_FALSE(addDay("www_a_com", "2010-1-1"));
}

TEST_F(StoreTest, HistoryIsReadNewestFirstWithDates)
{
    ASSERT_TRUE(addSite("www.a.com"));
    for (const char* day : {"2009-12-7", "2009-12-8", "2009-12-6"}) {
        ASSERT_TRUE(addDay("www_a_com_xx", day));
    }
    ASSERT_TRUE(store.openRecordset("select * from www_a_com_xx order by keydate desc", 1));
    ASSERT_EQ(store.recordCount(), 3);
    for (int expected : {8, 7, 6}) {
        DateTime day;
        ASSERT_TRUE(store.readDateTime("keydate", day));
        EXPECT_EQ(day.year, 2009);
        EXPECT_EQ(day.month, 12);
        EXPECT_EQ(day.day, expected);
        store.moveNext();
    }
    EXPECT_FALSE(addDay("www_a_com_xx", "2009-13-1")) << "not a date";
}

TEST_F(StoreTest, RecordsetNeedsItsConnection)
{
    Store unbound;
    ASSERT_TRUE(unbound.connectAccess(path));
    EXPECT_FALSE(unbound.openRecordset(selectSitesSql(), 1));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(unbound.bindConnection());
    EXPECT_TRUE(unbound.openRecordset(selectSitesSql(), 1));
    EXPECT_FALSE(unbound.openRecordset(selectSitesSql(), 3)) << "unknown mode";
}

TEST_F(StoreTest, WaitsForAnotherCopyHoldingTheFile)
{
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> other(raw, &sqlite3_close);
    ASSERT_EQ(sqlite3_exec(other.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other.get(), "COMMIT", nullptr, nullptr, nullptr);
    });
    const bool added = addSite("www.a.com");
    release.join();
    EXPECT_TRUE(added);
    EXPECT_EQ(registeredSites(), std::vector<Text> {"www.a.com"});
}

} // namespace
} // namespace zv
