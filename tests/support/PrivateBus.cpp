#include "support/PrivateBus.h"

#include "support/EventLoop.h"

#include <QStandardPaths>

namespace corvallen::test {

namespace {
QString daemonPath() { return QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")); }
}  // namespace

bool PrivateBus::available() { return !daemonPath().isEmpty(); }

bool PrivateBus::start()
{
    m_daemon.start(daemonPath(), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    if (!m_daemon.waitForStarted() || !waitUntil([this] { return m_daemon.canReadLine(); }, 10000))
        return false;
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    return !m_address.isEmpty();
}

PrivateBus::~PrivateBus()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(5000))
        m_daemon.kill();
    m_daemon.waitForFinished();
}

}  // namespace corvallen::test
