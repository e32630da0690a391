#pragma once
// One desktop notification through the notification service of the session
// bus (org.freedesktop.Notifications).

#include <QString>

namespace zv {

// Shows title and body (plain text; escaped when the service reads mark-up).
// "" when the service took it, else one sentence saying why not: no session
// bus, no notification service, or the service's error.
QString sendDesktopNotice(const QString& title, const QString& body);

} // namespace zv
