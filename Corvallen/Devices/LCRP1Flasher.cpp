#include "Corvallen/Devices/LCRP1Flasher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <array>
#include <chrono>
#include <cstdint>
#include <thread>

namespace LCRP1Flasher {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("LCRP1Flasher", text); }

// Plain constant data: a flash that is still running while the process exits must not read an
// object whose destructor has already run.
constexpr std::array<std::uint8_t, 4> kHandshake{0xAC, 0x55, 0x02, 0x03};
constexpr std::array<std::uint8_t, 4> kEndMarker{0x78, 0x56, 0x34, 0x12};  // 0x12345678, little-endian

}  // namespace

FlashError::FlashError(Kind kind, QString description)
    : UserFacingError(std::move(description)), m_kind(kind)
{
}

FlashError FlashError::emptyFirmware()
{
    return FlashError(Kind::emptyFirmware, tr("The firmware file is empty."));
}

FlashError FlashError::firmwareTooLarge()
{
    return FlashError(Kind::firmwareTooLarge, tr("The firmware file is larger than 16 MiB."));
}

FlashError FlashError::unreadableFirmware(const QString& message)
{
    return FlashError(Kind::unreadableFirmware, tr("Couldn't read the firmware file: ") + message);
}

FlashError FlashError::disconnected()
{
    return FlashError(Kind::disconnected, tr("The device disconnected before acknowledging."));
}

QByteArray handshakeBytes()
{
    return QByteArray(reinterpret_cast<const char*>(kHandshake.data()), qsizetype(kHandshake.size()));
}

QStringList availablePorts() { return availablePortsIn(QStringLiteral("/dev")); }

QStringList availablePortsIn(const QString& folder)
{
    QDir dir(folder);
    if (!dir.exists())
        return {};
    // Device nodes are character devices, not files: list every entry and filter by name.
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    QStringList paths;
    for (const QString& name : names) {
        if (name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM")))
            paths << folder + QLatin1Char('/') + name;
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

QByteArray makeBlock(const QByteArray& image, qsizetype offset, qsizetype count)
{
    Q_ASSERT(count >= 0 && count <= blockSize && offset >= 0 && offset + count <= image.size());
    QByteArray block(blockSize, char(0xFF));
    std::copy(kEndMarker.begin(), kEndMarker.end(), block.begin() + markerOffset);
    std::copy_n(image.constData() + offset, count, block.begin());
    return block;
}

bool isAcknowledgement(const QByteArray& reply)
{
    return reply.size() >= 3 && std::uint8_t(reply[1]) == 0x55 && std::uint8_t(reply[2]) == 0x03;
}

bool flash(const QByteArray& firmware, const QString& port, const ProgressCallback& progress, const Timing& timing)
{
    if (firmware.isEmpty())
        throw FlashError::emptyFirmware();
    if (firmware.size() > maxFirmwareSize)
        throw FlashError::firmwareTooLarge();

    const QByteArray image = firmware;
    const qsizetype length = image.size();
    auto report = [&progress](const FlashProgress& event) {
        if (progress)
            progress(event);
    };

    report(FlashProgress::connecting());
    SerialPort serial(port, baudRate);
    serial.write(handshakeBytes(), timing.writeStallMillis);

    // The loader switches into receive mode after the handshake; it wants the line dropped and
    // picked up again before the image follows.
    serial.close();
    std::this_thread::sleep_for(std::chrono::milliseconds(timing.reopenDelayMillis));
    serial.open(port, baudRate);

    // What the device sends while the image goes out is taken off the line before every block,
    // so a device that echoes or chatters can't back the line up; the first bytes are kept, as
    // they are the start of the reply that is judged at the end.
    QByteArray early;
    auto writeBlock = [&](qsizetype offset, qsizetype count) {
        early += serial.readPending(maxReplyBytes - early.size());
        serial.write(makeBlock(image, offset, count), timing.writeStallMillis);
    };

    // How many of those bytes came before the last data block went out, that is before the
    // device could have the whole image. (A loader that finds its marker intact in the last
    // data block answers before the terminator; that answer is for the whole image.)
    qsizetype beforeWholeImage = 0;
    for (qsizetype offset = 0; offset < length;) {
        const qsizetype count = std::min<qsizetype>(length - offset, blockSize);
        writeBlock(offset, count);
        if (offset + count == length)
            beforeWholeImage = early.size();
        offset += blockSize;
        report(FlashProgress::writing(std::min<qsizetype>(offset, length), length));
    }

    // The loader stops at the first block whose marker is intact; a last block of 509 to 512
    // data bytes has overwritten its marker, so an empty block has to follow.
    const qsizetype tail = length % blockSize;
    if (tail == 0 || tail > markerOffset)
        writeBlock(length, 0);

    report(FlashProgress::waitingForDevice());
    bool hungUp = false;
    const QByteArray reply =
        early + serial.read(timing.replyTimeoutSeconds, timing.replyQuietMillis, maxReplyBytes - early.size(), &hungUp);
    // Bytes 1 and 2 decide; when they came before the image was complete, they answered
    // something else (the handshake, a single block, an earlier flash), never this image.
    const bool acknowledged = isAcknowledgement(reply) && beforeWholeImage < 3;
    serial.close();
    // A reply that made it before the line went is still the device's answer.
    if (!acknowledged && hungUp)
        throw FlashError::disconnected();
    return acknowledged;
}

QByteArray readFirmwareFile(const QString& path)
{
    // Opened without waiting: a pipe would otherwise hold the flash until something writes to
    // it, and a terminal until its line comes up. Only plain files are images.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw FlashError::unreadableFirmware(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info;
    const int statResult = ::fstat(fd, &info);
    const int statError = errno;
    QFile file;
    if (statResult != 0 || !S_ISREG(info.st_mode) || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (statResult != 0)
            throw FlashError::unreadableFirmware(QString::fromLocal8Bit(std::strerror(statError)));
        if (S_ISDIR(info.st_mode))
            throw FlashError::unreadableFirmware(tr("it is a folder, not a file."));
        if (!S_ISREG(info.st_mode))
            throw FlashError::unreadableFirmware(tr("it is a pipe or a device, not a file."));
        throw FlashError::unreadableFirmware(file.errorString());
    }
    if (info.st_size > maxFirmwareSize)
        throw FlashError::firmwareTooLarge();
    // A file may grow while it is read, and some report a size of zero yet still yield bytes:
    // read one past the cap so an oversized one is recognised without reading it whole.
    QByteArray bytes = file.read(maxFirmwareSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw FlashError::unreadableFirmware(file.errorString());
    if (bytes.size() > maxFirmwareSize)
        throw FlashError::firmwareTooLarge();
    return bytes;
}

}  // namespace LCRP1Flasher
