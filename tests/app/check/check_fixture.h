#pragma once
// What the daily check's tests against the simulated web share: a user's
// folders, sites registered in a database file, the rows read back, the
// output's lines, and a simweb of a test's own.

#include "tests/app/app_fixture.h"
#include "tests/app/core/program_run.h"
#include "tests/app/core/site_database.h"
#include "tests/support/temp_dir.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zv {

using namespace Qt::StringLiterals;

inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    return out;
}

// The per-keyword lines of a check's output: what comes before the digest
// (a blank line and "# changes", or with --json the {"digest": ...} line).
inline std::vector<std::string> keywordLines(const std::string& out)
{
    std::vector<std::string> found;
    for (const std::string& line : lines(out)) {
        if (line.empty() || line.rfind("{\"digest\":", 0) == 0)
            break;
        found.push_back(line);
    }
    return found;
}

// The lines of the digest after "# changes"; empty when there is none.
inline std::vector<std::string> digestLines(const std::string& out)
{
    const std::size_t at = out.find("\n\n# changes\n");
    return at == std::string::npos ? std::vector<std::string> {} : lines(out.substr(at + 12));
}

// One user's folders: data, cache, configuration and runtime.
struct Home
{
    explicit Home(const test::TempDir& dir, const std::string& name)
        : root(dir.filePath(name))
    {
        for (const char* sub : {"data", "cache", "config", "run"})
            std::filesystem::create_directories(root + "/" + sub);
    }
    std::string database() const { return root + "/data/zeravudez/web.db"; }
    QProcessEnvironment environment(int port) const
    {
        QProcessEnvironment env = test::programEnvironment(u"127.0.0.1:%1"_s.arg(port));
        env.insert(u"XDG_DATA_HOME"_s, QString::fromStdString(root + "/data"));
        env.insert(u"XDG_CACHE_HOME"_s, QString::fromStdString(root + "/cache"));
        env.insert(u"XDG_CONFIG_HOME"_s, QString::fromStdString(root + "/config"));
        env.insert(u"XDG_RUNTIME_DIR"_s, QString::fromStdString(root + "/run"));
        return env;
    }
    std::string root;
};

// Registers site with keywords; returns its table name.
inline std::string registerSite(test::SiteDatabase& database, const std::string& site,
                                const std::vector<std::string>& keywordsUtf8)
{
    const std::string table = database.addSite(site);
    for (const std::string& keyword : keywordsUtf8)
        database.addKeyword(table, keyword);
    return table;
}

using Rows = std::vector<std::vector<std::string>>;

inline Rows tableRows(const Home& home, const std::string& sql)
{
    test::DbPeek peek(QString::fromStdString(home.database()));
    EXPECT_TRUE(peek.isOpen());
    return peek.rows(sql);
}

// A simweb of the test's own, for answers that would disturb the other tests
// of the shared fixture (the security check lasts for the rest of a run).
class PrivateSimweb
{
public:
    PrivateSimweb(const test::TempDir& dir, const std::string& scenario)
        : m_folder(dir.filePath("simweb"))
    {
        std::filesystem::create_directories(m_folder);
        const std::string scenarioFile = dir.writeFile("simweb/scenario.json", scenario);
        QProcess start;
        start.start(QString::fromUtf8(ZV_SIMWEB),
                    {u"--daemon"_s, u"--port"_s, u"0"_s, u"--scenario"_s, QString::fromStdString(scenarioFile),
                     u"--log"_s, QString::fromStdString(logFile()), u"--port-file"_s,
                     QString::fromStdString(m_folder + "/port"), u"--pid-file"_s, pidFile()});
        EXPECT_TRUE(start.waitForFinished(20000));
        std::ifstream in(m_folder + "/port");
        EXPECT_TRUE(in >> m_port);
    }
    ~PrivateSimweb()
    {
        QProcess stop;
        stop.start(QString::fromUtf8(ZV_SIMWEB), {u"--stop"_s, pidFile()});
        stop.waitForFinished(20000);
    }
    PrivateSimweb(const PrivateSimweb&) = delete;
    PrivateSimweb& operator=(const PrivateSimweb&) = delete;

    int port() const { return m_port; }
    std::string logFile() const { return m_folder + "/requests.log"; }

private:
    QString pidFile() const { return QString::fromStdString(m_folder + "/pid"); }

    std::string m_folder;
    int m_port = 0;
};

} // namespace zv
