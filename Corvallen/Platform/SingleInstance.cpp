#include "Corvallen/Platform/SingleInstance.h"

#include "Corvallen/Platform/AppPaths.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

#include <cstdlib>

#include <sys/un.h>

namespace {

QString lockPath(const QString& dataFolder) { return dataFolder + QStringLiteral("/Corvallen.lock"); }
QString notePath(const QString& dataFolder) { return dataFolder + QStringLiteral("/Corvallen.instance"); }

// Where the copy holding the lock listens, as it noted it; empty when it noted nothing.
QString notedServerPath(const QString& dataFolder)
{
    QFile note(notePath(dataFolder));
    if (!note.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(note.read(4096)).trimmed();
}

QString socketPathFor(const QString& dataFolder)
{
    const QString runtime = AppPaths::runtimeFolder();
    if (runtime.isEmpty())
        return {};
    // The same data folder reached by two spellings (a link, a trailing slash) is one copy.
    QString canonical = QFileInfo(dataFolder).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QFileInfo(dataFolder).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    const QString path = runtime + QStringLiteral("/corvallen-") + QString::fromLatin1(hash);
    // A local socket's path has a fixed, small room (sun_path).
    if (QFile::encodeName(path).size() >= qsizetype(sizeof(sockaddr_un::sun_path)))
        return {};
    return path;
}

}  // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent), m_dataFolder(dataFolder), m_lock((AppPaths::ensureFolder(dataFolder), lockPath(dataFolder)))
{
    // The lock lives as long as the copy that holds it: it must never turn stale by age, only
    // when its process is gone.
    m_lock.setStaleLockTime(0);
    m_serverPath = socketPathFor(dataFolder);
}

SingleInstance::~SingleInstance()
{
    // The socket goes first, so a launch that can't reach this copy finds the lock free.
    if (m_server && notedServerPath(m_dataFolder) == m_serverPath)
        QFile::remove(notePath(m_dataFolder));
    delete m_server;
    m_server = nullptr;
    if (m_claimed)
        m_lock.unlock();
}

QString SingleInstance::lockFilePath() const { return lockPath(m_dataFolder); }

bool SingleInstance::ownerUnreadableForLong() const
{
    qint64 pid = 0;
    QString host, app;
    if (m_lock.getLockInfo(&pid, &host, &app))
        return false;
    // A copy writes its details the moment it has made the file; give one that is just doing
    // so a generous moment.
    const QFileInfo file(lockFilePath());
    if (!file.exists())
        return false;
    const qint64 age = file.lastModified().msecsTo(QDateTime::currentDateTime());
    return std::abs(age) > kUnreadableLockGraceMs;
}

QString SingleInstance::serverPath() const { return m_serverPath; }

bool SingleInstance::tryClaim()
{
    if (m_claimed)
        return true;
    // tryLock() also removes a lock whose process is gone (a copy that crashed).
    if (m_lock.tryLock(0)) {
        m_claimed = true;
        return true;
    }
    if (m_lock.error() == QLockFile::LockFailedError) {
        if (!ownerUnreadableForLong())
            return false;
        // A lock that names no owner is what a power cut leaves of a lock written just before
        // it (the file made, its text never reached the disk). Nothing could ever prove it
        // stale, and the program would never start again on this folder.
        m_lock.removeStaleLockFile();
        if (m_lock.tryLock(0)) {
            m_claimed = true;
            return true;
        }
        return false;
    }
    // No lock can be made here at all: nothing to coordinate with, and opening the store will
    // say what is wrong with the folder.
    m_claimed = true;
    return true;
}

SingleInstance::HandOver SingleInstance::handOver(const QByteArray& request, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (true) {
        if (!m_serverPath.isEmpty()) {
            QLocalSocket socket;
            socket.connectToServer(m_serverPath);
            if (socket.waitForConnected(std::max(1, int(std::min<qint64>(deadline.remainingTime(), 1000))))) {
                socket.write(request + '\n');
                socket.waitForBytesWritten(1000);
                // The running copy answers from its event loop, which may still be busy
                // opening the store: wait for the line as long as the deadline allows.
                while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired())
                    socket.waitForReadyRead(std::max(1, int(std::min<qint64>(deadline.remainingTime(), 1000))));
                if (socket.canReadLine())
                    return socket.readLine(16).trimmed() == "ok" ? HandOver::Delivered : HandOver::NoAnswer;
            }
        }
        // Nobody listening: the running copy may be starting, or may just have quit.
        if (tryClaim())
            return HandOver::Claimed;
        // Or it listens in another session's runtime folder, which this launch doesn't look in:
        // waiting would change nothing. (A note whose socket is gone is a crashed copy's.)
        if (const QString noted = notedServerPath(m_dataFolder);
            !noted.isEmpty() && noted != m_serverPath && QFileInfo(noted).exists())
            return HandOver::OtherSession;
        if (deadline.hasExpired())
            return HandOver::NoAnswer;
        QThread::msleep(50);
    }
}

bool SingleInstance::listen(QString* error)
{
    if (m_server)
        return true;
    if (m_serverPath.isEmpty()) {
        if (error)
            *error = QStringLiteral("no private runtime folder for the hand-over socket");
        return false;
    }
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    server->setMaxPendingConnections(maxOpenConnections);
    // A socket left by a copy that crashed: the lock says it is ours now.
    QLocalServer::removeServer(m_serverPath);
    if (!server->listen(m_serverPath)) {
        if (error)
            *error = server->errorString();
        delete server;
        return false;
    }
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket* socket = server->nextPendingConnection())
            accept(socket);
    });
    m_server = server;
    QSaveFile note(notePath(m_dataFolder));
    if (note.open(QIODevice::WriteOnly)) {
        note.write(m_serverPath.toUtf8() + '\n');
        note.commit();
    }
    return true;
}

void SingleInstance::accept(QLocalSocket* socket)
{
    if (m_open >= maxOpenConnections) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++m_open;
    connect(socket, &QObject::destroyed, this, [this] { --m_open; });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto* buffer = new QByteArray;
    connect(socket, &QObject::destroyed, this, [buffer] { delete buffer; });
    const QPointer<QLocalSocket> guarded(socket);
    QTimer::singleShot(m_requestTimeoutMs, socket, [guarded] {
        if (guarded)
            guarded->abort();
    });
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer] {
        if (socket->state() != QLocalSocket::ConnectedState)
            return;  // answered already
        buffer->append(socket->read(maxRequestSize + 1 - buffer->size()));
        const qsizetype end = buffer->indexOf('\n');
        if (end < 0) {
            if (buffer->size() > maxRequestSize)
                socket->abort();  // too long to be a request of ours
            return;
        }
        answer(socket, buffer->left(end));
        buffer->clear();
    });
}

void SingleInstance::answer(QLocalSocket* socket, const QByteArray& line)
{
    const QByteArray request = line.trimmed();
    const bool known = request == "activate";
    socket->write(known ? "ok\n" : "unknown\n");
    socket->flush();
    socket->disconnectFromServer();
    if (known)
        Q_EMIT activationRequested();
}
