#pragma once

#include "Corvallen/Devices/SerialPort.h"
#include "Corvallen/Devices/UserFacingError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Writes a firmware image into a FNIRSI LCR-P1 whose loader runs in update mode (it then shows
// up as a USB serial device). One flash: handshake AC 55 02 03, close, 10 ms pause, reopen, the
// image in 512-byte blocks that carry the end marker 78 56 34 12 at offset 508, a terminator
// block when the last data block has no intact marker, then a short reply that acknowledges
// when its bytes 1 and 2 are 55 03. The image is sent as-is; nothing in it is parsed.
// Stateless: every flash opens and closes its own SerialPort.
namespace LCRP1Flasher {

constexpr int baudRate = 115200;
constexpr int blockSize = 512;
constexpr int markerOffset = 508;
// Far above any LCR-P1 image; keeps a wrongly chosen file (a disk image, a video) from being
// read into memory and streamed into the instrument.
constexpr qint64 maxFirmwareSize = 16 * 1024 * 1024;

class FlashError : public UserFacingError {
public:
    enum class Kind { emptyFirmware, firmwareTooLarge, unreadableFirmware, disconnected };

    static FlashError emptyFirmware();
    static FlashError firmwareTooLarge();
    static FlashError unreadableFirmware(const QString& message);
    // The line went away (unplugged, loader reset) while the host waited for the reply.
    static FlashError disconnected();

    Kind kind() const noexcept { return m_kind; }

private:
    FlashError(Kind kind, QString description);
    Kind m_kind;
};

struct FlashProgress {
    enum class Kind { connecting, writing, waitingForDevice };
    Kind kind = Kind::connecting;
    qint64 sent = 0;   // writing only: image bytes sent so far
    qint64 total = 0;  // writing only: image length

    static FlashProgress connecting() { return {Kind::connecting, 0, 0}; }
    static FlashProgress writing(qint64 sent, qint64 total) { return {Kind::writing, sent, total}; }
    static FlashProgress waitingForDevice() { return {Kind::waitingForDevice, 0, 0}; }
    bool operator==(const FlashProgress&) const = default;
};

// The waits of one flash. The defaults are the instrument's; tests shorten them.
struct Timing {
    double replyTimeoutSeconds = 20.0;  // longest wait for the acknowledgement
    int replyQuietMillis = 250;         // the reply is over after this much silence
    int reopenDelayMillis = 10;         // port closed between handshake and image
    // A device that takes no byte for this long has stopped; the flash fails instead of waiting
    // for ever. Far above the pause of a loader that writes a block into its flash memory.
    int writeStallMillis = SerialPort::defaultStallMillis;
};

// The longest reply read back; a real one has a handful of bytes, and only bytes 1 and 2 count.
constexpr qsizetype maxReplyBytes = 256;

// The 4 handshake bytes that make the loader listen for an image.
QByteArray handshakeBytes();

// USB serial device nodes that may be an LCR-P1 in update mode: "/dev/ttyUSB*" (USB-serial
// bridges) and "/dev/ttyACM*" (CDC-ACM devices), full paths in ascending order. Empty when
// there are none or /dev can't be listed. Cheap; fine on the main thread.
QStringList availablePorts();
// The same filter over another folder (the paths are built from that folder).
QStringList availablePortsIn(const QString& folder);

// One 512-byte block: 0xFF filler, the end marker at 508..511, then count image bytes from
// offset copied over the front (so 509..512 data bytes overwrite the marker).
// Requires 0 <= count <= 512 and offset + count <= image.size().
QByteArray makeBlock(const QByteArray& image, qsizetype offset, qsizetype count);

// True when the reply acknowledges the image: at least 3 bytes, [1] == 0x55, [2] == 0x03.
bool isAcknowledgement(const QByteArray& reply);

using ProgressCallback = std::function<void(const FlashProgress&)>;

// Runs one whole flash on the calling thread (never the UI thread: it blocks for the transfer
// and up to the reply timeout). Returns true when the device acknowledged, false when the image
// went out without a valid acknowledgement, or when the bytes that acknowledge came before the
// image was complete (an answer to the handshake or to a single block). Throws FlashError for an empty or oversized image
// (before touching the port) and for a device that disconnects before acknowledging, and passes
// SerialPort::SerialError through unchanged (a device that stops accepting data included).
// progress is called synchronously on the calling thread.
bool flash(const QByteArray& firmware, const QString& port, const ProgressCallback& progress,
           const Timing& timing = Timing());

// Reads a firmware file for flash(): refuses files over maxFirmwareSize without reading them
// (firmwareTooLarge), and reports as unreadableFirmware a file that can't be read and anything
// that isn't a plain file (a folder, a pipe, a device), without waiting on it. Empty files are
// returned as they are; flash() refuses them.
QByteArray readFirmwareFile(const QString& path);

}  // namespace LCRP1Flasher
