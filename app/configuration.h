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

struct Configuration
{
    QString proxy; // empty when unset or malformed
    std::optional<PauseRange> pause; // nothing when unset or malformed
    QString engine; // empty when unset or malformed
    std::optional<int> serpDepth; // nothing when unset or malformed
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
