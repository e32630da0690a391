#pragma once
// The store's connection, for the store's own parts that keep tables of
// their own beside the program's statements. Inside the store only.

#include "store/connection.h"

#include <string>

namespace zv {

class Store;

struct StoreAccess
{
    static sqlite::Connection& connection(Store& store);
};

namespace sqlite {

// Drops the result lists of a rank table, or of one keyword (column) of it,
// within the caller's transaction; nothing when no list was ever kept.
void forgetResultLists(Connection& db, const std::string& rankTableUtf8, const std::string* keywordUtf8);

} // namespace sqlite

} // namespace zv
