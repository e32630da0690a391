#pragma once
// The program's command line. With no option it opens the window; the modes
// below run without a window or a display:
//   --check [ADDRESS...] [--index] [--again] [--pause MIN[-MAX]] [--json] [--quiet]
//           [--notify] [--mail]
//   --export ADDRESS [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--overview]
//   --export ADDRESS --serp [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--keyword KW]
//   --engines
//   --test-engine NAME --page FILE [--site ADDRESS]
//   --help, --version
// An option's value follows it as the next argument or after "=".

#include "app/configuration.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace zv {

enum class CommandMode { Window, Help, Version, Check, Export, Engines, TestEngine };

struct CommandLine
{
    CommandMode mode = CommandMode::Window;
    // --check: the sites to check, every registered site when empty;
    // --export: the one site.
    QStringList addresses;
    bool index = false;
    bool again = false;
    bool json = false;
    bool quiet = false;
    bool notify = false; // send the digest as a desktop notification
    bool mail = false; // send the digest by mail
    std::optional<PauseRange> pause;
    QDate from; // null: from the first recorded day
    QDate to; // null: to the last recorded day
    bool overview = false;
    // --export --serp: the kept result lists, of one keyword when set.
    bool serp = false;
    QString keyword;
    // --test-engine: the profile, the saved result page and the site.
    QString engine;
    QString page;
    QString site;
    // One line describing bad usage; the other fields are then meaningless.
    QString error;
};

// True when the arguments (without the program's name) ask for a mode of the
// command line rather than the window: any argument starting with "--", or
// "-h". The window's own arguments (Qt's "-platform" and the like) take one dash.
bool wantsCommandLine(const QStringList& arguments);

// Reads the arguments without the program's name.
CommandLine parseCommandLine(const QStringList& arguments);

// The text --help prints.
QString helpText();

} // namespace zv
