#pragma once

#include "Corvallen/Sync/SyncLocation.h"
#include "Corvallen/Sync/SyncProgress.h"
#include "Corvallen/Sync/SyncTask.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

class ModelContext;
class SettingsStore;

// The one application model: the sync state that the status bar, the menu-bar panel and the
// sync pages show (connected locations, progress, last summary), and the wake counter whose
// every change resets the main window. Created once with the store's main context and kept
// until the application quits. Main thread only; every change is announced by its own signal
// and by changed().
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

    // The start-up pass: a capture for every image of the captures folder that has none, then
    // the term lists seeded from the existing components. Runs once; later calls do nothing.
    void start();
    bool hasStarted() const { return m_started; }

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

Q_SIGNALS:
    void lastSyncSummaryChanged(const QString& summary);
    void connectedLocationIDsChanged();
    void syncProgressChanged();
    void currentSyncTaskChanged();
    void wakeTokenChanged(qint64 token);
    // Any of the above.
    void changed();

private:
    ModelContext& m_context;
    SettingsStore& m_settings;
    QString m_lastSyncSummary;
    QSet<QString> m_connectedLocationIDs;
    std::optional<SyncProgress> m_syncProgress;
    std::shared_ptr<SyncTask> m_currentSyncTask;
    qint64 m_wakeToken = 0;
    bool m_started = false;
};
