#include "app/command_modes.h"

#include "app/check_lock.h"
#include "app/configuration.h"
#include "app/history_export.h"
#include "app/registered_sites.h"
#include "store/store.h"
#include "view/paths.h"

#include <QFileInfo>
#include <QIODevice>

using namespace Qt::StringLiterals;

namespace zv {

namespace {

void report(QIODevice& err, const QString& message)
{
    err.write((u"zeravudez: "_s + message + u'\n').toUtf8());
}

// The store's own error messages go to the error stream while a mode runs;
// the window shows them in a box instead.
class StoreErrorsTo
{
public:
    explicit StoreErrorsTo(QIODevice& err)
    {
        setStoreErrorHook(
            [&err](const std::string& message) { report(err, u"database: "_s + QString::fromStdString(message)); });
    }
    ~StoreErrorsTo() { setStoreErrorHook(nullptr); }
    StoreErrorsTo(const StoreErrorsTo&) = delete;
    StoreErrorsTo& operator=(const StoreErrorsTo&) = delete;
};

// Opens the database the window uses; never creates one.
bool openDatabase(Store& store, QIODevice& err)
{
    const QString path = databasePath();
    if (!QFileInfo::exists(path) || !store.connectAccess(path.toStdString()) || !store.bindConnection()) {
        report(err, u"cannot open the database %1"_s.arg(path));
        return false;
    }
    return true;
}

// The registered table names of the addresses, in the order given; nothing
// (with the reason reported) when the registry cannot be read or an address is
// not registered.
std::optional<std::vector<Text>> resolveSites(Store& store, const QStringList& addresses, QIODevice& err)
{
    const std::optional<std::vector<Text>> registered = registeredSiteTables(store);
    if (!registered) {
        report(err, u"cannot read the list of sites"_s);
        return std::nullopt;
    }
    std::vector<Text> tables;
    for (const QString& address : addresses) {
        const std::optional<Text> table = findRegisteredSite(*registered, address);
        if (!table) {
            report(err, u"%1 is not a registered site"_s.arg(address));
            return std::nullopt;
        }
        tables.push_back(*table);
    }
    return tables;
}

int runExport(const CommandLine& commandLine, QIODevice& out, QIODevice& err)
{
    Store store;
    StoreErrorsTo storeErrors(err);
    if (!openDatabase(store, err))
        return kExitUsage;
    const std::optional<std::vector<Text>> sites = resolveSites(store, commandLine.addresses, err);
    if (!sites)
        return kExitUsage;
    HistoryExport request;
    request.siteTable = sites->front();
    request.overview = commandLine.overview;
    request.from = commandLine.from;
    request.to = commandLine.to;
    QString error;
    if (!writeHistoryCsv(store, request, out, error)) {
        report(err, error);
        return kExitUsage;
    }
    return kExitDone;
}

int runCheck(const CommandLine& commandLine, QIODevice& err)
{
    const QString configFile = configurationPath();
    const Configuration configuration = readConfiguration(configFile);
    if (!configuration.problems.isEmpty())
        report(err, problemsLine(configuration, configFile));
    applyConfiguredProxy(configuration);

    CheckLock lock(databasePath());
    QString lockMessage;
    if (!lock.acquire(lockMessage)) {
        report(err, lockMessage);
        return kExitUsage;
    }
    Store store;
    StoreErrorsTo storeErrors(err);
    if (!openDatabase(store, err))
        return kExitUsage;
    if (!resolveSites(store, commandLine.addresses, err))
        return kExitUsage;
    report(err, u"--check: the windowless check is not part of this build yet"_s);
    return kExitUsage;
}

} // namespace

int runCommandLine(const CommandLine& commandLine, QIODevice& out, QIODevice& err)
{
    if (!commandLine.error.isEmpty()) {
        report(err, commandLine.error + u" (see zeravudez --help)"_s);
        return kExitUsage;
    }
    switch (commandLine.mode) {
    case CommandMode::Help:
        out.write(helpText().toUtf8());
        return kExitDone;
    case CommandMode::Version:
        out.write("zeravudez " ZV_VERSION "\n");
        return kExitDone;
    case CommandMode::Export:
        return runExport(commandLine, out, err);
    case CommandMode::Check:
        return runCheck(commandLine, err);
    case CommandMode::Window:
        break;
    }
    report(err, u"no command-line mode given"_s);
    return kExitUsage;
}

} // namespace zv
