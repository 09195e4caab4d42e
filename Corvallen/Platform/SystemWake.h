#pragma once

#include <QDBusConnection>
#include <QObject>

// Tells when the computer wakes from sleep: listens on the system bus for logind's
// PrepareForSleep(false). Without a system bus (or logind) there are simply no wake events.
class SystemWake : public QObject {
    Q_OBJECT
public:
    // Listens on the system bus.
    explicit SystemWake(QObject* parent = nullptr);
    // Listens on another bus (tests run a private one).
    explicit SystemWake(const QDBusConnection& bus, QObject* parent = nullptr);

    // Whether the listener is connected to logind's signal.
    bool isListening() const { return m_listening; }

Q_SIGNALS:
    void woke();

private Q_SLOTS:
    void prepareForSleep(bool goingToSleep);

private:
    bool m_listening = false;
};
