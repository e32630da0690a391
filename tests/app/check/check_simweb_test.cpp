// The daily check run as the timer runs it (a process of its own, no display)
// against the simulated web: the rows it records and the requests it sends
// are those of selecting the site in the window; a second run the same day
// asks nothing; failures give exit status 1.

#include "app/engine_choice.h"
#include "app/main_window.h"
#include "app/site_registry.h"
#include "queries/keyword_index.h"
#include "store/result_lists.h"
#include "store/store.h"
#include "tests/app/app_fixture.h"
#include "tests/app/check/check_fixture.h"
#include "tests/app/core/program_run.h"
#include "tests/app/core/site_database.h"
#include "tests/support/temp_dir.h"
#include "text/text.h"
#include "view/qt_text.h"
#include "web/codepage.h"

#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zv {
namespace {

using namespace Qt::StringLiterals;
using test::Outcome;

// The needles that find a site's and its keywords' requests in a log: the
// engine's pages, the index service's answers and pictures.
std::vector<std::string> needlesOf(const std::string& site, const std::vector<std::string>& keywordsUtf8)
{
    std::vector<std::string> needles {site};
    for (const std::string& keyword : keywordsUtf8) {
        const Text encoded = urlEncode(utf8ToGbkString(keyword), true, true);
        needles.push_back("wd=" + encoded + "&");
        needles.push_back("kw=" + encoded + "\"");
        std::string picture = "/baidu/pic/";
        for (unsigned char c : keyword) {
            picture += "0123456789ABCDEF"[c >> 4];
            picture += "0123456789ABCDEF"[c & 15];
        }
        needles.push_back(picture + "-");
    }
    return needles;
}

// A simweb request log: lines logged since a mark that hold any needle.
class RequestLog
{
public:
    explicit RequestLog(std::string path)
        : m_path(std::move(path))
    {
    }

    std::uintmax_t mark() const
    {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(m_path, error);
        return error ? 0 : size;
    }

    std::vector<std::string> since(std::uintmax_t mark, const std::vector<std::string>& needles) const
    {
        std::ifstream in(m_path, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(mark));
        std::vector<std::string> found;
        std::string line;
        while (std::getline(in, line)) {
            for (const std::string& needle : needles) {
                if (line.find(needle) != std::string::npos) {
                    found.push_back(line);
                    break;
                }
            }
        }
        return found;
    }

private:
    std::string m_path;
};

class CheckAgainstSimweb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("ZV_SIMWEB_DIR");
        if (!dir)
            GTEST_SKIP() << "not started by the simweb fixture";
        std::ifstream in(std::string(dir) + "/port");
        ASSERT_TRUE(in >> m_port);
        m_log = std::make_unique<RequestLog>(std::string(dir) + "/requests.log");
    }

    Outcome check(const Home& home, const QStringList& arguments)
    {
        return test::runProgram(QStringList {u"--check"_s, u"--pause"_s, u"0"_s} + arguments, home.environment(m_port));
    }

    test::TempDir m_dir;
    int m_port = 0;
    std::unique_ptr<RequestLog> m_log;
};

// Sites and keywords of their own, so that no other test of the fixture asks
// for them.
TEST_F(CheckAgainstSimweb, RecordsTheRowsAndSendsTheRequestsOfSelectingTheSiteInTheWindow)
{
    const std::string site = "www.daily-check-one.cn";
    const std::vector<std::string> keywords {"日检甲", "daily check beta", "日检丙"};
    const Home windowHome(m_dir, "window");
    const Home checkHome(m_dir, "check");
    test::SiteDatabase windowDatabase(windowHome.database());
    test::SiteDatabase checkDatabase(checkHome.database());
    const std::string table = registerSite(windowDatabase, site, keywords);
    registerSite(checkDatabase, site, keywords);
    const std::vector<std::string> needles = needlesOf(site, keywords);

    // The window: start the program and pick the site from the list.
    QStringList shownRanks;
    const std::uintmax_t windowMark = m_log->mark();
    {
        qputenv("ZERAVUDEZ_PROXY", QByteArray("127.0.0.1:") + QByteArray::number(m_port));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(windowHome.root + "/data"));
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(windowHome.root + "/cache"));
        MainWindow window;
        ASSERT_TRUE(window.databaseOpen());
        ASSERT_EQ(window.组合框_网站列表->count(), 1);
        window.组合框_网站列表->setCurrentIndex(0);
        onSiteSelected(window);
        onIndexButtonClicked(window);
        for (int r = 0; r < window.keywordRowCount(); ++r)
            shownRanks.append(window.cellText(r, KeywordColumn::Rank).trimmed());
        qputenv("ZERAVUDEZ_PROXY", "127.0.0.1:9");
    }
    const std::vector<std::string> windowRequests = m_log->since(windowMark, needles);

    const std::uintmax_t checkMark = m_log->mark();
    const Outcome o = check(checkHome, {u"--index"_s});
    const std::vector<std::string> checkRequests = m_log->since(checkMark, needles);
    EXPECT_EQ(o.exitCode, 0) << o.err;

    // Six overview figures, one page per keyword, then per keyword the index
    // service and its picture, byte for byte alike.
    EXPECT_EQ(windowRequests.size(), 6 + 3 * keywords.size());
    EXPECT_EQ(checkRequests, windowRequests);

    const Rows ranks = tableRows(checkHome, "select * from " + table + " order by ID");
    ASSERT_EQ(ranks.size(), 1u);
    EXPECT_EQ(ranks, tableRows(windowHome, "select * from " + table + " order by ID"));
    const Rows overview = tableRows(checkHome, "select * from " + table + "_xx order by keydate");
    ASSERT_EQ(overview.size(), 1u);
    EXPECT_EQ(overview, tableRows(windowHome, "select * from " + table + "_xx order by keydate"));
    const Rows pictures = tableRows(checkHome, "select * from web_baiduzhishu order by keywords");
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_EQ(pictures, tableRows(windowHome, "select * from web_baiduzhishu order by keywords"));

    // One line per keyword with the rank the window shows; nothing before.
    ASSERT_EQ(shownRanks.size(), 3);
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < keywords.size(); ++i)
        expected.push_back(site + "\t" + keywords[i] + "\t" + shownRanks[static_cast<int>(i)].toStdString() + "\t-\t");
    EXPECT_EQ(keywordLines(o.out), expected);
    // The first recorded day: nothing to compare with, nothing failed.
    EXPECT_EQ(digestLines(o.out), std::vector<std::string> {"# 1 site checked: no changes"}) << o.out;
    // Not a terminal: one plain progress line for the site.
    EXPECT_EQ(o.err.rfind("site 1/1 " + site + ": 3 keywords, ", 0), 0u) << o.err;
    EXPECT_EQ(lines(o.err).size(), 1u) << o.err;
}

// Installs the profile file (relative to the source folder) as NAME.json in
// the home's profile folder and chooses it in the settings.
void chooseProfile(const Home& home, const std::string& name, const std::string& source)
{
    const std::string folder = home.root + "/config/zeravudez/engines";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(std::string(ZV_SOURCE_DIR) + "/" + source, folder + "/" + name + ".json");
    std::ofstream(home.root + "/config/zeravudez/zeravudez.conf") << "engine=" << name << "\n";
}

TEST_F(CheckAgainstSimweb, TheBuiltInProfileWrittenAsAFileAsksAndRecordsTheSame)
{
    const std::string site = "www.daily-check-profile.cn";
    const std::vector<std::string> keywords {"档案甲", "profile beta"};
    const Home plainHome(m_dir, "plain");
    const Home fileHome(m_dir, "file");
    test::SiteDatabase plainDatabase(plainHome.database());
    test::SiteDatabase fileDatabase(fileHome.database());
    const std::string table = registerSite(plainDatabase, site, keywords);
    registerSite(fileDatabase, site, keywords);
    chooseProfile(fileHome, "baidu", "docs/engines/baidu.json");
    const std::vector<std::string> needles = needlesOf(site, keywords);

    std::uintmax_t mark = m_log->mark();
    const Outcome plain = check(plainHome, {});
    const std::vector<std::string> plainRequests = m_log->since(mark, needles);
    mark = m_log->mark();
    const Outcome file = check(fileHome, {});
    const std::vector<std::string> fileRequests = m_log->since(mark, needles);

    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(file.exitCode, 0) << file.err;
    EXPECT_EQ(lines(file.err).size(), 1u) << file.err; // progress only: the profile was taken
    EXPECT_EQ(plainRequests.size(), 6 + keywords.size());
    EXPECT_EQ(fileRequests, plainRequests);
    EXPECT_EQ(file.out, plain.out);
    const std::string ranks = "select * from " + table + " order by ID";
    EXPECT_EQ(tableRows(fileHome, ranks), tableRows(plainHome, ranks));
}

TEST_F(CheckAgainstSimweb, ASecondRunTheSameDayAsksNothingAndAgainAsksAgain)
{
    const std::string site = "www.daily-check-two.cn";
    const std::vector<std::string> keywords {"日检丁", "日检戊"};
    const Home home(m_dir, "home");
    test::SiteDatabase database(home.database());
    const std::string table = registerSite(database, site, keywords);
    {
        database.exec("INSERT INTO " + table
                      + " (keydate, \"日检丁\", \"日检戊\") VALUES (date('now','-3 day'), 4, 9)");
        database.exec("INSERT INTO " + table + " (keydate, \"日检丁\") VALUES (date('now','-1 day'), 7)");
    }
    const std::vector<std::string> needles = needlesOf(site, keywords);
    const std::string yesterday = tableRows(home, "select date('now','-1 day')").at(0).at(0);
    const std::string threeDaysAgo = tableRows(home, "select date('now','-3 day')").at(0).at(0);

    std::uintmax_t mark = m_log->mark();
    const Outcome first = check(home, {u"--json"_s});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(m_log->since(mark, needles).size(), 6u + 2u);
    const std::vector<std::string> json = keywordLines(first.out);
    ASSERT_EQ(json.size(), 2u) << first.out;
    ASSERT_EQ(lines(first.out).size(), 3u) << first.out;
    const QJsonObject digest = QJsonDocument::fromJson(QByteArray::fromStdString(lines(first.out).back()))
                                   .object()
                                   .value(u"digest"_s)
                                   .toObject();
    EXPECT_EQ(digest.value(u"counts"_s).toObject().value(u"lost"_s).toInt(), 1) << first.out;
    // The previous value is the latest earlier day's, even when that day
    // left the keyword at its default.
    const QJsonObject a = QJsonDocument::fromJson(QByteArray::fromStdString(json[0])).object();
    EXPECT_EQ(a.value(u"keyword"_s).toString(), u"日检丁"_s);
    EXPECT_EQ(a.value(u"previous"_s).toInt(), 7);
    EXPECT_EQ(a.value(u"previousDate"_s).toString().toStdString(), yesterday);
    EXPECT_EQ(a.value(u"value"_s).toInt(-1), 0);
    EXPECT_EQ(a.value(u"change"_s).toString(), u"lost"_s);
    // Not among the results: no landing page, and so no change of it; the
    // day's lists are kept all the same.
    EXPECT_TRUE(a.contains(u"landing"_s) && a.value(u"landing"_s).isNull());
    EXPECT_EQ(a.value(u"landing_changed"_s), QJsonValue(false));
    EXPECT_EQ(tableRows(home, "select count(*) from zv_result_lists where rank_table = '" + table + "'"),
              (Rows {{"2"}}));
    const QJsonObject b = QJsonDocument::fromJson(QByteArray::fromStdString(json[1])).object();
    EXPECT_EQ(b.value(u"previous"_s).toInt(-1), 0);
    EXPECT_EQ(b.value(u"previousDate"_s).toString().toStdString(), yesterday);
    EXPECT_NE(threeDaysAgo, yesterday);

    mark = m_log->mark();
    const Outcome second = check(home, {u"www.DAILY-check-two.cn"_s});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "site 1/1 " + site + ": already recorded today\n");
    EXPECT_TRUE(m_log->since(mark, needles).empty());

    mark = m_log->mark();
    const Outcome again = check(home, {u"--again"_s, u"--quiet"_s});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(m_log->since(mark, needles).size(), 6u + 2u);
    // Today's row changed in place: still one per day.
    EXPECT_EQ(tableRows(home, "select count(*), count(distinct keydate) from " + table), (Rows {{"3", "3"}}));
    EXPECT_EQ(tableRows(home, "select count(*) from " + table + "_xx"), (Rows {{"1"}}));
}

TEST_F(CheckAgainstSimweb, JsonLinesCarryTheLandingPageAndWhetherItChanged)
{
    // basic.json: www.shop-demo.cn stands at 3 with its home page for 网站优化.
    const std::string site = "www.shop-demo.cn";
    const Home home(m_dir, "landing");
    std::string table;
    {
        test::SiteDatabase database(home.database());
        table = registerSite(database, site, {"网站优化", "关键词排名"});
        // Yesterday's ranks equal today's, so the digest's only change is
        // the landing page.
        database.exec("insert into " + table + " (keydate) values (date('now', 'localtime', '-1 day'))");
        database.exec("update " + table + " set " + test::quotedName("网站优化") + "=3, "
                      + test::quotedName("关键词排名") + "=5");
    }
    {
        Store store;
        ASSERT_TRUE(store.connectAccess(home.database()));
        const Text yesterday = toText(QDate::currentDate().addDays(-1).toString(Qt::ISODate));
        ASSERT_TRUE(resultLists::record(store, table, utf8ToGbkString("网站优化"), yesterday,
                                        {{2, "www.shop-demo.cn/old.html", "www.shop-demo.cn", true}}));
    }
    const Outcome run = check(home, {u"--json"_s});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> json = keywordLines(run.out);
    ASSERT_EQ(json.size(), 2u) << run.out;
    const QJsonObject changed = QJsonDocument::fromJson(QByteArray::fromStdString(json[0])).object();
    EXPECT_EQ(changed.value(u"landing"_s).toString(), u"www.shop-demo.cn/"_s);
    EXPECT_EQ(changed.value(u"landing_changed"_s), QJsonValue(true));
    // No list the day before: a landing page, not a change.
    const QJsonObject first = QJsonDocument::fromJson(QByteArray::fromStdString(json[1])).object();
    EXPECT_TRUE(first.value(u"landing"_s).toString().startsWith(u"www.shop-demo.cn/"_s));
    EXPECT_EQ(first.value(u"landing_changed"_s), QJsonValue(false));
    const QJsonObject digest = QJsonDocument::fromJson(QByteArray::fromStdString(lines(run.out).back()))
                                   .object()
                                   .value(u"digest"_s)
                                   .toObject();
    EXPECT_EQ(digest.value(u"counts"_s).toObject().value(u"landingChanged"_s), QJsonValue(1)) << run.out;

    // The tab-separated lines keep their five columns.
    const Outcome plain = check(home, {u"--again"_s});
    for (const std::string& line : keywordLines(plain.out))
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 4) << line;
}

TEST_F(CheckAgainstSimweb, AWindowOpenOnTheSameDatabaseKeepsWorkingAndNeitherLosesRows)
{
    const Home home(m_dir, "shared");
    test::SiteDatabase database(home.database());
    const std::string checked = registerSite(database, "www.daily-check-seven.cn", {"日检七甲", "日检七乙"});
    const std::string picked = registerSite(database, "www.daily-check-eight.cn", {"日检八甲", "日检八乙"});
    qputenv("ZERAVUDEZ_PROXY", QByteArray("127.0.0.1:") + QByteArray::number(m_port));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.root + "/data"));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(home.root + "/cache"));
    MainWindow window;
    ASSERT_TRUE(window.databaseOpen());

    // The check of one site runs while the window searches the other.
    QProcess check;
    check.setProcessEnvironment(home.environment(m_port));
    check.start(QString::fromUtf8(ZV_PROGRAM), {u"--check"_s, u"--pause"_s, u"0"_s, u"www.daily-check-seven.cn"_s});
    ASSERT_TRUE(check.waitForStarted());
    window.组合框_网站列表->setCurrentIndex(1);
    onSiteSelected(window);
    EXPECT_EQ(window.statusText(), u"保存当天排名成功！"_s);
    ASSERT_TRUE(check.waitForFinished(120000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString();

    EXPECT_EQ(tableRows(home, "select count(*) from " + checked), (Rows {{"1"}}));
    EXPECT_EQ(tableRows(home, "select count(*) from " + picked), (Rows {{"1"}}));
    // Picking the checked site now shows its recorded ranks without asking.
    const std::uintmax_t mark = m_log->mark();
    window.组合框_网站列表->setCurrentIndex(0);
    onSiteSelected(window);
    EXPECT_TRUE(m_log->since(mark, needlesOf("www.daily-check-seven.cn", {"日检七甲", "日检七乙"})).empty());
    EXPECT_FALSE(window.cellText(0, KeywordColumn::Rank).isEmpty());
    qputenv("ZERAVUDEZ_PROXY", "127.0.0.1:9");
}

TEST(CheckFailures, AFailedKeywordOrOverviewGivesStatus1AndTheRestIsRecorded)
{
    test::TempDir dir;
    PrivateSimweb simweb(dir, R"({"engine": {"keywords": {"日检失败": {"status": 503}},
                                            "overview": {"www.daily-check-four.cn": {"*": {"status": 500}}}}})");
    ASSERT_GT(simweb.port(), 0);
    const Home home(dir, "home");
    test::SiteDatabase database(home.database());
    const std::string three = registerSite(database, "www.daily-check-three.cn", {"日检好", "日检失败"});
    const std::string four = registerSite(database, "www.daily-check-four.cn", {"日检好"});
    const QStringList arguments {u"--check"_s, u"--pause"_s, u"0"_s};

    const Outcome o = test::runProgram(arguments, home.environment(simweb.port()));
    EXPECT_EQ(o.exitCode, 1) << o.err;
    const std::vector<std::string> out = keywordLines(o.out);
    ASSERT_EQ(out.size(), 3u) << o.out;
    EXPECT_EQ(out[1], "www.daily-check-three.cn\t日检失败\t查询失败\t-\t");
    EXPECT_EQ(digestLines(o.out),
              (std::vector<std::string> {"# 2 sites checked: 2 failed",
                                         "www.daily-check-three.cn\t日检失败\tfailed\tsearch failed",
                                         "www.daily-check-four.cn\t\tfailed\t网站综合信息查询失败！"}))
        << o.out;
    EXPECT_NE(o.err.find("zeravudez: www.daily-check-three.cn: 1 of 2 keywords failed\n"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("zeravudez: www.daily-check-four.cn: 网站综合信息查询失败！\n"), std::string::npos) << o.err;
    // The good keyword and the other site's ranks are recorded all the same;
    // the overview without a single page is not.
    EXPECT_EQ(tableRows(home, "select \"日检好\" from " + three), (Rows {{"0"}}));
    EXPECT_EQ(tableRows(home, "select \"日检好\" from " + four), (Rows {{"0"}}));
    EXPECT_EQ(tableRows(home, "select count(*) from " + four + "_xx"), (Rows {{"0"}}));
    EXPECT_EQ(tableRows(home, "select count(*) from " + three + "_xx"), (Rows {{"1"}}));

    // Quiet: only the failures, on both streams.
    const Outcome quiet
        = test::runProgram(arguments + QStringList {u"--again"_s, u"--quiet"_s}, home.environment(simweb.port()));
    EXPECT_EQ(quiet.exitCode, 1);
    // The failures' digest stays, as the failed keyword's line does.
    EXPECT_EQ(keywordLines(quiet.out), std::vector<std::string> {"www.daily-check-three.cn\t日检失败\t查询失败\t-\t"});
    EXPECT_EQ(digestLines(quiet.out).size(), 3u) << quiet.out;
    EXPECT_EQ(quiet.err.find("site "), std::string::npos) << quiet.err;
    EXPECT_EQ(lines(quiet.err).size(), 2u) << quiet.err;
}

TEST(CheckFailures, TheSecurityCheckStopsTheSiteAndTheNextSiteIsStillTried)
{
    test::TempDir dir;
    // Six overview requests and two keywords' pages pass; then only the check.
    PrivateSimweb simweb(dir, R"({"engine": {"verification": {"after": 8, "form": "redirect"}}})");
    ASSERT_GT(simweb.port(), 0);
    const Home home(dir, "home");
    test::SiteDatabase database(home.database());
    const std::string five
        = registerSite(database, "www.daily-check-five.cn", {"日检一", "日检二", "日检三", "日检四"});
    registerSite(database, "www.daily-check-six.cn", {"日检五"});

    const Outcome o = test::runProgram({u"--check"_s, u"--pause"_s, u"0"_s}, home.environment(simweb.port()));
    EXPECT_EQ(o.exitCode, 1) << o.err;
    EXPECT_NE(o.err.find("zeravudez: www.daily-check-five.cn: the search engine asked for its security check"),
              std::string::npos)
        << o.err;
    // The digest names the stop once for the keywords it left without a rank.
    const std::vector<std::string> digest = digestLines(o.out);
    EXPECT_NE(std::find(digest.begin(), digest.end(),
                        "www.daily-check-five.cn\t\tfailed\tthe search engine asked for its security check; 2 "
                        "keywords without a rank today"),
              digest.end())
        << o.out;
    // Keywords searched before the check keep their values; the rest have none.
    EXPECT_EQ(tableRows(home, "select \"日检一\", \"日检二\", \"日检三\", \"日检四\" from " + five),
              (Rows {{"0", "0", "<null>", "<null>"}}));
    // No further request for the stopped site's keywords, but the next site
    // was asked for.
    const RequestLog log(simweb.logFile());
    EXPECT_EQ(log.since(0, needlesOf("www.daily-check-five.cn", {"日检四"})).size(), 6u);
    EXPECT_FALSE(log.since(0, {"daily-check-six"}).empty());
}

// The second engine of simweb (search.example.com) read through its profile,
// installed in the configuration folder: the same result lists in other
// markup give the same ranks, in the check and in the window.
class SecondEngineAgainstSimweb : public ::testing::Test
{
protected:
    SecondEngineAgainstSimweb()
        : simweb(dir, test::TempDir::readFile(std::string(ZV_SOURCE_DIR) + "/tests/scenarios/basic.json"))
    {
    }

    // A home with the scenario's ranked site and its keywords.
    std::string prepare(const Home& home)
    {
        test::SiteDatabase database(home.database());
        return registerSite(database, kSite, keywords);
    }

    Outcome check(const Home& home) const
    {
        return test::runProgram({u"--check"_s, u"--pause"_s, u"0"_s}, home.environment(simweb.port()));
    }

    static constexpr const char* kSite = "www.shop-demo.cn";
    const std::vector<std::string> keywords {"网站优化", "关键词排名", "seo工具"};
    test::TempDir dir;
    PrivateSimweb simweb;
};

TEST_F(SecondEngineAgainstSimweb, ItsProfileFindsTheSamePositionsInTheCheckAndTheWindow)
{
    ASSERT_GT(simweb.port(), 0);
    const Home builtinHome(dir, "builtin");
    const Home exampleHome(dir, "example");
    const std::string table = prepare(builtinHome);
    prepare(exampleHome);
    chooseProfile(exampleHome, "example", "tests/engines/example.json");
    const RequestLog log(simweb.logFile());

    std::uintmax_t mark = log.mark();
    const Outcome builtin = check(builtinHome);
    const std::vector<std::string> builtinRequests = log.since(mark, {"pn=0&rn=100", "search.example.com"});
    mark = log.mark();
    const Outcome example = check(exampleHome);
    const std::vector<std::string> exampleRequests = log.since(mark, {"pn=0&rn=100", "search.example.com"});

    EXPECT_EQ(builtin.exitCode, 0) << builtin.err;
    EXPECT_EQ(example.exitCode, 0) << example.err;
    EXPECT_EQ(lines(example.err).size(), 1u) << example.err; // progress only: the profile was taken
    // One page per keyword, each from its own engine.
    ASSERT_EQ(builtinRequests.size(), keywords.size());
    ASSERT_EQ(exampleRequests.size(), keywords.size());
    for (std::size_t i = 0; i < keywords.size(); ++i) {
        const std::string encoded = urlEncode(utf8ToGbkString(keywords[i]), true, true);
        EXPECT_NE(builtinRequests[i].find("www.baidu.com/s?wd=" + encoded + "&pn=0&rn=100"), std::string::npos)
            << builtinRequests[i];
        EXPECT_NE(exampleRequests[i].find("search.example.com/search?q=" + encoded + "&first=1&count=100"),
                  std::string::npos)
            << exampleRequests[i];
    }
    // The same ranks shown and recorded, the site found where the scenario
    // puts it.
    EXPECT_EQ(example.out, builtin.out);
    const std::vector<std::string> out = keywordLines(example.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].rfind(std::string(kSite) + "\t网站优化\t3. ", 0), 0u) << out[0];
    EXPECT_EQ(out[1], std::string(kSite) + "\t关键词排名\t5\t-\t");
    const std::string ranks = "select * from " + table + " order by ID";
    EXPECT_EQ(tableRows(exampleHome, ranks), tableRows(builtinHome, ranks));

    // The window with the profile the settings choose shows the same.
    const Home windowHome(dir, "window");
    prepare(windowHome);
    chooseProfile(windowHome, "example", "tests/engines/example.json");
    qputenv("ZERAVUDEZ_PROXY", QByteArray("127.0.0.1:") + QByteArray::number(simweb.port()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(windowHome.root + "/data"));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(windowHome.root + "/cache"));
    const EngineChoice choice
        = chooseEngineProfile(u"example"_s, QString::fromStdString(windowHome.root + "/config/zeravudez/engines"));
    ASSERT_TRUE(choice.problem.isEmpty()) << choice.problem.toStdString();
    mark = log.mark();
    {
        MainWindow window;
        window.setEngineProfile(choice.entry.profile);
        ASSERT_TRUE(window.databaseOpen());
        window.组合框_网站列表->setCurrentIndex(0);
        onSiteSelected(window);
        for (int r = 0; r < window.keywordRowCount(); ++r) {
            const std::string shown = window.cellText(r, KeywordColumn::Rank).trimmed().toStdString();
            EXPECT_EQ(out[static_cast<std::size_t>(r)].rfind(
                          std::string(kSite) + "\t" + keywords[r] + "\t" + shown + "\t", 0),
                      0u)
                << shown;
        }
    }
    qputenv("ZERAVUDEZ_PROXY", "127.0.0.1:9");
    EXPECT_EQ(log.since(mark, {"search.example.com"}).size(), keywords.size());
    EXPECT_TRUE(log.since(mark, {"pn=0&rn=100"}).empty());
    EXPECT_EQ(tableRows(windowHome, ranks), tableRows(builtinHome, ranks));
}

TEST_F(SecondEngineAgainstSimweb, TheBuiltInMarkupOnItsPagesFindsNoResultPage)
{
    ASSERT_GT(simweb.port(), 0);
    const Home home(dir, "mixed");
    const std::string table = prepare(home);
    // The built-in profile asking the second engine's address.
    std::string json = test::TempDir::readFile(std::string(ZV_SOURCE_DIR) + "/docs/engines/baidu.json");
    const std::string address = "http://www.baidu.com/s?wd={keyword}&pn={offset}&rn={count}&ie=utf-8";
    json.replace(json.find(address), address.size(),
                 "http://search.example.com/search?q={keyword}&first={first}&count={count}");
    const std::string folder = home.root + "/config/zeravudez/engines";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/mixed.json") << json;
    std::ofstream(home.root + "/config/zeravudez/zeravudez.conf") << "engine=mixed\n";

    const Outcome o = check(home);
    EXPECT_EQ(o.exitCode, 1) << o.err;
    for (const std::string& line : keywordLines(o.out))
        EXPECT_NE(line.find("\t查询失败\t"), std::string::npos) << line;
    EXPECT_NE(o.err.find(std::string(kSite) + ": 3 of 3 keywords failed"), std::string::npos) << o.err;
    // A failure, not "not ranked": no value is recorded.
    EXPECT_EQ(tableRows(home, "select \"网站优化\", \"关键词排名\", \"seo工具\" from " + table),
              (Rows {{"<null>", "<null>", "<null>"}}));
}

TEST_F(SecondEngineAgainstSimweb, APatternThatGivesUpFailsTheKeywordsAndSaysSo)
{
    ASSERT_GT(simweb.port(), 0);
    const Home home(dir, "slow");
    const std::string table = prepare(home);
    // A block pattern that never matches and backtracks exponentially over
    // every page: each search reaches its work limit.
    std::string json = test::TempDir::readFile(std::string(ZV_SOURCE_DIR) + "/tests/engines/example.json");
    const std::string block = R"([\\s\\S]*?</li>)";
    json.replace(json.find(block), block.size(), R"((?:[\\s\\S]+[\\s\\S]+)+</nomatch>)");
    const std::string folder = home.root + "/config/zeravudez/engines";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/slow.json") << json;
    std::ofstream(home.root + "/config/zeravudez/zeravudez.conf") << "engine=slow\n";

    const Outcome o = check(home);
    EXPECT_EQ(o.exitCode, 1) << o.err;
    ASSERT_EQ(keywordLines(o.out).size(), 3u) << o.out;
    for (const std::string& line : keywordLines(o.out))
        EXPECT_NE(line.find("\t查询失败\t"), std::string::npos) << line;
    // The digest names the page that was too complex.
    EXPECT_NE(o.out.find("页面过于复杂，未能完整读取！"), std::string::npos) << o.out;
    EXPECT_NE(o.err.find(std::string(kSite) + ": 页面过于复杂，未能完整读取！"), std::string::npos) << o.err;
    EXPECT_EQ(tableRows(home, "select \"网站优化\", \"关键词排名\", \"seo工具\" from " + table),
              (Rows {{"<null>", "<null>", "<null>"}}));
}

TEST(SecondEngineSecurityCheck, StopsTheSiteAfterItsOwnRequests)
{
    test::TempDir dir;
    // The six overview requests go to www.baidu.com; the second engine counts
    // its own: one keyword's page passes, then only the check.
    PrivateSimweb simweb(dir, R"({"engine": {"verification": {"after": 1, "form": "redirect"}}})");
    ASSERT_GT(simweb.port(), 0);
    const Home home(dir, "home");
    test::SiteDatabase database(home.database());
    const std::string table = registerSite(database, "www.daily-check-nine.cn", {"日检九甲", "日检九乙"});
    chooseProfile(home, "example", "tests/engines/example.json");

    const Outcome o = test::runProgram({u"--check"_s, u"--pause"_s, u"0"_s}, home.environment(simweb.port()));
    EXPECT_EQ(o.exitCode, 1) << o.err;
    EXPECT_NE(o.err.find("zeravudez: www.daily-check-nine.cn: the search engine asked for its security check"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(tableRows(home, "select \"日检九甲\", \"日检九乙\" from " + table), (Rows {{"0", "<null>"}}));
}

} // namespace
} // namespace zv
