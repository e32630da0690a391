// The check's digest delivered: to a notification service on a private
// session bus started by the test, and to a mail server on 127.0.0.1. The
// program runs as the timer runs it, with a site whose searches all fail (the
// proxy is a closed port), so that there is always something to tell.

#include "notice_standin.h"
#include "program_run.h"
#include "site_database.h"
#include "tests/support/loopback_server.h"
#include "tests/support/smtp_standin.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

namespace zv {
namespace {

using namespace Qt::StringLiterals;
using test::NoticeCall;
using test::NotificationsStandIn;
using test::Outcome;
using test::PrivateBus;
using test::runServingEvents;

class DigestDelivery : public ::testing::Test
{
protected:
    DigestDelivery()
    {
        for (const char* sub : {"data", "config/zeravudez", "cache", "run"})
            std::filesystem::create_directories(dir.filePath(sub));
        test::SiteDatabase database(dir.filePath("data/zeravudez/web.db"));
        table = database.addSite("www.notice-site.cn");
        database.addKeyword(table, "通知甲");
        database.exec("INSERT INTO " + table + " (keydate, \"通知甲\") VALUES (date('now','localtime','-1 day'), 4)");
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = test::programEnvironment(u"127.0.0.1:9"_s);
        env.insert(u"XDG_DATA_HOME"_s, QString::fromStdString(dir.filePath("data")));
        env.insert(u"XDG_CONFIG_HOME"_s, QString::fromStdString(dir.filePath("config")));
        env.insert(u"XDG_CACHE_HOME"_s, QString::fromStdString(dir.filePath("cache")));
        env.insert(u"XDG_RUNTIME_DIR"_s, QString::fromStdString(dir.filePath("run")));
        env.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
        return env;
    }

    void settings(const std::string& text) const
    {
        std::ofstream(dir.filePath("config/zeravudez/zeravudez.conf")) << text;
    }

    int rowCount() const
    {
        sqlite3* db = nullptr;
        sqlite3_stmt* statement = nullptr;
        int count = -1;
        if (sqlite3_open_v2(dir.filePath("data/zeravudez/web.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr)
                == SQLITE_OK
            && sqlite3_prepare_v2(db, ("select count(*) from " + table).c_str(), -1, &statement, nullptr) == SQLITE_OK
            && sqlite3_step(statement) == SQLITE_ROW)
            count = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return count;
    }

    const QStringList check {u"--check"_s, u"--pause"_s, u"0"_s, u"--again"_s};
    test::TempDir dir;
    std::string table;
};

std::size_t lineCount(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(DigestDelivery, TheNotificationCarriesTheSitesTheCountsAndNothingElseChanges)
{
    PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "no dbus-daemon";
    NotificationsStandIn service;
    ASSERT_TRUE(bus.serve(service));
    QProcessEnvironment env = environment();
    const Outcome plain = runServingEvents(check, env);
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
    const Outcome notified = runServingEvents(check + QStringList {u"--notify"_s}, env);

    ASSERT_EQ(service.calls.size(), 1u) << notified.err;
    const NoticeCall& call = service.calls.front();
    EXPECT_EQ(call.appName, u"Zeravudez"_s);
    EXPECT_EQ(call.replacesId, 0u);
    EXPECT_EQ(call.icon, u"zeravudez"_s);
    EXPECT_EQ(call.summary, u"Zeravudez: 1 site checked"_s);
    // The keyword's search and the overview failed.
    EXPECT_EQ(call.body, u"2 failed"_s);
    EXPECT_TRUE(call.actions.isEmpty());
    EXPECT_EQ(call.hints.value(u"urgency"_s).toInt(), 1);
    EXPECT_EQ(call.timeout, -1);
    // The same run, the same output and status, and no word about the notice.
    EXPECT_EQ(notified.exitCode, 1);
    EXPECT_EQ(notified.exitCode, plain.exitCode);
    EXPECT_EQ(notified.out, plain.out);
    EXPECT_EQ(lineCount(notified.err), lineCount(plain.err)) << notified.err;
}

TEST_F(DigestDelivery, WithoutABusOrAServiceOneLineTellsAndTheStatusStays)
{
    QProcessEnvironment env = environment();
    const Outcome plain = runServingEvents(check, env);
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, QString::fromStdString("unix:path=" + dir.filePath("no-bus")));
    const Outcome noBus = runServingEvents(check + QStringList {u"--notify"_s}, env);
    EXPECT_EQ(noBus.exitCode, plain.exitCode);
    EXPECT_EQ(noBus.out, plain.out);
    EXPECT_EQ(lineCount(noBus.err), lineCount(plain.err) + 1) << noBus.err;
    EXPECT_NE(noBus.err.find("zeravudez: no session bus, so no desktop notification\n"), std::string::npos)
        << noBus.err;

    PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "no dbus-daemon";
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
    const Outcome noService = runServingEvents(check + QStringList {u"--notify"_s}, env);
    EXPECT_EQ(noService.exitCode, plain.exitCode);
    EXPECT_EQ(lineCount(noService.err), lineCount(plain.err) + 1) << noService.err;
    EXPECT_NE(noService.err.find("zeravudez: no desktop notification: "), std::string::npos) << noService.err;
}

TEST_F(DigestDelivery, TheMailServerReceivesTheDigest)
{
    test::SmtpStandIn server;
    settings("mail_to=owner@example.cn\nsmtp_url=" + server.url() + "\n");
    const Outcome o = test::runProgram(check + QStringList {u"--mail"_s}, environment());
    EXPECT_EQ(o.exitCode, 1); // the failed search, not the mail
    ASSERT_EQ(server.mails().size(), 1u) << o.err;
    const test::ReceivedMail mail = server.mails().front();
    EXPECT_EQ(mail.from, "owner@example.cn");
    EXPECT_EQ(mail.to, std::vector<std::string> {"owner@example.cn"});
    // "Zeravudez: 1 site checked — 2 failed", encoded for its dash.
    EXPECT_NE(mail.data.find("Subject: =?UTF-8?B?WmVyYXZ1ZGV6OiAxIHNpdGUgY2hlY2tlZCDigJQgMiBmYWlsZWQ=?=\r\n"),
              std::string::npos)
        << mail.data;
    const std::size_t bodyAt = mail.data.find("\r\n\r\n");
    ASSERT_NE(bodyAt, std::string::npos);
    const QByteArray body = QByteArray::fromBase64(QByteArray::fromStdString(mail.data.substr(bodyAt + 4)));
    EXPECT_EQ(body.toStdString(),
              "# changes\r\n# 1 site checked: 2 failed\r\n"
              "www.notice-site.cn\t通知甲\tfailed\tsearch failed\r\n"
              "www.notice-site.cn\t\tfailed\t网站综合信息查询失败！\r\n");
}

TEST_F(DigestDelivery, ARefusedMailIsOneLineAndStatus1AndTheRowsStay)
{
    settings("mail_to=owner@example.cn\nsmtp_url=smtp://127.0.0.1:" + std::to_string(test::unusedLoopbackPort())
             + "\n");
    const Outcome o = test::runProgram(check + QStringList {u"--mail"_s}, environment());
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(o.err.find("zeravudez: the mail could not be sent: "), std::string::npos) << o.err;
    // Yesterday's row and today's, as without --mail.
    EXPECT_EQ(rowCount(), 2);

    // Missing settings: said before the check, which still records.
    settings("");
    const Outcome unset = test::runProgram(check + QStringList {u"--mail"_s}, environment());
    EXPECT_EQ(unset.exitCode, 1);
    EXPECT_EQ(unset.err.rfind("zeravudez: --mail needs mail_to= and smtp_url= in the settings file\n", 0), 0u)
        << unset.err;
}

} // namespace
} // namespace zv
