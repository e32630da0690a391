#pragma once
// The web toolkit lets the window system process pending events while it waits
// (before each read of a response, after each byte of URL encoding). The
// application installs QCoreApplication::processEvents here; without a hook
// nothing happens.

#include <functional>

namespace zv {

void setProcessEventsHook(std::function<void()> hook);
void processPendingEvents();

} // namespace zv
