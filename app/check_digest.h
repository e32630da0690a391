#pragma once
// The digest of a daily check: per keyword, what changed since its previous
// recorded day (a move of at least the threshold, entering or leaving the
// first page, becoming ranked or lost, a new landing page), and everything
// that failed. Printed at the end of the run, sent as a desktop notification
// or a mail.

#include "app/daily_check.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <vector>

namespace zv {

// What the digest reads of one keyword.
struct DigestKeyword
{
    QString keyword;
    std::optional<int> today; // as recorded, 0 not ranked; nothing when the search failed
    std::optional<int> previous; // the latest earlier day's value; nothing when there is none
    std::optional<bool> landingChanged; // nothing when not known
};

struct DigestSite
{
    QString site;
    bool verificationStop = false;
    QStringList problems; // failed figures and saves, as the window words them
    int failedIndexPictures = 0;
    std::vector<DigestKeyword> keywords;
};

// The digest's reading of a checked site (one that was not skipped).
DigestSite digestSite(const SiteOutcome& outcome);

enum DigestFlag : unsigned {
    kMovedUp = 1u << 0,
    kMovedDown = 1u << 1,
    kNewlyRanked = 1u << 2,
    kLost = 1u << 3,
    kEnteredFirstPage = 1u << 4,
    kLeftFirstPage = 1u << 5,
    kLandingChanged = 1u << 6,
};

struct DigestChange
{
    QString site;
    QString keyword;
    int previous = 0;
    int today = 0;
    unsigned flags = 0;
};

struct DigestFailure
{
    QString site;
    QString keyword; // empty for a failure of the site as a whole
    QString what;
};

struct DigestCounts
{
    int up = 0;
    int down = 0;
    int enteredFirstPage = 0;
    int leftFirstPage = 0;
    int newlyRanked = 0;
    int lost = 0;
    int landingChanged = 0;
    int failed = 0;
    friend bool operator==(const DigestCounts&, const DigestCounts&) = default;
};

struct Digest
{
    int sitesChecked = 0;
    int threshold = 0;
    std::vector<DigestChange> changes; // in the order of the run
    std::vector<DigestFailure> failures;
    DigestCounts counts;

    bool quiet() const { return changes.empty() && failures.empty(); }
    // The count largest moves: becoming ranked or lost first, then by places
    // moved; the order of the run among equals.
    std::vector<DigestChange> largestMoves(std::size_t count) const;
};

// The first page: positions 1 to 10.
inline constexpr int kFirstPageEnd = 10;

// threshold: the least number of places that counts as a move (1 or more).
Digest makeDigest(const std::vector<DigestSite>& sites, int threshold);

// "12 → 4" with "not ranked" for 0.
QString changeRange(const DigestChange& change);
// "down 11, left the first page"
QString changeWords(const DigestChange& change);
// "1 up, 2 down, 1 failed", or "no changes".
QString countsText(const Digest& digest);
// "1 site checked", "3 sites checked".
QString sitesCheckedText(const Digest& digest);

// The block printed after the keyword lines: a blank line, "# changes", a
// summary line, then one line per change and per failure, tab separated.
QByteArray digestBlock(const Digest& digest);
// One line {"digest": {...}}.
QByteArray digestJsonLine(const Digest& digest);

} // namespace zv
