#include "Corvallen/Backup/SnapshotWriter.h"

#include "Corvallen/Backup/BackupData.h"
#include "Corvallen/Backup/BackupFiles.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Store/ModelContainer.h"

#include <QDateTime>
#include <QFile>
#include <QUrl>

#include <sqlite3.h>

namespace {

QString path(const QString& folder, const QString& name) { return folder + QLatin1Char('/') + name; }

// A consistent copy of a store file through a connection of its own: SQLite's backup API reads
// one committed state, whatever another connection (in this process or another) is doing.
bool copyStoreThroughOwnConnection(const QString& store, const QString& destination, QString* error)
{
    sqlite3* src = nullptr;
    sqlite3* dst = nullptr;
    auto finish = [&](bool ok) {
        if (!ok && error)
            *error = QString::fromUtf8(dst && sqlite3_errcode(dst) != SQLITE_OK ? sqlite3_errmsg(dst)
                                       : src                                    ? sqlite3_errmsg(src)
                                                                                : "out of memory");
        sqlite3_close(dst);
        sqlite3_close(src);
        return ok;
    };
    const QByteArray uri = "file:" + QUrl::toPercentEncoding(store, "/") + "?mode=ro";
    if (sqlite3_open_v2(uri.constData(), &src, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK)
        return finish(false);
    sqlite3_busy_timeout(src, 5000);
    if (sqlite3_open_v2(QFile::encodeName(destination).constData(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return finish(false);
    sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
    if (!b)
        return finish(false);
    const int rc = sqlite3_backup_step(b, -1);
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE)
        return finish(false);
    return finish(sqlite3_exec(dst, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) == SQLITE_OK);
}

}  // namespace

QString SnapshotWriter::snapshot(const QString& label)
{
    SnapshotWriter w(label);
    w.copyStore();
    w.copyFolders();
    return w.folder();
}

QStringList SnapshotWriter::storeItems()
{
    const QString data = StoreLocation::dataFolder();
    QStringList out;
    for (const QString& name : BackupData::storeFileNames() + BackupData::dataFolderNames())
        if (BackupFiles::exists(path(data, name)))
            out << path(data, name);
    return out;
}

SnapshotWriter::SnapshotWriter(const QString& label)
{
    m_folder = path(StoreLocation::snapshotFolder(), label + QLatin1Char('-') + StoreLocation::stamp(QDateTime::currentDateTime()));
    m_existed = BackupFiles::exists(m_folder);
    BackupFiles::makeFolder(m_folder);
}

template <class F>
void SnapshotWriter::guarded(F&& f)
{
    try {
        f();
    } catch (...) {
        if (!m_existed)
            BackupFiles::removeQuietly(m_folder);
        throw;
    }
}

void SnapshotWriter::copyFolders()
{
    guarded([&] {
        const QString data = StoreLocation::dataFolder();
        for (const QString& name : BackupData::dataFolderNames()) {
            const QString source = path(data, name);
            if (!BackupFiles::isFolder(source) || BackupFiles::exists(path(m_folder, name)))
                continue;
            const QString partial = BackupFiles::uniquePath(m_folder, QLatin1Char('.') + name + QStringLiteral(".partial-"));
            try {
                BackupFiles::copyTree(source, partial);
                BackupFiles::rename(partial, path(m_folder, name));
            } catch (...) {
                BackupFiles::removeQuietly(partial);
                throw;
            }
        }
    });
}

void SnapshotWriter::copyStore()
{
    const QString store = path(StoreLocation::dataFolder(), BackupData::storeFileName());
    copyStoreWith([&](const QString& dest, QString* error) { return copyStoreThroughOwnConnection(store, dest, error); });
}

void SnapshotWriter::copyStore(const ModelContainer& container)
{
    copyStoreWith([&](const QString& dest, QString* error) { return container.copyTo(dest, error); });
}

void SnapshotWriter::copyStoreWith(const std::function<bool(const QString&, QString*)>& copy)
{
    guarded([&] {
        const QString data = StoreLocation::dataFolder();
        const QString target = path(m_folder, BackupData::storeFileName());
        if (!BackupFiles::isFile(path(data, BackupData::storeFileName())) || BackupFiles::exists(target))
            return;
        const QString partial = BackupFiles::uniquePath(m_folder, QStringLiteral(".store.partial-"));
        QString error;
        if (copy(partial, &error)) {
            BackupFiles::rename(partial, target);
            return;
        }
        BackupFiles::removeQuietly(partial);
        // Not a store SQLite can read: keep its files byte for byte instead.
        for (const QString& name : BackupData::storeFileNames())
            if (BackupFiles::isFile(path(data, name)) && !BackupFiles::exists(path(m_folder, name)))
                BackupFiles::copyFile(path(data, name), path(m_folder, name));
    });
}
