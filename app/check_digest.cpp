#include "app/check_digest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

bool onFirstPage(int value)
{
    return value >= 1 && value <= kFirstPageEnd;
}

unsigned changeFlags(const DigestKeyword& keyword, int threshold)
{
    if (!keyword.today || !keyword.previous)
        return 0;
    const int today = *keyword.today;
    const int previous = *keyword.previous;
    unsigned flags = 0;
    if (previous == 0 && today > 0)
        flags |= kNewlyRanked;
    else if (previous > 0 && today == 0)
        flags |= kLost;
    else if (previous > 0 && previous - today >= threshold)
        flags |= kMovedUp;
    else if (today > 0 && today - previous >= threshold)
        flags |= kMovedDown;
    if (onFirstPage(today) && !onFirstPage(previous))
        flags |= kEnteredFirstPage;
    if (onFirstPage(previous) && !onFirstPage(today))
        flags |= kLeftFirstPage;
    if (keyword.landingChanged.value_or(false))
        flags |= kLandingChanged;
    return flags;
}

void count(DigestCounts& counts, unsigned flags)
{
    const std::pair<DigestFlag, int DigestCounts::*> fields[] = {
        {kMovedUp, &DigestCounts::up},
        {kMovedDown, &DigestCounts::down},
        {kNewlyRanked, &DigestCounts::newlyRanked},
        {kLost, &DigestCounts::lost},
        {kEnteredFirstPage, &DigestCounts::enteredFirstPage},
        {kLeftFirstPage, &DigestCounts::leftFirstPage},
        {kLandingChanged, &DigestCounts::landingChanged},
    };
    for (const auto& [flag, field] : fields) {
        if (flags & flag)
            ++(counts.*field);
    }
}

QString valueText(int value)
{
    return value == 0 ? u"not ranked"_s : QString::number(value);
}

// Tabs and line breaks inside a keyword would break the columns.
QString oneLine(QString text)
{
    return text.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
}

QJsonValue optionalText(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

} // namespace

DigestSite digestSite(const SiteOutcome& outcome)
{
    DigestSite site;
    site.site = outcome.site;
    site.verificationStop = outcome.verificationStop;
    site.problems = outcome.problems;
    site.failedIndexPictures = outcome.failedIndexPictures;
    for (const KeywordOutcome& keyword : outcome.keywords) {
        DigestKeyword entry;
        entry.keyword = keyword.keyword;
        entry.today = keyword.value;
        entry.previous = keyword.previous;
        entry.landingChanged = keyword.landingChanged;
        site.keywords.push_back(entry);
    }
    return site;
}

std::vector<DigestChange> Digest::largestMoves(std::size_t count) const
{
    std::vector<DigestChange> moves;
    std::copy_if(changes.begin(), changes.end(), std::back_inserter(moves),
                 [](const DigestChange& c) { return c.flags & (kMovedUp | kMovedDown | kNewlyRanked | kLost); });
    const auto weight = [](const DigestChange& c) {
        const bool inOrOut = c.flags & (kNewlyRanked | kLost);
        return std::pair {inOrOut ? 1 : 0, std::abs(c.previous - c.today)};
    };
    std::stable_sort(moves.begin(), moves.end(),
                     [&weight](const DigestChange& a, const DigestChange& b) { return weight(a) > weight(b); });
    if (moves.size() > count)
        moves.resize(count);
    return moves;
}

Digest makeDigest(const std::vector<DigestSite>& sites, int threshold)
{
    Digest digest;
    digest.sitesChecked = static_cast<int>(sites.size());
    digest.threshold = threshold;
    for (const DigestSite& site : sites) {
        // After the engine's security check every later keyword of the site
        // fails alike: one line for them all.
        int unranked = 0;
        for (const DigestKeyword& keyword : site.keywords) {
            if (!keyword.today) {
                if (site.verificationStop)
                    ++unranked;
                else
                    digest.failures.push_back({site.site, keyword.keyword, u"search failed"_s});
            } else if (const unsigned flags = changeFlags(keyword, threshold); flags != 0) {
                digest.changes.push_back({site.site, keyword.keyword, *keyword.previous, *keyword.today, flags});
                count(digest.counts, flags);
            }
        }
        if (site.verificationStop)
            digest.failures.push_back({site.site,
                                       {},
                                       u"the search engine asked for its security check; %1 without a rank today"_s.arg(
                                           unranked == 1 ? u"1 keyword"_s : u"%1 keywords"_s.arg(unranked))});
        for (const QString& problem : site.problems)
            digest.failures.push_back({site.site, {}, problem});
        if (site.failedIndexPictures > 0)
            digest.failures.push_back(
                {site.site, {}, u"%1 index pictures could not be fetched"_s.arg(site.failedIndexPictures)});
    }
    digest.counts.failed = static_cast<int>(digest.failures.size());
    return digest;
}

QString changeRange(const DigestChange& change)
{
    return valueText(change.previous) + u" → "_s + valueText(change.today);
}

QString changeWords(const DigestChange& change)
{
    QStringList words;
    if (change.flags & kMovedUp)
        words.append(u"up %1"_s.arg(change.previous - change.today));
    if (change.flags & kMovedDown)
        words.append(u"down %1"_s.arg(change.today - change.previous));
    if (change.flags & kNewlyRanked)
        words.append(u"newly ranked"_s);
    if (change.flags & kLost)
        words.append(u"lost"_s);
    if (change.flags & kEnteredFirstPage)
        words.append(u"entered the first page"_s);
    if (change.flags & kLeftFirstPage)
        words.append(u"left the first page"_s);
    if (change.flags & kLandingChanged)
        words.append(u"landing page changed"_s);
    return words.join(u", "_s);
}

QString countsText(const Digest& digest)
{
    const DigestCounts& c = digest.counts;
    const std::pair<int, QString> parts[] = {
        {c.up, u"up"_s},
        {c.down, u"down"_s},
        {c.enteredFirstPage, u"entered the first page"_s},
        {c.leftFirstPage, u"left the first page"_s},
        {c.newlyRanked, u"newly ranked"_s},
        {c.lost, u"lost"_s},
        {c.landingChanged, u"landing page changed"_s},
        {c.failed, u"failed"_s},
    };
    QStringList words;
    for (const auto& [number, word] : parts) {
        if (number > 0)
            words.append(u"%1 %2"_s.arg(number).arg(word));
    }
    return words.isEmpty() ? u"no changes"_s : words.join(u", "_s);
}

QString sitesCheckedText(const Digest& digest)
{
    return digest.sitesChecked == 1 ? u"1 site checked"_s : u"%1 sites checked"_s.arg(digest.sitesChecked);
}

QByteArray digestBlock(const Digest& digest)
{
    QStringList lines {QString(), u"# changes"_s, u"# %1: %2"_s.arg(sitesCheckedText(digest), countsText(digest))};
    for (const DigestChange& change : digest.changes)
        lines.append(
            QStringList {change.site, oneLine(change.keyword), changeRange(change), changeWords(change)}.join(u'\t'));
    for (const DigestFailure& failure : digest.failures)
        lines.append(QStringList {failure.site, oneLine(failure.keyword), u"failed"_s, failure.what}.join(u'\t'));
    return lines.join(u'\n').toUtf8() + '\n';
}

QByteArray digestJsonLine(const Digest& digest)
{
    const DigestCounts& c = digest.counts;
    const QJsonObject counts {
        {u"up"_s, c.up},
        {u"down"_s, c.down},
        {u"enteredFirstPage"_s, c.enteredFirstPage},
        {u"leftFirstPage"_s, c.leftFirstPage},
        {u"newlyRanked"_s, c.newlyRanked},
        {u"lost"_s, c.lost},
        {u"landingChanged"_s, c.landingChanged},
        {u"failed"_s, c.failed},
    };
    const std::pair<DigestFlag, QString> flagNames[] = {
        {kMovedUp, u"up"_s},
        {kMovedDown, u"down"_s},
        {kNewlyRanked, u"newlyRanked"_s},
        {kLost, u"lost"_s},
        {kEnteredFirstPage, u"enteredFirstPage"_s},
        {kLeftFirstPage, u"leftFirstPage"_s},
        {kLandingChanged, u"landingChanged"_s},
    };
    QJsonArray changes;
    for (const DigestChange& change : digest.changes) {
        QJsonArray what;
        for (const auto& [flag, name] : flagNames) {
            if (change.flags & flag)
                what.append(name);
        }
        changes.append(QJsonObject {
            {u"site"_s, change.site},
            {u"keyword"_s, change.keyword},
            {u"previous"_s, change.previous},
            {u"value"_s, change.today},
            {u"what"_s, what},
        });
    }
    QJsonArray failures;
    for (const DigestFailure& failure : digest.failures)
        failures.append(QJsonObject {
            {u"site"_s, failure.site},
            {u"keyword"_s, optionalText(failure.keyword)},
            {u"what"_s, failure.what},
        });
    const QJsonObject body {
        {u"sitesChecked"_s, digest.sitesChecked},
        {u"threshold"_s, digest.threshold},
        {u"counts"_s, counts},
        {u"changes"_s, changes},
        {u"failures"_s, failures},
    };
    return QJsonDocument(QJsonObject {{u"digest"_s, body}}).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace zv
