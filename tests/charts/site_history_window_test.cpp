#include "chart_window_fixture.h"

#include "charts/site_history_window.h"

#include <QLabel>
#include <QTableWidget>

namespace zv::test {
namespace {

using SiteHistory = ChartWindowTest;

QStringList rowTexts(const QTableWidget& list, int row)
{
    QStringList texts;
    for (int column = 0; column < list.columnCount(); ++column) {
        const QTableWidgetItem* item = list.item(row, column);
        texts.append(item ? item->text() : QStringLiteral("<none>"));
    }
    return texts;
}

TEST_F(SiteHistory, ListsRecordedDaysNewestFirst)
{
    createSite("www.example.com");
    recordOverview("www.example.com", QDate(2009, 12, 6), "2009-12-5", 120, 33, 4);
    recordOverview("www.example.com", QDate(2009, 12, 8), "无", 0, 0, 0);
    recordOverview("www.example.com", QDate(2009, 12, 7), "2009-12-6", 125, 35, 5);
    recordOverview("www.example.com", QDate(2010, 1, 5), "2010-1-4", 130, 36, 6);
    selectSite("www.example.com");

    SiteHistoryWindow window(*main);
    EXPECT_EQ(window.标签_网站历史->text(), u("[www.example.com]网站历史数据"));
    const QTableWidget& list = *window.超级列表框_历史;
    ASSERT_EQ(list.rowCount(), 4);
    EXPECT_EQ(rowTexts(list, 0), (QStringList {u("2010年1月5日"), u("2010-1-4"), u("130"), u("6"), u("36")}));
    EXPECT_EQ(rowTexts(list, 1), (QStringList {u("2009年12月8日"), u("无"), u("0"), u("0"), u("0")}));
    EXPECT_EQ(rowTexts(list, 2), (QStringList {u("2009年12月7日"), u("2009-12-6"), u("125"), u("5"), u("35")}));
    EXPECT_EQ(rowTexts(list, 3), (QStringList {u("2009年12月6日"), u("2009-12-5"), u("120"), u("4"), u("33")}));
    EXPECT_TRUE(shownMessages().isEmpty());
}

TEST_F(SiteHistory, FiguresWithoutAValueShowNothing)
{
    createSite("www.example.com");
    recordOverview("www.example.com", QDate(2009, 12, 8), "2009-12-7", 130, 36, 6);
    // That day the snapshot and backlink pages failed.
    sql("update www_example_com_xx set baidukuaizhao = NULL, baidufanlian = NULL");
    selectSite("www.example.com");

    SiteHistoryWindow window(*main);
    const QTableWidget& list = *window.超级列表框_历史;
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(rowTexts(list, 0), (QStringList {u("2009年12月8日"), QString(), u("130"), u("6"), QString()}));
}

TEST_F(SiteHistory, EmptyAddressAndEmptyTable)
{
    createSite("a.example.com");
    {
        selectSite("");
        SiteHistoryWindow window(*main);
        EXPECT_EQ(window.标签_网站历史->text(), u("标签"));
        EXPECT_EQ(window.超级列表框_历史->rowCount(), 0);
    }
    {
        selectSite("a.example.com");
        SiteHistoryWindow window(*main);
        EXPECT_EQ(window.标签_网站历史->text(), u("[a.example.com]网站历史数据"));
        EXPECT_EQ(window.超级列表框_历史->rowCount(), 0);
    }
    EXPECT_TRUE(shownMessages().isEmpty());
}

TEST_F(SiteHistory, UnregisteredAddressShowsTheStoreErrorBoxAndNoRows)
{
    selectSite("typed.example.com");
    SiteHistoryWindow window(*main);
    EXPECT_EQ(window.超级列表框_历史->rowCount(), 0);
    ASSERT_EQ(shownMessages().size(), 1);
    EXPECT_EQ(shownMessages().first().caption, QStringLiteral("Error"));
}

TEST_F(SiteHistory, SnapshotLabelOpensItInDialogMode)
{
    createSite("www.example.com");
    recordOverview("www.example.com", QDate(2009, 12, 8), "无", 1, 2, 3);
    selectSite("www.example.com");
    whileOpen<SiteHistoryWindow>([&] { Q_EMIT main->标签_百度快照->clicked(); },
                                 [&](SiteHistoryWindow& window) {
                                     EXPECT_EQ(window.windowModality(), Qt::ApplicationModal);
                                     EXPECT_TRUE(window.isVisible());
                                     EXPECT_EQ(window.frameGeometry(), QRect(50, 50, 568, 415)) << "frame included";
                                     EXPECT_EQ(window.超级列表框_历史->rowCount(), 1);
                                 });
    EXPECT_EQ(main->findChild<SiteHistoryWindow*>(), nullptr) << "discarded when closed";
}

} // namespace
} // namespace zv::test
