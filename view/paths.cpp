#include "view/paths.h"

#include <QDir>
#include <QFileInfo>

namespace zv {

using namespace Qt::StringLiterals;

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
    return baseFolder("XDG_DATA_HOME", u".local/share"_s) + u"/zeravudez/web.db"_s;
}

QString picturePath()
{
    return baseFolder("XDG_CACHE_HOME", u".cache"_s) + u"/zeravudez/100.bmp"_s;
}

QString configurationPath()
{
    return baseFolder("XDG_CONFIG_HOME", u".config"_s) + u"/zeravudez/zeravudez.conf"_s;
}

QString engineProfileFolder()
{
    return baseFolder("XDG_CONFIG_HOME", u".config"_s) + u"/zeravudez/engines"_s;
}

bool makeParentFolder(const QString& path)
{
    return QDir().mkpath(QFileInfo(path).absolutePath());
}

} // namespace zv
