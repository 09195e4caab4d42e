#pragma once

#include "Corvallen/Devices/LCRP1Flasher.h"

#include <QObject>
#include <QString>

#include <memory>

// Owns the application's one running firmware flash. The flash (file read included) runs on a
// worker thread; its progress and outcome come back to the main thread as queued calls and are
// kept here, so a firmware page that is closed and opened again during a flash picks the
// running flash up. Only one flash runs at a time in the whole process, whatever the port.
//
// The worker never holds a pointer to this object: it posts through a relay that the
// destructor disconnects, so closing a page or quitting mid-flash cannot reach a dead object.
// The worker itself is left to finish (or to end with the process); it only touches its own
// port and plain data.
class FlashController : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        none,             // no flash has ended yet
        flashed,          // acknowledged by the device (green)
        notAcknowledged,  // streamed, but no valid acknowledgement (orange)
        failed,           // an error; the status line carries its description (red)
    };
    Q_ENUM(Outcome)

    // The application's controller; created on first use as a child of the application object.
    static FlashController& shared();

    explicit FlashController(QObject* parent = nullptr);
    ~FlashController() override;

    // Starts flashing the file at firmwarePath to the device node port. Returns false (and does
    // nothing) when a flash is already running anywhere in the process.
    bool start(const QString& port, const QString& firmwarePath);

    bool isFlashing() const { return m_flashing; }
    // Fraction of the image sent, 0 to 1; 1 while waiting for the device's answer. Keeps its
    // last value after the flash ends.
    double progress() const { return m_progress; }
    // The port and file of the running (or last) flash.
    QString port() const { return m_port; }
    QString firmwarePath() const { return m_firmwarePath; }

    // The outcome of the last flash that ended and its status line ("Firmware flashed. …",
    // "Flash failed: …"); none and empty while none has ended or once a new one starts.
    Outcome outcome() const { return m_outcome; }
    QString status() const { return m_status; }
    // Whether a page has shown the last outcome. A flash that ends while no firmware page is
    // open keeps its outcome for the next page that opens, which shows it once.
    bool isOutcomeShown() const { return m_outcomeShown; }
    void markOutcomeShown() { m_outcomeShown = true; }

    // True while a flash started by any controller in this process is still running on its
    // worker (it may outlive a destroyed controller).
    static bool isAnyFlashRunning();

    // Shortened waits for tests; the instrument's own defaults otherwise.
    void setTiming(const LCRP1Flasher::Timing& timing) { m_timing = timing; }

Q_SIGNALS:
    void flashingChanged(bool flashing);
    void progressChanged(double progress);
    void finished(FlashController::Outcome outcome, const QString& status);

private:
    struct Relay;
    void applyProgress(double value);
    void applyOutcome(Outcome outcome, const QString& errorDescription);

    std::shared_ptr<Relay> m_relay;
    LCRP1Flasher::Timing m_timing;
    bool m_flashing = false;
    double m_progress = 0;
    QString m_port;
    QString m_firmwarePath;
    Outcome m_outcome = Outcome::none;
    QString m_status;
    bool m_outcomeShown = false;
};
