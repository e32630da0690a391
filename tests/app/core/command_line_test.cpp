// Reading the command line: which arguments leave the window for the
// command-line modes, what each mode takes, and a one-line message for
// everything else.

#include "app/command_line.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace zv {
namespace {

QStringList args(const std::vector<const char*>& list)
{
    QStringList result;
    for (const char* a : list)
        result.append(QString::fromUtf8(a));
    return result;
}

TEST(CommandLineTest, OnlyDoubleDashOptionsOrDashHLeaveTheWindow)
{
    EXPECT_FALSE(wantsCommandLine({}));
    EXPECT_FALSE(wantsCommandLine(args({"-platform", "offscreen"})));
    EXPECT_FALSE(wantsCommandLine(args({"www.example.cn"})));
    EXPECT_TRUE(wantsCommandLine(args({"--check"})));
    EXPECT_TRUE(wantsCommandLine(args({"-style", "fusion", "--bogus"})));
    EXPECT_TRUE(wantsCommandLine(args({"-h"})));
    EXPECT_EQ(parseCommandLine({}).mode, CommandMode::Window);
}

TEST(CommandLineTest, CheckTakesAddressesAndItsOptionsInAnyOrder)
{
    const CommandLine all = parseCommandLine(
        args({"www.a.cn", "--check", "--index", "--again", "--pause", "0", "b.cn", "--json", "--quiet"}));
    EXPECT_TRUE(all.error.isEmpty()) << all.error.toStdString();
    EXPECT_EQ(all.mode, CommandMode::Check);
    EXPECT_EQ(all.addresses, args({"www.a.cn", "b.cn"}));
    EXPECT_TRUE(all.index && all.again && all.json && all.quiet);
    EXPECT_EQ(all.pause, (PauseRange {0, 0}));

    const CommandLine bare = parseCommandLine(args({"--check"}));
    EXPECT_EQ(bare.mode, CommandMode::Check);
    EXPECT_TRUE(bare.addresses.isEmpty());
    EXPECT_FALSE(bare.index || bare.again || bare.json || bare.quiet);
    EXPECT_FALSE(bare.pause.has_value());

    EXPECT_EQ(parseCommandLine(args({"--check", "--pause=2-6"})).pause, (PauseRange {2, 6}));
    // After "--" everything is an address, even what looks like an option.
    EXPECT_EQ(parseCommandLine(args({"--check", "--", "--json"})).addresses, args({"--json"}));
}

TEST(CommandLineTest, ExportTakesOneAddressARangeAndTheOverviewSwitch)
{
    const CommandLine c
        = parseCommandLine(args({"--export", "www.a.cn", "--from", "2024-01-31", "--to=2024-02-29", "--overview"}));
    EXPECT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    EXPECT_EQ(c.mode, CommandMode::Export);
    EXPECT_EQ(c.addresses, args({"www.a.cn"}));
    EXPECT_EQ(c.from, QDate(2024, 1, 31));
    EXPECT_EQ(c.to, QDate(2024, 2, 29));
    EXPECT_TRUE(c.overview);

    const CommandLine plain = parseCommandLine(args({"--export", "www.a.cn"}));
    EXPECT_EQ(plain.mode, CommandMode::Export);
    EXPECT_FALSE(plain.from.isValid() || plain.to.isValid() || plain.overview);
    EXPECT_TRUE(
        parseCommandLine(args({"--export", "a.cn", "--from", "2024-03-01", "--to", "2024-03-01"})).error.isEmpty());
}

TEST(CommandLineTest, ExportOfResultListsTakesARangeAndAKeyword)
{
    const CommandLine c = parseCommandLine(
        args({"--export", "www.a.cn", "--serp", "--from", "2024-01-31", "--keyword=网站优化", "--to", "2024-02-29"}));
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    EXPECT_EQ(c.mode, CommandMode::Export);
    EXPECT_TRUE(c.serp);
    EXPECT_EQ(c.keyword, QString::fromUtf8("网站优化"));
    EXPECT_EQ(c.from, QDate(2024, 1, 31));
    EXPECT_EQ(c.to, QDate(2024, 2, 29));
}

TEST(CommandLineTest, EngineModesTakeTheirOwnOptions)
{
    EXPECT_EQ(parseCommandLine(args({"--engines"})).mode, CommandMode::Engines);
    const CommandLine t
        = parseCommandLine(args({"--page=saved.html", "--test-engine", "example", "--site", "www.a.cn"}));
    EXPECT_TRUE(t.error.isEmpty()) << t.error.toStdString();
    EXPECT_EQ(t.mode, CommandMode::TestEngine);
    EXPECT_EQ(t.engine, u"example");
    EXPECT_EQ(t.page, u"saved.html");
    EXPECT_EQ(t.site, u"www.a.cn");
    EXPECT_TRUE(parseCommandLine(args({"--test-engine", "x", "--page", "p"})).site.isEmpty());
    EXPECT_TRUE(helpText().contains(u"--engines"));
    EXPECT_TRUE(helpText().contains(u"--test-engine NAME --page FILE [--site ADDRESS]"));
}

TEST(CommandLineTest, HelpAndVersionWinOverTheModes)
{
    EXPECT_EQ(parseCommandLine(args({"--help"})).mode, CommandMode::Help);
    EXPECT_EQ(parseCommandLine(args({"--check", "-h"})).mode, CommandMode::Help);
    EXPECT_EQ(parseCommandLine(args({"--export", "--version"})).mode, CommandMode::Version);
    EXPECT_EQ(parseCommandLine(args({"--version", "--help"})).mode, CommandMode::Help);
    EXPECT_TRUE(helpText().contains(u"--check"));
    EXPECT_TRUE(helpText().contains(u"--export"));
}

struct BadUsage
{
    const char* name;
    std::vector<const char*> arguments;
    const char* message; // a part of the one-line message
};

// Shown for a failing case instead of its bytes.
void PrintTo(const BadUsage& c, std::ostream* os)
{
    *os << c.name;
}

class CommandLineErrorTest : public ::testing::TestWithParam<BadUsage>
{
};

TEST_P(CommandLineErrorTest, GivesAOneLineMessage)
{
    const CommandLine c = parseCommandLine(args(GetParam().arguments));
    EXPECT_TRUE(c.error.contains(QString::fromUtf8(GetParam().message))) << c.error.toStdString();
    EXPECT_FALSE(c.error.contains(u'\n'));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineErrorTest,
    ::testing::Values(BadUsage {"unknown_option", {"--check", "--bogus"}, "unknown option --bogus"},
                      BadUsage {"unknown_short_option", {"--check", "-x"}, "unknown option -x"},
                      BadUsage {"unknown_with_value", {"--colour=red"}, "unknown option --colour"},
                      BadUsage {"no_mode", {"www.a.cn", "--index"}, "--check or --export"},
                      BadUsage {"both_modes", {"--check", "--export", "a.cn"}, "cannot be combined"},
                      BadUsage {"pause_missing", {"--check", "--pause"}, "--pause needs a value"},
                      BadUsage {"pause_bad", {"--check", "--pause", "soon"}, "--pause soon is not"},
                      BadUsage {"pause_reversed", {"--check", "--pause=6-2"}, "--pause 6-2 is not"},
                      BadUsage {"flag_with_value", {"--check", "--json=yes"}, "--json takes no value"},
                      BadUsage {"export_option_on_check", {"--check", "--overview"}, "--overview belongs to --export"},
                      BadUsage {
                          "check_option_on_export", {"--export", "a.cn", "--again"}, "--again belongs to --check"},
                      BadUsage {"export_without_address", {"--export"}, "--export needs a site address"},
                      BadUsage {"export_two_addresses", {"--export", "a.cn", "b.cn"}, "one site address"},
                      BadUsage {"date_bad", {"--export", "a.cn", "--from", "2024-02-30"}, "--from 2024-02-30 is not"},
                      BadUsage {"date_short", {"--export", "a.cn", "--to", "2024-2-3"}, "--to 2024-2-3 is not"},
                      BadUsage {"date_missing", {"--export", "a.cn", "--to"}, "--to needs a value"},
                      BadUsage {"range_reversed",
                                {"--export", "a.cn", "--from", "2024-03-02", "--to", "2024-03-01"},
                                "--from is after --to"}),
    [](const auto& i) { return std::string(i.param.name); });

INSTANTIATE_TEST_SUITE_P(
    EngineArguments, CommandLineErrorTest,
    ::testing::Values(
        BadUsage {"engines_and_check", {"--check", "--engines"}, "--check and --engines cannot be"},
        BadUsage {"test_and_list", {"--engines", "--test-engine", "x"}, "cannot be combined"},
        BadUsage {"test_without_page", {"--test-engine", "x"}, "--test-engine needs --page FILE"},
        BadUsage {"test_without_name", {"--test-engine"}, "--test-engine needs a value"},
        BadUsage {"page_without_test", {"--check", "--page", "p"}, "--page belongs to --test-engine"},
        BadUsage {"site_on_engines", {"--engines", "--site", "a.cn"}, "--site belongs to --test-engine"},
        BadUsage {"check_option_on_test", {"--test-engine", "x", "--page", "p", "--json"}, "--json belongs to --check"},
        BadUsage {"address_on_engines", {"--engines", "a.cn"}, "unexpected argument a.cn"}),
    [](const auto& i) { return std::string(i.param.name); });

INSTANTIATE_TEST_SUITE_P(
    ResultListArguments, CommandLineErrorTest,
    ::testing::Values(
        BadUsage {"serp_and_overview", {"--export", "a.cn", "--serp", "--overview"}, "cannot be combined"},
        BadUsage {"keyword_without_serp", {"--export", "a.cn", "--keyword=x"}, "--keyword belongs to --serp"},
        BadUsage {"serp_on_check", {"--check", "--serp"}, "--serp belongs to --export"}),
    [](const auto& i) { return std::string(i.param.name); });

} // namespace
} // namespace zv
