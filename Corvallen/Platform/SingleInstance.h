#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

// One running copy of Corvallen per data folder. Two copies over one store would each hand out
// record keys from memory, and one of them would lose its saves, so a second launch passes its
// request to the copy that runs (its main window comes forward) and ends.
//
// The claim is a lock file in the data folder ("Corvallen.lock"): whoever creates it runs; a
// lock left by a copy that crashed is taken over (its process is gone). The hand-over goes
// through a local socket that only this user can reach, in the user's runtime folder, named
// after the data folder. What arrives on it is untrusted: one short line, at most
// maxRequestSize bytes, and only the requests listed here are acted on.
//
// Requests: "activate" (bring the main window forward). The answer is one line, "ok" or
// "unknown".
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `dataFolder` is created when missing.
    explicit SingleInstance(const QString& dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock unless a live copy holds it. Needs no application object, so a launch
    // can decide before it does anything else. A data folder where no lock can be made at all
    // (no permission) counts as claimed: the store's own error then tells the user.
    bool tryClaim();
    bool isClaimed() const { return m_claimed; }

    enum class HandOver {
        Delivered,  // the running copy took the request
        NoAnswer,   // a live copy holds the lock but did not answer in time
        Claimed,    // the running copy ended meanwhile: this launch holds the lock now
        // A live copy holds the lock and listens in another runtime folder (another login
        // session of the user's): it can't be reached from this launch, so nothing is waited for.
        OtherSession,
    };
    // For a launch whose claim failed: passes `request` to the running copy. While that copy is
    // still starting (not listening yet, or busy before its event loop) this waits, up to
    // `timeoutMs`. Needs an application object.
    HandOver handOver(const QByteArray& request, int timeoutMs);

    // The copy that holds the lock: starts answering hand-overs (needs an application object),
    // and notes where it listens in the data folder ("Corvallen.instance"), so that a launch from
    // another session can tell at once that it can't reach it.
    bool listen(QString* error = nullptr);

    // How long a connected client may take to send its line before it is dropped.
    void setRequestTimeout(int milliseconds) { m_requestTimeoutMs = milliseconds; }

    QString lockFilePath() const;
    // The socket: <runtime folder>/corvallen-<hash of the data folder>; empty when no private
    // runtime folder can be had or the path would be too long for a local socket.
    QString serverPath() const;

    static constexpr qsizetype maxRequestSize = 256;
    static constexpr int maxOpenConnections = 8;

Q_SIGNALS:
    // "activate" arrived.
    void activationRequested();

private:
    void accept(QLocalSocket* socket);
    void answer(QLocalSocket* socket, const QByteArray& line);
    // The lock file names no owner and has done so for longer than a starting copy needs.
    bool ownerUnreadableForLong() const;
    static constexpr qint64 kUnreadableLockGraceMs = 5000;

    QString m_dataFolder;
    QString m_serverPath;
    QLockFile m_lock;
    bool m_claimed = false;
    QLocalServer* m_server = nullptr;
    int m_open = 0;
    int m_requestTimeoutMs = 2000;
};
