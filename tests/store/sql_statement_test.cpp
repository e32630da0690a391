#include "store/sql_statement.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace zv::sql {
namespace {

// A statement text and the name its test case carries.
struct StatementCase
{
    const char* name;
    const char* sql;
};

void PrintTo(const StatementCase& c, std::ostream* os)
{
    *os << '"' << c.sql << '"';
}

std::string caseName(const ::testing::TestParamInfo<StatementCase>& info)
{
    return info.param.name;
}

// Every statement form the program sends, with names as they occur.
class AcceptedStatement : public ::testing::TestWithParam<StatementCase>
{
};

TEST_P(AcceptedStatement, Parses)
{
    const ParseOutcome outcome = parseStatement(GetParam().sql);
    EXPECT_TRUE(outcome.statement.has_value()) << outcome.error;
}

INSTANTIATE_TEST_SUITE_P(
    ProgramForms, AcceptedStatement,
    ::testing::Values(
        StatementCase {"site_registry_table", "Create TABLE website(web_name varchar(50) PRIMARY KEY)"},
        StatementCase {"keyword_index_table",
                       "Create TABLE web_baiduzhishu(keywords varchar(100) PRIMARY "
                       "KEY,baiduzhishu memo default 0)"},
        StatementCase {"rank_table",
                       "Create TABLE www_a__b_com (ID Counter PRIMARY KEY,keydate datetime not null default date())"},
        StatementCase {"rank_date_index", "Create UNIQUE INDEX index1 on www_a__b_com(keydate)"},
        StatementCase {"drop_unindexed_rank_table", "drop table www_a_com"},
        StatementCase {"drop_overview_table", "DROP TABLE www_a_com_xx"},
        StatementCase {"overview_table",
                       "Create TABLE www_a_com_xx (keydate datetime not null default date() PRIMARY KEY,baidukuaizhao "
                       "varchar(20) default 0,baidushoulu int default 0,baidufanlian int default 0,jinrishoulu int "
                       "default 0,zuijinyizhou int default 0,zuijinyiyue int default 0)"},
        StatementCase {"select_sites", "select * from website"},
        StatementCase {"delete_site", "delete from website where web_name='www_a_com'"},
        StatementCase {"select_rank_table", "select * from www_a_com"},
        StatementCase {"add_keyword", "alter table www_a_com add seo int default 0"},
        StatementCase {"drop_keyword", "alter table www_a_com drop seo"},
        StatementCase {"add_keyword_with_extra_blanks", "alter table www_a_com add  seo  int default 0"},
        StatementCase {"add_chinese_keyword", "alter table www_a_com add \xE5\x85\xB3\xE9\x94\xAE int default 0"},
        StatementCase {"todays_row", "select * from www_a_com where keydate=date()"},
        StatementCase {"history_newest_first", "select * from www_a_com_xx order by keydate desc"},
        StatementCase {"best_rank", "select max([seo]) as themax from www_a_com"},
        StatementCase {"day_by_like", "select * from www_a_com where keydate like '2010-1-5'"},
        StatementCase {"index_lookup", "select * from web_baiduzhishu where keywords='seo'"},
        StatementCase {"index_update", "UPDATE web_baiduzhishu SET baiduzhishu='0A1B' WHERE keywords = 'seo'"},
        StatementCase {"trailing_semicolon", "select * from website;"},
        StatementCase {"drop_index", "DROP INDEX index1 ON www_a_com"},
        StatementCase {"insert_with_columns", "insert into website (web_name) values ('x')"},
        StatementCase {"keyword_starting_with_digit", "alter table t add 9lives int default 0"}),
    caseName);

// Texts that must not run: names that are not bare identifiers, several
// statements, comments, and statement forms the program never sends.
class RejectedStatement : public ::testing::TestWithParam<StatementCase>
{
};

TEST_P(RejectedStatement, Fails)
{
    const ParseOutcome outcome = parseStatement(GetParam().sql);
    EXPECT_FALSE(outcome.statement.has_value());
    EXPECT_FALSE(outcome.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    UnsafeOrForeign, RejectedStatement,
    ::testing::Values(
        StatementCase {"blank_in_name", "alter table t add bad key int default 0"},
        StatementCase {"empty_name", "alter table t add  int default 0"},
        StatementCase {"hyphen_in_name", "alter table t add a-b int default 0"},
        StatementCase {"reserved_word_as_name", "alter table t add select int default 0"},
        StatementCase {"second_statement_after_add", "alter table t add seo int default 0; drop table t"},
        StatementCase {"line_comment", "alter table t add seo int default 0 -- comment"},
        StatementCase {"block_comment", "alter table t add seo int /* c */ default 0"},
        StatementCase {"full_width_semicolon", "alter table t add seo\xEF\xBC\x9B int default 0"},
        StatementCase {"ideographic_space", "alter table t add \xE3\x80\x80seo int default 0"},
        StatementCase {"bracketed_name_in_definition", "alter table t add [seo] int default 0"},
        StatementCase {"rowid_as_name", "alter table t add rowid int default 0"},
        StatementCase {"oid_as_name", "alter table t add oid int default 0"},
        StatementCase {"second_statement_after_drop", "alter table t drop seo; drop table website"},
        StatementCase {"two_drops", "drop table website; drop table x"},
        StatementCase {"empty_table_name",
                       "Create TABLE  (ID Counter PRIMARY KEY,keydate datetime not null default date())"},
        StatementCase {"dotted_table_name", "Create TABLE a.b (ID Counter PRIMARY KEY)"},
        StatementCase {"port_in_table_name", "Create TABLE a:8080 (ID Counter PRIMARY KEY)"},
        StatementCase {"double_quoted_name", "drop table \"website\""},
        StatementCase {"bracketed_table_name", "drop table [website]"},
        StatementCase {"condition_without_column", "select * from website where 1=1"},
        StatementCase {"blank_in_bracketed_name", "select max([bad key]) as themax from t"},
        StatementCase {"blank_before_bracketed_name", "select max([ seo]) as themax from t"},
        StatementCase {"unclosed_quote", "select * from t where keydate like '2010-1-5"},
        StatementCase {"two_selects", "select * from t; select * from u"},
        StatementCase {"pragma", "PRAGMA writable_schema=1"}, StatementCase {"attach", "ATTACH 'x' AS y"},
        StatementCase {"unquoted_value", "delete from website where web_name=x"},
        StatementCase {"select_without_table", "select 1"}, StatementCase {"empty_text", ""},
        // Names starting with a digit keep the same guard.
        StatementCase {"digit_name_with_blank", "alter table t add 3d x int default 0"},
        StatementCase {"digits_only_name", "alter table t add 360 int default 0"},
        StatementCase {"digit_name_then_second_statement", "alter table t add 3d int default 0; drop table t"},
        StatementCase {"digit_name_then_line_comment", "alter table t add 3d int default 0 -- c"},
        StatementCase {"digit_name_then_block_comment", "alter table t add 3d /* c */ int default 0"},
        StatementCase {"digit_name_with_quote", "alter table t add 3d' int default 0"},
        StatementCase {"digit_name_with_full_width_semicolon", "alter table t add 3d\xEF\xBC\x9B int default 0"},
        StatementCase {"digit_name_with_full_width_apostrophe", "alter table t add 3d\xEF\xBC\x87 int default 0"},
        StatementCase {"digit_name_with_ideographic_space", "alter table t add 3d\xE3\x80\x80x int default 0"},
        StatementCase {"digit_table_then_second_statement", "drop table 163_com; drop table website"},
        StatementCase {"digit_table_then_line_comment", "drop table 163_com -- x"},
        StatementCase {"digit_table_condition_without_column", "select * from 1_5 where 1=1"},
        StatementCase {"decimal_as_name", "alter table t add 1.5 int default 0"},
        StatementCase {"digits_only_table", "alter table 163 add seo int default 0"}),
    caseName);

TEST(StatementReading, SplicedValueStaysInsideItsQuotes)
{
    // The registry deletion with an address built to widen the condition.
    ParseOutcome outcome = parseStatement("delete from website where web_name='x' or '1'='1'");
    ASSERT_TRUE(outcome.statement.has_value()) << outcome.error;
    const auto& del = std::get<Delete>(*outcome.statement);
    ASSERT_TRUE(del.where.has_value());
    EXPECT_EQ(del.where->column, "web_name");
    EXPECT_EQ(del.where->op, CompareOp::Equal);
    EXPECT_EQ(del.where->value.text, "x' or '1'='1");

    outcome = parseStatement("delete from website where web_name='x'; drop table website; --'");
    ASSERT_TRUE(outcome.statement.has_value()) << outcome.error;
    EXPECT_EQ(std::get<Delete>(*outcome.statement).where->value.text, "x'; drop table website; --");

    // With two values, the first closes as early as the rest allows, so a
    // keyword full of quotes stays the keyword.
    outcome = parseStatement("UPDATE web_baiduzhishu SET baiduzhishu='0A1B' WHERE keywords = 'a' WHERE keywords = 'b'");
    ASSERT_TRUE(outcome.statement.has_value()) << outcome.error;
    const auto& up = std::get<Update>(*outcome.statement);
    ASSERT_EQ(up.assignments.size(), 1u);
    EXPECT_EQ(up.assignments[0].value.text, "0A1B");
    EXPECT_EQ(up.where->value.text, "a' WHERE keywords = 'b");

    // A trailing semicolon ends the one statement; nothing may follow it.
    outcome = parseStatement("select * from web_baiduzhishu where keywords='a';");
    ASSERT_TRUE(outcome.statement.has_value());
    EXPECT_EQ(std::get<Select>(*outcome.statement).where->value.text, "a");
}

TEST(StatementReading, ColumnDefinitionsAndKeywordCase)
{
    ParseOutcome outcome = parseStatement(
        "cReAtE tAbLe t (ID Counter PRIMARY KEY,keydate datetime not null default date(),n varchar(20) default 0)");
    ASSERT_TRUE(outcome.statement.has_value()) << outcome.error;
    const auto& ct = std::get<CreateTable>(*outcome.statement);
    ASSERT_EQ(ct.columns.size(), 3u);
    EXPECT_EQ(ct.columns[0].type, ColumnType::Counter);
    EXPECT_TRUE(ct.columns[0].primaryKey);
    EXPECT_EQ(ct.columns[1].type, ColumnType::DateTime);
    EXPECT_TRUE(ct.columns[1].notNull);
    ASSERT_TRUE(ct.columns[1].defaultValue.has_value());
    EXPECT_EQ(ct.columns[1].defaultValue->kind, Literal::Kind::Today);
    EXPECT_EQ(ct.columns[2].type, ColumnType::Text);
    EXPECT_EQ(ct.columns[2].size, 20);
    EXPECT_EQ(ct.columns[2].defaultValue->kind, Literal::Kind::Integer);

    outcome = parseStatement("alter table t add  seo  int default 0");
    ASSERT_TRUE(outcome.statement.has_value());
    EXPECT_EQ(std::get<AlterAddColumn>(*outcome.statement).column.name, "seo");

    outcome = parseStatement("select max([seo]) as themax from t");
    ASSERT_TRUE(outcome.statement.has_value());
    const auto& sel = std::get<Select>(*outcome.statement);
    ASSERT_EQ(sel.items.size(), 1u);
    EXPECT_EQ(sel.items[0].aggregate, Aggregate::Max);
    EXPECT_EQ(sel.items[0].column, "seo");
    EXPECT_EQ(sel.items[0].alias, "themax");
}

TEST(StatementReading, NamesMayStartWithADigit)
{
    // Site tables such as 163_com and keywords such as 3d打印 or 5g手机.
    const std::string printing = "3d\xE6\x89\x93\xE5\x8D\xB0";
    ParseOutcome outcome = parseStatement("alter table 163_com add " + printing + " int default 0");
    ASSERT_TRUE(outcome.statement.has_value()) << outcome.error;
    const auto& add = std::get<AlterAddColumn>(*outcome.statement);
    EXPECT_EQ(add.table, "163_com");
    EXPECT_EQ(add.column.name, printing);
    ASSERT_TRUE(add.column.defaultValue.has_value());
    EXPECT_EQ(add.column.defaultValue->kind, Literal::Kind::Integer);
    EXPECT_EQ(add.column.defaultValue->text, "0");

    outcome = parseStatement("select max([5g\xE6\x89\x8B\xE6\x9C\xBA]) as themax from 58_com");
    ASSERT_TRUE(outcome.statement.has_value()) << outcome.error;
    const auto& sel = std::get<Select>(*outcome.statement);
    EXPECT_EQ(sel.items[0].column, "5g\xE6\x89\x8B\xE6\x9C\xBA");
    EXPECT_EQ(sel.table, "58_com");

    // Numbers stay numbers where a value is expected, also right after a name.
    outcome = parseStatement("Create TABLE 360_cn_xx (keydate datetime not null default date() PRIMARY KEY,"
                             "baidukuaizhao varchar(20) default 0,baidushoulu int default 12)");
    ASSERT_TRUE(outcome.statement.has_value()) << outcome.error;
    const auto& ct = std::get<CreateTable>(*outcome.statement);
    EXPECT_EQ(ct.table, "360_cn_xx");
    EXPECT_EQ(ct.columns[1].size, 20);
    EXPECT_EQ(ct.columns[2].defaultValue->text, "12");
    outcome = parseStatement("UPDATE t SET 3d = -1.5 WHERE 5g >= 10");
    ASSERT_TRUE(outcome.statement.has_value()) << outcome.error;
    const auto& up = std::get<Update>(*outcome.statement);
    EXPECT_EQ(up.assignments[0].column, "3d");
    EXPECT_EQ(up.assignments[0].value.kind, Literal::Kind::Real);
    EXPECT_EQ(up.assignments[0].value.text, "-1.5");
    EXPECT_EQ(up.where->column, "5g");
    EXPECT_EQ(up.where->value.text, "10");
    EXPECT_FALSE(parseStatement("UPDATE t SET a = 1e5").statement.has_value()) << "not a number";
}

TEST(StatementReading, NameRules)
{
    EXPECT_TRUE(isValidName("www_a__b_com"));
    EXPECT_TRUE(isValidName("_x1"));
    EXPECT_TRUE(isValidName("\xE5\x85\xB3\xE9\x94\xAE\xE8\xAF\x8D")); // Chinese letters
    EXPECT_TRUE(isValidName("seo\xE4\xBC\x98\xE5\x8C\x96"));
    EXPECT_FALSE(isValidName(""));
    EXPECT_FALSE(isValidName("a b"));
    EXPECT_TRUE(isValidName("1abc"));
    EXPECT_TRUE(isValidName("163_com"));
    EXPECT_TRUE(isValidName("3d\xE6\x89\x93\xE5\x8D\xB0")); // 3d printing
    EXPECT_FALSE(isValidName("360")) << "digits alone are a number";
    EXPECT_FALSE(isValidName("1.5"));
    EXPECT_FALSE(isValidName("3d x"));
    EXPECT_FALSE(isValidName("3d;"));
    EXPECT_FALSE(isValidName("\xEF\xBC\x93"
                             "d")); // a full-width digit does not start a name
    EXPECT_FALSE(isValidName("a'b"));
    EXPECT_FALSE(isValidName("a\xEF\xBC\x87"
                             "b")); // full-width apostrophe
    EXPECT_FALSE(isValidName("TABLE"));
    EXPECT_FALSE(isValidName("Select"));
    EXPECT_FALSE(isValidName("\xE5\x85")); // cut UTF-8 sequence
}

TEST(StatementReading, NulCharacterEndsNothing)
{
    using namespace std::string_view_literals;
    EXPECT_FALSE(parseStatement("select * from t\0; drop table t"sv).statement.has_value());
    EXPECT_FALSE(parseStatement("select * from t where keywords='a\0b'"sv).statement.has_value());
    EXPECT_FALSE(parseStatement("alter table t add 3d\0x int default 0"sv).statement.has_value());
}

} // namespace
} // namespace zv::sql
