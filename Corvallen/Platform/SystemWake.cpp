#include "Corvallen/Platform/SystemWake.h"


SystemWake::SystemWake(QObject* parent) : SystemWake(QDBusConnection::systemBus(), parent) {}

SystemWake::SystemWake(const QDBusConnection& connection, QObject* parent) : QObject(parent)
{
    QDBusConnection bus = connection;
    if (!bus.isConnected())
        return;  // no system bus: no wake events
    m_listening = bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                              QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                              this, SLOT(prepareForSleep(bool)));
}

void SystemWake::prepareForSleep(bool goingToSleep)
{
    // logind sends true before the sleep and false once the machine runs again.
    if (!goingToSleep)
        Q_EMIT woke();
}
