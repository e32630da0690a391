#include "web/event_hook.h"

#include <utility>

namespace zv {

namespace {
std::function<void()>& eventsHook()
{
    static std::function<void()> hook;
    return hook;
}

std::function<bool()>& abortHook()
{
    static std::function<bool()> hook;
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

void setAbortHook(std::function<bool()> hook)
{
    abortHook() = std::move(hook);
}

bool abortRequested()
{
    const auto& hook = abortHook();
    return hook && hook();
}

} // namespace zv
