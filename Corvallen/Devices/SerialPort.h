#pragma once

#include "Corvallen/Devices/UserFacingError.h"

#include <QByteArray>
#include <QString>

// A USB serial device node driven through the POSIX terminal interface: raw 8-N-1, no flow
// control, blocking descriptor with a 0.1 s read tick (VMIN 0, VTIME 1). It knows nothing of
// any protocol, keeps no buffers between calls and is used by one thread at a time.
// The object solely owns its descriptor; fd() is -1 whenever the port is not open.
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

    // Writes every byte, retrying interrupted and would-block calls at once; does not wait for
    // the bytes to leave the line. Throws notOpen or writeFailed.
    void write(const QByteArray& bytes);

    // Collects what the device sends until the line has been quiet for quietMillis after the
    // last received bytes, or until timeoutSeconds have passed since the call began. Never fails;
    // the result may be empty.
    QByteArray read(double timeoutSeconds, int quietMillis);

    // Closes the descriptor if one is open; harmless when already closed.
    void close();

    int fd() const noexcept { return m_fd; }
    bool isOpen() const noexcept { return m_fd >= 0; }

private:
    int m_fd = -1;
};
