#pragma once
// What the window takes from the settings at start-up: the search engine
// profile engine= chooses, the pause between requests to the engine, the
// result list depth, and the problems of these, shown in the status bar.

#include "app/configuration.h"

#include <QString>

namespace zv {

class MainWindow;

// configurationFile is where configuration was read from; engineFolder holds
// the profiles (engineProfileFolder()). Returns the problems as shown, "" when
// there are none, so that start-up can also write them to the error stream.
QString applyStartupSettings(MainWindow& window, const Configuration& configuration, const QString& configurationFile,
                             const QString& engineFolder);

} // namespace zv
