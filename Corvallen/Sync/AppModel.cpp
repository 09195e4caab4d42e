#include "Corvallen/Sync/AppModel.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Platform/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/SystemWake.h"
#include "Corvallen/Sync/DeviceStorage.h"

AppModel::AppModel(ModelContext& context, QObject* parent)
    : AppModel(context, SettingsStore::shared(), parent)
{
}

AppModel::AppModel(ModelContext& context, SettingsStore& settings, QObject* parent)
    : QObject(parent), m_context(context), m_settings(settings)
{
    auto* wake = new SystemWake(this);
    connect(wake, &SystemWake::woke, this, &AppModel::systemDidWake);
}

AppModel::~AppModel() = default;

void AppModel::start()
{
    if (m_started)
        return;
    m_started = true;
    reconcileLibrary();
    TaxonomyTerm::seedFromComponents(m_context);
}

void AppModel::reconcileLibrary()
{
    QSet<QString> known;
    const QList<Capture*> captures = m_context.fetch<Capture>();
    known.reserve(captures.size());
    for (const Capture* c : captures)
        known.insert(c->fileName());
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

void AppModel::sync(const SyncLocation& location, bool full)
{
    Q_UNUSED(location)
    Q_UNUSED(full)
    // The scan and import of a location come with folder access grants; until a grant can be
    // stored no location is ever connected, so nothing offers this yet.
}

void AppModel::eject(const SyncLocation& location)
{
    Q_UNUSED(location)
    // Unmounting comes with the drive handling, like sync(); nothing offers it yet.
}
