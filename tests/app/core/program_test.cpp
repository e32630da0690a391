// The program's command-line modes run as the user runs them: a separate
// process with no display variables and no Qt platform set, its folders in a
// temporary home.

#include "app/check_lock.h"
#include "program_run.h"
#include "site_database.h"
#include "store/result_lists.h"
#include "store/store.h"
#include "tests/support/temp_dir.h"

#include <QCoreApplication>

#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

namespace zv {
namespace {

using namespace Qt::StringLiterals;

using test::Outcome;

class ProgramTest : public ::testing::Test
{
protected:
    ProgramTest()
        : data(dir.filePath("data"))
        , config(dir.filePath("config"))
        , cache(dir.filePath("cache"))
        , runtime(dir.filePath("run"))
        , dataEnv("XDG_DATA_HOME", data.c_str())
        , configEnv("XDG_CONFIG_HOME", config.c_str())
        , cacheEnv("XDG_CACHE_HOME", cache.c_str())
        , runtimeEnv("XDG_RUNTIME_DIR", runtime.c_str())
    {
        std::filesystem::create_directories(runtime);
    }

    std::string databaseFile() const { return data + "/zeravudez/web.db"; }

    Outcome run(const QStringList& arguments)
    {
        // Whatever a check might send goes to a closed loopback port.
        return test::runProgram(arguments, test::programEnvironment(u"127.0.0.1:9"_s));
    }

    // Exit 2, nothing on standard output, one line on standard error that
    // starts with the program's name and holds part.
    static void expectUsageError(const Outcome& o, const std::string& part)
    {
        EXPECT_EQ(o.exitCode, 2);
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err.rfind("zeravudez: ", 0), 0u) << o.err;
        EXPECT_NE(o.err.find(part), std::string::npos) << o.err;
        EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << o.err;
    }

    test::TempDir dir;
    std::string data, config, cache, runtime;
    test::ScopedEnv dataEnv, configEnv, cacheEnv, runtimeEnv;
};

TEST_F(ProgramTest, HelpAndVersionPrintToStandardOutputWithoutADisplay)
{
    const Outcome help = run({u"--help"_s});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--export ADDRESS"), std::string::npos);
    EXPECT_EQ(help.err, "");

    const Outcome version = run({u"--version"_s});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "zeravudez 3.6\n");
}

TEST_F(ProgramTest, BadUsageExitsWithStatus2AndOneLine)
{
    expectUsageError(run({u"--bogus"_s}), "unknown option --bogus");
    expectUsageError(run({u"--check"_s, u"--pause"_s, u"x"_s}), "--pause x");
    expectUsageError(run({u"--export"_s}), "needs a site address");
}

TEST_F(ProgramTest, ExportWritesTheCsvOfARegisteredSiteWhateverTheLetterCase)
{
    {
        test::SiteDatabase database(databaseFile());
        // Registered with capitals; the registry's key ignores the case of A-Z.
        const std::string table = database.addSite("Www.Example.cn");
        database.addKeyword(table, "手机");
        database.exec("INSERT INTO " + table + " (keydate, \"手机\") VALUES ('2024-06-01', 7)");
        database.exec("INSERT INTO " + table + "_xx (keydate, baidushoulu) VALUES ('2024-06-01', 1500)");
    }
    const Outcome ranks = run({u"--export"_s, u"www.EXAMPLE.cn"_s});
    EXPECT_EQ(ranks.exitCode, 0) << ranks.err;
    EXPECT_EQ(ranks.out, "日期,手机\r\n2024-06-01,7\r\n");
    EXPECT_EQ(ranks.err, "");

    const Outcome overview = run({u"--export"_s, u"www.example.cn"_s, u"--overview"_s, u"--from=2024-06-01"_s});
    EXPECT_EQ(overview.exitCode, 0) << overview.err;
    EXPECT_EQ(overview.out,
              "日期,百度快照,百度收录,百度反链,今日收录,最近一周,最近一月\r\n"
              "2024-06-01,0,1500,0,0,0,0\r\n");

    expectUsageError(run({u"--export"_s, u"www.example.com"_s}), "www.example.com is not a registered site");
    expectUsageError(run({u"--check"_s, u"www.example.cn"_s, u"other.cn"_s}), "other.cn is not a registered site");
}

TEST_F(ProgramTest, ExportOfResultListsGivesEachEntryWithItsHostsPreviousPosition)
{
    std::string table;
    {
        test::SiteDatabase database(databaseFile());
        table = database.addSite("www.example.cn");
        database.addKeyword(table, "手机");
    }
    {
        Store store;
        ASSERT_TRUE(store.connectAccess(databaseFile()));
        const Text keyword = utf8ToGbkString("手机");
        ASSERT_TRUE(resultLists::record(
            store, table, keyword, "2024-06-01",
            {{1, "www.example.cn/", "www.example.cn", true}, {2, "=evil.com/x", "=evil.com", false}}));
        ASSERT_TRUE(resultLists::record(store, table, keyword, "2024-06-02",
                                        {{1, "=evil.com/x", "=evil.com", false},
                                         {2, "www.example.cn/a", "www.example.cn", true},
                                         {3, "new.cn/", "new.cn", false}}));
    }
    const Outcome all = run({u"--export"_s, u"www.example.cn"_s, u"--serp"_s});
    EXPECT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(all.out,
              "date,keyword,position,host,address,own,previous_position\r\n"
              "2024-06-01,手机,1,www.example.cn,www.example.cn/,1,\r\n"
              "2024-06-01,手机,2,'=evil.com,'=evil.com/x,0,\r\n"
              "2024-06-02,手机,1,'=evil.com,'=evil.com/x,0,2\r\n"
              "2024-06-02,手机,2,www.example.cn,www.example.cn/a,1,1\r\n"
              "2024-06-02,手机,3,new.cn,new.cn/,0,\r\n");
    const Outcome later
        = run({u"--export"_s, u"www.example.cn"_s, u"--serp"_s, u"--from=2024-06-02"_s, u"--keyword"_s, u"手机"_s});
    EXPECT_EQ(later.exitCode, 0) << later.err;
    EXPECT_EQ(std::count(later.out.begin(), later.out.end(), '\n'), 4);
    const Outcome none = run({u"--export"_s, u"www.example.cn"_s, u"--serp"_s, u"--keyword=other"_s});
    EXPECT_EQ(none.out, "date,keyword,position,host,address,own,previous_position\r\n");
}

TEST_F(ProgramTest, WithoutADatabaseBothModesExitWithStatus2AndCreateNothing)
{
    expectUsageError(run({u"--export"_s, u"www.example.cn"_s}), "cannot open the database");
    expectUsageError(run({u"--check"_s}), "cannot open the database");
    EXPECT_FALSE(std::filesystem::exists(databaseFile()));
}

TEST_F(ProgramTest, ACheckWhileAnotherHoldsTheLockExitsWithStatus2)
{
    test::SiteDatabase database(databaseFile());
    database.addSite("www.example.cn");
    CheckLock held(QString::fromStdString(databaseFile()));
    QString message;
    ASSERT_TRUE(held.acquire(message)) << message.toStdString();

    const Outcome o = run({u"--check"_s, u"--pause"_s, u"0"_s});
    expectUsageError(o, "another check is running");
    EXPECT_NE(o.err.find(std::to_string(QCoreApplication::applicationPid())), std::string::npos) << o.err;
}

TEST_F(ProgramTest, CheckReportsAMalformedSettingOnceOnStandardError)
{
    std::filesystem::create_directories(config + "/zeravudez");
    {
        std::FILE* f = std::fopen((config + "/zeravudez/zeravudez.conf").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("pause=soon\nproxy=127.0.0.1:9\n", f);
        std::fclose(f);
    }
    const Outcome o = run({u"--check"_s});
    EXPECT_EQ(o.exitCode, 2);
    const std::string line = "zeravudez: " + config + "/zeravudez/zeravudez.conf: pause=soon";
    EXPECT_EQ(o.err.rfind(line, 0), 0u) << o.err;
    EXPECT_EQ(o.err.find("pause=soon", line.size()), std::string::npos) << o.err;
}

} // namespace
} // namespace zv
