#include "notice_standin.h"

#include <QDBusConnection>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

namespace zv::test {

using namespace Qt::StringLiterals;

namespace {

const QString kConnectionName = u"notifications-stand-in"_s;

} // namespace

QStringList NotificationsStandIn::GetCapabilities()
{
    return {u"body"_s};
}

uint NotificationsStandIn::Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                                  const QString& body, const QStringList& actions, const QVariantMap& hints,
                                  int timeout)
{
    calls.push_back({appName, replacesId, icon, summary, body, actions, hints, timeout});
    return static_cast<uint>(calls.size());
}

PrivateBus::PrivateBus()
{
    const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
    if (daemon.isEmpty())
        return;
    m_daemon.start(daemon, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
    if (!m_daemon.waitForStarted(10000))
        return;
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) { }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    QDBusConnection::disconnectFromBus(kConnectionName);
    m_daemon.kill();
    m_daemon.waitForFinished();
}

bool PrivateBus::serve(NotificationsStandIn& service)
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, kConnectionName);
    return bus.isConnected()
        && bus.registerObject(u"/org/freedesktop/Notifications"_s, &service, QDBusConnection::ExportAllSlots)
        && bus.registerService(u"org.freedesktop.Notifications"_s);
}

Outcome runServingEvents(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    process.start(QString::fromUtf8(ZV_PROGRAM), arguments);
    loop.exec();
    return outcomeOf(process, process.state() == QProcess::NotRunning);
}

} // namespace zv::test
