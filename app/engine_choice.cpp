#include "app/engine_choice.h"

#include "view/qt_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace zv {

namespace {

// A profile is a few hundred bytes; anything this large is not one.
constexpr qint64 kLargestProfileBytes = 1024 * 1024;

EngineEntry builtinEntry()
{
    EngineEntry entry;
    entry.name = QString::fromUtf8(kBuiltinEngineName);
    entry.profile = std::shared_ptr<const EngineProfile>(&builtinEngineProfile(), [](const EngineProfile*) {});
    return entry;
}

} // namespace

EngineEntry readEngineProfileFile(const QString& path)
{
    EngineEntry entry;
    entry.name = QFileInfo(path).completeBaseName();
    entry.file = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        entry.problem = u"%1: cannot be read (%2)"_s.arg(path, file.errorString());
        return entry;
    }
    if (file.size() > kLargestProfileBytes) {
        entry.problem = u"%1: larger than %2 bytes"_s.arg(path).arg(kLargestProfileBytes);
        return entry;
    }
    const QByteArray bytes = file.readAll();
    EngineProfileLoad load = parseEngineProfile(std::string_view(bytes.constData(), bytes.size()));
    if (!load.profile) {
        entry.problem = path + u": "_s + QString::fromStdString(load.problem.text());
        return entry;
    }
    entry.profile = std::make_shared<const EngineProfile>(std::move(*load.profile));
    return entry;
}

std::vector<EngineEntry> listEngineProfiles(const QString& folder)
{
    std::vector<EngineEntry> entries {builtinEntry()};
    const QDir dir(folder);
    for (const QString& name : dir.entryList({u"*.json"_s}, QDir::Files, QDir::Name))
        entries.push_back(readEngineProfileFile(dir.filePath(name)));
    return entries;
}

EngineChoice chooseEngineProfile(const QString& name, const QString& folder)
{
    EngineChoice choice;
    choice.entry = builtinEntry();
    if (name.isEmpty())
        return choice;
    const bool isPath = name.contains(u'/');
    const QString path = isPath ? name : QDir(folder).filePath(name + u".json"_s);
    if (!QFileInfo::exists(path)) {
        // The built-in name needs no file.
        if (!isPath && name == QString::fromUtf8(kBuiltinEngineName))
            return choice;
        choice.problem = u"engine %1: no profile %2; the built-in profile is used"_s.arg(name, path);
        return choice;
    }
    EngineEntry entry = readEngineProfileFile(path);
    if (!entry.profile) {
        choice.problem = entry.problem + u"; the built-in profile is used"_s;
        return choice;
    }
    choice.entry = std::move(entry);
    return choice;
}

PauseRange chosenPause(std::optional<PauseRange> commandLine, std::optional<PauseRange> settings,
                       const EngineProfile& engine, PauseRange fallback)
{
    if (commandLine)
        return *commandLine;
    if (settings)
        return *settings;
    if (engine.pause)
        return {engine.pause->minSeconds, engine.pause->maxSeconds};
    return fallback;
}

} // namespace zv
