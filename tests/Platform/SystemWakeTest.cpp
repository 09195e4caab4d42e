// Wake events: logind's PrepareForSleep(false) on the bus becomes woke(); going to sleep, other
// senders and a missing bus give nothing.
#include "Corvallen/Platform/SystemWake.h"
#include "support/EventLoop.h"
#include "support/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <gtest/gtest.h>

namespace {

using corvallen::test::PrivateBus;
using corvallen::test::waitUntil;

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
        if (!PrivateBus::available())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(m_bus.start());
        const QString address = m_bus.address();
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

    PrivateBus m_bus;  // stopped after the connections above are closed
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
    ASSERT_TRUE(waitUntil([&] { return wakes > 0; }));
    // Everything sent before the wake has been delivered by now.
    EXPECT_EQ(wakes, 1);
}

}  // namespace
