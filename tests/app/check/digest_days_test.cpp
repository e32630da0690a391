// Two simulated days of the timer's check against simweb: the second day a
// keyword falls off the first page, and the digest says so on standard
// output, on the desktop and by mail, and the window marks the cell. A keyword
// added between the days is not taken for one that came into the ranks.

#include "app/main_window.h"
#include "tests/app/check/check_fixture.h"
#include "tests/app/core/notice_standin.h"
#include "tests/support/smtp_standin.h"

#include <QComboBox>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace zv {
namespace {

constexpr const char* kSite = "www.digest-fall.cn";

std::string scenario(int fallingPosition)
{
    return R"({"sites": {"www.digest-fall.cn": {"ranks": {"摘要跌": [{"position": )" + std::to_string(fallingPosition)
        + R"(, "home": true}], "摘要稳": [{"position": 20}], "摘要新": [{"position": 7}]}}}})";
}

TEST(DigestOverTwoDays, AFallingKeywordIsToldEverywhere)
{
    test::PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "no dbus-daemon";
    test::NotificationsStandIn notices;
    ASSERT_TRUE(bus.serve(notices));
    test::SmtpStandIn mailServer;
    test::TempDir dir;
    const Home home(dir, "home");
    std::filesystem::create_directories(home.root + "/config/zeravudez");
    std::ofstream(home.root + "/config/zeravudez/zeravudez.conf")
        << "mail_to=owner@example.cn\nsmtp_url=" << mailServer.url() << "\n";
    std::string table;
    {
        test::SiteDatabase database(home.database());
        table = registerSite(database, kSite, {"摘要跌", "摘要稳"});
    }
    const QStringList check {u"--check"_s, u"--pause"_s, u"0"_s, u"--notify"_s, u"--mail"_s};

    // Day one: nothing to compare with, so nothing is sent.
    {
        test::TempDir simwebDir;
        PrivateSimweb simweb(simwebDir, scenario(4));
        ASSERT_GT(simweb.port(), 0);
        QProcessEnvironment env = home.environment(simweb.port());
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
        const test::Outcome first = test::runServingEvents(check, env);
        EXPECT_EQ(first.exitCode, 0) << first.err;
        EXPECT_EQ(digestLines(first.out), std::vector<std::string> {"# 1 site checked: no changes"}) << first.out;
    }
    EXPECT_TRUE(notices.calls.empty());
    EXPECT_TRUE(mailServer.mails().empty());
    // The night passes: the first day's rows and result lists become
    // yesterday's. The user adds a keyword, which reads 0 on that day.
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(home.database().c_str(), &db), SQLITE_OK);
        for (const std::string& t : {table, table + "_xx"})
            EXPECT_EQ(sqlite3_exec(db, ("UPDATE " + t + " SET keydate=date(keydate,'-1 day')").c_str(), nullptr,
                                   nullptr, nullptr),
                      SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "UPDATE zv_result_lists SET day=date(day,'-1 day')", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        EXPECT_EQ(
            sqlite3_exec(db, ("ALTER TABLE " + table + " ADD " + test::quotedName("摘要新") + " int default 0").c_str(),
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(db);
    }

    test::Outcome second;
    {
        test::TempDir simwebDir;
        PrivateSimweb simweb(simwebDir, scenario(15));
        ASSERT_GT(simweb.port(), 0);
        QProcessEnvironment env = home.environment(simweb.port());
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
        second = test::runServingEvents(check, env);
    }
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(keywordLines(second.out),
              (std::vector<std::string> {std::string(kSite) + "\t摘要跌\t15.\t4\t-11",
                                         std::string(kSite) + "\t摘要稳\t20\t20\t0",
                                         std::string(kSite) + "\t摘要新\t7\t-\t"}));
    const std::vector<std::string> digest {"# 1 site checked: 1 down, 1 left the first page",
                                           std::string(kSite) + "\t摘要跌\t4 → 15\tdown 11, left the first page"};
    EXPECT_EQ(digestLines(second.out), digest) << second.out;

    ASSERT_EQ(notices.calls.size(), 1u);
    EXPECT_EQ(notices.calls[0].summary, u"Zeravudez: 1 site checked"_s);
    EXPECT_EQ(notices.calls[0].body.toStdString(),
              "1 down, 1 left the first page\n摘要跌 (" + std::string(kSite) + "): 4 → 15");

    // The mail holds the printed digest, line for line.
    ASSERT_EQ(mailServer.mails().size(), 1u);
    const std::string& data = mailServer.mails()[0].data;
    const std::size_t bodyAt = data.find("\r\n\r\n");
    ASSERT_NE(bodyAt, std::string::npos);
    EXPECT_EQ(QByteArray::fromBase64(QByteArray::fromStdString(data.substr(bodyAt + 4))).toStdString(),
              "# changes\r\n" + digest[0] + "\r\n" + digest[1] + "\r\n");

    // The window on the same database shows today's ranks and marks the fall.
    qputenv("ZERAVUDEZ_PROXY", "127.0.0.1:9");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.root + "/data"));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(home.root + "/cache"));
    MainWindow window;
    ASSERT_TRUE(window.databaseOpen());
    window.组合框_网站列表->setCurrentIndex(0);
    Q_EMIT window.组合框_网站列表->activated(0);
    const int rank = static_cast<int>(KeywordColumn::Rank);
    QTreeWidgetItem* fell = window.超级列表框_关键词排名->topLevelItem(0);
    QTreeWidgetItem* stayed = window.超级列表框_关键词排名->topLevelItem(1);
    QTreeWidgetItem* added = window.超级列表框_关键词排名->topLevelItem(2);
    ASSERT_TRUE(fell && stayed && added);
    EXPECT_EQ(fell->text(rank), u"15"_s);
    // The landing page's line first, then the move.
    const QStringList tip = fell->toolTip(rank).split(u'\n');
    ASSERT_EQ(tip.size(), 2) << fell->toolTip(rank).toStdString();
    EXPECT_TRUE(tip[0].startsWith(u"着陆页："_s)) << tip[0].toStdString();
    EXPECT_EQ(tip[1], u"上次 4，今天 15"_s);
    EXPECT_NE(fell->background(rank).style(), Qt::NoBrush);
    EXPECT_EQ(stayed->text(rank), u"20"_s);
    EXPECT_EQ(stayed->background(rank).style(), Qt::NoBrush);
    EXPECT_EQ(added->text(rank), u"7"_s);
    EXPECT_EQ(added->background(rank).style(), Qt::NoBrush);
}

} // namespace
} // namespace zv
