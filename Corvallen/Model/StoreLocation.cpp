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

QString snapshotStore(const QDateTime& launchTime)
{
    const QString store = storeURL();
    if (!QFileInfo::exists(store))
        return {};
    const QString folder = snapshotFolder();
    QDir().mkpath(folder);
    const QString name = stamp(launchTime);
    const QString target = folder + QLatin1Char('/') + name;
    if (!QDir().mkpath(target))
        return {};
    const QString fileName = QFileInfo(store).fileName();
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QString source = store + QLatin1String(suffix);
        if (QFileInfo::exists(source))
            QFile::copy(source, target + QLatin1Char('/') + fileName + QLatin1String(suffix));
    }
    return name;
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
        if (isLaunchStamp(e.fileName()))
            launches << e.fileName();
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
