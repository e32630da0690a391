#pragma once
// The command-line modes that look at the search engine profiles: --engines
// lists them, --test-engine reads a saved result page with one. Neither asks
// the engine anything.

#include "app/command_line.h"

class QIODevice;

namespace zv {

// Exit status 0, or 1 when a profile cannot be used.
int runEngines(QIODevice& out, QIODevice& err);
// Exit status 0, 1 when the profile cannot be used (the page is then read
// with the built-in one), 2 when the page cannot be read.
int runTestEngine(const CommandLine& commandLine, QIODevice& out, QIODevice& err);

} // namespace zv
