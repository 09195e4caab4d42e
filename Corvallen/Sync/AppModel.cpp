#include "Corvallen/Sync/AppModel.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/SystemWake.h"
#include "Corvallen/Platform/VolumeMonitor.h"
#include "Corvallen/Sync/CaptureThumbnails.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/DriveEject.h"
#include "Corvallen/Sync/FolderGrants.h"
#include "Corvallen/Sync/SourceLedger.h"
#include "Corvallen/Sync/SyncPrompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

namespace {

QString flag(bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); }

}  // namespace

AppModel::AppModel(ModelContext& context, QObject* parent)
    : AppModel(context, SettingsStore::shared(), parent)
{
}

AppModel::AppModel(ModelContext& context, SettingsStore& settings, QObject* parent)
    : QObject(parent),
      m_context(context),
      m_settings(settings),
      m_ejectProgram(DriveEject::defaultProgram()),
      m_closing(std::make_shared<std::atomic_bool>(false))
{
    auto* wake = new SystemWake(this);
    connect(wake, &SystemWake::woke, this, &AppModel::systemDidWake);
}

AppModel::~AppModel()
{
    // A running import stops at its next file and a waiting eject gives up; both are waited
    // for, so no worker outlives the model it reports to.
    m_closing->store(true);
    if (m_currentSyncTask)
        m_currentSyncTask->cancel();
    m_workers.waitForDone();
}

void AppModel::start()
{
    if (m_started)
        return;
    m_started = true;
    reconcileLibrary();
    TaxonomyTerm::seedFromComponents(m_context);
    volumeMonitor();
    refreshConnected();
    writeLaunchLog();
    autoSyncNewlyConnected({});
}

VolumeMonitor* AppModel::volumeMonitor()
{
    if (!m_monitor)
        setVolumeMonitor(new VolumeMonitor);
    return m_monitor;
}

void AppModel::setVolumeMonitor(VolumeMonitor* monitor)
{
    if (m_monitor == monitor)
        return;
    delete m_monitor;
    m_monitor = monitor;
    if (!m_monitor)
        return;
    m_monitor->setParent(this);
    connect(m_monitor, &VolumeMonitor::volumesChanged, this, &AppModel::handleVolumeChange);
}

void AppModel::reconcileLibrary()
{
    QSet<QString> known;
    const QList<Capture*> captures = m_context.fetch<Capture>();
    known.reserve(captures.size());
    for (const Capture* c : captures)
        known.insert(c->fileName());
    // A deletion that reached the store but not the files (a crash in between): the files go
    // rather than coming back as new captures.
    // Records that couldn't be read prove nothing; the note waits for a launch that reads them.
    const QStringList deleting = m_context.loadError().isEmpty() ? DeviceStorage::capturesBeingDeleted() : QStringList();
    for (const QString& name : deleting) {
        if (known.contains(name))
            continue;  // the deletion was never saved: the capture stays
        QFile::remove(DeviceStorage::capturesFolder() + QLatin1Char('/') + name);
        CaptureThumbnails::shared().forget(name);
    }
    if (!deleting.isEmpty())
        DeviceStorage::forgetCapturesBeingDeleted();
    int inserted = 0;
    for (const QString& name : DeviceStorage::captureFileNames()) {
        if (known.contains(name))
            continue;
        m_context.insert(new Capture(name));
        known.insert(name);
        ++inserted;
    }
    if (inserted > 0)
        m_context.save();  // a failed save keeps the captures pending for the next one
}

void AppModel::setLastSyncSummary(const QString& summary)
{
    if (summary == m_lastSyncSummary)
        return;
    m_lastSyncSummary = summary;
    Q_EMIT lastSyncSummaryChanged(summary);
    Q_EMIT changed();
}

void AppModel::setConnectedLocationIDs(const QSet<QString>& ids)
{
    if (ids == m_connectedLocationIDs)
        return;
    m_connectedLocationIDs = ids;
    Q_EMIT connectedLocationIDsChanged();
    Q_EMIT changed();
}

QList<SyncLocation> AppModel::connectedLocations() const
{
    QList<SyncLocation> out;
    if (m_connectedLocationIDs.isEmpty())
        return out;
    for (const SyncLocation& l : SyncLocation::loadAll(m_settings))
        if (m_connectedLocationIDs.contains(l.id))
            out << l;
    return out;
}

void AppModel::setSyncProgress(const std::optional<SyncProgress>& progress)
{
    if (progress == m_syncProgress)
        return;
    m_syncProgress = progress;
    Q_EMIT syncProgressChanged();
    Q_EMIT changed();
}

void AppModel::setCurrentSyncTask(std::shared_ptr<SyncTask> task)
{
    if (task == m_currentSyncTask)
        return;
    m_currentSyncTask = std::move(task);
    Q_EMIT currentSyncTaskChanged();
    Q_EMIT changed();
}

void AppModel::systemDidWake()
{
    ++m_wakeToken;
    Q_EMIT wakeTokenChanged(m_wakeToken);
    Q_EMIT changed();
}

// ---- Connections -----------------------------------------------------------------------------

void AppModel::refreshConnected()
{
    const FolderGrants::MountSnapshot mounts = FolderGrants::snapshotOf(volumeMonitor());
    QSet<QString> ids;
    for (const SyncLocation& l : SyncLocation::loadAll(m_settings)) {
        // A grant from before drives were remembered by their file system learns it now, so
        // the drive is still found when it comes back at another mount point.
        FolderGrants::rememberFileSystem(l.id, m_settings, mounts);
        if (FolderGrants::isGrantReachable(l.id, m_settings, mounts))
            ids.insert(l.id);
    }
    setConnectedLocationIDs(ids);
}

ConnectionState AppModel::connectionState(const SyncLocation& location)
{
    if (!FolderGrants::hasGrant(location.id, m_settings))
        return ConnectionState::notSetUp;
    if (m_connectedLocationIDs.contains(location.id))
        return ConnectionState::connected;
    if (location.volumeName && FolderGrants::mountedVolumeNames(volumeMonitor()).contains(*location.volumeName))
        return ConnectionState::needsPermission;
    return ConnectionState::notConnected;
}

void AppModel::handleVolumeChange()
{
    volumePass();
    QTimer::singleShot(1500, this, &AppModel::volumePass);
}

void AppModel::volumePass()
{
    const QSet<QString> previous = m_connectedLocationIDs;
    refreshConnected();
    autoSyncNewlyConnected(previous);
}

void AppModel::autoSyncNewlyConnected(const QSet<QString>& previous)
{
    const QSet<QString> newly = m_connectedLocationIDs - previous;
    if (newly.isEmpty())
        return;
    for (const SyncLocation& l : SyncLocation::loadAll(m_settings)) {
        if (!newly.contains(l.id) || !l.autoSync)
            continue;
        if (m_syncProgress)
            continue;  // one run at a time; this location waits for its next connection
        sync(l, false);
    }
}

void AppModel::writeLaunchLog()
{
    QStringList connected(m_connectedLocationIDs.begin(), m_connectedLocationIDs.end());
    std::sort(connected.begin(), connected.end());
    QStringList quoted;
    for (const QString& id : connected)
        quoted << QLatin1Char('"') + id + QLatin1Char('"');
    QStringList lines;
    lines << QStringLiteral("LAUNCH connected=[") + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
    const FolderGrants::MountSnapshot mounts = FolderGrants::snapshotOf(volumeMonitor());
    for (const SyncLocation& l : SyncLocation::loadAll(m_settings)) {
        const QString scopedKey = FolderGrants::scopedKey(l.id);
        const QString scoped = m_settings.typeOf(scopedKey) == SettingsStore::Type::Bool
            ? flag(m_settings.boolValue(scopedKey))
            : QStringLiteral("nil");
        const auto resolved = FolderGrants::resolveGrant(l.id, m_settings, mounts);
        const bool canRead = resolved && QDir(*resolved).isReadable();
        lines << QStringLiteral("  ") + (l.name.isEmpty() ? QStringLiteral("(unnamed)") : l.name)
                + QStringLiteral(" bookmark=") + flag(FolderGrants::hasGrant(l.id, m_settings)) + QStringLiteral(" scoped=")
                + scoped + QStringLiteral(" reachable=") + flag(FolderGrants::isGrantReachable(l.id, m_settings, mounts))
                + QStringLiteral(" canRead=") + flag(canRead);
    }
    FolderGrants::appendGrantLog(lines.join(QLatin1Char('\n')));
}

// ---- The sync run ----------------------------------------------------------------------------

QString AppModel::summaryText(const RunOutcome& o, const QString& storedName, const QString& displayName)
{
    // A drive pulled part way is no success and no plain stop either.
    if (o.driveGone)
        return o.imported == 0 ? displayName + tr(" not connected")
                               : tr("Stopped \u2014 %1 imported (the drive went away)").arg(o.imported);
    if (o.cancelled)
        return o.imported == 0 ? tr("Sync cancelled") : tr("Stopped \u2014 %1 imported").arg(o.imported);
    QString line;
    if (o.full)
        line = tr("%1: %2 imported").arg(storedName).arg(o.imported);
    else if (o.imported > 0)
        line = tr("Synced %1 new").arg(o.imported);
    else if (o.unreadable > 0 || o.unwritten > 0 || o.moreRemain)
        line = tr("Nothing new");
    else
        return tr("Up to date");
    QStringList notes;
    if (o.unreadable == 1)
        notes << tr("1 file couldn't be read");
    else if (o.unreadable > 1)
        notes << tr("%1 files couldn't be read").arg(o.unreadable);
    if (o.unwritten == 1)
        notes << tr("1 picture couldn't be saved to the library");
    else if (o.unwritten > 1)
        notes << tr("%1 pictures couldn't be saved to the library").arg(o.unwritten);
    if (o.moreRemain)
        notes << (o.full ? tr("more remain, Sync New takes the rest") : tr("more remain, sync again for the rest"));
    if (!notes.isEmpty())
        line += QStringLiteral(" \u2014 ") + notes.join(QStringLiteral("; "));
    return line;
}

bool AppModel::confirmLargeBatch(qint64 count, const QString& locationName)
{
    return SyncPrompts::confirmLargeBatch(count, locationName);
}

// What a run carries from its scan to its end.
struct AppModel::ScanState {
    SyncLocation location;
    bool full = false;
    QString root;  // the location's folder as resolved for the scan
    DeviceStorage::SyncScan scan;
    std::shared_ptr<SourceLedger> ledger;
    bool cancelled = false;
};

void AppModel::sync(const SyncLocation& location, bool full)
{
    if (m_syncProgress)
        return;
    const QString name = location.displayName();
    const SyncLocation::ScanOptions options = location.scanOptions();
    setSyncProgress(SyncProgress{name, SyncProgress::Phase::scanning, 0, 0});
    auto task = std::make_shared<SyncTask>();
    setCurrentSyncTask(task);

    // The settings and the mount table are read here, on the main thread; the worker only
    // looks at the file system.
    const FolderGrants::MountSnapshot mounts = FolderGrants::snapshotOf(volumeMonitor());
    const std::optional<QString> root = FolderGrants::resolveGrant(location.id, m_settings, mounts);
    const QSet<QString> known = DeviceStorage::knownHashes(m_settings);
    m_workers.start([this, task, location, full, name, options, root, mounts, known] {
        if (!root || !FolderGrants::isUsableFolder(*root, mounts)) {
            QMetaObject::invokeMethod(this, [this, task, name] { finishNotConnected(task, name); }, Qt::QueuedConnection);
            return;
        }
        auto state = std::make_shared<ScanState>();
        state->location = location;
        state->full = full;
        state->root = *root;
        state->ledger = std::make_shared<SourceLedger>(SourceLedger::load(location.id));
        // Files an earlier sync imported or found unreadable, unchanged since, are passed over;
        // a full resync looks at everything again.
        std::function<bool(const QString&, const QFileInfo&)> settled;
        if (!full)
            settled = [ledger = state->ledger, &known](const QString& key, const QFileInfo& info) {
                return ledger->isSettled(key, info, known);
            };
        state->scan = DeviceStorage::scanForSync(*root, options.subfolder, options.extensions, settled,
                                                 [task] { return task->isCancelled(); });
        state->cancelled = task->isCancelled();
        QMetaObject::invokeMethod(this, [this, task, state] { scanned(task, state); }, Qt::QueuedConnection);
    });
}

void AppModel::finishNotConnected(const std::shared_ptr<SyncTask>& task, const QString& displayName)
{
    if (task != m_currentSyncTask)
        return;
    setSyncProgress(std::nullopt);
    setCurrentSyncTask(nullptr);
    setLastSyncSummary(displayName + tr(" not connected"));
}

void AppModel::finishCancelled(const std::shared_ptr<SyncTask>& task)
{
    if (task != m_currentSyncTask)
        return;
    setSyncProgress(std::nullopt);
    setCurrentSyncTask(nullptr);
    reconcileLibrary();
    setLastSyncSummary(tr("Sync cancelled"));
}

void AppModel::scanned(const std::shared_ptr<SyncTask>& task, const std::shared_ptr<ScanState>& state)
{
    if (task != m_currentSyncTask)
        return;
    const SyncLocation& location = state->location;
    const QString name = location.displayName();
    QStringList files = state->scan.files;
    if (state->cancelled || (files.size() >= 1000 && !confirmLargeBatch(files.size(), name))) {
        finishCancelled(task);
        return;
    }
    // The drive may have been pulled (or moved to another mount point) while the question was
    // open: look at the mount table afresh before going on.
    volumeMonitor()->recheck();
    const std::optional<QString> root = FolderGrants::resolveGrant(location.id, m_settings,
                                                                   FolderGrants::snapshotOf(volumeMonitor()));
    if (!root) {
        finishNotConnected(task, name);
        return;
    }
    if (*root != state->root) {
        for (QString& f : files)
            f = *root + QLatin1Char('/') + DeviceStorage::relativeTo(state->root, f);
        state->root = *root;
    }
    setSyncProgress(SyncProgress{name, SyncProgress::Phase::importing, 0, files.size()});

    DeviceStorage::ImportOptions options;
    options.full = state->full;
    options.knownHashes = DeviceStorage::knownHashes(m_settings);
    // Names that records hold stay theirs, also where the image file has gone missing.
    for (const Capture* c : m_context.fetch<Capture>())
        options.heldNames.insert(c->fileName());
    const QString folder = DeviceStorage::capturesFolder();
    const VolumeMonitor::Source mountSource = volumeMonitor()->source();
    m_workers.start([this, task, state, files, options, folder, mountSource]() mutable {
        const QString root = state->root;
        options.cancelled = [task] { return task->isCancelled(); };
        options.progress = [this, task](qint64 processed) {
            QMetaObject::invokeMethod(
                this,
                [this, task, processed] {
                    if (task != m_currentSyncTask || !m_syncProgress)
                        return;  // the run has finished meanwhile
                    SyncProgress p = *m_syncProgress;
                    p.processed = processed;
                    setSyncProgress(p);
                },
                Qt::QueuedConnection);
        };
        options.sourceStillThere = [root, mountSource] {
            return FolderGrants::isUsableFolder(root, FolderGrants::readSnapshot(mountSource));
        };
        const DeviceStorage::ImportResult result = DeviceStorage::importCaptures(files, folder, options);

        // What was learned about each file, so unchanged ones are passed over next time.
        SourceLedger& ledger = *state->ledger;
        if (state->scan.complete)
            ledger.keepOnly(state->scan.seen);
        for (const DeviceStorage::ImportResult::Source& s : result.sources) {
            const QFileInfo info(s.path);
            if (!info.exists())
                continue;
            const QString key = DeviceStorage::relativeTo(root, s.path);
            if (s.notAPicture)
                ledger.recordUnreadable(key, info);
            else
                ledger.recordHash(key, info, s.hash);
        }
        ledger.save();

        RunOutcome outcome;
        outcome.cancelled = task->isCancelled();
        outcome.full = state->full;
        outcome.imported = result.imported;
        outcome.unreadable = result.unreadable;
        outcome.unwritten = result.unwritten;
        outcome.moreRemain = state->scan.moreRemain;
        outcome.driveGone = result.sourceWentAway;
        const QSet<QString> hashes = result.knownHashes;
        QMetaObject::invokeMethod(
            this, [this, task, state, outcome, hashes] { imported(task, state, outcome, hashes); }, Qt::QueuedConnection);
    });
}

void AppModel::imported(const std::shared_ptr<SyncTask>& task, const std::shared_ptr<ScanState>& state,
                        const RunOutcome& outcome, const QSet<QString>& hashes)
{
    if (task != m_currentSyncTask)
        return;
    // Also after a stop, so what was imported before it is not imported again.
    DeviceStorage::storeKnownHashes(hashes, m_settings);
    setSyncProgress(std::nullopt);
    setCurrentSyncTask(nullptr);
    reconcileLibrary();
    const SyncLocation& location = state->location;
    setLastSyncSummary(summaryText(outcome, location.name, location.displayName()));
    if (!outcome.cancelled && !outcome.driveGone && location.ejectAfterSync)
        eject(location);
}

void AppModel::grantAccessAndSync(const SyncLocation& location)
{
    const auto picked = FolderGrants::requestGrant(location.id, location.name, m_settings, volumeMonitor());
    if (!picked)
        return;
    SyncLocation updated = location;
    if (const auto volume = FolderGrants::volumeName(*picked, volumeMonitor()))
        updated.volumeName = volume;
    if (updated != location)
        SyncLocation::upsert(updated, m_settings);
    refreshConnected();
    sync(updated, false);
}

// ---- Eject -----------------------------------------------------------------------------------

void AppModel::eject(const SyncLocation& location)
{
    const auto path = FolderGrants::resolveGrant(location.id, m_settings, FolderGrants::snapshotOf(volumeMonitor()));
    if (!path) {
        setLastSyncSummary(location.name + tr(" not connected"));
        return;
    }
    const auto volume = volumeMonitor()->volumeHolding(*path);
    const QString device = volume ? volume->device : QString();
    const QString program = m_ejectProgram;
    const auto closing = m_closing;
    m_workers.start([this, device, program, closing] {
        const std::optional<QString> outcome = DriveEject::run(device, program, {}, [closing] { return closing->load(); });
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                setLastSyncSummary(outcome.value_or(DriveEject::ejectedText()));
                refreshConnected();
            },
            Qt::QueuedConnection);
    });
}
