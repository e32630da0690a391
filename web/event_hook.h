#pragma once
// The web toolkit lets the window system process pending events while it waits
// (before each read of a response, after each byte of URL encoding). The
// application installs QCoreApplication::processEvents here; without a hook
// nothing happens.
//
// The abort hook lets the application abandon a request in flight: an event
// handler that ran during a wait (the user closed the window) makes it return
// true, and the request gives up at once instead of waiting out its time-out.
// Without a hook nothing is ever abandoned.

#include <functional>

namespace zv {

void setProcessEventsHook(std::function<void()> hook);
void processPendingEvents();

void setAbortHook(std::function<bool()> hook);
bool abortRequested();

} // namespace zv
