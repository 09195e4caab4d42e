#pragma once

#include "Corvallen/Sync/ConnectionState.h"
#include "Corvallen/Sync/SyncLocation.h"
#include "Corvallen/Sync/SyncProgress.h"
#include "Corvallen/Sync/SyncTask.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <optional>

class ModelContext;
class SettingsStore;
class VolumeMonitor;

// The one application model: the sync state that the status bar, the menu-bar panel and the
// sync pages show (connected locations, progress, last summary), and the wake counter whose
// every change resets the main window. Created once with the store's main context and kept
// until the application quits. Main thread only; every change is announced by its own signal
// and by changed().
//
// It watches removable volumes come and go, keeps the set of connected sync locations, starts
// the automatic sync of a newly connected location, and runs one sync at a time: the scan and
// the import run on a worker thread and hand their results back here, where every change of
// the model and of the store is made. Every outcome of a sync or an eject is one line in
// lastSyncSummary.
class AppModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString lastSyncSummary READ lastSyncSummary NOTIFY lastSyncSummaryChanged)
    Q_PROPERTY(qint64 wakeToken READ wakeToken NOTIFY wakeTokenChanged)
public:
    // Cheap: sets the initial state and starts listening for system wake. The library
    // reconcile and term seeding wait for start(), so the first window paints without them.
    explicit AppModel(ModelContext& context, QObject* parent = nullptr);
    // The same over another settings store (tests).
    AppModel(ModelContext& context, SettingsStore& settings, QObject* parent = nullptr);
    ~AppModel() override;

    ModelContext& context() const { return m_context; }
    SettingsStore& settings() const { return m_settings; }

    // The start-up pass: a capture for every image of the captures folder that has none, the
    // term lists seeded from the existing components, volume watching, the connected
    // locations, the launch lines of the grant log, and the automatic sync of the first
    // connected location that asks for it. Runs once; later calls do nothing.
    void start();

    // A Capture for every PNG of the captures folder that has no Capture yet; saves when it
    // inserted one. Existing captures are never changed.
    void reconcileLibrary();

    QString lastSyncSummary() const { return m_lastSyncSummary; }
    void setLastSyncSummary(const QString& summary);

    // Ids of the saved locations that are reachable now.
    QSet<QString> connectedLocationIDs() const { return m_connectedLocationIDs; }
    void setConnectedLocationIDs(const QSet<QString>& ids);
    // The saved locations (read anew) whose id is connected, in saved order.
    QList<SyncLocation> connectedLocations() const;

    // Set while a sync runs: first scanning, then importing with counts.
    std::optional<SyncProgress> syncProgress() const { return m_syncProgress; }
    void setSyncProgress(const std::optional<SyncProgress>& progress);

    // The running sync's handle, or null. The stop button cancels it.
    std::shared_ptr<SyncTask> currentSyncTask() const { return m_currentSyncTask; }
    void setCurrentSyncTask(std::shared_ptr<SyncTask> task);

    // Grows by one on every system wake and on nothing else.
    qint64 wakeToken() const { return m_wakeToken; }
    // The reaction to one system-wake notice.
    void systemDidWake();

    // Imports the new captures of a location (full: every image, not only unseen ones); does
    // nothing while a sync runs. Outcome through syncProgress and lastSyncSummary.
    void sync(const SyncLocation& location, bool full);
    // Unmounts the location's volume; the outcome lands in lastSyncSummary.
    void eject(const SyncLocation& location);
    // Asks for the location's drive or folder, stores the grant and a changed volume name,
    // then syncs it. Nothing happens when the user cancels.
    void grantAccessAndSync(const SyncLocation& location);
    // The question before importing 1000 images or more; true to import.
    bool confirmLargeBatch(qint64 count, const QString& locationName);

    // Recomputes connectedLocationIDs from the saved locations' grants.
    void refreshConnected();
    ConnectionState connectionState(const SyncLocation& location);
    // A volume was mounted, unmounted or renamed: a pass now and another 1.5 seconds later
    // (for a volume that becomes readable only a moment after it appears).
    void handleVolumeChange();
    // One such pass: refresh, then the automatic sync of what became connected.
    void volumePass();
    // Starts a sync of the first saved location (in saved order) that is connected now but
    // not in `previous` and syncs automatically; nothing while a sync runs.
    void autoSyncNewlyConnected(const QSet<QString>& previous);

    // The mounted volumes. Created on first use unless one was given (tests give one that
    // reads a sample mount table); the model takes it over.
    VolumeMonitor* volumeMonitor();
    void setVolumeMonitor(VolumeMonitor* monitor);
    // The udisksctl program used to eject (tests point it at a stand-in).
    void setEjectProgram(const QString& program) { m_ejectProgram = program; }
    QString ejectProgram() const { return m_ejectProgram; }

    // How a run ended, for its summary line.
    struct RunOutcome {
        bool cancelled = false;  // stopped from the status bar
        bool full = false;
        qint64 imported = 0;
        qint64 unreadable = 0;  // files skipped because they couldn't be read
        bool moreRemain = false;  // the whole-drive limit left files for the next sync
        bool driveGone = false;  // the drive or folder went away during the run
        qint64 unwritten = 0;  // new pictures that couldn't be saved into the library
    };
    // The summary line of a finished run. storedName is the location's name as saved,
    // displayName the name shown for it ("Location" when it has none).
    static QString summaryText(const RunOutcome& outcome, const QString& storedName, const QString& displayName);

Q_SIGNALS:
    void lastSyncSummaryChanged(const QString& summary);
    void connectedLocationIDsChanged();
    void syncProgressChanged();
    void currentSyncTaskChanged();
    void wakeTokenChanged(qint64 token);
    // Any of the above.
    void changed();

private:
    void finishNotConnected(const std::shared_ptr<SyncTask>& task, const QString& displayName);
    void finishCancelled(const std::shared_ptr<SyncTask>& task);
    struct ScanState;
    void scanned(const std::shared_ptr<SyncTask>& task, const std::shared_ptr<ScanState>& scan);
    void imported(const std::shared_ptr<SyncTask>& task, const std::shared_ptr<ScanState>& scan, const RunOutcome& outcome,
                  const QSet<QString>& hashes);
    void writeLaunchLog();

    ModelContext& m_context;
    SettingsStore& m_settings;
    QString m_lastSyncSummary;
    QSet<QString> m_connectedLocationIDs;
    std::optional<SyncProgress> m_syncProgress;
    std::shared_ptr<SyncTask> m_currentSyncTask;
    qint64 m_wakeToken = 0;
    bool m_started = false;
    VolumeMonitor* m_monitor = nullptr;
    QString m_ejectProgram;
    std::shared_ptr<std::atomic_bool> m_closing;
    // The sync's and the eject's worker threads; waited for when the model goes.
    QThreadPool m_workers;
};
