#pragma once
// The modes of the command line, run with a QCoreApplication: no window, no
// display. Output goes to out (standard output), messages to err (standard
// error), each message one line starting with "zeravudez: ".

#include "app/command_line.h"

class QIODevice;

namespace zv {

enum ExitStatus : int {
    kExitDone = 0, // everything asked for was done
    kExitFailures = 1, // some figures or keywords failed
    kExitUsage = 2, // bad usage, a database that cannot be opened, a lock held
};

// errIsTerminal: err is a terminal, where --check shows a live progress line.
int runCommandLine(const CommandLine& commandLine, QIODevice& out, QIODevice& err, bool errIsTerminal = false);

} // namespace zv
