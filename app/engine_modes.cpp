#include "app/engine_modes.h"

#include "app/configuration.h"
#include "app/engine_choice.h"
#include "readers/engine_page.h"
#include "readers/engine_profile.h"
#include "readers/rank_page.h"
#include "view/paths.h"
#include "view/qt_text.h"
#include "web/codepage.h"
#include "web/pattern_matcher.h"

#include <QFile>
#include <QIODevice>

using namespace Qt::StringLiterals;

namespace zv {

namespace {

void report(QIODevice& err, const QString& message)
{
    err.write((u"zeravudez: "_s + message + u'\n').toUtf8());
}

void writeLine(QIODevice& out, const QString& line)
{
    out.write((line + u'\n').toUtf8());
}

QString shown(const Text& text)
{
    return QString::fromStdString(gbkToUtf8String(text));
}

QString yesNo(bool value)
{
    return value ? u"yes"_s : u"no"_s;
}

// The engine= of the settings; its problems are the window's and --check's
// to report.
QString configuredEngine()
{
    return readConfiguration(configurationPath()).engine;
}

// What a rank search of one page would show for site: the search's own
// decisions for its first page, with nothing found on later pages.
Text onePageRank(const EngineProfile& engine, const PageForm& page, const Text& site, bool verification)
{
    if (verification || page.utf8().empty())
        return rankFailedText();
    PageMatcher blocks;
    PageMatcher lines;
    const Text found = siteRankEntries(engine, page, site, blocks, lines);
    if (searchGaveUp(blocks, lines))
        return rankFailedText();
    if (!found.empty())
        return found;
    if (!isResultPage(engine, page, blocks))
        return rankFailedText();
    return notRankedText(0);
}

} // namespace

int runEngines(QIODevice& out, QIODevice& err)
{
    const QString folder = engineProfileFolder();
    const EngineChoice choice = chooseEngineProfile(configuredEngine(), folder);
    bool anyProblem = !choice.problem.isEmpty();
    if (anyProblem)
        report(err, choice.problem);
    for (const EngineEntry& entry : listEngineProfiles(folder)) {
        const bool chosen = entry.file == choice.entry.file && entry.name == choice.entry.name;
        const QString file = entry.file.isEmpty() ? u"(built-in)"_s : entry.file;
        const QString host = entry.profile ? shown(entry.profile->host) : u"-"_s;
        const QString state = entry.profile ? u"OK"_s : entry.problem.mid(entry.file.size() + 2);
        writeLine(out, (chosen ? u"* "_s : u"  "_s) + entry.name + u'\t' + file + u'\t' + host + u'\t' + state);
        anyProblem = anyProblem || !entry.profile;
    }
    return anyProblem ? 1 : 0;
}

int runTestEngine(const CommandLine& commandLine, QIODevice& out, QIODevice& err)
{
    const EngineChoice choice = chooseEngineProfile(commandLine.engine, engineProfileFolder());
    if (!choice.problem.isEmpty())
        report(err, choice.problem);
    QFile file(commandLine.page);
    if (!file.open(QIODevice::ReadOnly)) {
        report(err, u"cannot read %1 (%2)"_s.arg(commandLine.page, file.errorString()));
        return 2;
    }
    // Read as the rank search reads a fetched body.
    const PageForm page(ByteBlock(file.readAll().toStdString()));
    const EngineProfile& engine = *choice.entry.profile;

    writeLine(out, u"engine: %1 (%2)"_s.arg(choice.entry.name, choice.isBuiltin() ? u"built-in"_s : choice.entry.file));
    PageMatcher blocks;
    PageMatcher lines;
    blocks.execute(engine.resultBlock, page);
    bool gaveUp = blocks.gaveUp();
    for (int n = 1; n <= blocks.matchCount(); ++n) {
        writeLine(out, u"block %1: position %2"_s.arg(n).arg(shown(blocks.subMatchText(n, engine.positionGroup))));
        lines.execute(engine.addressLine, page, blocks.matchRange(n));
        for (int m = 1; m <= lines.matchCount(); ++m)
            writeLine(out, u"  "_s + shown(lines.matchText(m)));
        if (lines.gaveUp()) {
            writeLine(out, u"  (the address-line pattern gave up on this block)"_s);
            gaveUp = true;
        }
    }
    writeLine(out, u"blocks: %1"_s.arg(blocks.matchCount()));
    // A pattern that reaches its limits on the page would make the search
    // count the page as failed.
    if (gaveUp) {
        writeLine(out, u"patterns gave up: yes"_s);
        report(err,
               u"a pattern of the profile reached its limits on %1: the rank search counts this page as failed"_s.arg(
                   commandLine.page));
    }
    // A saved page has no host it was fetched from: the page alone decides.
    const bool verification = isVerificationPage(engine, page.text(), Text());
    writeLine(out, u"result page: "_s + yesNo(isResultPage(engine, page, blocks)));
    writeLine(out, u"no-results page: "_s + yesNo(isNoResultsNotice(engine, page.text())));
    writeLine(out, u"verification page: "_s + yesNo(verification));
    if (!commandLine.site.isEmpty()) {
        const Text site = toText(commandLine.site);
        writeLine(out,
                  u"rank of %1: \"%2\""_s.arg(commandLine.site, shown(onePageRank(engine, page, site, verification))));
    }
    return choice.problem.isEmpty() && !gaveUp ? 0 : 1;
}

} // namespace zv
