#include "web/event_hook.h"

#include <utility>

namespace zv {

namespace {
std::function<void()>& eventsHook()
{
    static std::function<void()> hook;
    return hook;
}
} // namespace

void setProcessEventsHook(std::function<void()> hook)
{
    eventsHook() = std::move(hook);
}

void processPendingEvents()
{
    if (auto& hook = eventsHook())
        hook();
}

} // namespace zv
