#pragma once
// The user's settings file (configurationPath(), INI), every line optional:
//   proxy=host:port   the HTTP proxy of every request; ZERAVUDEZ_PROXY, when
//                     set in the environment, wins
//   pause=MIN-MAX     seconds to wait before each request to the search
//                     engine, a random whole number from MIN to MAX; MIN alone
//                     for a fixed wait, 0 for none
//   engine=NAME       the search engine profile the rank search reads
//                     (app/engine_choice.h); the built-in one when unset
//   serp_depth=N      how many of each keyword's first results the rank
//                     search keeps as the day's result list, 10 to 100
//                     (default 20); the site's own entries are kept wherever
//                     they stand
//   notify_moves=N    the places a keyword must move to count in the daily
//                     check's digest (1 to 800, default 3)
//   mail_to=A[,B...]  where --check --mail sends the digest
//   mail_from=A       its sender (default: the first of mail_to)
//   smtp_url=URL      smtp://host[:port] or smtps://host[:port]
//   smtp_user=NAME    the login at the mail server, when it wants one
//   smtp_password_file=PATH  the file whose first line is the password
//                     (relative to the settings file's folder); the password
//                     itself never goes into the settings file
// A malformed value or an unknown key is left out and described in problems,
// so that the caller reports it once; nothing in the file can stop the
// program.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace zv {

struct PauseRange
{
    int minSeconds = 0;
    int maxSeconds = 0;
    bool isOff() const { return maxSeconds == 0; }
    friend bool operator==(const PauseRange&, const PauseRange&) = default;
};

// The longest pause accepted, so that a slip of the keyboard cannot stall a
// run for days.
inline constexpr int kLongestPauseSeconds = 3600;

// "MIN" or "MIN-MAX", whole seconds from 0 to kLongestPauseSeconds with MIN
// not above MAX; nothing for any other text.
std::optional<PauseRange> parsePauseRange(QStringView text);

// A profile name: a file's base name in the profile folder, with no "/" and
// not starting with ".".
bool isEngineName(QStringView text);

// "host:port": a host name, an IPv4 address or a bracketed IPv6 address, and
// a port from 1 to 65535.
bool isProxyAddress(QStringView text);

// A result list depth: digits only, 10 to 100.
std::optional<int> parseSerpDepth(QStringView text);
// The least move notify_moves= accepts and the most.
inline constexpr int kDefaultNotifyMoves = 3;
inline constexpr int kMostNotifyMoves = 800;

// A bare mail address local@domain: no blanks, no control characters, no
// brackets, quotes, commas or semicolons.
bool isMailAddress(QStringView text);

struct MailSettings
{
    QStringList to;
    QString from;
    QString smtpUrl;
    QString smtpUser;
    QString smtpPasswordFile; // absolute
};

struct Configuration
{
    QString proxy; // empty when unset or malformed
    std::optional<PauseRange> pause; // nothing when unset or malformed
    QString engine; // empty when unset or malformed
    std::optional<int> serpDepth; // nothing when unset or malformed
    int notifyMoves = kDefaultNotifyMoves;
    MailSettings mail; // each field empty when unset or malformed
    QStringList problems; // one sentence per value left out
};

// Reads the file at path; a missing file is an empty configuration.
Configuration readConfiguration(const QString& path);

// The problems as one line, for the status bar or the error stream; "" when
// there are none.
QString problemsLine(const Configuration& configuration, const QString& path);

// Puts the configured proxy into ZERAVUDEZ_PROXY, which the web layer reads
// for every request, unless the environment already sets that variable (even
// to nothing, which keeps requests direct). True when it set it.
bool applyConfiguredProxy(const Configuration& configuration);

} // namespace zv
