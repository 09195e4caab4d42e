#include "Corvallen/Devices/FlashController.h"

#include <QCoreApplication>
#include <QPointer>

#include <atomic>
#include <mutex>
#include <thread>

namespace {
// Set while a flash worker runs; a second flash is refused until it clears. The serial device
// and the instrument's loader can serve one transfer only.
std::atomic<bool> g_workerRunning{false};
}  // namespace

// The worker's only way back: it posts queued calls to the controller while the controller
// lives. The lock makes "is it alive, then post" one step against the destructor's disconnect;
// a post that got in before the disconnect is dropped with the controller's pending events.
struct FlashController::Relay {
    std::mutex mutex;
    FlashController* target = nullptr;

    // call(FlashController&) runs later on the controller's thread.
    template <typename F>
    void post(F call)
    {
        std::lock_guard lock(mutex);
        if (FlashController* controller = target)
            QMetaObject::invokeMethod(controller, [controller, call]() { call(*controller); }, Qt::QueuedConnection);
    }
};

FlashController& FlashController::shared()
{
    static QPointer<FlashController> instance;
    if (!instance)
        instance = new FlashController(QCoreApplication::instance());
    return *instance;
}

FlashController::FlashController(QObject* parent)
    : QObject(parent), m_relay(std::make_shared<Relay>())
{
    m_relay->target = this;
}

FlashController::~FlashController()
{
    std::lock_guard lock(m_relay->mutex);
    m_relay->target = nullptr;
}

bool FlashController::isAnyFlashRunning() { return g_workerRunning.load(); }

bool FlashController::start(const QString& port, const QString& firmwarePath)
{
    if (m_flashing)
        return false;
    bool expected = false;
    if (!g_workerRunning.compare_exchange_strong(expected, true))
        return false;

    m_flashing = true;
    m_port = port;
    m_firmwarePath = firmwarePath;
    m_outcome = Outcome::none;
    m_status.clear();
    m_outcomeShown = false;
    applyProgress(0);
    Q_EMIT flashingChanged(true);

    // Everything the worker needs is copied now; later changes on the page don't reach it.
    std::thread([relay = m_relay, port, firmwarePath, timing = m_timing]() {
        Outcome outcome = Outcome::failed;
        QString error;
        try {
            const QByteArray image = LCRP1Flasher::readFirmwareFile(firmwarePath);
            const bool acknowledged = LCRP1Flasher::flash(
                image, port,
                [&relay](const LCRP1Flasher::FlashProgress& event) {
                    using Kind = LCRP1Flasher::FlashProgress::Kind;
                    if (event.kind == Kind::writing && event.total >= 1) {
                        const double value = double(event.sent) / double(event.total);
                        relay->post([value](FlashController& c) { c.applyProgress(value); });
                    } else if (event.kind == Kind::waitingForDevice) {
                        relay->post([](FlashController& c) { c.applyProgress(1.0); });
                    }
                },
                timing);
            outcome = acknowledged ? Outcome::flashed : Outcome::notAcknowledged;
        } catch (const UserFacingError& e) {
            error = e.errorDescription();
        } catch (const std::exception& e) {
            error = QString::fromLocal8Bit(e.what());
        }
        // The port is closed by now; free the slot before the page learns the outcome, so a
        // retry started from that outcome is never refused.
        g_workerRunning.store(false);
        relay->post([outcome, error](FlashController& c) { c.applyOutcome(outcome, error); });
    }).detach();
    return true;
}

void FlashController::applyProgress(double value)
{
    if (m_progress == value)
        return;
    m_progress = value;
    Q_EMIT progressChanged(value);
}

void FlashController::applyOutcome(Outcome outcome, const QString& errorDescription)
{
    m_flashing = false;
    m_outcome = outcome;
    switch (outcome) {
    case Outcome::flashed:
        m_status = tr("Firmware flashed. The device should reboot into the new version.");
        break;
    case Outcome::notAcknowledged:
        m_status = tr("Streaming finished but the device didn't acknowledge. Re-enter update mode and try again.");
        break;
    case Outcome::failed:
    case Outcome::none:
        m_status = tr("Flash failed: ") + errorDescription;
        break;
    }
    Q_EMIT flashingChanged(false);
    Q_EMIT finished(m_outcome, m_status);
}
