#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace zv {

namespace {

enum class Owner { Any, Check, Export, TestEngine };

struct OptionSpec
{
    QStringView name;
    bool takesValue;
    Owner owner;
};

constexpr std::array kOptions {
    OptionSpec {u"--help", false, Owner::Any},        OptionSpec {u"-h", false, Owner::Any},
    OptionSpec {u"--version", false, Owner::Any},     OptionSpec {u"--check", false, Owner::Any},
    OptionSpec {u"--export", false, Owner::Any},      OptionSpec {u"--index", false, Owner::Check},
    OptionSpec {u"--again", false, Owner::Check},     OptionSpec {u"--pause", true, Owner::Check},
    OptionSpec {u"--json", false, Owner::Check},      OptionSpec {u"--quiet", false, Owner::Check},
    OptionSpec {u"--from", true, Owner::Export},      OptionSpec {u"--to", true, Owner::Export},
    OptionSpec {u"--overview", false, Owner::Export}, OptionSpec {u"--engines", false, Owner::Any},
    OptionSpec {u"--test-engine", true, Owner::Any},  OptionSpec {u"--page", true, Owner::TestEngine},
    OptionSpec {u"--site", true, Owner::TestEngine},  OptionSpec {u"--serp", false, Owner::Export},
    OptionSpec {u"--keyword", true, Owner::Export},   OptionSpec {u"--notify", false, Owner::Check},
    OptionSpec {u"--mail", false, Owner::Check},
};

const OptionSpec* findOption(QStringView name)
{
    const auto it
        = std::find_if(kOptions.begin(), kOptions.end(), [name](const OptionSpec& o) { return o.name == name; });
    return it == kOptions.end() ? nullptr : &*it;
}

std::optional<QDate> parseDay(const QString& text)
{
    if (text.size() != 10)
        return std::nullopt;
    const QDate day = QDate::fromString(text, u"yyyy-MM-dd"_s);
    if (!day.isValid())
        return std::nullopt;
    return day;
}

CommandLine usageError(QString message)
{
    CommandLine result;
    result.error = std::move(message);
    return result;
}

} // namespace

bool wantsCommandLine(const QStringList& arguments)
{
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const QString& a) { return a.startsWith(u"--") || a == u"-h"; });
}

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine result;
    bool help = false, version = false, check = false, exportMode = false, engines = false, testEngine = false;
    const OptionSpec* checkOnly = nullptr;
    const OptionSpec* exportOnly = nullptr;
    const OptionSpec* testEngineOnly = nullptr;
    bool optionsEnded = false;
    bool keywordGiven = false;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!optionsEnded && argument == u"--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            result.addresses.append(argument);
            continue;
        }
        const qsizetype equals = argument.startsWith(u"--") ? argument.indexOf(u'=') : -1;
        const QStringView name = equals < 0 ? QStringView(argument) : QStringView(argument).left(equals);
        const OptionSpec* option = findOption(name);
        if (!option)
            return usageError(u"unknown option %1"_s.arg(name));
        QString value;
        if (option->takesValue) {
            if (equals >= 0) {
                value = argument.mid(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments.at(++i);
            } else {
                return usageError(u"%1 needs a value"_s.arg(name));
            }
        } else if (equals >= 0) {
            return usageError(u"%1 takes no value"_s.arg(name));
        }
        if (option->owner == Owner::Check && !checkOnly)
            checkOnly = option;
        if (option->owner == Owner::Export && !exportOnly)
            exportOnly = option;
        if (option->owner == Owner::TestEngine && !testEngineOnly)
            testEngineOnly = option;

        if (name == u"--help" || name == u"-h") {
            help = true;
        } else if (name == u"--version") {
            version = true;
        } else if (name == u"--check") {
            check = true;
        } else if (name == u"--export") {
            exportMode = true;
        } else if (name == u"--index") {
            result.index = true;
        } else if (name == u"--again") {
            result.again = true;
        } else if (name == u"--json") {
            result.json = true;
        } else if (name == u"--quiet") {
            result.quiet = true;
        } else if (name == u"--notify") {
            result.notify = true;
        } else if (name == u"--mail") {
            result.mail = true;
        } else if (name == u"--overview") {
            result.overview = true;
        } else if (name == u"--serp") {
            result.serp = true;
        } else if (name == u"--keyword") {
            result.keyword = value;
            keywordGiven = true;
        } else if (name == u"--engines") {
            engines = true;
        } else if (name == u"--test-engine") {
            testEngine = true;
            result.engine = value;
        } else if (name == u"--page") {
            result.page = value;
        } else if (name == u"--site") {
            result.site = value;
        } else if (name == u"--pause") {
            result.pause = parsePauseRange(value);
            if (!result.pause)
                return usageError(u"--pause %1 is not MIN or MIN-MAX whole seconds from 0 to %2"_s.arg(value).arg(
                    kLongestPauseSeconds));
        } else {
            const std::optional<QDate> day = parseDay(value);
            if (!day)
                return usageError(u"%1 %2 is not a date YYYY-MM-DD"_s.arg(name, value));
            (name == u"--from" ? result.from : result.to) = *day;
        }
    }

    if (help) {
        result.mode = CommandMode::Help;
        return result;
    }
    if (version) {
        result.mode = CommandMode::Version;
        return result;
    }
    QStringList modes;
    for (const auto& [given, modeName] :
         {std::pair {check, u"--check"_s}, std::pair {exportMode, u"--export"_s}, std::pair {engines, u"--engines"_s},
          std::pair {testEngine, u"--test-engine"_s}}) {
        if (given)
            modes.append(modeName);
    }
    if (modes.size() > 1)
        return usageError(u"%1 and %2 cannot be combined"_s.arg(modes.at(0), modes.at(1)));
    if (engines || testEngine) {
        if (checkOnly)
            return usageError(u"%1 belongs to --check"_s.arg(checkOnly->name));
        if (exportOnly)
            return usageError(u"%1 belongs to --export"_s.arg(exportOnly->name));
        if (engines && testEngineOnly)
            return usageError(u"%1 belongs to --test-engine"_s.arg(testEngineOnly->name));
        if (!result.addresses.isEmpty())
            return usageError(u"unexpected argument %1"_s.arg(result.addresses.front()));
        if (testEngine && result.page.isEmpty())
            return usageError(u"--test-engine needs --page FILE"_s);
        result.mode = engines ? CommandMode::Engines : CommandMode::TestEngine;
        return result;
    }
    if (testEngineOnly)
        return usageError(u"%1 belongs to --test-engine"_s.arg(testEngineOnly->name));
    if (!check && !exportMode) {
        if (arguments.isEmpty())
            return result;
        return usageError(u"say --check or --export"_s);
    }
    if (check) {
        if (exportOnly)
            return usageError(u"%1 belongs to --export"_s.arg(exportOnly->name));
        result.mode = CommandMode::Check;
        return result;
    }
    if (checkOnly)
        return usageError(u"%1 belongs to --check"_s.arg(checkOnly->name));
    if (result.addresses.size() != 1)
        return usageError(result.addresses.isEmpty() ? u"--export needs a site address"_s
                                                     : u"--export takes one site address"_s);
    if (result.from.isValid() && result.to.isValid() && result.from > result.to)
        return usageError(u"--from is after --to"_s);
    if (result.serp && result.overview)
        return usageError(u"--serp and --overview cannot be combined"_s);
    if (!result.serp && keywordGiven)
        return usageError(u"--keyword belongs to --serp"_s);
    result.mode = CommandMode::Export;
    return result;
}

QString helpText()
{
    return uR"(Usage:
  zeravudez                 open the window
  zeravudez --check [ADDRESS...] [--index] [--again] [--pause MIN[-MAX]] [--json] [--quiet]
                    [--notify] [--mail]
  zeravudez --export ADDRESS [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--overview]
  zeravudez --export ADDRESS --serp [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--keyword KW]
  zeravudez --engines
  zeravudez --test-engine NAME --page FILE [--site ADDRESS]
  zeravudez --help | --version

--check records today's overview figures and keyword ranks of the registered
sites (or of the addresses given), as selecting each site in the window does,
without a window or a display.
  --index          also look up each keyword's index picture
  --again          search sites whose ranks are already recorded today again
  --pause MIN-MAX  seconds between requests to the search engine, chosen at
                   random (default: pause= of the settings file, else 2-6;
                   MIN alone for a fixed pause; 0: none)
  --json           one JSON object per keyword instead of a line of text; it
                   also holds "landing", the address of the site's best
                   result today (null for none), and "landing_changed",
                   whether it differs from the previous recorded day's
  --quiet          print only failures
  --notify         send the digest as a desktop notification
  --mail           send the digest by mail (mail_to=, smtp_url= ...)
Each keyword's line holds, separated by tabs: the site, the keyword, today's
rank as the window shows it, the value of the previous recorded day ("-" for
none), and the change ("+3" three places up, "-2" two down, "new", "lost").
The digest follows after a blank line and "# changes": a summary, then one
line per keyword that moved at least notify_moves= places, entered or left
the first page (1-10), became ranked or was lost, and one per failure (with
--json one last object {"digest": ...}; with --quiet only when something
failed). --notify and --mail send nothing when nothing changed or failed; a
notification that cannot be shown is reported and changes no exit status.
Progress goes to standard error.
Exit status: 0 all recorded, 1 some failures or the mail not sent, 2 bad
usage, no database or another check running.

--export writes a site's rank history (or with --overview its six overview
figures) as CSV to standard output: a header row, then one row per recorded
day; an empty cell is a day without a value.
  --serp           the kept result lists instead: the header
                   date,keyword,position,host,address,own,previous_position
                   and one row per kept entry; own is 1 for the site's own
                   entry, previous_position the host's best position on the
                   keyword's previous recorded day (empty when not listed)
  --keyword KW     with --serp, only the lists of the keyword KW
A cell that a spreadsheet would run as a formula gets a leading "'".

--engines lists the search engine profiles: the built-in one ("baidu") and
every NAME.json in $XDG_CONFIG_HOME/zeravudez/engines, each with its file, its
host and OK or what is wrong with it; "*" marks the one the rank search uses.

--test-engine reads a result page saved from a browser (UTF-8) with the
profile NAME (or the profile file at NAME when it holds a "/") and prints its
blocks with their positions and address lines, whether it is a result page, a
"no results" page or the engine's security check, and with --site the rank
the search would show for the site on that page.

Settings: $XDG_CONFIG_HOME/zeravudez/zeravudez.conf (proxy=host:port,
pause=MIN-MAX, engine=NAME, serp_depth=N, notify_moves=N,
mail_to=ADDRESS[,ADDRESS...], mail_from=ADDRESS, smtp_url=smtp://HOST[:PORT]
or smtps://HOST[:PORT], smtp_user=NAME, smtp_password_file=FILE).
ZERAVUDEZ_PROXY=host:port overrides the proxy. serp_depth= (10 to 100,
default 20) is how many of each keyword's first results the rank search keeps
each day, beside every result of the site's own. notify_moves= (1-800,
default 3) is the least move the digest reports. The mail password is the
first line of smtp_password_file=, never in the settings file; a login over
smtp:// requires STARTTLS.
engine=NAME makes the rank search read the engine of the profile NAME.json
(without engine=, the built-in one); a profile file named baidu.json takes the
built-in's place when chosen. A profile that cannot be used is reported and
the built-in one is used. The profile's pause applies unless --pause or
pause= say otherwise.
)"_s;
}

} // namespace zv
