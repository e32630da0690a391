#include "view/chart_view.h"

namespace zv {

OperationScope::OperationScope(ChartView& view)
    : m_view(view)
{
    m_view.beginOperation();
}

OperationScope::~OperationScope()
{
    m_view.endOperation();
}

} // namespace zv
