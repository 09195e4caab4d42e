// Wake events: logind's PrepareForSleep(false) on the bus becomes woke(); going to sleep, other
// senders and a missing bus give nothing.
#include "Corvallen/Platform/SystemWake.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <functional>

namespace {

bool runUntil(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return done();
}

TEST(SystemWake, NoBusNoEvents)
{
    SystemWake wake(QDBusConnection(QStringLiteral("corvallen-no-bus")));
    EXPECT_FALSE(wake.isListening());
}

// A private bus on which this test plays logind.
class LogindBus : public testing::Test {
protected:
    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        ASSERT_TRUE(m_daemon.waitForStarted());
        ASSERT_TRUE(runUntil([this] { return m_daemon.canReadLine(); }));
        const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        m_logind = QDBusConnection::connectToBus(address, QStringLiteral("fake-logind"));
        ASSERT_TRUE(m_logind.isConnected());
        ASSERT_TRUE(m_logind.registerService(QStringLiteral("org.freedesktop.login1")));
        m_other = QDBusConnection::connectToBus(address, QStringLiteral("someone-else"));
        m_client = QDBusConnection::connectToBus(address, QStringLiteral("wake-client"));
        ASSERT_TRUE(m_client.isConnected());
    }
    void TearDown() override
    {
        for (const char* name : {"fake-logind", "someone-else", "wake-client"})
            QDBusConnection::disconnectFromBus(QString::fromLatin1(name));
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            if (!m_daemon.waitForFinished(5000))
                m_daemon.kill();
            m_daemon.waitForFinished();
        }
    }

    void prepareForSleep(QDBusConnection& from, bool goingToSleep)
    {
        // A round trip first, so the client's subscription is in place before the signal.
        m_client.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1"));
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                                         QStringLiteral("PrepareForSleep"));
        signal << goingToSleep;
        ASSERT_TRUE(from.send(signal));
        // And one after: the bus has passed the signal on before anything sent later.
        from.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1"));
    }

    QProcess m_daemon;
    QDBusConnection m_logind{QString()};
    QDBusConnection m_other{QString()};
    QDBusConnection m_client{QString()};
};

TEST_F(LogindBus, WakingUpIsReportedOnce)
{
    SystemWake wake(m_client);
    ASSERT_TRUE(wake.isListening());
    int wakes = 0;
    QObject::connect(&wake, &SystemWake::woke, &wake, [&] { ++wakes; });

    prepareForSleep(m_logind, true);
    prepareForSleep(m_other, false);  // not logind: ignored
    prepareForSleep(m_logind, false);
    ASSERT_TRUE(runUntil([&] { return wakes > 0; }));
    // Everything sent before the wake has been delivered by now.
    EXPECT_EQ(wakes, 1);
}

}  // namespace
