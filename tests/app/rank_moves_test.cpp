// Moves in the keyword table: the rank cells of keywords that moved since
// their previous recorded day are coloured, up apart from down, with a tool
// tip naming both values; the cell texts stay as the window writes them.

#include "app/rank_moves.h"
#include "app_fixture.h"
#include "tests/app/core/site_database.h"

#include <QTreeWidget>

namespace zv::test {
namespace {

using RankMoves = AppTest;

TEST(RankMoveToolTip, SaysYesterdayAndTodayOnlyForAMove)
{
    EXPECT_EQ(rankMoveToolTip(12, 4), QString::fromUtf8("上次 12，今天 4"));
    EXPECT_EQ(rankMoveToolTip(4, 12), QString::fromUtf8("上次 4，今天 12"));
    EXPECT_EQ(rankMoveToolTip(0, 9), QString::fromUtf8("上次 无排名，今天 9"));
    EXPECT_EQ(rankMoveToolTip(9, 0), QString::fromUtf8("上次 9，今天 无排名"));
    for (const auto& [before, today] :
         {std::pair<std::optional<int>, std::optional<int>> {5, 5}, {0, 0}, {std::nullopt, 3}, {3, std::nullopt}})
        EXPECT_TRUE(rankMoveToolTip(before, today).isEmpty());
}

TEST_F(RankMoves, SelectingASiteColoursTheMovedRankCells)
{
    const std::string path = databasePath().toStdString();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    {
        SiteDatabase database(path);
        const std::string table = database.addSite("www.moves.cn");
        for (const char* keyword : {"升", "降", "入", "平", "新", "败"})
            database.addKeyword(table, keyword);
        database.exec(
            "INSERT INTO " + table
            + " (keydate, \"升\", \"降\", \"入\", \"平\", \"新\", \"败\") VALUES (date('now','localtime','-2 day'), "
              "30, 1, 5, 7, NULL, 2)");
        database.exec("INSERT INTO " + table
                      + " (keydate, \"升\", \"降\", \"入\", \"平\", \"新\", \"败\") VALUES (date('now','localtime','-1 "
                        "day'), 12, "
                        "4, 0, 7, NULL, NULL)");
        database.exec(
            "INSERT INTO " + table
            + " (keydate, \"升\", \"降\", \"入\", \"平\", \"新\", \"败\") VALUES (date('now','localtime'), 4, 15, "
              "9, 7, 3, 2)");
        database.exec("INSERT INTO " + table + "_xx (keydate) VALUES (date('now','localtime'))");
    }
    auto w = start();
    ASSERT_TRUE(w->databaseOpen());
    w->组合框_网站列表->setCurrentIndex(0);
    Q_EMIT w->组合框_网站列表->activated(0);

    const QStringList texts = keywordColumn(*w, KeywordColumn::Rank);
    EXPECT_EQ(texts, (QStringList {u("4"), u("15"), u("9"), u("7"), u("3"), u("2")}));
    const int rank = static_cast<int>(KeywordColumn::Rank);
    const auto cell = [&w, rank](int row) { return w->超级列表框_关键词排名->topLevelItem(row); };
    const QBrush up = cell(0)->background(rank);
    const QBrush down = cell(1)->background(rank);
    EXPECT_NE(up.style(), Qt::NoBrush);
    EXPECT_NE(down.style(), Qt::NoBrush);
    EXPECT_NE(up.color(), down.color());
    EXPECT_EQ(cell(2)->background(rank), up); // not ranked yesterday, 9 today
    EXPECT_EQ(cell(0)->toolTip(rank), u("上次 12，今天 4"));
    EXPECT_EQ(cell(1)->toolTip(rank), u("上次 4，今天 15"));
    EXPECT_EQ(cell(2)->toolTip(rank), u("上次 无排名，今天 9"));
    // Unchanged; no earlier value; unchanged against the latest day with one
    // (yesterday's search failed).
    for (int row : {3, 4, 5}) {
        EXPECT_EQ(cell(row)->background(rank).style(), Qt::NoBrush) << row;
        EXPECT_TRUE(cell(row)->toolTip(rank).isEmpty()) << row;
    }
    // The other cells of a moved row stay plain.
    EXPECT_EQ(cell(0)->background(static_cast<int>(KeywordColumn::Keyword)).style(), Qt::NoBrush);
}

} // namespace
} // namespace zv::test
