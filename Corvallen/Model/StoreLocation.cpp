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

void snapshotStore(int keep) { snapshotStore(keep, QDateTime::currentDateTime()); }

void snapshotStore(int keep, const QDateTime& launchTime)
{
    const QString store = storeURL();
    if (!QFileInfo::exists(store))
        return;
    const QString folder = snapshotFolder();
    QDir().mkpath(folder);
    const QString target = folder + QLatin1Char('/') + stamp(launchTime);
    if (!QDir().mkpath(target))
        return;
    const QString name = QFileInfo(store).fileName();
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QString source = store + QLatin1String(suffix);
        if (QFileInfo::exists(source))
            QFile::copy(source, target + QLatin1Char('/') + name + QLatin1String(suffix));
    }
    pruneSnapshots(folder, keep);
}

void pruneSnapshots(const QString& folder, int keep)
{
    QDir dir(folder);
    if (!dir.exists())
        return;
    const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QStringList candidates;
    for (const QFileInfo& e : entries)
        if (e.isDir() && !e.isSymLink())
            candidates << e.fileName();
    // Plain code-point order, newest stamp first; letters sort above digits, so pre-restore
    // snapshots are kept in preference to launch snapshots.
    std::sort(candidates.begin(), candidates.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseSensitive) > 0;
    });
    for (qsizetype i = std::max(0, keep); i < candidates.size(); ++i)
        QDir(folder + QLatin1Char('/') + candidates[i]).removeRecursively();
}

}  // namespace StoreLocation
