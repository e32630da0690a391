#pragma once
// Site address <-> site table name.

#include "text/text.h"

namespace zv {

// "." -> "_" then "-" -> "__", and back ("__" -> "-" then "_" -> "."), whole
// characters, left to right.
Text siteTableName(const Text& address);
Text siteAddress(const Text& tableName);

} // namespace zv
