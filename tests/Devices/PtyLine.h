#pragma once

// The two ends of a raw pseudo-terminal standing in for a USB serial line: the code under test
// opens path() as it would open /dev/ttyACM0, and a simulated instrument talks through
// master(). The instrument keeps the near end open as well, so the line survives the host
// closing and reopening the node, until close() (the instrument is unplugged). The master end
// is non-blocking: every wait of the instrument is a poll() with a limit.

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

class PtyLine {
public:
    PtyLine()
    {
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        m_path = QString::fromLocal8Bit(name);
        termios tio;
        tcgetattr(m_slave, &tio);
        cfmakeraw(&tio);
        tcsetattr(m_slave, TCSANOW, &tio);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyLine()
    {
        close();
        if (m_slave >= 0)
            ::close(m_slave);
    }

    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    QString path() const { return m_path; }
    int master() const { return m_master; }
    bool isOpen() const { return m_master >= 0; }

    // Sends bytes to the host, waiting while the line is full; false when stop is set or the
    // line fails first.
    bool send(const QByteArray& bytes, const std::atomic<bool>& stop)
    {
        const char* p = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0 && !stop && m_master >= 0) {
            pollfd out{m_master, POLLOUT, 0};
            if (::poll(&out, 1, 20) <= 0)
                continue;
            const ssize_t n = ::write(m_master, p, size_t(left));
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n < 0)
                return false;
            p += n;
            left -= n;
        }
        return left == 0;
    }

    // The instrument is unplugged: the far end closes and the node disappears. The near end
    // stays open until the line is destroyed, which keeps the node's number from being handed
    // to a pseudo-terminal of another test process meanwhile: a host that reopens the path
    // must find nothing there, not some other process's simulated instrument.
    void close()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

// How many of this process's descriptors are open on `path` (a pseudo-terminal's node): unlike
// the count of all of them, other threads opening and closing files don't change it.
inline int openDescriptorsTo(const QString& path)
{
    char wanted[PATH_MAX];
    if (!realpath(path.toLocal8Bit().constData(), wanted))
        return 0;
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(dir)) {
            char link[PATH_MAX];
            const QByteArray fd = QByteArray("/proc/self/fd/") + entry->d_name;
            const ssize_t n = readlink(fd.constData(), link, sizeof link - 1);
            if (n > 0) {
                link[n] = 0;
                count += strcmp(link, wanted) == 0 ? 1 : 0;
            }
        }
        closedir(dir);
    }
    return count;
}

// How many descriptors this process holds: equal counts before and after show that a port
// was released.
inline int openDescriptorCount()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}
