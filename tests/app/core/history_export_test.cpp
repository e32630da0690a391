// The CSV history export read back by a strict RFC 4180 reader (and, where
// python3 exists, by Python's csv module): day order, the range, 0 against no
// value, and keywords that need quoting.

#include "app/history_export.h"
#include "csv_reader.h"
#include "site_database.h"
#include "store/store.h"
#include "tests/support/temp_dir.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace zv {
namespace {

using namespace Qt::StringLiterals;

using test::CsvTable;

class HistoryExportTest : public ::testing::Test
{
protected:
    HistoryExportTest()
        : database(dir.filePath("web.db"))
    {
        table = database.addSite("www.example.cn");
    }

    // The export of the site as bytes; fails the test when it fails.
    std::string exportCsv(bool overview = false, QDate from = {}, QDate to = {})
    {
        Store store;
        EXPECT_TRUE(store.connectAccess(database.path()));
        EXPECT_TRUE(store.bindConnection());
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QString error;
        EXPECT_TRUE(writeHistoryCsv(store, {table, overview, from, to}, out, error)) << error.toStdString();
        return out.data().toStdString();
    }

    test::TempDir dir;
    test::SiteDatabase database;
    std::string table;
};

TEST_F(HistoryExportTest, RanksComeOnePerDayInDateOrderWithZeroKeptAndNoValueEmpty)
{
    database.addKeyword(table, "手机");
    database.addKeyword(table, "apple");
    // Inserted out of date order: the export sorts by day, not by row.
    database.exec("INSERT INTO " + table + " (keydate, \"手机\", apple) VALUES ('2024-06-03', 3, 0)");
    database.exec("INSERT INTO " + table + " (keydate, \"手机\", apple) VALUES ('2024-06-01', NULL, 12)");
    database.exec("INSERT INTO " + table + " (keydate, \"手机\", apple) VALUES ('2024-06-02', 0, NULL)");

    EXPECT_EQ(exportCsv(),
              "日期,手机,apple\r\n"
              "2024-06-01,,12\r\n"
              "2024-06-02,0,\r\n"
              "2024-06-03,3,0\r\n");
}

TEST_F(HistoryExportTest, ASiteWithoutKeywordsOrDaysGivesTheHeaderOnly)
{
    EXPECT_EQ(exportCsv(), "日期\r\n");
    EXPECT_EQ(exportCsv(true), "日期,百度快照,百度收录,百度反链,今日收录,最近一周,最近一月\r\n");
}

TEST_F(HistoryExportTest, KeywordsWithCommasQuotesAndLineBreaksSurviveAStrictReader)
{
    const std::vector<std::string> keywords {"a,b",      "say \"hi\"", "line\nbreak", "cr\r\nlf",
                                             "cr\ronly", "\"",         "普通 词"};
    std::string columns = "keydate";
    for (const std::string& k : keywords) {
        database.addKeyword(table, k);
        columns += ", " + test::quotedName(k);
    }
    database.exec("INSERT INTO " + table + " (" + columns + ") VALUES ('2024-06-01', 1, 2, 3, 4, 5, 6, 7)");

    const std::optional<CsvTable> read = test::readCsv(exportCsv());
    ASSERT_TRUE(read.has_value());
    std::vector<std::string> header {"日期"};
    header.insert(header.end(), keywords.begin(), keywords.end());
    EXPECT_EQ(*read, (CsvTable {header, {"2024-06-01", "1", "2", "3", "4", "5", "6", "7"}}));
}

TEST_F(HistoryExportTest, FromAndToKeepTheDaysBetweenThemInclusive)
{
    database.addKeyword(table, "k");
    for (int day = 1; day <= 4; ++day)
        database.exec("INSERT INTO " + table + " (keydate, k) VALUES ('2024-06-0" + std::to_string(day) + "', "
                      + std::to_string(day) + ")");

    EXPECT_EQ(exportCsv(false, QDate(2024, 6, 2), QDate(2024, 6, 3)), "日期,k\r\n2024-06-02,2\r\n2024-06-03,3\r\n");
    EXPECT_EQ(exportCsv(false, QDate(2024, 6, 4)), "日期,k\r\n2024-06-04,4\r\n");
    EXPECT_EQ(exportCsv(false, {}, QDate(2024, 6, 1)), "日期,k\r\n2024-06-01,1\r\n");
    EXPECT_EQ(exportCsv(false, QDate(2024, 7, 1)), "日期,k\r\n");
}

TEST_F(HistoryExportTest, OverviewGivesTheSixFiguresOfEachDay)
{
    const std::string overview = table + "_xx";
    database.exec("INSERT INTO " + overview
                  + " (keydate, baidukuaizhao, baidushoulu, baidufanlian, jinrishoulu, zuijinyizhou, zuijinyiyue)"
                    " VALUES ('2024-06-02', '2024-05-30', 1200, 0, NULL, 35, 140)");
    database.exec("INSERT INTO " + overview + " (keydate, baidukuaizhao) VALUES ('2024-06-01', '0000-00-00')");

    EXPECT_EQ(exportCsv(true),
              "日期,百度快照,百度收录,百度反链,今日收录,最近一周,最近一月\r\n"
              "2024-06-01,0000-00-00,0,0,0,0,0\r\n"
              "2024-06-02,2024-05-30,1200,0,,35,140\r\n");
}

TEST_F(HistoryExportTest, AMissingTableOrAnUnwritableOutputFailsWithAMessage)
{
    Store store;
    ASSERT_TRUE(store.connectAccess(database.path()));
    ASSERT_TRUE(store.bindConnection());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    EXPECT_FALSE(writeHistoryCsv(store, {"www_gone_cn", false, {}, {}}, out, error));
    EXPECT_TRUE(error.contains(u"www_gone_cn"));
    EXPECT_TRUE(out.data().isEmpty());

    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    error.clear();
    EXPECT_FALSE(writeHistoryCsv(store, {table, false, {}, {}}, readOnly, error));
    EXPECT_FALSE(error.isEmpty());
}

// Python's csv module as a second, independent reader.
TEST_F(HistoryExportTest, PythonCsvModuleReadsTheSameTable)
{
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    const std::vector<std::string> keywords {"a,b", "say \"hi\"", "line\nbreak", "普通"};
    std::string columns = "keydate";
    for (const std::string& k : keywords) {
        database.addKeyword(table, k);
        columns += ", " + test::quotedName(k);
    }
    database.exec("INSERT INTO " + table + " (" + columns + ") VALUES ('2024-06-01', 1, 0, NULL, 7)");
    const std::string file = dir.writeFile("history.csv", exportCsv());

    QProcess process;
    process.start(python,
                  {u"-c"_s,
                   QStringLiteral("import csv, json, sys\n"
                                  "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                  "    print(json.dumps(list(csv.reader(f, strict=True))))\n"),
                   QString::fromStdString(file)});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(process.readAllStandardOutput()).array();

    CsvTable read;
    for (const QJsonValue& row : rows) {
        read.emplace_back();
        for (const QJsonValue& cell : row.toArray())
            read.back().push_back(cell.toString().toStdString());
    }
    std::vector<std::string> header {"日期"};
    header.insert(header.end(), keywords.begin(), keywords.end());
    EXPECT_EQ(read, (CsvTable {header, {"2024-06-01", "1", "0", "", "7"}}));
}

} // namespace
} // namespace zv
