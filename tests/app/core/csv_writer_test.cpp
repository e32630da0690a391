// The one CSV writer: RFC 4180 quoting and formula-like cells neutralised,
// plain numbers left alone; and the rank history export (also the menu's)
// writing a hostile keyword through it.

#include "app/csv_writer.h"
#include "app/history_export.h"
#include "csv_reader.h"
#include "site_database.h"
#include "store/store.h"
#include "tests/support/temp_dir.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace zv {
namespace {

struct FieldCase
{
    const char* name;
    QByteArray cell;
    QByteArray written;
};

class CsvFieldTest : public ::testing::TestWithParam<FieldCase>
{
};

TEST_P(CsvFieldTest, IsNeutralisedAndQuotedAsNeeded)
{
    EXPECT_EQ(csvField(GetParam().cell), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CsvFieldTest,
    ::testing::Values(FieldCase {"plain", "www.example.cn/a", "www.example.cn/a"}, FieldCase {"empty", "", ""},
                      FieldCase {"equals", "=1+2", "'=1+2"},
                      FieldCase {"hyperlink", "=HYPERLINK(\"http://x\",\"y\")",
                                 "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
                      FieldCase {"plus_text", "+cmd", "'+cmd"}, FieldCase {"minus_text", "-2+3", "'-2+3"},
                      FieldCase {"at", "@SUM(A1)", "'@SUM(A1)"}, FieldCase {"tab", "\tx", "'\tx"},
                      FieldCase {"carriage_return", "\rx", "\"'\rx\""}, FieldCase {"negative_number", "-2", "-2"},
                      FieldCase {"signed_number", "+3", "+3"}, FieldCase {"decimal", "-2.5", "-2.5"},
                      FieldCase {"lone_minus", "-", "'-"}, FieldCase {"number_then_text", "-2 ", "'-2 "},
                      FieldCase {"dot_only", "-2.", "'-2."}, FieldCase {"equals_inside", "a=b", "a=b"},
                      FieldCase {"comma", "a,b", "\"a,b\""}, FieldCase {"quote", "say \"hi\"", "\"say \"\"hi\"\"\""},
                      FieldCase {"formula_with_comma", "=1,2", "\"'=1,2\""},
                      FieldCase {"chinese", "网站优化", "网站优化"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvRow, JoinsFieldsAndEndsWithCrLf)
{
    EXPECT_EQ(csvRow({"2024-05-20", "=x", "-2", ""}), "2024-05-20,'=x,-2,\r\n");
}

TEST(CsvHistoryExport, AFormulaLikeKeywordIsNeutralisedInTheHeader)
{
    test::TempDir dir;
    test::SiteDatabase database(dir.filePath("web.db"));
    const std::string table = database.addSite("www.example.cn");
    database.addKeyword(table, "=cmd|' /C calc'!A0");
    database.addKeyword(table, "@SUM(1)");
    database.exec("INSERT INTO " + table + " (keydate, " + test::quotedName("=cmd|' /C calc'!A0") + ", "
                  + test::quotedName("@SUM(1)") + ") VALUES ('2024-06-01', 4, 0)");
    Store store;
    ASSERT_TRUE(store.connectAccess(database.path()));
    ASSERT_TRUE(store.bindConnection());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    ASSERT_TRUE(writeHistoryCsv(store, {table, false, {}, {}}, out, error));
    const std::optional<test::CsvTable> read = test::readCsv(out.data().toStdString());
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, (test::CsvTable {{"日期", "'=cmd|' /C calc'!A0", "'@SUM(1)"}, {"2024-06-01", "4", "0"}}));
}

} // namespace
} // namespace zv
