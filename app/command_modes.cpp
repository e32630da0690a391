#include "app/command_modes.h"

#include "app/check_digest.h"
#include "app/check_lock.h"
#include "app/check_report.h"
#include "app/configuration.h"
#include "app/daily_check.h"
#include "app/desktop_notice.h"
#include "app/digest_notices.h"
#include "app/engine_choice.h"
#include "app/engine_modes.h"
#include "app/engine_pause.h"
#include "app/history_export.h"
#include "app/landing_report.h"
#include "app/registered_sites.h"
#include "app/result_list_export.h"
#include "app/windowless_view.h"
#include "store/store.h"
#include "view/paths.h"
#include "view/qt_text.h"

#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>

#include <thread>

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
    if (!QFileInfo::exists(path)) {
        report(err, u"cannot open the database %1: there is none (the window creates it)"_s.arg(path));
        return false;
    }
    if (!store.connectAccess(path.toStdString()) || !store.bindConnection()) {
        report(err, u"cannot open the database %1: not a database or damaged; the file is left as it is"_s.arg(path));
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
    if (commandLine.serp) {
        const ResultListExport request {sites->front(), commandLine.from, commandLine.to, commandLine.keyword};
        QString error;
        if (!writeResultListCsv(store, request, out, error)) {
            report(err, error);
            return kExitUsage;
        }
        return kExitDone;
    }
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

// Writes what the device holds back, so that each site's lines show as
// soon as the site is done.
void flush(QIODevice& device)
{
    if (auto* file = qobject_cast<QFileDevice*>(&device))
        file->flush();
}

int runCheck(const CommandLine& commandLine, QIODevice& out, QIODevice& err, bool errIsTerminal)
{
    const QString configFile = configurationPath();
    const Configuration configuration = readConfiguration(configFile);
    if (!configuration.problems.isEmpty())
        report(err, problemsLine(configuration, configFile));
    applyConfiguredProxy(configuration);
    const EngineChoice engine = chooseEngineProfile(configuration.engine, engineProfileFolder());
    if (!engine.problem.isEmpty())
        report(err, engine.problem);
    // Told before the check, which may run long; the check runs all the same.
    const QString mailProblem = commandLine.mail ? mailSettingsProblem(configuration.mail) : QString();
    if (!mailProblem.isEmpty())
        report(err, mailProblem);

    CheckLock lock(databasePath());
    QString lockMessage;
    if (!lock.acquire(lockMessage)) {
        report(err, lockMessage);
        return kExitUsage;
    }
    WindowlessView view;
    view.setEngineProfile(engine.entry.profile);
    view.setResultListDepth(configuration.serpDepth.value_or(kDefaultResultListDepth));
    StoreErrorsTo storeErrors(err);
    if (!openDatabase(view.store(), err))
        return kExitUsage;
    std::optional<std::vector<Text>> tables = commandLine.addresses.isEmpty()
        ? registeredSiteTables(view.store())
        : resolveSites(view.store(), commandLine.addresses, err);
    if (!tables) {
        if (commandLine.addresses.isEmpty())
            report(err, u"cannot read the list of sites"_s);
        return kExitUsage;
    }

    const PauseRange pauseRange
        = chosenPause(commandLine.pause, configuration.pause, *engine.entry.profile, kCheckPause);
    EnginePause pause(pauseRange, [](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); });
    CheckProgress progress(err, errIsTerminal, commandLine.quiet, static_cast<int>(tables->size()));
    view.onEngineRequest = [&pause] { pause.beforeRequest(); };
    view.onProgress = [&progress](const SearchProgress& step) { progress.step(step); };

    const CheckRequest request {commandLine.index, commandLine.again};
    bool anyFailure = false;
    std::vector<DigestSite> checked;
    int number = 0;
    for (const Text& table : *tables) {
        const QString address = toQString(siteAddress(table));
        progress.startSite(++number, address);
        view.store().takeStoreFailure();
        const SiteOutcome outcome = checkSite(view, address, request);
        progress.finishSite(outcome);
        anyFailure = anyFailure || outcome.failed();
        if (!outcome.skipped)
            checked.push_back(digestSite(outcome));
        for (const KeywordOutcome& keyword : outcome.keywords) {
            if (commandLine.quiet && keyword.value)
                continue;
            const QByteArray line = keywordLine(address, keyword, commandLine.json);
            out.write(commandLine.json
                          ? withLandingPage(line, view.store(), table, toText(keyword.keyword), view.today())
                          : line);
        }
        flush(out);
        if (outcome.verificationStop)
            report(err,
                   u"%1: the search engine asked for its security check; the site's search stopped"_s.arg(address));
        for (const QString& problem : outcome.problems)
            report(err, address + u": "_s + problem);
        // Why a day could not be stored, which the status texts do not say.
        if (const std::string failure = view.store().takeStoreFailure(); !failure.empty())
            report(err, address + u": database: "_s + QString::fromStdString(failure));
        if (outcome.failedIndexPictures > 0)
            report(err, u"%1: %2 index pictures could not be fetched"_s.arg(address).arg(outcome.failedIndexPictures));
        if (const int failed = outcome.failedKeywords(); failed > 0)
            report(err, u"%1: %2 of %3 keywords failed"_s.arg(address).arg(failed).arg(outcome.keywords.size()));
    }
    if (checked.empty())
        return anyFailure || !mailProblem.isEmpty() ? kExitFailures : kExitDone;

    const Digest digest = makeDigest(checked, configuration.notifyMoves);
    if (!commandLine.quiet || !digest.failures.empty())
        out.write(commandLine.json ? digestJsonLine(digest) : digestBlock(digest));
    flush(out);
    // A notice that cannot go out is told, and changes nothing else: the rows
    // are recorded, and only a mail asked for and not sent is a failure.
    if (commandLine.notify && !digest.quiet()) {
        if (const QString problem = sendDesktopNotice(noticeTitle(digest), noticeBody(digest)); !problem.isEmpty())
            report(err, problem);
    }
    bool mailFailed = !mailProblem.isEmpty();
    if (commandLine.mail && !mailFailed && !digest.quiet()) {
        if (const QString problem = mailDigest(digest, configuration.mail); !problem.isEmpty()) {
            report(err, problem);
            mailFailed = true;
        }
    }
    return anyFailure || mailFailed ? kExitFailures : kExitDone;
}

} // namespace

int runCommandLine(const CommandLine& commandLine, QIODevice& out, QIODevice& err, bool errIsTerminal)
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
        return runCheck(commandLine, out, err, errIsTerminal);
    case CommandMode::Engines:
        return runEngines(out, err);
    case CommandMode::TestEngine:
        return runTestEngine(commandLine, out, err);
    case CommandMode::Window:
        break;
    }
    report(err, u"no command-line mode given"_s);
    return kExitUsage;
}

} // namespace zv
