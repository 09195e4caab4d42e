#pragma once

// A FNIRSI LCR-P1 loader in update mode, on the far side of a pseudo-terminal. The code under
// test opens path() exactly as it would open /dev/ttyACM0. The simulator records every byte the
// host sends and answers as the loader does: after the handshake it takes 512-byte blocks and,
// at the first block whose end marker (78 56 34 12 at offset 508) is intact, sends its reply.
// It can also stop reading (the line backs up and the host's writes block) or vanish after a
// number of bytes, like an unplugged instrument.

#include "Devices/PtyLine.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

class SimulatedLCRP1 {
public:
    struct Behaviour {
        QByteArray reply = QByteArray::fromHex("3c5503");  // empty: the device never answers
        qint64 hangUpAfter = -1;  // the device disappears once it has received this many bytes
        bool paused = false;      // starts without reading the line
    };

    SimulatedLCRP1() : SimulatedLCRP1(Behaviour()) {}
    explicit SimulatedLCRP1(Behaviour behaviour) : m_behaviour(std::move(behaviour)), m_paused(m_behaviour.paused)
    {
        m_thread = std::thread([this]() { run(); });
    }

    ~SimulatedLCRP1()
    {
        m_stop = true;
        m_thread.join();
    }

    SimulatedLCRP1(const SimulatedLCRP1&) = delete;
    SimulatedLCRP1& operator=(const SimulatedLCRP1&) = delete;

    // The device node the host opens.
    QString path() const { return m_line.path(); }

    // Every byte received from the host so far, in order.
    QByteArray received() const
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

    // Images that ended with an intact end marker (and were answered with the reply).
    int imagesReceived() const { return m_images.load(); }
    bool hungUp() const { return m_hungUp.load(); }

    void pause() { m_paused = true; }
    void resume() { m_paused = false; }

    // Sends bytes to the host now.
    void send(const QByteArray& bytes) { m_line.send(bytes, m_stop); }

    // Waits until at least count bytes have arrived (or the device is gone). Bounded generously
    // so a broken host fails the test instead of hanging it.
    bool waitForReceived(qsizetype count) const
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < limit) {
            if (received().size() >= count)
                return true;
            if (m_hungUp)
                return received().size() >= count;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    static QByteArray handshake() { return QByteArray::fromHex("ac550203"); }
    static QByteArray endMarker() { return QByteArray::fromHex("78563412"); }

private:
    void run()
    {
        char buffer[4096];
        while (!m_stop) {
            if (m_paused) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            pollfd p{m_line.master(), POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
                continue;
            qsizetype want = sizeof buffer;
            if (m_behaviour.hangUpAfter >= 0)
                want = std::min<qsizetype>(want, m_behaviour.hangUpAfter - received().size());
            const ssize_t n = want > 0 ? ::read(m_line.master(), buffer, size_t(want)) : 0;
            if (n <= 0)
                continue;
            QByteArray reply;
            {
                std::lock_guard lock(m_mutex);
                m_received.append(buffer, n);
                reply = advanceLoader();
            }
            if (!reply.isEmpty())
                send(reply);
            if (m_behaviour.hangUpAfter >= 0 && received().size() >= m_behaviour.hangUpAfter) {
                m_line.close();
                m_hungUp = true;
                return;
            }
        }
    }

    // The loader's side of the protocol over the bytes not yet consumed; returns what it sends.
    QByteArray advanceLoader()
    {
        QByteArray out;
        for (;;) {
            const qsizetype available = m_received.size() - m_cursor;
            if (m_awaitingHandshake) {
                if (available < 4)
                    break;
                // Noise before a handshake is skipped a byte at a time.
                if (m_received.mid(m_cursor, 4) == handshake()) {
                    m_awaitingHandshake = false;
                    m_cursor += 4;
                } else {
                    m_cursor += 1;
                }
                continue;
            }
            if (available < 512)
                break;
            const QByteArray block = m_received.mid(m_cursor, 512);
            m_cursor += 512;
            if (block.mid(508, 4) == endMarker()) {
                m_images += 1;
                m_awaitingHandshake = true;
                out += m_behaviour.reply;
            }
        }
        return out;
    }

    PtyLine m_line;
    Behaviour m_behaviour;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_hungUp{false};
    std::atomic<int> m_images{0};
    mutable std::mutex m_mutex;
    QByteArray m_received;
    qsizetype m_cursor = 0;
    bool m_awaitingHandshake = true;
};
