// The program used as a hostile user would use it, each case a test of this
// group: the daily check killed at random moments, run twice at once, on a
// full or read-only file system, on a missing, cut-off or foreign database
// file; hostile engine profiles and settings; keywords and addresses made to
// break names and lines. Nothing may hang, crash, lose a row or record a
// failure as a result.

#include "app/keyword_registry.h"
#include "app/site_registry.h"
#include "tests/app/app_fixture.h"
#include "tests/app/core/csv_reader.h"
#include "tests/app/core/program_run.h"
#include "tests/app/core/site_database.h"
#include "tests/support/temp_dir.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace zv {
namespace {

using namespace Qt::StringLiterals;
using test::Outcome;
using Rows = std::vector<std::vector<std::string>>;

// One user's folders: data, cache, configuration and runtime.
struct Home
{
    Home(const test::TempDir& dir, const std::string& name)
        : root(dir.filePath(name))
    {
        for (const char* sub : {"data", "cache", "config", "run"})
            std::filesystem::create_directories(root + "/" + sub);
    }
    std::string database() const { return root + "/data/zeravudez/web.db"; }
    QProcessEnvironment environment(const QString& proxy) const
    {
        QProcessEnvironment env = test::programEnvironment(proxy);
        env.insert(u"XDG_DATA_HOME"_s, QString::fromStdString(root + "/data"));
        env.insert(u"XDG_CACHE_HOME"_s, QString::fromStdString(root + "/cache"));
        env.insert(u"XDG_CONFIG_HOME"_s, QString::fromStdString(root + "/config"));
        env.insert(u"XDG_RUNTIME_DIR"_s, QString::fromStdString(root + "/run"));
        return env;
    }
    void settings(const std::string& text) const
    {
        std::filesystem::create_directories(root + "/config/zeravudez");
        std::ofstream(root + "/config/zeravudez/zeravudez.conf", std::ios::binary) << text;
    }
    std::string root;
};

Rows rowsOf(const std::string& database, const std::string& sql)
{
    test::DbPeek peek(QString::fromStdString(database));
    EXPECT_TRUE(peek.isOpen());
    return peek.rows(sql);
}

std::string integrity(const std::string& database)
{
    const Rows rows = rowsOf(database, "pragma integrity_check");
    return rows.empty() ? "no answer" : rows[0][0];
}

QByteArray fileHash(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// A port on 127.0.0.1 that nothing listens on.
int closedPort()
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), length), 0);
    EXPECT_EQ(::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length), 0);
    ::close(socket); // bound, never listened on, and closed
    return ntohs(address.sin_port);
}

class HostileUse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("ZV_SIMWEB_DIR");
        if (!dir)
            GTEST_SKIP() << "not started by the simweb fixture";
        std::ifstream in(std::string(dir) + "/port");
        ASSERT_TRUE(in >> m_port);
    }

    QString proxy() const { return u"127.0.0.1:%1"_s.arg(m_port); }

    Outcome run(const Home& home, const QStringList& arguments) const
    {
        return test::runProgram(arguments, home.environment(proxy()));
    }
    Outcome check(const Home& home, const QStringList& arguments = {}) const
    {
        return run(home, QStringList {u"--check"_s, u"--pause"_s, u"0"_s} + arguments);
    }

    // A home with one registered site, its keywords and a row of an earlier
    // day, which nothing may lose.
    std::string prepare(const Home& home, const std::string& site, const std::vector<std::string>& keywords)
    {
        test::SiteDatabase database(home.database());
        const std::string table = database.addSite(site);
        for (const std::string& keyword : keywords)
            database.addKeyword(table, keyword);
        database.exec("insert into " + table + " (keydate) values ('2020-01-01')");
        return table;
    }

    test::TempDir m_dir;
    int m_port = 0;
};

// A small file system of its own, mounted as root can; the tests that need it
// are skipped elsewhere.
class SmallFileSystem
{
public:
    SmallFileSystem(const std::string& where, const char* size)
        : m_where(where)
    {
        std::filesystem::create_directories(where);
        const std::string options = std::string("size=") + size;
        m_mounted = ::mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(m_where.c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    bool makeReadOnly() const
    {
        return ::mount("tmpfs", m_where.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    // Takes every free byte.
    void fill() const
    {
        std::ofstream out(m_where + "/filler", std::ios::binary);
        const std::string block(64 * 1024, 'x');
        while (out.write(block.data(), static_cast<std::streamsize>(block.size())))
            ;
    }

private:
    std::string m_where;
    bool m_mounted = false;
};

TEST_F(HostileUse, KilledAtTwentyFiveRandomMomentsLeavesASoundDatabaseAndNoStaleLock)
{
    const Home home(m_dir, "killed");
    std::vector<std::string> keywords;
    for (int i = 1; i <= 20; ++i)
        keywords.push_back("杀" + std::to_string(i));
    const std::string table = prepare(home, "www.hostile-kill.cn", keywords);
    std::mt19937 random(std::random_device {}());
    const unsigned seed = random();
    random.seed(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    // How long a whole check takes here; the kills fall anywhere within it.
    QElapsedTimer timer;
    timer.start();
    const Outcome first = check(home, {u"--again"_s});
    ASSERT_NE(first.exitCode, 2) << first.err;
    const int whole = static_cast<int>(std::max<qint64>(timer.elapsed(), 50));
    std::printf("[ figure   ] a whole check: %d ms\n%s", whole, first.out.c_str());

    for (int round = 1; round <= 25; ++round) {
        QProcess process;
        process.setProcessEnvironment(home.environment(proxy()));
        process.start(QString::fromUtf8(ZV_PROGRAM), {u"--check"_s, u"--again"_s, u"--pause"_s, u"0"_s});
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(std::uniform_int_distribution<int>(0, whole)(random));
        process.kill(); // SIGKILL
        process.waitForFinished();
        ASSERT_EQ(integrity(home.database()), "ok") << "round " << round;
        EXPECT_EQ(rowsOf(home.database(), "select count(*) from " + table + " where keydate='2020-01-01'"),
                  (Rows {{"1"}}))
            << "round " << round;
    }
    // The next check runs: no lock left behind, one row for today.
    const Outcome next = check(home, {u"--again"_s});
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(next.err.find("another check"), std::string::npos) << next.err;
    EXPECT_EQ(rowsOf(home.database(), "select count(*) from " + table), (Rows {{"2"}}));
}

TEST_F(HostileUse, TwoChecksAtOnceOneRunsAndTheOtherSaysSo)
{
    const Home home(m_dir, "twice");
    const std::string table = prepare(home, "www.hostile-twice.cn", {"同时甲", "同时乙"});
    QProcess first;
    QProcess second;
    for (QProcess* p : {&first, &second}) {
        p->setProcessEnvironment(home.environment(proxy()));
        p->start(QString::fromUtf8(ZV_PROGRAM), {u"--check"_s, u"--pause"_s, u"0"_s});
    }
    ASSERT_TRUE(first.waitForFinished(120'000));
    ASSERT_TRUE(second.waitForFinished(120'000));
    std::vector<int> codes {first.exitCode(), second.exitCode()};
    std::sort(codes.begin(), codes.end());
    // Either the second waited its turn and found today recorded (0), or it
    // met the lock (2, with the reason).
    EXPECT_EQ(codes[0], 0);
    if (codes[1] == 2) {
        const std::string err = (first.exitCode() == 2 ? first : second).readAllStandardError().toStdString();
        EXPECT_NE(err.find("another check is running"), std::string::npos) << err;
    } else {
        EXPECT_EQ(codes[1], 0);
    }
    EXPECT_EQ(integrity(home.database()), "ok");
    EXPECT_EQ(rowsOf(home.database(), "select count(*) from " + table), (Rows {{"2"}}));
}

TEST_F(HostileUse, AFullDiskGivesAClearMessageAndNoHalfWrittenDay)
{
    const Home home(m_dir, "full");
    const SmallFileSystem disk(home.root + "/data", "2M");
    if (!disk.mounted())
        GTEST_SKIP() << "no small file system can be mounted here";
    const std::string table = prepare(home, "www.hostile-full.cn", {"满甲", "满乙", "满丙"});
    disk.fill();
    const Outcome o = check(home);
    std::printf("[ figure   ] full disk: exit %d, %s", o.exitCode, o.err.c_str());
    EXPECT_TRUE(o.exitCode == 1 || o.exitCode == 2) << o.exitCode << o.err;
    // The reason, not only that the day could not be saved.
    EXPECT_NE(o.err.find("www.hostile-full.cn: database: database or disk is full"), std::string::npos) << o.err;
    EXPECT_EQ(integrity(home.database()), "ok");
    // Today's row is there whole or not at all; the earlier day stays.
    const Rows today = rowsOf(home.database(), "select * from " + table + " where keydate=date('now','localtime')");
    if (!today.empty()) {
        EXPECT_NE(today[0][2], "<null>");
    }
    EXPECT_EQ(rowsOf(home.database(), "select count(*) from " + table + " where keydate='2020-01-01'"), (Rows {{"1"}}));
}

TEST_F(HostileUse, AReadOnlyDatabaseGivesAClearMessageAndStaysUntouched)
{
    const Home home(m_dir, "readonly");
    const SmallFileSystem disk(home.root + "/data", "4M");
    if (!disk.mounted())
        GTEST_SKIP() << "no small file system can be mounted here";
    prepare(home, "www.hostile-readonly.cn", {"只读甲"});
    ASSERT_TRUE(disk.makeReadOnly());
    const QByteArray before = fileHash(home.database());
    const Outcome o = check(home);
    std::printf("[ figure   ] read-only: exit %d, %s", o.exitCode, o.err.c_str());
    EXPECT_TRUE(o.exitCode == 1 || o.exitCode == 2) << o.exitCode << o.err;
    EXPECT_NE(o.err.find("www.hostile-readonly.cn: database: attempt to write a readonly database"), std::string::npos)
        << o.err;
    EXPECT_EQ(fileHash(home.database()), before);
}

// What is at the database's place, and what the check and the export must say.
struct BrokenFile
{
    const char* name;
    std::function<void(const std::string& path)> make;
    const char* reason; // what the message says beside the path
};

TEST_F(HostileUse, AMissingCutOffOrForeignDatabaseFileGivesAClearMessageAndStaysUntouched)
{
    const std::vector<BrokenFile> cases {
        {"missing data folder", [](const std::string&) {}, "there is none"},
        {"truncated",
         [this](const std::string& path) {
             const Home source(m_dir, "truncated-source");
             prepare(source, "www.hostile-cut.cn", {"截断"});
             std::filesystem::create_directories(std::filesystem::path(path).parent_path());
             std::filesystem::copy_file(source.database(), path);
             std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
         },
         "not a database or damaged"},
        {"not SQLite",
         [](const std::string& path) {
             std::filesystem::create_directories(std::filesystem::path(path).parent_path());
             std::ofstream(path, std::ios::binary) << "这不是数据库 but a note the user keeps\n";
         },
         "not a database or damaged"},
        {"empty",
         [](const std::string& path) {
             std::filesystem::create_directories(std::filesystem::path(path).parent_path());
             std::ofstream(path, std::ios::binary);
         },
         "cannot read the list of sites"},
    };
    for (const BrokenFile& c : cases) {
        SCOPED_TRACE(c.name);
        const Home home(m_dir, std::string("broken-") + std::to_string(&c - cases.data()));
        if (std::string(c.name) == "missing data folder")
            std::filesystem::remove_all(home.root + "/data");
        c.make(home.database());
        const bool existed = std::filesystem::exists(home.database());
        const QByteArray before = fileHash(home.database());
        for (const QStringList& arguments :
             {QStringList {u"--check"_s, u"--pause"_s, u"0"_s}, QStringList {u"--export"_s, u"www.hostile-cut.cn"_s}}) {
            const Outcome o = run(home, arguments);
            std::printf("[ figure   ] %s %s: exit %d, %s", c.name, qPrintable(arguments[0]), o.exitCode, o.err.c_str());
            EXPECT_EQ(o.exitCode, 2) << o.err;
            EXPECT_NE(o.err.find(c.reason), std::string::npos) << o.err;
            EXPECT_EQ(o.out, "");
        }
        EXPECT_EQ(std::filesystem::exists(home.database()), existed);
        EXPECT_EQ(fileHash(home.database()), before);
    }
}

TEST_F(HostileUse, HostileEngineProfilesAreRefusedOrBounded)
{
    const Home home(m_dir, "profiles");
    const std::string folder = home.root + "/config/zeravudez/engines";
    std::filesystem::create_directories(folder);
    const std::string example = test::TempDir::readFile(std::string(ZV_SOURCE_DIR) + "/tests/engines/example.json");
    const auto write = [&folder](const std::string& name, const std::string& text) {
        std::ofstream(folder + "/" + name + ".json", std::ios::binary) << text;
    };
    std::string backtracking = example;
    const std::string block = R"([\\s\\S]*?</li>)";
    backtracking.replace(backtracking.find(block), block.size(), R"((?:[\\s\\S]+[\\s\\S]+)+</nomatch>)");
    write("backtracking", backtracking);
    write("huge", "{\"description\": \"" + std::string(10 * 1024 * 1024, 'x') + "\"}");
    write("deep", std::string(100'000, '[') + std::string(100'000, ']'));
    std::string deepObject;
    for (int i = 0; i < 100'000; ++i)
        deepObject += "{\"a\":";
    write("deepobject", deepObject + "1" + std::string(100'000, '}'));

    // A large result page: 5 MB of blocks.
    std::string page = "<html><head><title>结果 - 搜索结果</title></head><body><ol>\n";
    for (int i = 1; page.size() < 5 * 1024 * 1024; ++i)
        page += "<li class=\"result\" data-pos=\"" + std::to_string(i)
            + "\"><h3>结果</h3><div class=\"url\">www.other.com/</div><p>摘要摘要摘要</p></li>\n";
    const std::string pageFile = m_dir.writeFile("large.html", page + "</ol></body></html>");

    for (const char* name : {"backtracking", "huge", "deep", "deepobject"}) {
        SCOPED_TRACE(name);
        QElapsedTimer timer;
        timer.start();
        const Outcome o = run(home,
                              {u"--test-engine"_s, QString::fromUtf8(name), u"--page"_s,
                               QString::fromStdString(pageFile), u"--site"_s, u"www.a.cn"_s});
        std::printf("[ figure   ] --test-engine %s: %lld ms, exit %d, %s", name, timer.elapsed(), o.exitCode,
                    o.err.substr(0, 300).c_str());
        // Refused (the built-in profile reads the page) or bounded: a
        // problem said, no crash.
        EXPECT_EQ(o.exitCode, 1) << o.err;
        EXPECT_NE(o.err.find("zeravudez: "), std::string::npos) << o.err;
    }
    const Outcome listed = run(home, {u"--engines"_s});
    EXPECT_EQ(listed.exitCode, 1) << listed.err;
    EXPECT_NE(listed.out.find("backtracking"), std::string::npos) << listed.out;
}

TEST_F(HostileUse, HostileSettingsAreReportedAndAClosedProxyFailsEachFetchFast)
{
    const Home home(m_dir, "settings");
    const std::string table = prepare(home, "www.hostile-settings.cn", {"设置甲", "设置乙"});
    std::string garbage;
    std::mt19937 random(7);
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>(random());
    const std::vector<std::pair<const char*, std::string>> settings {
        {"garbage", garbage},
        {"unknown keys", "colour=blue\n[section]\nproxy=1.2.3.4:5\n\xff\xfe=\x01\n"},
        {"absurd pauses", "pause=99999999999999999999\n"},
        {"negative pause", "pause=-5\n"},
        {"reversed pause", "pause=9-1\n"},
        {"pause with a unit", "pause=3s\n"},
    };
    for (const auto& [name, text] : settings) {
        SCOPED_TRACE(name);
        home.settings(text);
        QElapsedTimer timer;
        timer.start();
        const Outcome o = check(home, {u"--again"_s, u"--quiet"_s});
        std::printf("[ figure   ] settings %s: %lld ms, exit %d\n", name, timer.elapsed(), o.exitCode);
        EXPECT_NE(o.exitCode, 2) << o.err;
        EXPECT_NE(o.err.find("ignored"), std::string::npos) << o.err;
        EXPECT_EQ(integrity(home.database()), "ok");
    }

    // A proxy nothing listens on: every keyword fails, nothing is recorded as
    // a rank, and the check ends.
    const std::string todaySql
        = "select \"设置甲\", \"设置乙\" from " + table + " where keydate=date('now','localtime')";
    const Rows before = rowsOf(home.database(), todaySql);
    ASSERT_EQ(before.size(), 1u);
    home.settings("proxy=127.0.0.1:" + std::to_string(closedPort()) + "\n");
    QProcessEnvironment env = home.environment(proxy());
    env.remove(u"ZERAVUDEZ_PROXY"_s);
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QString::fromUtf8(ZV_PROGRAM), {u"--check"_s, u"--again"_s, u"--pause"_s, u"0"_s});
    ASSERT_TRUE(process.waitForFinished(120'000));
    std::printf("[ figure   ] closed proxy: %lld ms for 8 requests\n", timer.elapsed());
    EXPECT_EQ(process.exitCode(), 1);
    const std::string out = process.readAllStandardOutput().toStdString();
    EXPECT_NE(out.find("设置甲\t查询失败\t"), std::string::npos) << out;
    EXPECT_NE(out.find("设置乙\t查询失败\t"), std::string::npos) << out;
    // The earlier runs recorded today's row; the failed run left its values.
    EXPECT_EQ(rowsOf(home.database(), todaySql), before);
}

// Keywords made to break names, lines and statements, and addresses with SQL
// in them: each is refused with a message (the store error box) or goes
// through the window, the check and the export unchanged.
TEST_F(HostileUse, HostileKeywordsAndAddressesAreRefusedOrKeptFaithfully)
{
    const Home home(m_dir, "names");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.root + "/data"));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(home.root + "/cache"));
    qputenv("ZERAVUDEZ_PROXY", proxy().toUtf8());
    QString longChinese;
    for (int i = 0; i < 10'000; ++i)
        longChinese += QChar(0x5B57); // 字
    const QStringList hostile {
        QString(10'000, u'k'),
        longChinese,
        u"a\"b"_s,
        u"a'b"_s,
        u"a`b"_s,
        u"“引号”"_s,
        u"‘单’"_s,
        u"「括」"_s,
        u"a[b]"_s,
        u"a\\b"_s,
        u"a\nb"_s,
        u"a\r\nb"_s,
        u"a\u2028b"_s,
        u"a\tb"_s,
        u"x int); drop table website; --"_s,
        u"k; delete from website"_s,
        u"=1+1"_s,
        u"@SUM(A1)"_s,
        u"普通"_s,
    };
    const std::string site = "www.hostile-names.cn";
    std::vector<std::string> columns;
    {
        MainWindow window;
        ASSERT_TRUE(window.databaseOpen());
        window.编辑框_网站地址->setText(QString::fromStdString(site));
        addSite(window);
        ASSERT_EQ(window.组合框_网站列表->currentText(), QString::fromStdString(site));
        for (const QString& keyword : hostile) {
            clearShownMessages();
            window.编辑框_关键词->setText(keyword);
            addKeyword(window);
            const bool added = window.statusText() == u"添加关键词成功！"_s;
            SCOPED_TRACE(keyword.left(40).toStdString());
            if (!added) {
                EXPECT_EQ(window.statusText(), u"添加关键词失败！"_s);
                EXPECT_EQ(shownMessages().size(), 1);
            }
        }
        // The list shows what the table holds, in its order.
        const test::DbPeek peek(QString::fromStdString(home.database()));
        columns = peek.columns("www_hostile__names_cn");
        columns.erase(columns.begin(), columns.begin() + 2);
        ASSERT_EQ(window.keywordRowCount(), static_cast<int>(columns.size()));
        for (int r = 0; r < window.keywordRowCount(); ++r)
            EXPECT_EQ(window.cellText(r, KeywordColumn::Keyword).toStdString(), columns[static_cast<std::size_t>(r)]);

        // An address with SQL in it is refused; the registry stays.
        for (const char* address : {"www.a.cn'; drop table website;--", "a.cn\"); delete from website; --"}) {
            window.编辑框_网站地址->setText(QString::fromUtf8(address));
            addSite(window);
            EXPECT_EQ(window.statusText(), u"网站地址已经存在！"_s) << address;
        }
        EXPECT_EQ(peek.rows("select web_name from website"), (Rows {{"www_hostile__names_cn"}}));
    }
    qputenv("ZERAVUDEZ_PROXY", "127.0.0.1:9");
    std::printf("[ figure   ] hostile keywords: %zu of %lld kept, the rest refused\n", columns.size(),
                static_cast<long long>(hostile.size()));
    EXPECT_GE(columns.size(), 4u);

    // The check: one line per keyword, the keyword as stored (with tabs and
    // line breaks turned into blanks), no row lost.
    const Outcome checked = check(home, {u"--again"_s});
    EXPECT_TRUE(checked.exitCode == 0 || checked.exitCode == 1) << checked.err;
    // The keyword lines end where the digest begins.
    const std::string keywordPart = checked.out.substr(0, checked.out.find("\n\n# changes\n") + 1);
    std::size_t lineCount = 0;
    for (char c : keywordPart)
        lineCount += c == '\n';
    EXPECT_EQ(lineCount, columns.size()) << checked.out.substr(0, 2000);
    for (const std::string& keyword : columns)
        EXPECT_NE(keywordPart.find(site + "\t" + keyword + "\t"), std::string::npos) << keyword.substr(0, 40);
    EXPECT_EQ(integrity(home.database()), "ok");

    // The export: the header names every keyword as stored.
    const Outcome exported = run(home, {u"--export"_s, QString::fromStdString(site)});
    EXPECT_EQ(exported.exitCode, 0) << exported.err;
    const std::optional<test::CsvTable> csv = test::readCsv(exported.out);
    ASSERT_TRUE(csv) << exported.out.substr(0, 2000);
    ASSERT_FALSE(csv->empty());
    const std::vector<std::string> header((*csv)[0].begin() + 1, (*csv)[0].end());
    EXPECT_EQ(header, columns);
}

} // namespace
} // namespace zv
