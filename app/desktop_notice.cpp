#include "app/desktop_notice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QStringList>
#include <QVariantMap>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

constexpr int kCallTimeoutMs = 10000;

QDBusMessage serviceCall(const QString& method)
{
    return QDBusMessage::createMethodCall(u"org.freedesktop.Notifications"_s, u"/org/freedesktop/Notifications"_s,
                                          u"org.freedesktop.Notifications"_s, method);
}

} // namespace

QString sendDesktopNotice(const QString& title, const QString& body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return u"no session bus, so no desktop notification"_s;
    const QDBusReply<QStringList> capabilities
        = bus.call(serviceCall(u"GetCapabilities"_s), QDBus::Block, kCallTimeoutMs);
    if (!capabilities.isValid())
        return u"no desktop notification: %1"_s.arg(capabilities.error().message());
    // Keywords come from users and from the web: a service that reads mark-up
    // must not read theirs.
    const QString shownBody = capabilities.value().contains(u"body-markup"_s) ? body.toHtmlEscaped() : body;
    const QVariantMap hints {
        {u"urgency"_s, QVariant::fromValue<uchar>(1)},
        {u"desktop-entry"_s, u"zeravudez"_s},
    };
    QDBusMessage notify = serviceCall(u"Notify"_s);
    notify << u"Zeravudez"_s << 0u << u"zeravudez"_s << title << shownBody << QStringList() << hints << -1;
    const QDBusReply<uint> id = bus.call(notify, QDBus::Block, kCallTimeoutMs);
    if (!id.isValid())
        return u"no desktop notification: %1"_s.arg(id.error().message());
    return {};
}

} // namespace zv
