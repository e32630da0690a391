#pragma once
// The registered sites as the command-line modes see them: the table names of
// the registry, in the order the window's site list shows them, and the
// look-up of an address typed by the user.

#include "text/text.h"

#include <optional>
#include <vector>

class QString;

namespace zv {

class Store;

// The site table names of the registry; nothing when it cannot be read.
std::optional<std::vector<Text>> registeredSiteTables(Store& store);

// The registered table name of address, compared as the registry's key
// compares (letter case of A-Z ignored); nothing when it is not registered.
std::optional<Text> findRegisteredSite(const std::vector<Text>& tables, const QString& address);

} // namespace zv
