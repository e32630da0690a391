// The daily check of 10 sites x 20 keywords x 1 page with no pause, run as
// the timer runs it (`zeravudez --check --pause 0 --again --quiet`, a process
// of its own), beside the window doing the same work in this process: per
// site its keyword list, the overview query and save, the rank search and
// save. Both ask a simweb started next to this program (build/simweb, or the
// path in ZV_SIMWEB) that learns the sites, so they rank.

#include "app/keyword_registry.h"
#include "app/main_window.h"
#include "bench/simulated_web.h"
#include "bench/window_application.h"
#include "queries/rank_search.h"
#include "queries/site_overview.h"
#include "store/schema.h"
#include "store/store.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <sys/resource.h>

namespace {

using namespace Qt::StringLiterals;

constexpr int kSites = 10;
constexpr int kKeywords = 20;
// Per site: six overview figures and one result page per keyword.
constexpr int kRequestsPerSite = 6 + kKeywords;

// A program of the build tree, beside the bench folder, unless the variable
// names another.
QString buildProgram(const char* variable, const char* name)
{
    if (const QByteArray path = qgetenv(variable); !path.isEmpty())
        return QString::fromLocal8Bit(path);
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    return QString::fromStdString((exe.parent_path().parent_path() / name).string());
}

QApplication& application()
{
    return zv::bench::windowApplication("check_bench");
}

// The simweb process for the whole run, learning the sites so that they rank.
zv::bench::SimulatedWeb& simulatedWeb()
{
    application();
    static zv::bench::SimulatedWeb web(true);
    return web;
}

// A data folder whose database registers the sites with their keywords.
class DataFolder
{
public:
    DataFolder()
    {
        const std::string file = databaseFile();
        zv::Store::createDatabaseFile(file);
        zv::Store store;
        store.connectAccess(file);
        store.bindConnection();
        store.executeSql(zv::createSiteRegistrySql());
        store.executeSql(zv::createKeywordIndexTableSql());
        for (int s = 0; s < kSites; ++s) {
            const zv::Text table = zv::siteTableName(address(s));
            store.executeSql(zv::createRankTableSql(table));
            store.executeSql(zv::createRankDateIndexSql(table));
            store.executeSql(zv::createOverviewTableSql(table));
            store.openRecordset(zv::siteRegistryTable(), zv::TableName);
            store.addNew();
            store.writeText("web_name", table);
            store.update();
            for (int k = 1; k <= kKeywords; ++k) {
                const zv::Text keyword = zv::utf8ToGbkString("站" + std::to_string(s) + "排名词" + std::to_string(k));
                store.openRecordset(zv::addKeywordColumnSql(table, keyword), zv::SqlText);
            }
        }
    }

    static zv::Text address(int site) { return "www.bench-site-" + std::to_string(site) + ".cn"; }
    QString dataHome() const { return m_dir.path() + u"/data"_s; }
    std::string databaseFile() const { return dataHome().toStdString() + "/zeravudez/web.db"; }
    QString path(const char* sub) const { return m_dir.path() + u'/' + QString::fromLatin1(sub); }

private:
    QTemporaryDir m_dir;
};

double childCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double processCpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The check as its own process; the time is the process's wall time, and
// cpu_s its user and system time. Argument 1: every round searches again
// (--again); 0: the baseline, a check of the same sites once today's ranks
// are recorded, which skips them all and asks nothing.
void BM_CheckProcess(benchmark::State& state)
{
    if (simulatedWeb().port() <= 0) {
        state.SkipWithError("simweb could not be started");
        return;
    }
    const DataFolder folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(u"ZERAVUDEZ_PROXY"_s, u"127.0.0.1:%1"_s.arg(simulatedWeb().port()));
    environment.insert(u"XDG_DATA_HOME"_s, folder.dataHome());
    environment.insert(u"XDG_CACHE_HOME"_s, folder.path("cache"));
    environment.insert(u"XDG_CONFIG_HOME"_s, folder.path("config"));
    environment.insert(u"XDG_RUNTIME_DIR"_s, folder.path("cache"));
    const QString program = buildProgram("ZV_PROGRAM", "zeravudez");
    const bool again = state.range(0) == 1;
    QStringList arguments {u"--check"_s, u"--pause"_s, u"0"_s, u"--quiet"_s};
    if (again)
        arguments.append(u"--again"_s);
    // True when the check ended with status 0.
    auto runCheck = [&] {
        QProcess check;
        check.setProcessEnvironment(environment);
        check.start(program, arguments);
        return check.waitForFinished(-1) && check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0;
    };
    if (!again && !runCheck()) {
        state.SkipWithError("the first check failed");
        return;
    }

    double cpu = 0;
    for (auto _ : state) {
        const double cpuStart = childCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        const bool done = runCheck();
        state.SetIterationTime(static_cast<double>(wall.nsecsElapsed()) * 1e-9);
        cpu += childCpuSeconds() - cpuStart;
        if (!done) {
            state.SkipWithError("the check failed");
            return;
        }
    }
    state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
    state.counters["requests"] = again ? kSites * kRequestsPerSite : 0;
}
BENCHMARK(BM_CheckProcess)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The same work in the window, in this process: cpu_s is this process's CPU
// time per round.
void BM_WindowSameWork(benchmark::State& state)
{
    if (simulatedWeb().port() <= 0) {
        state.SkipWithError("simweb could not be started");
        return;
    }
    const DataFolder folder;
    qputenv("ZERAVUDEZ_PROXY", "127.0.0.1:" + QByteArray::number(simulatedWeb().port()));
    qputenv("XDG_DATA_HOME", folder.dataHome().toUtf8());
    qputenv("XDG_CACHE_HOME", folder.path("cache").toUtf8());
    zv::MainWindow window;
    if (window.组合框_网站列表->count() != kSites) {
        state.SkipWithError("the site list was not filled");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        const double cpuStart = processCpuSeconds();
        for (int s = 0; s < kSites; ++s) {
            window.组合框_网站列表->setCurrentIndex(s);
            zv::loadKeywordList(window);
            if (zv::querySiteOverview(window))
                zv::saveTodayOverview(window);
            zv::queryKeywordRanks(window);
        }
        cpu += processCpuSeconds() - cpuStart;
        if (window.keywordRowCount() != kKeywords || window.statusText() != u"保存当天排名成功！"_s) {
            state.SkipWithError("the window did not record its ranks");
            return;
        }
    }
    state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
    state.counters["requests"] = kSites * kRequestsPerSite;
}
BENCHMARK(BM_WindowSameWork)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
