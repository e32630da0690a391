#pragma once
// What the chart windows need from a front end: the store and the current
// site they draw from, the window they belong to, and the operation scope
// their handlers run in.

#include <QString>

class QWidget;

namespace zv {

class Store;

class ChartView
{
public:
    virtual ~ChartView() = default;

    virtual Store& store() = 0;
    // The site whose history is shown, as shown; empty when none is chosen.
    virtual QString currentSite() const = 0;
    // The parent of the chart windows.
    virtual QWidget* chartParent() = 0;

    // Every event handler runs between these two (see OperationScope); a close
    // of the front end meanwhile is finished only when the outermost ends.
    virtual void beginOperation() = 0;
    virtual void endOperation() = 0;
};

// One event handler's run: begins an operation on construction and ends it on
// destruction.
class OperationScope
{
public:
    explicit OperationScope(ChartView& view);
    ~OperationScope();
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

private:
    ChartView& m_view;
};

} // namespace zv
