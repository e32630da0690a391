#include "view/paths.h"

#include <QDir>
#include <QFileInfo>

namespace zv {

namespace {

// An XDG base folder: the variable when it holds an absolute path, otherwise
// the given folder under the home directory.
QString baseFolder(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + fallback;
}

} // namespace

QString databasePath()
{
    return baseFolder("XDG_DATA_HOME", QStringLiteral(".local/share")) + QStringLiteral("/zeravudez/web.db");
}

QString picturePath()
{
    return baseFolder("XDG_CACHE_HOME", QStringLiteral(".cache")) + QStringLiteral("/zeravudez/100.bmp");
}

bool makeParentFolder(const QString& path)
{
    return QDir().mkpath(QFileInfo(path).absolutePath());
}

} // namespace zv
