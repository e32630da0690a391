#pragma once
// A session bus of a test's own with a stand-in of the desktop's
// notification service, and a way to run the program while this process
// answers on the bus.

#include "program_run.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace zv::test {

struct NoticeCall
{
    QString appName;
    uint replacesId = 0;
    QString icon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int timeout = 0;
};

// Records each Notify call; offers plain bodies only.
class NotificationsStandIn : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    std::vector<NoticeCall> calls;

public Q_SLOTS:
    QStringList GetCapabilities();
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout);
};

// dbus-daemon --session, ended with the object; an empty address when it
// cannot be started.
class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const QString& address() const { return m_address; }
    // Puts the stand-in on the bus under the service's name.
    bool serve(NotificationsStandIn& service);

private:
    QProcess m_daemon;
    QString m_address;
};

// runProgram, with this process's events handled meanwhile.
Outcome runServingEvents(const QStringList& arguments, const QProcessEnvironment& environment);

} // namespace zv::test
