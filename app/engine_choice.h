#pragma once
// The search engine profiles of the user (engineProfileFolder(), one NAME.json
// each) and the one the settings choose with engine=NAME. No engine= means the
// built-in profile (named kBuiltinEngineName); a file of that name takes the
// built-in's place when engine= names it, so an edited copy of
// docs/engines/baidu.json mends the built-in engine without a new build. A
// profile that cannot be used is reported and the built-in one is used.

#include "app/configuration.h"
#include "readers/engine_profile.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace zv {

// One profile as read from its file, or the built-in one.
struct EngineEntry
{
    QString name;
    QString file; // empty for the built-in profile
    std::shared_ptr<const EngineProfile> profile; // null when the file is refused
    QString problem; // "FILE: FIELD: REASON" when refused
};

// The built-in profile first, then every *.json of folder by name.
std::vector<EngineEntry> listEngineProfiles(const QString& folder);

// The profile of a file; name is its base name.
EngineEntry readEngineProfileFile(const QString& path);

struct EngineChoice
{
    EngineEntry entry; // the profile in use, never without a profile
    // Why the profile asked for is not the one in use; "" when it is.
    QString problem;
    bool isBuiltin() const { return entry.file.isEmpty(); }
};

// The profile named name ("" for the built-in) in folder. A name holding
// "/" is the path of a profile file (engine= never holds one).
EngineChoice chooseEngineProfile(const QString& name, const QString& folder);

// The pause between requests to the engine: the command line's, else the
// settings file's, else the engine profile's, else fallback.
PauseRange chosenPause(std::optional<PauseRange> commandLine, std::optional<PauseRange> settings,
                       const EngineProfile& engine, PauseRange fallback);

} // namespace zv
