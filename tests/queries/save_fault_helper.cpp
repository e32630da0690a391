// A copy of the program reduced to the rank search's last step: it opens the
// database under the data folder given, selects the site, fills the rank
// column of every keyword row and records today's ranks, as the rank search
// does after its last page. The save fault tests start it, kill it, and put
// its database on a full or read-only file system.
//
//   save_fault_helper <data-folder> <site> loop
//       saves again and again (value 1, 2, ...; every third round first
//       deletes today's row so that the insertion runs too), printing
//       "ready" once and "saved <value>" after each save, until killed.
//   save_fault_helper <data-folder> <site> save <value> [full|read-only|held]
//       one save, optionally with the database folder full or read-only, or
//       (held) only once a line arrives on stdin after "ready" was printed,
//       so that the caller can take the file first; prints
//       "status <text>" and "box <text>" for every box shown.
//
// Exit status 77: the requested file system could not be arranged here.
// ZV_TEST_NO_MOUNTS set: behave as where no mount can be made.

#include "app/main_window.h"
#include "queries/rank_search.h"
#include "app/keyword_registry.h"
#include "store/store.h"
#include "view/message_box.h"
#include "view/qt_text.h"

#include <QApplication>
#include <QComboBox>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kSkip = 77;

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFile(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

bool writeProcFile(const char* path, const std::string& text)
{
    const int fd = open(path, O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    return ok;
}

// A mount name space of this process alone, so that what is mounted here goes
// away with the process. Without root, a user name space maps us to root in
// it. Must run before any thread starts.
bool privateMounts()
{
    if (std::getenv("ZV_TEST_NO_MOUNTS") != nullptr)
        return false; // to try the fallbacks where mounting works

    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (uid == 0) {
        if (unshare(CLONE_NEWNS) != 0)
            return false;
    } else {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        writeProcFile("/proc/self/setgroups", "deny");
        if (!writeProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1")
            || !writeProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return false;
    }
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// The database folder becomes a small file system with no room left: the
// database is copied onto it and a filler file takes every free block.
// Returns the original database bytes' folder content to put back afterwards.
bool fillDatabaseFolder(const fs::path& folder)
{
    const std::string database = readFile(folder / "web.db");
    if (database.empty() || !privateMounts())
        return false;
    const std::string size = "size=" + std::to_string(database.size() + (256 << 10));
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, size.c_str()) != 0)
        return false;
    if (!writeFile(folder / "web.db", database))
        return false;
    const int fd = open((folder / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const std::string block(512, 'x');
    while (write(fd, block.data(), block.size()) > 0) { }
    const bool full = errno == ENOSPC;
    close(fd);
    return full;
}

// Copies what the save left on the small file system back to the real folder
// under it, so that the caller can examine it after this process has gone.
bool restoreDatabaseFolder(const fs::path& folder)
{
    std::string files[2];
    const char* names[2] = {"web.db", "web.db-journal"};
    for (int i = 0; i < 2; ++i)
        files[i] = readFile(folder / names[i]);
    if (umount(folder.c_str()) != 0)
        return false;
    for (int i = 0; i < 2; ++i) {
        if (!files[i].empty() && !writeFile(folder / names[i], files[i]))
            return false;
    }
    return true;
}

// The database folder read-only: a read-only bind mount of itself, or, where
// no mount can be made, the permission bits (which bind everyone but root).
bool makeReadOnly(const fs::path& folder)
{
    if (privateMounts() && mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0
        && mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0)
        return true;
    if (geteuid() == 0)
        return false;
    return chmod((folder / "web.db").c_str(), 0444) == 0 && chmod(folder.c_str(), 0555) == 0;
}

void setRanks(zv::MainWindow& window, int value)
{
    for (int r = 0; r < window.keywordRowCount(); ++r)
        window.setCellText(r, zv::KeywordColumn::Rank, QString::number(value) + QLatin1Char(' '));
}

void print(const QString& tag, const QString& text)
{
    std::printf("%s %s\n", tag.toUtf8().constData(), text.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const fs::path dataFolder = argv[1];
    const fs::path databaseFolder = dataFolder / "zeravudez";
    const std::string mode = argv[3];
    const int value = argc > 4 ? std::atoi(argv[4]) : 0;
    const std::string fault = argc > 5 ? argv[5] : "";

    // Where no small file system can be mounted, a file size limit of 0 bytes
    // for this process stands in for the full disk while it saves: no file
    // can grow, the journal included.
    const bool mountedFull = fault == "full" && fillDatabaseFolder(databaseFolder);
    const bool limitedFull = fault == "full" && !mountedFull;
    if (limitedFull)
        std::signal(SIGXFSZ, SIG_IGN);
    if (fault == "read-only" && !makeReadOnly(databaseFolder))
        return kSkip;

    setenv("XDG_DATA_HOME", dataFolder.c_str(), 1);
    setenv("XDG_CACHE_HOME", dataFolder.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    zv::setScriptedMessageBoxes(true);

    int status = 0;
    {
        zv::MainWindow window;
        if (!window.databaseOpen()) {
            print(QStringLiteral("status"), window.statusText());
            return 3;
        }
        window.组合框_网站列表->setEditText(QString::fromUtf8(argv[2]));
        zv::loadKeywordList(window);

        if (mode == "loop") {
            const zv::Text table = zv::siteTableName(zv::toText(QString::fromUtf8(argv[2])));
            print(QStringLiteral("ready"), QString::number(window.keywordRowCount()));
            for (int round = 1;; ++round) {
                if (round % 3 == 0)
                    window.store().executeSql("delete from " + table + " where keydate=date()");
                setRanks(window, round);
                zv::saveTodayRanks(window);
                print(QStringLiteral("saved"), QString::number(round));
            }
        }

        if (fault == "held") {
            print(QStringLiteral("ready"), QString::number(window.keywordRowCount()));
            char line[16];
            if (std::fgets(line, sizeof line, stdin) == nullptr)
                return 2;
        }
        setRanks(window, value);
        rlimit unlimited {};
        getrlimit(RLIMIT_FSIZE, &unlimited);
        if (limitedFull) {
            const rlimit none {0, unlimited.rlim_max};
            setrlimit(RLIMIT_FSIZE, &none);
        }
        zv::saveTodayRanks(window);
        if (limitedFull)
            setrlimit(RLIMIT_FSIZE, &unlimited);
        print(QStringLiteral("status"), window.statusText());
        for (const zv::ShownMessage& box : zv::shownMessages())
            print(QStringLiteral("box"), box.text);
    }
    if (mountedFull && !restoreDatabaseFolder(databaseFolder))
        status = 4;
    return status;
}
