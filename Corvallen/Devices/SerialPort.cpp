#include "Corvallen/Devices/SerialPort.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

QString systemMessage(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString tr(const char* text) { return QCoreApplication::translate("SerialPort", text); }

// The termios speed constant for a line speed in bits per second; 0 when the platform has none.
speed_t speedConstant(int baudRate)
{
    switch (baudRate) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return 0;
    }
}

}  // namespace

SerialPort::SerialError::SerialError(Kind kind, QString message, QString description)
    : UserFacingError(std::move(description)), m_kind(kind), m_message(std::move(message))
{
}

SerialPort::SerialError SerialPort::SerialError::openFailed(const QString& message)
{
    return SerialError(Kind::openFailed, message, tr("Couldn't open the serial port: ") + message);
}

SerialPort::SerialError SerialPort::SerialError::configFailed(const QString& message)
{
    return SerialError(Kind::configFailed, message, tr("Couldn't configure the serial port: ") + message);
}

SerialPort::SerialError SerialPort::SerialError::writeFailed(const QString& message)
{
    return SerialError(Kind::writeFailed, message, tr("Serial write failed: ") + message);
}

SerialPort::SerialError SerialPort::SerialError::notOpen()
{
    return SerialError(Kind::notOpen, QString(), tr("The serial port isn't open."));
}

SerialPort::SerialPort(const QString& path, int baudRate)
{
    open(path, baudRate);
}

SerialPort::~SerialPort()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void SerialPort::open(const QString& path, int baudRate)
{
    // Non-blocking: reads and writes wait in poll() with a limit, never in the driver.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw SerialError::openFailed(systemMessage(errno));

    auto failConfig = [fd]() {
        const int error = errno;
        ::close(fd);
        return SerialError::configFailed(systemMessage(error));
    };

    termios tio;
    std::memset(&tio, 0, sizeof tio);
    if (tcgetattr(fd, &tio) != 0)
        throw failConfig();

    cfmakeraw(&tio);
    // cfmakeraw leaves software flow control on input as it was. Left on by an earlier user of
    // the node, it has the adapter send or obey XON/XOFF bytes inside a binary stream.
    tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    tio.c_cflag &= ~tcflag_t(CSIZE | CSTOPB | PARENB | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 1;

    const speed_t speed = speedConstant(baudRate);
    if (speed == 0) {
        errno = EINVAL;
        throw failConfig();
    }
    if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0)
        throw failConfig();
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        throw failConfig();

    m_fd = fd;
}

void SerialPort::write(const QByteArray& bytes, int stallMillis)
{
    using Clock = std::chrono::steady_clock;
    if (m_fd < 0)
        throw SerialError::notOpen();
    const char* cursor = bytes.constData();
    qsizetype remaining = bytes.size();
    auto lastProgress = Clock::now();
    while (remaining > 0) {
        const ssize_t n = ::write(m_fd, cursor, size_t(remaining));
        if (n > 0) {
            cursor += n;
            remaining -= n;
            lastProgress = Clock::now();
            continue;
        }
        const int error = n < 0 ? errno : EAGAIN;
        if (error == EINTR)
            continue;
        if (error != EAGAIN && error != EWOULDBLOCK)
            throw SerialError::writeFailed(systemMessage(error));
        // The line is backed up: wait until the device takes bytes again, for so long.
        const auto left = std::chrono::milliseconds(stallMillis)
                          - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastProgress);
        if (left.count() <= 0) {
            // What is still queued for the device is dropped, so the port closes at once instead
            // of waiting in the driver for a device that takes nothing: the stall limit is the
            // whole wait.
            ::tcflush(m_fd, TCOFLUSH);
            throw SerialError::writeFailed(tr("The device stopped accepting data."));
        }
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, int(left.count())) < 0 && errno != EINTR)
            throw SerialError::writeFailed(systemMessage(errno));
        // A hang-up or an error shows in the next write's own result.
    }
}

QByteArray SerialPort::read(double timeoutSeconds, int quietMillis, qsizetype maxBytes, bool* hungUp)
{
    using Clock = std::chrono::steady_clock;
    using std::chrono::milliseconds;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    QByteArray result;
    std::optional<Clock::time_point> lastData;
    bool gone = false;

    while (!gone && result.size() < maxBytes) {
        const auto now = Clock::now();
        auto until = deadline;
        if (lastData)
            until = std::min(until, *lastData + milliseconds(quietMillis));
        if (now >= until)
            break;
        const int wait = int(std::chrono::ceil<milliseconds>(until - now).count());
        if (m_fd < 0) {
            // Without a device there is nothing to wait for but the deadline.
            std::this_thread::sleep_for(milliseconds(wait));
            continue;
        }
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, wait);
        if (ready < 0 && errno != EINTR) {
            gone = true;
            break;
        }
        if (ready <= 0)
            continue;
        if (p.revents & POLLIN) {
            char buffer[256];
            const ssize_t n = ::read(m_fd, buffer, size_t(std::min<qsizetype>(sizeof buffer, maxBytes - result.size())));
            if (n > 0) {
                result.append(buffer, n);
                lastData = Clock::now();
                continue;
            }
            // End of file or an I/O error on a terminal: the other end is gone.
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                gone = true;
        } else if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            gone = true;
        }
    }
    if (hungUp)
        *hungUp = gone;
    return result;
}

QByteArray SerialPort::readPending(qsizetype keep)
{
    QByteArray kept;
    if (m_fd < 0)
        return kept;
    char buffer[4096];
    for (qsizetype taken = 0; taken < maxPendingBytes;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        // Nothing waiting (EAGAIN), or the line is gone: a hang-up shows in the next write or
        // read of the caller.
        if (n <= 0)
            break;
        taken += n;
        kept.append(buffer, std::min<qsizetype>(n, std::max<qsizetype>(0, keep - kept.size())));
    }
    return kept;
}

void SerialPort::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
