#pragma once

#include <QProcess>
#include <QString>

namespace corvallen::test {

// A D-Bus session bus of the test's own: a dbus-daemon started for it and stopped when this
// goes, so a test can play a desktop service (logind, the portal) with real bus traffic.
class PrivateBus {
public:
    PrivateBus() = default;
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus();

    // Whether dbus-daemon is installed; tests skip when it isn't.
    static bool available();
    // Starts the daemon and waits for its address; false when it didn't come up.
    bool start();
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

}  // namespace corvallen::test
