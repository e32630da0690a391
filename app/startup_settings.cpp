#include "app/startup_settings.h"

#include "app/engine_choice.h"
#include "app/main_window.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace zv {

QString applyStartupSettings(MainWindow& window, const Configuration& configuration, const QString& configurationFile,
                             const QString& engineFolder)
{
    const EngineChoice engine = chooseEngineProfile(configuration.engine, engineFolder);
    window.setEngineProfile(engine.entry.profile);
    // The window waits only when the settings or the profile ask it to.
    window.setEnginePause(chosenPause(std::nullopt, configuration.pause, *engine.entry.profile, PauseRange {}));
    window.setResultListDepth(configuration.serpDepth.value_or(kDefaultResultListDepth));
    QStringList problems;
    if (!configuration.problems.isEmpty())
        problems.append(problemsLine(configuration, configurationFile));
    if (!engine.problem.isEmpty())
        problems.append(engine.problem);
    if (problems.isEmpty())
        return {};
    const QString line = problems.join(u"; "_s);
    window.setStatus(line);
    return line;
}

} // namespace zv
