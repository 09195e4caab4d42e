#pragma once

// A misbehaving instrument on a pseudo-terminal line: a script, run on its own thread, decides
// what the device reads and sends and when it goes away.

#include "Devices/PtyLine.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

class ScriptedDevice {
public:
    using Script = std::function<void(ScriptedDevice&)>;

    explicit ScriptedDevice(Script script)
    {
        m_thread = std::thread([this, script = std::move(script)]() {
            script(*this);
            // A script that ends without hanging up leaves a device that reads and says nothing.
            while (!stopping() && m_line.isOpen())
                receive(20);
        });
    }

    ~ScriptedDevice()
    {
        m_stop = true;
        m_thread.join();
    }

    ScriptedDevice(const ScriptedDevice&) = delete;
    ScriptedDevice& operator=(const ScriptedDevice&) = delete;

    QString path() const { return m_line.path(); }

    // Everything the host has sent so far (as far as the script has read it).
    QByteArray received() const
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

    // --- For the script ---

    bool stopping() const { return m_stop.load(); }

    // Reads what the host sent within waitMillis; returns the new bytes.
    QByteArray receive(int waitMillis)
    {
        if (!m_line.isOpen())
            return {};
        pollfd p{m_line.master(), POLLIN, 0};
        if (::poll(&p, 1, waitMillis) <= 0 || !(p.revents & POLLIN))
            return {};
        char buffer[4096];
        const ssize_t n = ::read(m_line.master(), buffer, sizeof buffer);
        if (n <= 0)
            return {};
        QByteArray bytes(buffer, n);
        std::lock_guard lock(m_mutex);
        m_received += bytes;
        return bytes;
    }

    // Reads until the host has sent at least total bytes; false when stopped first.
    bool receiveUntil(qsizetype total)
    {
        while (!stopping()) {
            if (received().size() >= total)
                return true;
            receive(10);
        }
        return false;
    }

    // Sends bytes, waiting while the line is full; false when stopped first.
    bool send(const QByteArray& bytes) { return m_line.send(bytes, m_stop); }

    // Waits, still reading what the host sends; false when stopped first.
    bool pause(int millis)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
        while (!stopping() && std::chrono::steady_clock::now() < until)
            receive(5);
        return !stopping();
    }

    // The device goes away (unplugged): the line closes and the node disappears.
    void hangUp() { m_line.close(); }

private:
    PtyLine m_line;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    QByteArray m_received;
};
