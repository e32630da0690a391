#pragma once
// Where the program keeps its files. The database lives under the user's data
// folder, the temporary index picture under the cache folder, the settings
// under the configuration folder; all follow the XDG variables and fall back
// to ~/.local/share, ~/.cache and ~/.config.

#include <QString>

namespace zv {

// $XDG_DATA_HOME/zeravudez/web.db
QString databasePath();
// $XDG_CACHE_HOME/zeravudez/100.bmp
QString picturePath();
// $XDG_CONFIG_HOME/zeravudez/zeravudez.conf
QString configurationPath();
// $XDG_CONFIG_HOME/zeravudez/engines: the search engine profiles (NAME.json).
QString engineProfileFolder();
// Creates the folder that holds path when it is missing; false when that fails.
bool makeParentFolder(const QString& path);

} // namespace zv
