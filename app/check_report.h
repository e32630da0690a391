#pragma once
// What the daily check prints. Standard output: one line per keyword, tab
// separated (site, keyword, today's rank as shown, the previous recorded
// day's value or "-", the change), or one JSON object per keyword. Standard
// error: the progress, as a live line on a terminal (site i/n, keyword j/m,
// page, elapsed, time left) or one plain line per site otherwise, and the
// failures.

#include "app/daily_check.h"
#include "view/query_view.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <optional>

class QIODevice;

namespace zv {

// The change from the previous recorded value to today's: "+3" for three
// places up, "-2" for two down, "0" for none (also when neither is ranked),
// "new" for ranked today only, "lost" for ranked before only, "" when either
// value is missing.
QString rankChange(std::optional<int> today, std::optional<int> previous);

// The output line of one keyword of site, ending in "\n".
QByteArray keywordLine(const QString& site, const KeywordOutcome& keyword, bool json);

// "m:ss", or "h:mm:ss" from an hour on.
QString clockText(qint64 milliseconds);

class CheckProgress
{
public:
    // terminal: err is a terminal, so the progress is one line rewritten in
    // place; quiet: no progress at all.
    CheckProgress(QIODevice& err, bool terminal, bool quiet, int sites);

    void startSite(int site, const QString& address);
    void step(const SearchProgress& progress);
    // Ends the site's progress: clears the live line, or prints the plain one.
    void finishSite(const SiteOutcome& outcome);
    // Clears the live line before something else is printed.
    void clear();

private:
    QString elapsedAndLeft(double siteDone) const;

    QIODevice& m_err;
    bool m_terminal;
    bool m_quiet;
    int m_sites;
    int m_site = 0;
    QString m_address;
    bool m_lineShown = false;
    QElapsedTimer m_run;
    QElapsedTimer m_siteTime;
};

} // namespace zv
