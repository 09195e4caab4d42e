// The serial line against a simulated instrument on a pseudo-terminal: how it opens and
// configures a device node, what reaches the wire, how replies are collected, and the failures
// the user gets to read.
#include "Corvallen/Devices/SerialPort.h"
#include "support/TestEnvironment.h"
#include "Devices/PtyLine.h"
#include "Devices/SimulatedLCRP1.h"

#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <memory>
#include <termios.h>

namespace {

using Kind = SerialPort::SerialError::Kind;

QString sys(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QByteArray everyByteValue()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

template <typename F>
SerialPort::SerialError expectSerialError(F&& f)
{
    try {
        f();
    } catch (const SerialPort::SerialError& e) {
        return e;
    }
    ADD_FAILURE() << "no SerialError thrown";
    return SerialPort::SerialError::notOpen();
}

}  // namespace

TEST(SerialPortOpen, MissingDeviceNodeReportsTheSystemsReason)
{
    const int before = openDescriptorCount();
    const auto error = expectSerialError([] { SerialPort port(QStringLiteral("/dev/ttyUSB-not-here-4711"), 115200); });
    EXPECT_EQ(error.kind(), Kind::openFailed);
    EXPECT_EQ(error.message(), sys(ENOENT));
    EXPECT_EQ(error.errorDescription(), QStringLiteral("Couldn't open the serial port: ") + sys(ENOENT));
    EXPECT_EQ(openDescriptorCount(), before);
}

TEST(SerialPortOpen, ARegularFileIsRefusedAsNotATerminalAndLeftClosed)
{
    const QString path = corvallen::test::freshFolder() + QStringLiteral("/firmware.bin");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a tty");
    file.close();

    const int before = openDescriptorCount();
    const auto error = expectSerialError([&] { SerialPort port(path, 115200); });
    EXPECT_EQ(error.kind(), Kind::configFailed);
    EXPECT_EQ(error.errorDescription(), QStringLiteral("Couldn't configure the serial port: ") + sys(ENOTTY));
    EXPECT_EQ(openDescriptorCount(), before);
}

TEST(SerialPortOpen, AFailedReopenLeavesThePortClosed)
{
    SimulatedLCRP1 device;
    SerialPort port(device.path(), 115200);
    port.close();
    EXPECT_THROW(port.open(QStringLiteral("/dev/ttyACM-gone-4711"), 115200), SerialPort::SerialError);
    EXPECT_EQ(port.fd(), -1);
    const auto error = expectSerialError([&] { port.write("x"); });
    EXPECT_EQ(error.kind(), Kind::notOpen);
}

TEST(SerialPortOpen, ConfiguresRaw8N1NonBlockingWithATenthSecondReadTick)
{
    SimulatedLCRP1 device;
    // Start from cooked settings so the port has to change every field itself.
    {
        const int fd = ::open(device.path().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        termios tio;
        tcgetattr(fd, &tio);
        tio.c_lflag |= ICANON | ECHO | ISIG;
        tio.c_oflag |= OPOST | ONLCR;
        tio.c_iflag |= ICRNL | IXON | IXOFF | IXANY;
        tio.c_cflag |= PARENB | CSTOPB | CRTSCTS;
        tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS7;
        tcsetattr(fd, TCSANOW, &tio);
        ::close(fd);
    }

    SerialPort port(device.path(), 115200);
    ASSERT_GE(port.fd(), 0);
    termios tio;
    ASSERT_EQ(tcgetattr(port.fd(), &tio), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | ISTRIP), 0u);
    // No software flow control either way: XON and XOFF are image bytes like any other.
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY), 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 1);
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B115200));
    EXPECT_EQ(cfgetispeed(&tio), speed_t(B115200));
    EXPECT_NE(fcntl(port.fd(), F_GETFL) & O_NONBLOCK, 0) << "every wait is poll()'s, with a limit";
}

TEST(SerialPortTransfer, EveryByteValueCrossesTheLineUnchangedBothWays)
{
    SimulatedLCRP1 device(SimulatedLCRP1::Behaviour{QByteArray(), -1, false});
    SerialPort port(device.path(), 115200);

    // An empty write sends nothing: the first byte on the wire is the next write's.
    port.write(QByteArray());
    port.write(everyByteValue());
    ASSERT_TRUE(device.waitForReceived(256));
    EXPECT_EQ(device.received(), everyByteValue());

    device.send(everyByteValue());
    EXPECT_EQ(port.read(30.0, 150), everyByteValue());
}

TEST(SerialPortTransfer, WriteOnAClosedPortIsNotOpen)
{
    SimulatedLCRP1 device;
    SerialPort port(device.path(), 115200);
    port.close();
    const auto error = expectSerialError([&] { port.write("abc"); });
    EXPECT_EQ(error.kind(), Kind::notOpen);
    EXPECT_EQ(error.errorDescription(), QStringLiteral("The serial port isn't open."));
    EXPECT_TRUE(error.message().isEmpty());
}

TEST(SerialPortTransfer, ABackedUpLineIsWaitedOutUntilEverythingIsOut)
{
    // Far more than the line buffers hold: the driver answers EAGAIN whenever the line backs
    // up, and the port waits for room rather than fail.
    SimulatedLCRP1 device(SimulatedLCRP1::Behaviour{QByteArray(), -1, false});
    SerialPort port(device.path(), 115200);

    QByteArray big(1 << 20, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 31 + 7) & 0xFF);
    ASSERT_NO_THROW(port.write(big));
    ASSERT_TRUE(device.waitForReceived(big.size()));
    EXPECT_EQ(device.received(), big);
}

namespace {
std::atomic<int> g_signals{0};
void countSignal(int) { g_signals.fetch_add(1); }
}  // namespace

TEST(SerialPortTransfer, WritesInterruptedBySignalsAreRetriedWithoutLoss)
{
    struct sigaction action {};
    action.sa_handler = countSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked write comes back with EINTR
    struct sigaction previous {};
    sigaction(SIGUSR1, &action, &previous);

    SimulatedLCRP1::Behaviour paused;
    paused.reply = QByteArray();
    paused.paused = true;
    SimulatedLCRP1 device(paused);
    SerialPort port(device.path(), 115200);

    QByteArray big(512 * 1024, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 13 + 1) & 0xFF);

    std::atomic<bool> done{false};
    QString failure;
    std::thread writer([&] {
        try {
            port.write(big);
        } catch (const SerialPort::SerialError& e) {
            failure = e.errorDescription();
        }
        done = true;
    });
    // The line is backed up, so the writer sits in write(); interrupt it repeatedly, letting a
    // little data through between signals so calls both return partial counts and fail EINTR.
    for (int i = 0; i < 40 && !done; ++i) {
        pthread_kill(writer.native_handle(), SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (i % 4 == 3) {
            device.resume();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            device.pause();
        }
    }
    device.resume();
    writer.join();
    sigaction(SIGUSR1, &previous, nullptr);

    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_GT(g_signals.load(), 0);
    ASSERT_TRUE(device.waitForReceived(big.size()));
    EXPECT_EQ(device.received(), big);
}

TEST(SerialPortRead, ASilentDeviceGivesAnEmptyReplyAtTheDeadline)
{
    SimulatedLCRP1 device(SimulatedLCRP1::Behaviour{QByteArray(), -1, false});
    SerialPort port(device.path(), 115200);
    EXPECT_TRUE(port.read(0.3, 50).isEmpty());
}

TEST(SerialPortRead, AReplyEndsAtTheQuietGapNotAtTheDeadline)
{
    SimulatedLCRP1 device(SimulatedLCRP1::Behaviour{QByteArray(), -1, false});
    SerialPort port(device.path(), 115200);
    device.send(QByteArray::fromHex("3c5503"));

    // A deadline far away: only the quiet gap can end this read in reasonable time.
    const auto start = std::chrono::steady_clock::now();
    const QByteArray reply = port.read(120.0, 100);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(reply, QByteArray::fromHex("3c5503"));
    EXPECT_LT(waited, std::chrono::seconds(60));
}

TEST(SerialPortTransfer, AWriteToADeviceThatTakesNothingFailsAtItsStallLimit)
{
    SimulatedLCRP1::Behaviour stuck;
    stuck.reply = QByteArray();
    stuck.paused = true;
    SimulatedLCRP1 device(stuck);
    SerialPort port(device.path(), 115200);
    const auto error = expectSerialError([&] { port.write(QByteArray(1 << 20, 'x'), 200); });
    EXPECT_EQ(error.kind(), Kind::writeFailed);
    EXPECT_EQ(error.errorDescription(), QStringLiteral("Serial write failed: The device stopped accepting data."));
    EXPECT_TRUE(port.isOpen());
}

TEST(SerialPortRead, AHangUpEndsTheReadAtOnceAndAReplyIsCutOffAtItsLimit)
{
    SimulatedLCRP1::Behaviour vanishing;
    vanishing.reply = QByteArray();
    vanishing.hangUpAfter = 3;
    SimulatedLCRP1 device(vanishing);
    SerialPort port(device.path(), 115200);
    device.send("ok");
    bool hungUp = true;
    EXPECT_EQ(port.read(120.0, 100, 4096, &hungUp), QByteArray("ok"));
    EXPECT_FALSE(hungUp);
    port.write("bye");
    ASSERT_TRUE(device.waitForReceived(3));
    // Deadline and quiet gap far away: only the hang-up can end this read in reasonable time.
    EXPECT_TRUE(port.read(120.0, 60000, 4096, &hungUp).isEmpty());
    EXPECT_TRUE(hungUp);

    SimulatedLCRP1 chatty(SimulatedLCRP1::Behaviour{QByteArray(), -1, false});
    SerialPort line(chatty.path(), 115200);
    chatty.send(QByteArray(10000, 'z'));
    hungUp = true;
    EXPECT_EQ(line.read(120.0, 60000, 256, &hungUp), QByteArray(256, 'z'));
    EXPECT_FALSE(hungUp);
}

TEST(SerialPortLifecycle, ClosingTwiceNeverClosesSomeoneElsesDescriptor)
{
    SimulatedLCRP1 device;
    const QString other = corvallen::test::freshFolder() + QStringLiteral("/other");
    QFile(other).open(QIODevice::WriteOnly);

    auto port = std::make_unique<SerialPort>(device.path(), 115200);
    const int fd = port->fd();
    port->close();
    EXPECT_EQ(port->fd(), -1);
    // The freed number goes to the next open (lowest free descriptor); neither a second close
    // nor the teardown may touch it.
    const int reused = ::open(other.toLocal8Bit().constData(), O_RDONLY);
    ASSERT_EQ(reused, fd);
    port->close();
    port.reset();
    EXPECT_NE(fcntl(reused, F_GETFD), -1);
    ::close(reused);
}

TEST(SerialPortLifecycle, TeardownClosesAnOpenPortAndAReopenedPortWorks)
{
    SimulatedLCRP1 device(SimulatedLCRP1::Behaviour{QByteArray(), -1, false});
    const int before = openDescriptorCount();
    {
        SerialPort port(device.path(), 115200);
        port.write("a");
        port.close();
        port.open(device.path(), 115200);
        port.write("b");
        EXPECT_EQ(openDescriptorCount(), before + 1);
    }
    EXPECT_EQ(openDescriptorCount(), before);
    ASSERT_TRUE(device.waitForReceived(2));
    EXPECT_EQ(device.received(), QByteArray("ab"));
}
