#include "Corvallen/Model/StoreLocation.h"

#include "Corvallen/Platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace StoreLocation {

QString dataFolder() { return AppPaths::dataFolder(); }

QString storeURL()
{
    AppPaths::ensureFolder(dataFolder());
    return dataFolder() + QStringLiteral("/Corvallen.store");
}

QString snapshotFolder() { return dataFolder() + QStringLiteral("/backups"); }

QString stamp(const QDateTime& localTime)
{
    // QDateTime::toString with a format string always uses the C locale: ASCII digits and the
    // Gregorian calendar, so stamps sort the same on every machine.
    return localTime.toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QString snapshotStore() { return snapshotStore(QDateTime::currentDateTime()); }

namespace {

// The folder of a launch snapshot, made; empty when it can't be.
QString makeSnapshotFolder(const QString& name)
{
    const QString folder = snapshotFolder();
    QDir().mkpath(folder);
    const QString target = folder + QLatin1Char('/') + name;
    return QDir().mkpath(target) ? target : QString();
}

// Copies a file into the snapshot under a passing name and gives it its own name once whole;
// a file already there (an earlier launch in the same second) is kept.
void copyWhole(const QString& source, const QString& destination)
{
    if (QFileInfo::exists(destination))
        return;
    const QString partial = destination + QStringLiteral(".partial");
    QFile::remove(partial);
    if (!QFile::copy(source, partial) || !QFile::rename(partial, destination))
        QFile::remove(partial);
}

}  // namespace

QString snapshotStore(const QDateTime& launchTime)
{
    const QString store = storeURL();
    if (!QFileInfo::exists(store))
        return {};
    const QString name = stamp(launchTime);
    const QString target = makeSnapshotFolder(name);
    if (target.isEmpty())
        return {};
    const QString fileName = QFileInfo(store).fileName();
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QString source = store + QLatin1String(suffix);
        if (QFileInfo::exists(source))
            copyWhole(source, target + QLatin1Char('/') + fileName + QLatin1String(suffix));
    }
    return name;
}

PendingSnapshot snapshotStoreWhileOpening()
{
    PendingSnapshot pending;
    const QString store = storeURL();
    std::promise<void> now;
    now.set_value();
    pending.done = now.get_future().share();
    if (QFileInfo::exists(store + QStringLiteral("-wal")) || QFileInfo::exists(store + QStringLiteral("-shm"))) {
        pending.name = snapshotStore();
        return pending;
    }
    if (!QFileInfo::exists(store))
        return pending;
    pending.name = stamp(QDateTime::currentDateTime());
    const QString target = makeSnapshotFolder(pending.name);
    if (target.isEmpty()) {
        pending.name.clear();
        return pending;
    }
    const QString destination = target + QLatin1Char('/') + QFileInfo(store).fileName();
    pending.done = std::async(std::launch::async, [store, destination] { copyWhole(store, destination); }).share();
    return pending;
}

namespace {

bool isStampAt(const QString& name, qsizetype from)
{
    if (name.size() - from != 15)
        return false;
    for (qsizetype i = 0; i < 15; ++i) {
        const QChar c = name.at(from + i);
        if (i == 8 ? c != QLatin1Char('-') : (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return false;
    }
    return true;
}

const QString preRestorePrefix = QStringLiteral("pre-restore-");

// A launch snapshot without its store: a crash (or a full disk) cut the copy short. It holds
// nothing to go back to.
bool isCutShort(const QString& folder) { return !QFileInfo::exists(folder + QStringLiteral("/Corvallen.store")); }

}  // namespace

bool isLaunchStamp(const QString& name) { return isStampAt(name, 0); }

bool isPreRestoreStamp(const QString& name)
{
    return name.startsWith(preRestorePrefix) && isStampAt(name, preRestorePrefix.size());
}

void pruneSnapshots(const QString& folder, int keep, const QString& justTaken)
{
    QDir dir(folder);
    if (!dir.exists())
        return;
    keep = std::max(0, keep);
    const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QStringList launches;
    QStringList preRestores;
    for (const QFileInfo& e : entries) {
        if (!e.isDir() || e.isSymLink())
            continue;
        if (isLaunchStamp(e.fileName())) {
            // Removed rather than kept in place of a good one; the one being taken now may still
            // be copying.
            if (e.fileName() != justTaken && isCutShort(e.filePath()))
                QDir(e.filePath()).removeRecursively();
            else
                launches << e.fileName();
        }
        else if (isPreRestoreStamp(e.fileName()))
            preRestores << e.fileName();
    }
    // Plain code-point order puts the newest stamp first.
    const auto newestFirst = [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseSensitive) > 0; };
    std::sort(launches.begin(), launches.end(), newestFirst);
    std::sort(preRestores.begin(), preRestores.end(), newestFirst);
    // The snapshot just taken stays even when the clock went back and older names sort above it.
    if (launches.removeOne(justTaken))
        launches.prepend(justTaken);
    for (const QStringList* names : {&launches, &preRestores})
        for (qsizetype i = keep; i < names->size(); ++i)
            QDir(folder + QLatin1Char('/') + names->at(i)).removeRecursively();
}

}  // namespace StoreLocation
