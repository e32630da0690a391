#include "view/query_view.h"

namespace zv {

BusyScope::BusyScope(QueryView& view)
    : m_view(view)
{
    m_view.enterBusyState();
}

BusyScope::~BusyScope()
{
    m_view.leaveBusyState();
}

} // namespace zv
