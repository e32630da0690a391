#include "app/check_report.h"

#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>

namespace zv {

using namespace Qt::StringLiterals;

QString rankChange(std::optional<int> today, std::optional<int> previous)
{
    if (!today || !previous)
        return {};
    if (*today == *previous)
        return u"0"_s;
    if (*previous == 0)
        return u"new"_s;
    if (*today == 0)
        return u"lost"_s;
    const int up = *previous - *today;
    return up > 0 ? u"+%1"_s.arg(up) : QString::number(up);
}

QByteArray keywordLine(const QString& site, const KeywordOutcome& keyword, bool json)
{
    const QString change = rankChange(keyword.value, keyword.previous);
    if (json) {
        QJsonObject object {
            {u"site"_s, site},
            {u"keyword"_s, keyword.keyword},
            {u"rank"_s, keyword.rank},
            {u"value"_s, keyword.value ? QJsonValue(*keyword.value) : QJsonValue()},
            {u"previous"_s, keyword.previous ? QJsonValue(*keyword.previous) : QJsonValue()},
            {u"previousDate"_s,
             keyword.previous ? QJsonValue(keyword.previousDay.toString(Qt::ISODate)) : QJsonValue()},
            {u"change"_s, change.isEmpty() ? QJsonValue() : QJsonValue(change)},
        };
        return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    }
    const QString previous = keyword.previous ? QString::number(*keyword.previous) : u"-"_s;
    // Tabs and line breaks inside a keyword would break the columns.
    QString name = keyword.keyword;
    name.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    return QStringList {site, name, keyword.rank, previous, change}.join(u'\t').toUtf8() + '\n';
}

QString clockText(qint64 milliseconds)
{
    const qint64 seconds = milliseconds / 1000;
    if (seconds >= 3600)
        return u"%1:%2:%3"_s.arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return u"%1:%2"_s.arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

CheckProgress::CheckProgress(QIODevice& err, bool terminal, bool quiet, int sites)
    : m_err(err)
    , m_terminal(terminal)
    , m_quiet(quiet)
    , m_sites(sites)
{
    m_run.start();
}

void CheckProgress::startSite(int site, const QString& address)
{
    m_site = site;
    m_address = address;
    m_siteTime.start();
}

QString CheckProgress::elapsedAndLeft(double siteDone) const
{
    const qint64 elapsed = m_run.elapsed();
    QString text = clockText(elapsed);
    // The sites before this one are done, and this one by siteDone.
    const double done = (m_site - 1 + siteDone) / m_sites;
    if (done > 0.0 && elapsed >= 1000)
        text += u", about %1 left"_s.arg(clockText(static_cast<qint64>(elapsed * (1.0 - done) / done)));
    return text;
}

void CheckProgress::step(const SearchProgress& progress)
{
    if (m_quiet || !m_terminal || progress.keywords <= 0 || progress.pages <= 0)
        return;
    const double siteDone
        = (progress.keyword - 1 + static_cast<double>(progress.page - 1) / progress.pages) / progress.keywords;
    const QString line = u"site %1/%2 %3, keyword %4/%5, page %6/%7, %8"_s.arg(m_site)
                             .arg(m_sites)
                             .arg(m_address)
                             .arg(progress.keyword)
                             .arg(progress.keywords)
                             .arg(progress.page)
                             .arg(progress.pages)
                             .arg(elapsedAndLeft(siteDone));
    // Back to the line's start, the line, then erase what a longer line left.
    m_err.write("\r" + line.toUtf8() + "\x1b[K");
    m_lineShown = true;
}

void CheckProgress::clear()
{
    if (m_lineShown) {
        m_err.write("\r\x1b[K");
        m_lineShown = false;
    }
}

void CheckProgress::finishSite(const SiteOutcome& outcome)
{
    clear();
    // On a terminal the live line was enough, unless there was none.
    if (m_quiet || (m_terminal && !outcome.skipped))
        return;
    QString line = u"site %1/%2 %3: "_s.arg(m_site).arg(m_sites).arg(m_address);
    if (outcome.skipped) {
        line += u"already recorded today"_s;
    } else {
        line += u"%1 keywords"_s.arg(outcome.keywords.size());
        if (const int failed = outcome.failedKeywords(); failed > 0)
            line += u", %1 failed"_s.arg(failed);
        line += u", %1"_s.arg(clockText(m_siteTime.elapsed()));
    }
    m_err.write(line.toUtf8() + '\n');
}

} // namespace zv
