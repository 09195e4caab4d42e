#include "Corvallen/Devices/SerialPort.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <optional>
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
    // Blocking descriptor on purpose: reads are paced by VTIME, writes by the driver.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
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

void SerialPort::write(const QByteArray& bytes)
{
    if (m_fd < 0)
        throw SerialError::notOpen();
    const char* cursor = bytes.constData();
    qsizetype remaining = bytes.size();
    while (remaining > 0) {
        const ssize_t n = ::write(m_fd, cursor, size_t(remaining));
        if (n >= 0) {
            cursor += n;
            remaining -= n;
            continue;
        }
        const int error = errno;
        if (error == EINTR || error == EAGAIN)
            continue;
        throw SerialError::writeFailed(systemMessage(error));
    }
}

QByteArray SerialPort::read(double timeoutSeconds, int quietMillis)
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    QByteArray result;
    std::optional<Clock::time_point> lastData;

    while (Clock::now() < deadline) {
        qsizetype got = 0;
        char buffer[256];
        if (m_fd >= 0) {
            std::memset(buffer, 0, sizeof buffer);
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n >= 1)
                got = n;
        } else {
            // Without a device there is nothing to wait for but the deadline; pace the loop
            // like the VTIME tick of an open port would.
            std::this_thread::sleep_for(std::min<Clock::duration>(std::chrono::milliseconds(100), deadline - Clock::now()));
        }
        const auto now = Clock::now();
        if (got > 0) {
            result.append(buffer, got);
            lastData = now;
        } else if (lastData
                   && std::chrono::duration<double, std::milli>(now - *lastData).count() >= quietMillis) {
            break;
        }
    }
    return result;
}

void SerialPort::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
