#include "store/site_name.h"

namespace zv {

Text siteTableName(const Text& address)
{
    return replaceAll(replaceAll(address, ".", "_"), "-", "__");
}

Text siteAddress(const Text& tableName)
{
    return replaceAll(replaceAll(tableName, "__", "-"), "_", ".");
}

} // namespace zv
