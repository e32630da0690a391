#pragma once
// The daily check of one site without a window: what selecting the site in
// the window does on a day with nothing recorded yet (its keyword list, the
// overview query and its save, the rank search and its save) through the same
// routines, and on request the keyword index lookup. A site whose ranks are
// recorded today is left alone unless it is to be searched again.

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zv {

class WindowlessView;

struct CheckRequest
{
    bool index = false; // also look up the keywords' index pictures
    bool again = false; // search even when today's ranks are recorded
};

struct KeywordOutcome
{
    QString keyword;
    QString rank; // as the keyword table shows it, without trailing blanks
    std::optional<int> value; // as recorded (0: not within the range); nothing when the search failed
    std::optional<int> previous; // the latest earlier day's recorded value
    QDate previousDay;
    // Whether the site's landing page differs from the previous recorded
    // day's; nothing when the keyword has no result list today.
    std::optional<bool> landingChanged;
};

struct SiteOutcome
{
    QString site;
    bool skipped = false; // today's ranks were recorded already
    bool verificationStop = false; // the engine asked for its security check
    // What failed besides keywords: the status texts the window shows for it.
    QStringList problems;
    int failedIndexPictures = 0;
    std::vector<KeywordOutcome> keywords;

    int failedKeywords() const;
    bool failed() const;
};

// Checks the registered site address with view, which must have the
// database open.
SiteOutcome checkSite(WindowlessView& view, const QString& address, const CheckRequest& request);

} // namespace zv
