#pragma once

#include "Corvallen/Devices/UserFacingError.h"

#include <QByteArray>
#include <QString>

// A USB serial device node driven through the POSIX terminal interface: raw 8-N-1, no flow
// control in hardware or software (VMIN 0, VTIME 1). The descriptor is non-blocking and every
// wait goes through poll() with a limit, so a device that stops reading or vanishes can never
// hold the calling thread: a write that makes no progress for its stall limit fails, and a read
// ends at once when the device hangs up. It knows nothing of any protocol, keeps no buffers
// between calls and is used by one thread at a time. The object solely owns its descriptor;
// fd() is -1 whenever the port is not open.
class SerialPort {
public:
    class SerialError : public UserFacingError {
    public:
        enum class Kind { openFailed, configFailed, writeFailed, notOpen };

        static SerialError openFailed(const QString& message);
        static SerialError configFailed(const QString& message);
        static SerialError writeFailed(const QString& message);
        static SerialError notOpen();

        Kind kind() const noexcept { return m_kind; }
        // The system's text for the error number (empty for notOpen).
        const QString& message() const noexcept { return m_message; }

    private:
        SerialError(Kind kind, QString message, QString description);
        Kind m_kind;
        QString m_message;
    };

    // Opens and configures path at baudRate; throws SerialError (nothing stays open then).
    SerialPort(const QString& path, int baudRate);
    ~SerialPort();

    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens and configures path (read-write, not as controlling terminal) at baudRate for both
    // directions. A descriptor obtained before a configuration failure is closed before the
    // throw. Used again after close() to reopen the same device.
    void open(const QString& path, int baudRate);

    // Writes every byte, waiting while the line is backed up and retrying interrupted calls;
    // does not wait for the bytes to leave the line. When the device accepts nothing for
    // stallMillis, drops the bytes still queued for it and fails with writeFailed ("The device
    // stopped accepting data."), so that closing the port afterwards doesn't wait on in the
    // driver. Throws notOpen or writeFailed. The default, 10 seconds, is the one the devices
    // help article gives.
    static constexpr int defaultStallMillis = 10000;
    void write(const QByteArray& bytes, int stallMillis = defaultStallMillis);

    // Collects what the device sends until the line has been quiet for quietMillis after the
    // last received bytes, until timeoutSeconds have passed since the call began, until
    // maxBytes have come (the rest is not read), or at once when the device hangs up (unplugged,
    // or the other end of the line closed); `hungUp` tells the last. Never fails; the result may
    // be empty.
    QByteArray read(double timeoutSeconds, int quietMillis, qsizetype maxBytes = 4096, bool* hungUp = nullptr);

    // Takes what the device has already sent, without waiting: returns the first `keep` bytes
    // and drops the rest, so a device that echoes or floods the line can neither back it up
    // nor fill memory. Takes at most maxPendingBytes per call (a flood may leave more). Never
    // fails; empty when nothing is waiting or the port is closed.
    static constexpr qsizetype maxPendingBytes = 64 * 1024;
    QByteArray readPending(qsizetype keep);

    // Closes the descriptor if one is open; harmless when already closed.
    void close();

    int fd() const noexcept { return m_fd; }
    bool isOpen() const noexcept { return m_fd >= 0; }

private:
    int m_fd = -1;
};
