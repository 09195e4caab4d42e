#include "Corvallen/Backup/BackupBundle.h"

#include "Corvallen/Backup/BackupData.h"
#include "Corvallen/Backup/BackupFiles.h"
#include "Corvallen/Backup/BackupJson.h"
#include "Corvallen/Backup/ZipReader.h"
#include "Corvallen/Backup/ZipWriter.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/ModelContainer.h"
#include "Corvallen/Platform/ModelContext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QPointer>
#include <QPromise>
#include <QThreadPool>
#include <QUrl>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kStoreName = QStringLiteral("Corvallen.store");
const QString kPending = QStringLiteral("pending-restore");
// Inside "pending-restore": the name of the "pre-restore" snapshot the staging took.
const QString kSnapshotNote = QStringLiteral(".pre-restore-snapshot");
// In the data folder from a launch-time swap until the store it put in place has opened.
const QString kSwapRecord = QStringLiteral("restore-swap.json");

QString path(const QString& folder, const QString& name) { return folder + QLatin1Char('/') + name; }

QStringList storeFileNames() { return {kStoreName, kStoreName + QStringLiteral("-wal"), kStoreName + QStringLiteral("-shm")}; }

// The folder part of an entry name with its trailing "/", or "" for an entry at the top.
QString folderPrefix(const QString& entryName)
{
    const qsizetype slash = entryName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : entryName.left(slash + 1);
}

// Accepts the entries below `prefix` whose first path component there is one of `names`.
std::function<bool(const ZipReader::Entry&)> entriesBelow(const QString& prefix, const QStringList& names)
{
    return [prefix, names](const ZipReader::Entry& e) {
        if (!e.name.startsWith(prefix))
            return false;
        const QString rel = e.name.mid(prefix.size());
        return names.contains(rel.section(QLatin1Char('/'), 0, 0));
    };
}

// Maps the progress of one step onto [from, to] of the whole.
BackupBundle::Progress part(const BackupBundle::Progress& whole, double from, double to)
{
    if (!whole)
        return {};
    return [whole, from, to](double f) { whole(from + (to - from) * std::clamp(f, 0.0, 1.0)); };
}

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

// One snapshot folder being filled. Items already in it (a snapshot of the same label in the
// same second) are left as they are; a failure removes the folder when this snapshot made it.
class SnapshotWriter {
public:
    explicit SnapshotWriter(const QString& label)
    {
        m_folder = path(StoreLocation::snapshotFolder(), label + QLatin1Char('-') + StoreLocation::stamp(QDateTime::currentDateTime()));
        m_existed = BackupFiles::exists(m_folder);
        BackupFiles::makeFolder(m_folder);
    }
    QString folder() const { return m_folder; }

    void copyFolders()
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

    // `copy` writes a consistent store copy to the path it is given.
    void copyStore(const std::function<bool(const QString&, QString*)>& copy)
    {
        guarded([&] {
            const QString data = StoreLocation::dataFolder();
            const QString target = path(m_folder, kStoreName);
            if (!BackupFiles::isFile(path(data, kStoreName)) || BackupFiles::exists(target))
                return;
            const QString partial = BackupFiles::uniquePath(m_folder, QStringLiteral(".store.partial-"));
            QString error;
            if (copy(partial, &error)) {
                BackupFiles::rename(partial, target);
                return;
            }
            BackupFiles::removeQuietly(partial);
            // Not a store SQLite can read: keep its files byte for byte instead.
            for (const QString& name : storeFileNames())
                if (BackupFiles::isFile(path(data, name)) && !BackupFiles::exists(path(m_folder, name)))
                    BackupFiles::copyFile(path(data, name), path(m_folder, name));
        });
    }

private:
    template <class F>
    void guarded(F&& f)
    {
        try {
            f();
        } catch (...) {
            if (!m_existed)
                BackupFiles::removeQuietly(m_folder);
            throw;
        }
    }

    QString m_folder;
    bool m_existed = false;
};

// The "pre-restore" snapshot a staged restore was taken with: the one its staging noted, or
// for a staging that noted none the newest "pre-restore" snapshot.
QString preRestoreSnapshotOf(const QString& pending)
{
    QFile note(path(pending, kSnapshotNote));
    if (note.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromUtf8(note.read(256)).trimmed();
        if (AppPaths::isPlainFileName(name))
            return name;
    }
    QStringList names = QDir(StoreLocation::snapshotFolder()).entryList({QStringLiteral("pre-restore-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end());
    return names.isEmpty() ? QString() : names.last();
}

void ownConnectionCopy(SnapshotWriter& w)
{
    const QString store = path(StoreLocation::dataFolder(), kStoreName);
    w.copyStore([&](const QString& dest, QString* error) { return copyStoreThroughOwnConnection(store, dest, error); });
}

void containerCopy(SnapshotWriter& w, const ModelContainer& container)
{
    w.copyStore([&](const QString& dest, QString* error) { return container.copyTo(dest, error); });
}

// The archive's decodable "manifest.json", if it has one. An unreadable manifest counts as none:
// the archive may still hold a whole store.
std::optional<BackupManifest> readManifest(const ZipReader& zip)
{
    if (const ZipReader::Entry* m = zip.findShallowest(QStringLiteral("manifest.json"))) {
        try {
            return BackupManifest::fromJson(zip.read(*m, qint64(4) << 20));
        } catch (const BackupError&) {
        }
    }
    return std::nullopt;
}

// An archive laid out by a newer version may hold sections or fields this one would restore
// half-way; it is refused as a whole.
void refuseNewerLayout(const BackupManifest& manifest)
{
    if (manifest.schemaVersion > BackupManifest::currentSchemaVersion)
        throw BackupBundle::makeError(
            QStringLiteral("That backup was made by a newer version of Corvallen (archive layout %1). Update Corvallen to restore it.")
                .arg(manifest.schemaVersion));
}

void saveBeforeRestore(ModelContext& context)
{
    QString error;
    if (context.hasChanges() && !context.save(&error))
        throw BackupBundle::makeError(
            QStringLiteral("Your latest changes could not be saved (%1), so the restore did not start.").arg(error));
}

// The extraction of one restore and what it leads to, removed when the restore is over.
struct RestoreWork {
    QString extraction;
    QString root;
    BackupData::Sections sections;
    BackupData::PreparedFolders folders;
    std::optional<SnapshotWriter> snapshot;
    ~RestoreWork()
    {
        folders.discard();
        if (!extraction.isEmpty())
            BackupFiles::removeQuietly(extraction);
    }
};

// Extracts what the selection needs and reads its records (any thread).
void extractForRestore(RestoreWork& work, const QString& archive, const BackupSelection& selection,
                       const BackupBundle::Progress& progress)
{
    ZipReader zip(archive);
    if (const std::optional<BackupManifest> m = readManifest(zip))
        refuseNewerLayout(*m);
    const ZipReader::Entry* manifest = zip.findShallowest(QStringLiteral("manifest.json"));
    const QString prefix = manifest ? folderPrefix(manifest->name) : QString();
    work.extraction = BackupFiles::uniquePath(BackupFiles::temporaryFolder(), QStringLiteral("CorvallenRestore-"));
    BackupFiles::makeFolder(work.extraction);
    zip.extract(work.extraction, entriesBelow(prefix, BackupData::neededEntries(selection)), progress);
    work.root = prefix.isEmpty() ? work.extraction : path(work.extraction, prefix.chopped(1));
    work.sections = BackupData::loadSections(selection, work.root);
}

template <class T>
std::shared_ptr<QPromise<T>> startedPromise()
{
    auto promise = std::make_shared<QPromise<T>>();
    promise->start();
    promise->setProgressRange(0, 1000);
    return promise;
}

template <class T>
BackupBundle::Progress reporter(const std::shared_ptr<QPromise<T>>& promise)
{
    auto last = std::make_shared<int>(-1);
    return [promise, last](double f) {
        const int value = int(std::clamp(f, 0.0, 1.0) * 1000);
        if (value > *last) {
            *last = value;
            promise->setProgressValue(value);
        }
    };
}

template <class T>
void failPromise(const std::shared_ptr<QPromise<T>>& promise)
{
    promise->setException(std::current_exception());
    promise->finish();
}

}  // namespace

// ---- basics

BackupError BackupBundle::makeError(const QString& message) { return BackupError::backup(message); }

void BackupBundle::removeQuietly(const QString& p) { BackupFiles::removeQuietly(p); }

QStringList BackupBundle::storeItems()
{
    const QString data = StoreLocation::dataFolder();
    QStringList out;
    for (const QString& name : storeFileNames() + BackupData::dataFolderNames())
        if (BackupFiles::exists(path(data, name)))
            out << path(data, name);
    return out;
}

QString BackupBundle::zipFolder(const QString& folder, const Progress& progress)
{
    const QString zip = BackupFiles::uniquePath(BackupFiles::temporaryFolder(), QStringLiteral("CorvallenBackup-"), QStringLiteral(".zip"));
    ZipWriter::writeFolder(folder, zip, progress);
    return zip;
}

BackupBundle::Info BackupBundle::inspect(const QString& archive)
{
    ZipReader zip(archive);
    if (std::optional<BackupManifest> manifest = readManifest(zip)) {
        refuseNewerLayout(*manifest);
        return {std::move(manifest), false};
    }
    if (zip.findShallowest(kStoreName))
        return {std::nullopt, true};
    throw makeError(QStringLiteral("That doesn't look like a Corvallen backup."));
}

QString BackupBundle::snapshot(const QString& label)
{
    SnapshotWriter w(label);
    ownConnectionCopy(w);
    w.copyFolders();
    return w.folder();
}

// ---- staged whole-store restore

void BackupBundle::stageLegacyRestore(const QString& archive, const Progress& progress)
{
    ZipReader zip(archive);
    const ZipReader::Entry* store = zip.findShallowest(kStoreName);
    if (!store)
        throw makeError(QStringLiteral("That doesn't look like a Corvallen backup (no data store inside)."));
    const QString prefix = folderPrefix(store->name);

    RestoreWork work;
    work.extraction = BackupFiles::uniquePath(BackupFiles::temporaryFolder(), QStringLiteral("CorvallenRestore-"));
    BackupFiles::makeFolder(work.extraction);
    zip.extract(work.extraction, entriesBelow(prefix, storeFileNames() + BackupData::dataFolderNames()), part(progress, 0, 0.5));
    const QString source = prefix.isEmpty() ? work.extraction : path(work.extraction, prefix.chopped(1));

    // The companions the archive holds, noted before the check, which may add its own.
    QStringList storeFiles;
    for (const QString& name : storeFileNames())
        if (BackupFiles::isFile(path(source, name)))
            storeFiles << name;
    QString error;
    if (!ModelContainer::verifyStoreFile(path(source, kStoreName), corvallenSchema(), &error))
        throw makeError(QStringLiteral("The data store in that backup can't be used: %1").arg(error));

    const QString snapshotFolder = snapshot(QStringLiteral("pre-restore"));

    const QString data = StoreLocation::dataFolder();
    BackupFiles::makeFolder(data);
    const QString incoming = BackupFiles::uniquePath(data, kPending + QStringLiteral(".incoming-"));
    BackupFiles::makeFolder(incoming);
    try {
        // The way back if the staged store won't open at the launch that puts it in place.
        BackupFiles::writeFile(path(incoming, kSnapshotNote), QFileInfo(snapshotFolder).fileName().toUtf8());
        for (const QString& name : std::as_const(storeFiles))
            BackupFiles::moveTree(path(source, name), path(incoming, name));
        const QStringList folders = BackupData::dataFolderNames();
        for (qsizetype i = 0; i < folders.size(); ++i)
            if (BackupFiles::isFolder(path(source, folders[i])))
                BackupFiles::moveTree(path(source, folders[i]), path(incoming, folders[i]),
                                      [&](qint64 done, qint64 total) {
                                          if (progress && total > 0)
                                              progress(0.5 + 0.5 * (i + double(done) / double(total)) / double(folders.size()));
                                      });
        // Complete: it replaces an earlier staged restore in one rename.
        const QString pending = path(data, kPending);
        const QString discarded = BackupFiles::uniquePath(data, kPending + QStringLiteral(".discarded-"));
        for (const QString& earlier : BackupFiles::swapIn({{pending, incoming, discarded}}))
            BackupFiles::removeQuietly(earlier);
    } catch (...) {
        BackupFiles::removeQuietly(incoming);
        throw;
    }
    if (progress)
        progress(1.0);
}

bool BackupBundle::hasPendingRestore()
{
    return BackupFiles::isFile(path(path(StoreLocation::dataFolder(), kPending), kStoreName));
}

void BackupBundle::applyPendingRestoreIfNeeded()
{
    const QString data = StoreLocation::dataFolder();
    if (!BackupFiles::isFolder(data))
        return;
    BackupData::recoverInterruptedFolderSwap(data);
    const QDir dir(data);
    auto leftovers = [&](const QStringList& patterns) {
        for (const QString& n : dir.entryList(patterns, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            BackupFiles::removeQuietly(path(data, n));
    };
    // Stagings that never completed, and copies of an earlier swap that stopped.
    leftovers({kPending + QStringLiteral(".incoming-*"), kPending + QStringLiteral(".discarded-*"), QStringLiteral(".restore-incoming-*"),
               QStringLiteral(".restore-undo-*")});

    const QString pending = path(data, kPending);
    if (!BackupFiles::isFile(path(pending, kStoreName))) {
        BackupFiles::removeQuietly(pending);
        leftovers({QStringLiteral(".restore-previous-*")});
        return;
    }

    // Every live name this swap replaces: the store and both companions always (a staged store
    // never pairs with the old store's "-wal"/"-shm"), a data folder only when one is staged.
    QStringList replaced = storeFileNames();
    for (const QString& name : BackupData::dataFolderNames())
        if (BackupFiles::isFolder(path(pending, name)))
            replaced << name;

    // 1. Copy every staged item beside the live data. A failure here changes nothing.
    QHash<QString, QString> incoming;  // live name -> copy beside it
    try {
        for (const QString& name : std::as_const(replaced)) {
            const QString staged = path(pending, name);
            const QString copy = BackupFiles::uniquePath(data, QStringLiteral(".restore-incoming-"));
            if (BackupFiles::isFolder(staged)) {
                incoming.insert(name, copy);
                BackupFiles::copyTree(staged, copy);
            } else if (BackupFiles::isFile(staged)) {
                incoming.insert(name, copy);
                BackupFiles::copyFile(staged, copy);
            }
        }
    } catch (const BackupError&) {
        for (const QString& copy : std::as_const(incoming))
            BackupFiles::removeQuietly(copy);
        return;
    }

    // The record of this swap, for the launch to undo it if the store put in place won't open.
    // Without it (it can't be written) the swap does not happen.
    try {
        QJsonObject record{{QStringLiteral("snapshot"), preRestoreSnapshotOf(pending)},
                           {QStringLiteral("replaced"), QJsonArray::fromStringList(replaced)}};
        BackupFiles::writeFileDurably(path(data, kSwapRecord), BackupJson::encode(record));
    } catch (const BackupError&) {
        for (const QString& copy : std::as_const(incoming))
            BackupFiles::removeQuietly(copy);
        return;
    }

    // 2. Rename the live items aside, then the copies into place; undo on any failure.
    const QString previous = BackupFiles::uniquePath(data, QStringLiteral(".restore-previous-"));
    try {
        BackupFiles::makeFolder(previous);
        QList<BackupFiles::SwapItem> items;
        for (const QString& name : std::as_const(replaced))
            items.append({path(data, name), incoming.value(name), path(previous, name)});
        BackupFiles::swapIn(items);
    } catch (const BackupError&) {
        for (const QString& copy : std::as_const(incoming))
            BackupFiles::removeQuietly(copy);
        // Only an emptied folder goes: if an item could not be moved back, it stays there.
        QDir().rmdir(previous);
        BackupFiles::removeQuietly(path(data, kSwapRecord));
        return;
    }

    // 3. Done: the staged folder and the old data go.
    BackupFiles::removeQuietly(pending);
    BackupFiles::removeQuietly(previous);
    leftovers({QStringLiteral(".restore-previous-*")});
}

bool BackupBundle::restoredStoreAwaitsAcceptance() { return QFileInfo::exists(path(StoreLocation::dataFolder(), kSwapRecord)); }

void BackupBundle::acceptRestoredStore() { BackupFiles::removeQuietly(path(StoreLocation::dataFolder(), kSwapRecord)); }

bool BackupBundle::revertRestoredStore(QString* snapshotName)
{
    const QString data = StoreLocation::dataFolder();
    const QString recordPath = path(data, kSwapRecord);
    QFile file(recordPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const std::optional<QJsonObject> record = BackupJson::parseObject(file.read(qint64(1) << 20));
    file.close();
    BackupJson::Reader r(record ? QJsonValue(*record) : QJsonValue());
    const QString name = r.text(QStringLiteral("snapshot"));
    QStringList replaced;
    for (const QJsonValue& v : r.array(QStringLiteral("replaced")))
        if (v.isString() && (storeFileNames() + BackupData::dataFolderNames()).contains(v.toString()))
            replaced << v.toString();
    const QString snapshot = path(StoreLocation::snapshotFolder(), name);
    if (!r.ok() || !AppPaths::isPlainFileName(name) || !BackupFiles::isFile(path(snapshot, kStoreName)))
        return false;

    // 1. Copies of the snapshot's items beside the live data; a failure changes nothing.
    QHash<QString, QString> copies;
    try {
        for (const QString& item : std::as_const(replaced)) {
            const QString source = path(snapshot, item);
            if (!BackupFiles::exists(source))
                continue;
            const QString copy = BackupFiles::uniquePath(data, QStringLiteral(".restore-undo-"));
            copies.insert(item, copy);
            if (BackupFiles::isFolder(source))
                BackupFiles::copyTree(source, copy);
            else
                BackupFiles::copyFile(source, copy);
        }
    } catch (const BackupError&) {
        for (const QString& copy : std::as_const(copies))
            BackupFiles::removeQuietly(copy);
        return false;
    }
    // 2. The folders, then the restored store's companions, and the store file last: until it is
    // back, the next launch finds the store that won't open and tries again.
    QStringList order;
    for (const QString& item : std::as_const(replaced))
        if (!storeFileNames().contains(item))
            order << item;
    order << kStoreName + QStringLiteral("-wal") << kStoreName + QStringLiteral("-shm") << kStoreName;
    try {
        for (const QString& item : std::as_const(order)) {
            const QString live = path(data, item);
            if (copies.contains(item) && !BackupFiles::isFolder(copies.value(item))) {
                BackupFiles::rename(copies.value(item), live);  // replaces the file in one step
                continue;
            }
            BackupFiles::removeQuietly(live);
            if (BackupFiles::exists(live))
                throw makeError(QStringLiteral("“%1” could not be removed.").arg(live));
            if (copies.contains(item))
                BackupFiles::rename(copies.value(item), live);
        }
    } catch (const BackupError&) {
        for (const QString& copy : std::as_const(copies))
            BackupFiles::removeQuietly(copy);
        return false;
    }
    BackupFiles::removeQuietly(recordPath);
    if (snapshotName)
        *snapshotName = name;
    return true;
}

// ---- off the main thread

QFuture<QString> BackupBundle::exportArchiveAsync(const BackupSelection& selection, ModelContext& context,
                                                  const QString& appVersion, const QString& appBuild, const QString& destination)
{
    auto promise = startedPromise<QString>();
    QFuture<QString> future = promise->future();
    QString staging;
    try {
        staging = BackupData::writeRecords(selection, context, appVersion, appBuild);
    } catch (...) {
        failPromise(promise);
        return future;
    }
    QThreadPool::globalInstance()->start([promise, selection, staging, destination] {
        const Progress progress = reporter(promise);
        try {
            BackupData::copyDataFolders(selection, staging, part(progress, 0, 0.3));
            const QString zip = zipFolder(staging, part(progress, 0.3, 1.0));
            BackupFiles::removeQuietly(staging);
            try {
                BackupFiles::placeFile(zip, destination);
            } catch (...) {
                BackupFiles::removeQuietly(zip);
                throw;
            }
            promise->addResult(destination);
            promise->finish();
        } catch (...) {
            BackupFiles::removeQuietly(staging);
            failPromise(promise);
        }
    });
    return future;
}

QFuture<RestoreSummary> BackupBundle::restoreAsync(const QString& archive, const BackupSelection& selection, ModelContext& context)
{
    auto promise = startedPromise<RestoreSummary>();
    QPointer<ModelContext> target(&context);
    QThreadPool::globalInstance()->start([promise, archive, selection, target] {
        const Progress progress = reporter(promise);
        auto work = std::make_shared<RestoreWork>();
        try {
            extractForRestore(*work, archive, selection, part(progress, 0, 0.5));
            // The folders of the snapshot are copied here; its store is copied on the main
            // thread, where the open store lives.
            work->snapshot.emplace(QStringLiteral("pre-restore"));
            work->snapshot->copyFolders();
            progress(0.7);
            work->folders = BackupData::prepareFolders(work->sections, work->root, part(progress, 0.7, 0.95));
        } catch (...) {
            // The extraction goes before the failure is told: whoever waits finds nothing left.
            work.reset();
            failPromise(promise);
            return;
        }
        QMetaObject::invokeMethod(
            target.data(),
            [promise, work, target] {
                try {
                    if (!target)
                        throw makeError(QStringLiteral("The store was closed before the restore could finish."));
                    saveBeforeRestore(*target);
                    containerCopy(*work->snapshot, target->container());
                    promise->addResult(BackupData::applySections(work->sections, work->folders, *target));
                    promise->setProgressValue(1000);
                    promise->finish();
                } catch (...) {
                    failPromise(promise);
                }
            },
            Qt::QueuedConnection);
    });
    return promise->future();
}

QFuture<void> BackupBundle::stageLegacyRestoreAsync(const QString& archive)
{
    auto promise = startedPromise<void>();
    QThreadPool::globalInstance()->start([promise, archive] {
        try {
            stageLegacyRestore(archive, reporter(promise));
            promise->finish();
        } catch (...) {
            failPromise(promise);
        }
    });
    return promise->future();
}

// ---- relaunch

namespace {

std::atomic<bool> g_relaunch{false};
QByteArray g_program;
QList<QByteArray> g_arguments;
std::once_flag g_atExit;

// Starts the program in a session of its own and does not wait for it. Only
// async-signal-safe calls happen between fork and exec.
bool spawnDetached()
{
    std::vector<char*> argv;
    argv.push_back(g_program.data());
    for (QByteArray& a : g_arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::setsid();
        if (::fork() == 0) {
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void relaunchAtExit()
{
    if (g_relaunch.exchange(false))
        spawnDetached();
}

}  // namespace

void BackupBundle::requestRelaunchAtExit()
{
    g_program = QFile::encodeName(QCoreApplication::applicationFilePath());
    g_arguments.clear();
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i)
        g_arguments << QFile::encodeName(args[i]);
    std::call_once(g_atExit, [] { std::atexit(relaunchAtExit); });
    g_relaunch = true;
}

void BackupBundle::cancelRelaunch() { g_relaunch = false; }

bool BackupBundle::startRequestedRelaunch()
{
    if (!g_relaunch.exchange(false))
        return false;
    return spawnDetached();
}
