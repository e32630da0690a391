// The search engine profiles of the user: which one engine= chooses, what a
// profile that cannot be used gives, and the two modes that look at them
// (--engines, --test-engine) run as the user runs them.

#include "app/engine_choice.h"
#include "program_run.h"
#include "tests/support/temp_dir.h"
#include "view/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zv {
namespace {

using namespace Qt::StringLiterals;
using test::Outcome;

std::string sourceFile(const std::string& relative)
{
    return test::TempDir::readFile(std::string(ZV_SOURCE_DIR) + "/" + relative);
}

// The second engine's profile with one piece of it replaced.
std::string exampleWith(const std::string& from, const std::string& to)
{
    std::string json = sourceFile("tests/engines/example.json");
    json.replace(json.find(from), from.size(), to);
    return json;
}

class EngineChoiceTest : public ::testing::Test
{
protected:
    EngineChoiceTest()
        : config(dir.filePath("config"))
        , configEnv("XDG_CONFIG_HOME", config.c_str())
        , dataEnv("XDG_DATA_HOME", dir.filePath("data").c_str())
        , runtimeEnv("XDG_RUNTIME_DIR", dir.filePath("run").c_str())
    {
        std::filesystem::create_directories(folder());
        std::filesystem::create_directories(dir.filePath("run"));
    }

    std::string folder() const { return config + "/zeravudez/engines"; }
    QString qFolder() const { return QString::fromStdString(folder()); }

    std::string install(const std::string& name, const std::string& json) const
    {
        const std::string path = folder() + "/" + name;
        std::ofstream(path, std::ios::binary) << json;
        return path;
    }

    void settings(const std::string& text) const
    {
        std::ofstream(config + "/zeravudez/zeravudez.conf", std::ios::binary) << text;
    }

    static Outcome run(const QStringList& arguments)
    {
        return test::runProgram(arguments, test::programEnvironment(u"127.0.0.1:9"_s));
    }

    test::TempDir dir;
    std::string config;
    test::ScopedEnv configEnv, dataEnv, runtimeEnv;
};

TEST_F(EngineChoiceTest, NamesChooseFilesAndTheBuiltInNameNeedsNone)
{
    ASSERT_EQ(engineProfileFolder(), qFolder());
    const EngineChoice none = chooseEngineProfile(QString(), qFolder());
    EXPECT_TRUE(none.isBuiltin());
    EXPECT_TRUE(none.problem.isEmpty());
    EXPECT_EQ(*none.entry.profile, builtinEngineProfile());
    EXPECT_EQ(none.entry.name, u"baidu");

    const EngineChoice builtinByName = chooseEngineProfile(u"baidu"_s, qFolder());
    EXPECT_TRUE(builtinByName.isBuiltin());
    EXPECT_TRUE(builtinByName.problem.isEmpty());

    const std::string example = install("example.json", sourceFile("tests/engines/example.json"));
    const EngineChoice chosen = chooseEngineProfile(u"example"_s, qFolder());
    EXPECT_TRUE(chosen.problem.isEmpty()) << chosen.problem.toStdString();
    EXPECT_EQ(chosen.entry.file.toStdString(), example);
    EXPECT_EQ(chosen.entry.profile->host, "search.example.com");
    // A path names a file anywhere.
    EXPECT_EQ(chooseEngineProfile(QString::fromStdString(example), u"/nowhere"_s).entry.file.toStdString(), example);

    // A file with the built-in name takes its place when chosen, not before.
    install("baidu.json", sourceFile("docs/engines/baidu.json"));
    EXPECT_FALSE(chooseEngineProfile(u"baidu"_s, qFolder()).isBuiltin());
    EXPECT_TRUE(chooseEngineProfile(QString(), qFolder()).isBuiltin());
}

TEST_F(EngineChoiceTest, AProfileThatCannotBeUsedIsReportedAndTheBuiltInOneUsed)
{
    const std::string broken = install("broken.json", exampleWith("(\\\\d+)", "(\\\\d+"));
    const EngineChoice refused = chooseEngineProfile(u"broken"_s, qFolder());
    EXPECT_TRUE(refused.isBuiltin());
    EXPECT_EQ(*refused.entry.profile, builtinEngineProfile());
    EXPECT_TRUE(
        refused.problem.startsWith(QString::fromStdString(broken + ": resultBlock: the pattern does not compile: ")))
        << refused.problem.toStdString();
    EXPECT_TRUE(refused.problem.endsWith(u"; the built-in profile is used"_s)) << refused.problem.toStdString();

    const EngineChoice missing = chooseEngineProfile(u"gone"_s, qFolder());
    EXPECT_TRUE(missing.isBuiltin());
    EXPECT_EQ(missing.problem, u"engine gone: no profile %1/gone.json; the built-in profile is used"_s.arg(qFolder()));

    // Unreadable and oversized files are refused before they are parsed.
    const std::string huge = install("huge.json", std::string(2 * 1024 * 1024, ' '));
    EXPECT_TRUE(chooseEngineProfile(u"huge"_s, qFolder()).problem.contains(u"larger than"));
    std::filesystem::create_directories(folder() + "/folder.json");
    EXPECT_TRUE(chooseEngineProfile(u"folder"_s, qFolder()).problem.contains(u"cannot be read"));
}

TEST(EnginePauseChoice, CommandLineThenSettingsThenProfileThenTheDefault)
{
    EngineProfile engine = builtinEngineProfile();
    const PauseRange fallback {2, 6};
    EXPECT_EQ(chosenPause(std::nullopt, std::nullopt, engine, fallback), fallback);
    engine.pause = EnginePauseSeconds {7, 9};
    EXPECT_EQ(chosenPause(std::nullopt, std::nullopt, engine, fallback), (PauseRange {7, 9}));
    EXPECT_EQ(chosenPause(std::nullopt, PauseRange {1, 1}, engine, fallback), (PauseRange {1, 1}));
    EXPECT_EQ(chosenPause(PauseRange {0, 0}, PauseRange {1, 1}, engine, fallback), (PauseRange {0, 0}));
}

TEST_F(EngineChoiceTest, EnginesListsEveryProfileAndMarksTheChosenOne)
{
    const std::string example = install("example.json", sourceFile("tests/engines/example.json"));
    const std::string broken = install("broken.json", exampleWith("\"positionGroup\": 1", "\"positionGroup\": 3"));
    install("notes.txt", "not a profile");
    settings("engine=example\n");

    const Outcome listed = run({u"--engines"_s});
    EXPECT_EQ(listed.exitCode, 1) << listed.err;
    EXPECT_EQ(listed.out,
              "  baidu\t(built-in)\twww.baidu.com\tOK\n"
              "  broken\t"
                  + broken
                  + "\t-\tpositionGroup: resultBlock has no group 3 (it has 1)\n"
                    "* example\t"
                  + example + "\tsearch.example.com\tOK\n");
    EXPECT_EQ(listed.err, "");

    // engine= naming nothing: reported, and the built-in one is in use.
    settings("engine=gone\n");
    std::filesystem::remove(broken);
    const Outcome gone = run({u"--engines"_s});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(gone.out,
              "* baidu\t(built-in)\twww.baidu.com\tOK\n"
              "  example\t"
                  + example + "\tsearch.example.com\tOK\n");
    EXPECT_EQ(gone.err,
              "zeravudez: engine gone: no profile " + folder() + "/gone.json; the built-in profile is used\n");

    settings("");
    const Outcome clean = run({u"--engines"_s});
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_EQ(clean.out.rfind("* baidu\t", 0), 0u) << clean.out;
}

TEST_F(EngineChoiceTest, TestEngineReadsASavedPageWithTheProfile)
{
    const std::string example = install("example.json", sourceFile("tests/engines/example.json"));
    const std::string page
        = dir.writeFile("saved.html",
                        "<html><head><title>网站优化 - 搜索结果</title></head><body><ol>\n"
                        "<li class=\"result\" data-pos=\"1\"><h3><a href=\"http://www.other.com/\">别的</a></h3>"
                        "<div class=\"url\">www.other.com/</div><p>www.shop-demo.cn/</p></li>\n"
                        "<li class=\"result\" data-pos=\"3\"><h3><a href=\"http://www.shop-demo.cn/\">店</a></h3>"
                        "<div class=\"url\">www.shop-demo.cn/</div><p>摘要</p></li>\n</ol></body></html>");

    const Outcome o = run({u"--test-engine"_s, u"example"_s, u"--page"_s, QString::fromStdString(page), u"--site"_s,
                           u"www.shop-demo.cn"_s});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out,
              "engine: example (" + example
                  + ")\n"
                    "block 1: position 1\n"
                    "  <div class=\"url\">www.other.com/</div>\n"
                    "block 2: position 3\n"
                    "  <div class=\"url\">www.shop-demo.cn/</div>\n"
                    "blocks: 2\n"
                    "result page: yes\n"
                    "no-results page: no\n"
                    "verification page: no\n"
                    "rank of www.shop-demo.cn: \"3. \"\n");

    // The built-in profile sees no result page in it: the search would fail.
    const Outcome builtin = run(
        {u"--test-engine"_s, u"baidu"_s, u"--page"_s, QString::fromStdString(page), u"--site=www.shop-demo.cn"_s});
    EXPECT_EQ(builtin.exitCode, 0) << builtin.err;
    EXPECT_NE(builtin.out.find("blocks: 0\nresult page: no\nno-results page: no\nverification page: no\n"
                               "rank of www.shop-demo.cn: \"查询失败\"\n"),
              std::string::npos)
        << builtin.out;

    // A profile that cannot be used: reported with file, field and reason,
    // and the page read with the built-in one.
    const std::string broken = install("broken.json", exampleWith("\"homePage\": \"{site}/<\"", "\"homePage\": 1"));
    const Outcome refused = run({u"--test-engine"_s, u"broken"_s, u"--page"_s, QString::fromStdString(page)});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "zeravudez: " + broken + ": homePage: must be a string; the built-in profile is used\n");
    EXPECT_EQ(refused.out.rfind("engine: baidu (built-in)\nblocks: 0\n", 0), 0u) << refused.out;

    const Outcome noPage = run({u"--test-engine"_s, u"example"_s, u"--page"_s, u"/nonexistent.html"_s});
    EXPECT_EQ(noPage.exitCode, 2);
    EXPECT_NE(noPage.err.find("cannot read /nonexistent.html"), std::string::npos) << noPage.err;
}

TEST_F(EngineChoiceTest, TestEngineTellsNoticeAndCheckPages)
{
    const std::string notice = dir.writeFile("none.html",
                                             "<html><head><title>网站优化_百度搜索</title></"
                                             "head><body>很抱歉，没有找到与“网站优化”相关的网页。</body></html>");
    const Outcome none = run(
        {u"--test-engine"_s, u"baidu"_s, u"--page"_s, QString::fromStdString(notice), u"--site"_s, u"www.a.cn"_s});
    EXPECT_NE(none.out.find("blocks: 0\nresult page: yes\nno-results page: yes\nverification page: no\n"
                            "rank of www.a.cn: \"100名以后 :(\"\n"),
              std::string::npos)
        << none.out;

    const std::string check = dir.writeFile("check.html", "<html><head><title>百度安全验证</title></head></html>");
    const Outcome checked
        = run({u"--test-engine"_s, u"baidu"_s, u"--page"_s, QString::fromStdString(check), u"--site"_s, u"www.a.cn"_s});
    EXPECT_NE(checked.out.find("verification page: yes\nrank of www.a.cn: \"查询失败\"\n"), std::string::npos)
        << checked.out;
}

// A block pattern that backtracks exponentially over a block of one long word:
// the page is one the search would count as failed, and the mode says so.
TEST_F(EngineChoiceTest, TestEngineReportsAPatternThatGivesUp)
{
    install("slow.json", exampleWith(R"([\\s\\S]*?</li>)", R"((?:\\w+\\s?)*\\s*<h3>[\\s\\S]*?</li>)"));
    const std::string page = dir.writeFile(
        "saved.html",
        "<ol><li class=\"result\" data-pos=\"1\">" + std::string(40, 'a')
            + "!</li>\n<li class=\"result\" data-pos=\"2\"><h3>店</h3><div class=\"url\">www.a.cn/</div>"
              "</li></ol>");
    const Outcome o
        = run({u"--test-engine"_s, u"slow"_s, u"--page"_s, QString::fromStdString(page), u"--site"_s, u"www.a.cn"_s});
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(o.out.find("blocks: 0\npatterns gave up: yes\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("rank of www.a.cn: \"查询失败\"\n"), std::string::npos) << o.out;
    EXPECT_NE(o.err.find("a pattern of the profile reached its limits on " + page), std::string::npos) << o.err;
}

TEST_F(EngineChoiceTest, CheckReportsABrokenProfileBeforeItStarts)
{
    const std::string broken = install("broken.json", "{\"address\": ");
    settings("engine=broken\n");
    const Outcome o = run({u"--check"_s});
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_EQ(o.err.rfind("zeravudez: " + broken + ": not JSON: ", 0), 0u) << o.err;
    EXPECT_NE(o.err.find("; the built-in profile is used\nzeravudez: cannot open the database"), std::string::npos)
        << o.err;
}

} // namespace
} // namespace zv
