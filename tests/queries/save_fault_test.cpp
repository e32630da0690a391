// Recording today's ranks when things go wrong around the database: the
// process killed in the middle of saving, the database folder full or
// read-only, the file held by another process. A separate program
// (save_fault_helper.cpp) does the saving, so that it can be killed and given
// file systems of its own; this side prepares the database and examines it.

#include "store/schema.h"
#include "store/store.h"
#include "tests/support/temp_dir.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zv {
namespace {

namespace fs = std::filesystem;

constexpr char kSite[] = "www.example.com";
constexpr char kTable[] = "www_example_com";
constexpr int kKeywords = 50;
constexpr int kHistoryDays = 30;
constexpr int kSkip = 77;

struct DatabaseCloser
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;

Database openDirect(const std::string& path)
{
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    return Database(raw);
}

// The texts of every row a statement yields.
std::vector<std::vector<std::string>> query(sqlite3* db, const std::string& sql)
{
    std::vector<std::vector<std::string>> rows;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db) << " in " << sql;
        return rows;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            row.emplace_back(text ? text : "NULL");
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    return rows;
}

std::string keywordColumns()
{
    std::string columns;
    for (int k = 1; k <= kKeywords; ++k)
        columns += (k > 1 ? ", k" : "k") + std::to_string(k);
    return columns;
}

struct HelperRun
{
    int exitCode = -1;
    std::string output;
};

class SaveFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_database = (m_data.path() / "zeravudez" / "web.db").string();
        fs::create_directories(m_data.path() / "zeravudez");
        Store::createDatabaseFile(m_database);
        Store store;
        ASSERT_TRUE(store.connectAccess(m_database));
        ASSERT_TRUE(store.bindConnection());
        ASSERT_TRUE(store.executeSql(createSiteRegistrySql()));
        ASSERT_TRUE(store.executeSql(createKeywordIndexTableSql()));
        ASSERT_TRUE(store.executeSql(createRankTableSql(kTable)));
        ASSERT_TRUE(store.executeSql(createRankDateIndexSql(kTable)));
        ASSERT_TRUE(store.executeSql(createOverviewTableSql(kTable)));
        ASSERT_TRUE(store.openRecordset(siteRegistryTable(), TableName));
        ASSERT_TRUE(store.addNew());
        ASSERT_TRUE(store.writeText(0, kTable));
        ASSERT_TRUE(store.update());
        for (int k = 1; k <= kKeywords; ++k)
            ASSERT_TRUE(store.openRecordset(addKeywordColumnSql(kTable, "k" + std::to_string(k)), SqlText));

        // A month of history: the row of n days ago holds n in every column.
        Database db = openDirect(m_database);
        std::string insert = "BEGIN;";
        for (int day = 1; day <= kHistoryDays; ++day) {
            insert += "INSERT INTO " + std::string(kTable) + " (keydate, " + keywordColumns()
                + ") VALUES (date('now','localtime','-" + std::to_string(day) + " day')";
            for (int k = 1; k <= kKeywords; ++k)
                insert += ", " + std::to_string(day);
            insert += ");";
        }
        insert += "COMMIT;";
        ASSERT_EQ(sqlite3_exec(db.get(), insert.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        m_history = historyRows();
    }

    void TearDown() override { makeWritable(); }

    // The read-only case, where no mount can be made, takes the write
    // permission bits away.
    void makeWritable()
    {
        std::error_code ec;
        fs::permissions(m_data.path() / "zeravudez", fs::perms::owner_all, fs::perm_options::add, ec);
        fs::permissions(m_database, fs::perms::owner_write, fs::perm_options::add, ec);
    }

    std::vector<std::vector<std::string>> historyRows()
    {
        Database db = openDirect(m_database);
        return query(db.get(),
                     "SELECT keydate, " + keywordColumns() + " FROM " + kTable
                         + " WHERE keydate < date('now','localtime') ORDER BY keydate");
    }

    // Today's row as its keyword values; empty when there is none.
    std::vector<std::string> todayValues()
    {
        Database db = openDirect(m_database);
        const auto rows = query(
            db.get(), "SELECT " + keywordColumns() + " FROM " + kTable + " WHERE keydate = date('now','localtime')");
        EXPECT_LE(rows.size(), 1u);
        return rows.empty() ? std::vector<std::string>() : rows.front();
    }

    void saveDirectly(int value)
    {
        Database db = openDirect(m_database);
        std::string sql = "INSERT INTO " + std::string(kTable) + " (" + keywordColumns() + ") VALUES (";
        for (int k = 1; k <= kKeywords; ++k)
            sql += (k > 1 ? ", " : "") + std::to_string(value);
        ASSERT_EQ(sqlite3_exec(db.get(), (sql + ")").c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    }

    void expectSoundDatabase()
    {
        Database db = openDirect(m_database);
        const auto check = query(db.get(), "PRAGMA integrity_check");
        ASSERT_EQ(check.size(), 1u);
        EXPECT_EQ(check[0][0], "ok");
        EXPECT_EQ(historyRows(), m_history) << "an earlier day's row changed";
    }

    // Starts the helper with its stdout on outputFd and, when inputFd is
    // given, its stdin on *inputFd.
    pid_t spawnHelper(const std::vector<std::string>& arguments, int& outputFd, int* inputFd = nullptr)
    {
        std::vector<std::string> args {ZV_SAVE_FAULT_HELPER, m_data.path().string(), kSite};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        int in[2];
        if (pipe(out) != 0)
            return -1;
        if (pipe(in) != 0) {
            close(out[0]);
            close(out[1]);
            return -1;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(in[0]);
        outputFd = out[0];
        if (inputFd)
            *inputFd = in[1];
        else
            close(in[1]);
        return pid;
    }

    static std::string readAll(int fd)
    {
        std::string output;
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            output.append(buffer, static_cast<std::size_t>(n));
        close(fd);
        return output;
    }

    static int exitCode(pid_t pid)
    {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    HelperRun runHelper(const std::vector<std::string>& arguments)
    {
        HelperRun run;
        int fd = -1;
        const pid_t pid = spawnHelper(arguments, fd);
        if (pid < 0)
            return run;
        run.output = readAll(fd);
        run.exitCode = exitCode(pid);
        return run;
    }

    test::TempDir m_data;
    std::string m_database;
    std::vector<std::vector<std::string>> m_history;
};

// Whole or absent: every keyword column of today's row holds the value of one
// and the same save.
void expectWholeOrAbsent(const std::vector<std::string>& today)
{
    for (const std::string& value : today)
        EXPECT_EQ(value, today.front()) << "today's row mixes two saves";
    if (!today.empty()) {
        EXPECT_NE(today.front(), "0");
    }
}

TEST_F(SaveFaults, KilledWhileSavingLeavesTodaysRowWholeOrAbsent)
{
    ASSERT_EQ(m_history.size(), static_cast<std::size_t>(kHistoryDays));
    std::mt19937 random(20240506);
    std::uniform_int_distribution<int> delayMs(0, 300);
    int saves = 0;
    for (int run = 0; run < 25; ++run) {
        int fd = -1;
        const pid_t pid = spawnHelper({"loop"}, fd);
        ASSERT_GT(pid, 0);
        FILE* output = fdopen(fd, "r");
        char line[256] = {};
        ASSERT_NE(std::fgets(line, sizeof line, output), nullptr);
        ASSERT_EQ(std::string(line), "ready " + std::to_string(kKeywords) + "\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        while (std::fgets(line, sizeof line, output) != nullptr)
            ++saves;
        std::fclose(output);
        ASSERT_TRUE(WIFSIGNALED(status));

        expectSoundDatabase();
        expectWholeOrAbsent(todayValues());
        if (HasFailure()) {
            FAIL() << "after run " << run;
        }
    }
    // The kills landed among saves, not before the first one.
    EXPECT_GT(saves, 25);
}

TEST_F(SaveFaults, FullDiskReportsFailureAndKeepsEarlierRows)
{
    for (const bool todayRecorded : {false, true}) {
        SCOPED_TRACE(todayRecorded ? "today's row recorded" : "no row for today");
        if (todayRecorded)
            saveDirectly(5);
        const HelperRun run = runHelper({"save", "9", "full"});
        if (run.exitCode == kSkip)
            GTEST_SKIP() << "no small file system can be mounted here";
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find("status 保存当天排名失败！\n"), std::string::npos) << run.output;
        expectSoundDatabase();
        EXPECT_EQ(todayValues(), todayRecorded ? std::vector<std::string>(kKeywords, "5") : std::vector<std::string>());
    }
}

TEST_F(SaveFaults, ReadOnlyDatabaseReportsFailureAndKeepsEarlierRows)
{
    for (const bool todayRecorded : {false, true}) {
        SCOPED_TRACE(todayRecorded ? "today's row recorded" : "no row for today");
        if (todayRecorded)
            saveDirectly(5);
        const HelperRun run = runHelper({"save", "9", "read-only"});
        if (run.exitCode == kSkip)
            GTEST_SKIP() << "the database cannot be made read-only here";
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find("status 保存当天排名失败！\n"), std::string::npos) << run.output;
        makeWritable();
        expectSoundDatabase();
        EXPECT_EQ(todayValues(), todayRecorded ? std::vector<std::string>(kKeywords, "5") : std::vector<std::string>());
    }
}

TEST_F(SaveFaults, DatabaseHeldByAnotherProcessReportsFailure)
{
    saveDirectly(5);
    // Another copy of the program in the middle of writing holds the file
    // for longer than a statement waits: first while this copy starts, then
    // while it saves.
    Database other = openDirect(m_database);
    ASSERT_EQ(sqlite3_exec(other.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const HelperRun start = runHelper({"save", "9"});
    EXPECT_EQ(start.exitCode, 3);
    EXPECT_EQ(start.output, "status 数据库链接失败！\n");
    ASSERT_EQ(sqlite3_exec(other.get(), "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);

    int output = -1;
    int input = -1;
    const pid_t pid = spawnHelper({"save", "9", "held"}, output, &input);
    ASSERT_GT(pid, 0);
    FILE* lines = fdopen(output, "r");
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, lines), nullptr);
    EXPECT_EQ(std::string(line), "ready " + std::to_string(kKeywords) + "\n");
    ASSERT_EQ(sqlite3_exec(other.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(write(input, "go\n", 3), 3);
    close(input);
    std::string rest;
    while (std::fgets(line, sizeof line, lines) != nullptr)
        rest += line;
    std::fclose(lines);
    EXPECT_EQ(exitCode(pid), 0);
    ASSERT_EQ(sqlite3_exec(other.get(), "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    other.reset();

    EXPECT_NE(rest.find("status 保存当天排名失败！\n"), std::string::npos) << rest;
    expectSoundDatabase();
    EXPECT_EQ(todayValues(), std::vector<std::string>(kKeywords, "5"));

    // Once the other copy lets go, the same save goes through.
    const HelperRun again = runHelper({"save", "9"});
    EXPECT_NE(again.output.find("status 保存当天排名成功！\n"), std::string::npos) << again.output;
    EXPECT_EQ(todayValues(), std::vector<std::string>(kKeywords, "9"));
}

} // namespace
} // namespace zv
