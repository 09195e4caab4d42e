#include "Corvallen/Backup/StagedRestore.h"

#include "Corvallen/Backup/BackupAsync.h"
#include "Corvallen/Backup/BackupData.h"
#include "Corvallen/Backup/BackupFiles.h"
#include "Corvallen/Backup/BackupJson.h"
#include "Corvallen/Backup/SelectiveRestore.h"
#include "Corvallen/Backup/SnapshotWriter.h"
#include "Corvallen/Backup/ZipReader.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Store/ModelContainer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QThreadPool>

namespace StagedRestore {

using BackupData::dataFolderNames;
using BackupData::storeFileName;
using BackupData::storeFileNames;

namespace {

const QString kPending = QStringLiteral("pending-restore");
// Inside "pending-restore": the name of the "pre-restore" snapshot the staging took.
const QString kSnapshotNote = QStringLiteral(".pre-restore-snapshot");
// In the data folder from a launch-time swap until the store it put in place has opened.
const QString kSwapRecord = QStringLiteral("restore-swap.json");

QString path(const QString& folder, const QString& name) { return folder + QLatin1Char('/') + name; }

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

// The swap record, when one awaits: what the store put in place replaced, where the live items
// were moved aside to, and the staging's snapshot.
struct SwapRecord {
    QString snapshot;
    QStringList replaced;  // every live name the swap replaced
    QString previous;  // the folder in the data folder holding the live items as they were
    QStringList setAside;  // the replaced names that existed and went into `previous`
    bool ok = false;
};

SwapRecord readSwapRecord(const QString& data)
{
    QFile file(path(data, kSwapRecord));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const std::optional<QJsonObject> object = BackupJson::parseObject(file.read(qint64(1) << 20));
    BackupJson::Reader r(object ? QJsonValue(*object) : QJsonValue());
    SwapRecord record;
    record.snapshot = r.text(QStringLiteral("snapshot"));
    const QStringList known = storeFileNames() + dataFolderNames();
    const auto names = [&](const QJsonArray& array) {
        QStringList out;
        for (const QJsonValue& v : array)
            if (v.isString() && known.contains(v.toString()))
                out << v.toString();
        return out;
    };
    record.replaced = names(r.array(QStringLiteral("replaced")));
    // Records written before the live items were kept until the store opened name no folder.
    if (const std::optional<QString> previous = r.optText(QStringLiteral("previous"))) {
        record.setAside = names(r.array(QStringLiteral("setAside")));
        if (AppPaths::isPlainFileName(*previous) && previous->startsWith(QStringLiteral(".restore-previous-")))
            record.previous = *previous;
        else
            r.fail();
    }
    record.ok = r.ok() && object.has_value();
    return record;
}

// Removes the live items a finished swap kept aside, except the ones a swap still awaiting its
// store's opening may have to put back.
void removeSetAsideItems(const QString& data)
{
    const QString kept = readSwapRecord(data).previous;
    for (const QString& n : QDir(data).entryList({QStringLiteral(".restore-previous-*")},
                                                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (n != kept)
            BackupFiles::removeQuietly(path(data, n));
}

}  // namespace

void stageLegacyRestore(const QString& archive, const Progress& progress)
{
    ZipReader zip(archive);
    const ZipReader::Entry* store = zip.findShallowest(storeFileName());
    if (!store)
        throw BackupBundle::makeError(QStringLiteral("That doesn't look like a Corvallen backup (no data store inside)."));
    const QString prefix = BackupBundle::folderPrefix(store->name);

    BackupBundle::Extraction extraction;
    BackupBundle::extract(zip, prefix, storeFileNames() + dataFolderNames(), extraction, BackupAsync::part(progress, 0, 0.5));
    const QString source = extraction.root;

    // The companions the archive holds, noted before the check, which may add its own.
    QStringList storeFiles;
    for (const QString& name : storeFileNames())
        if (BackupFiles::isFile(path(source, name)))
            storeFiles << name;
    QString error;
    if (!ModelContainer::verifyStoreFile(path(source, storeFileName()), corvallenSchema(), &error))
        throw BackupBundle::makeError(QStringLiteral("The data store in that backup can't be used: %1").arg(error));

    const QString snapshotFolder = SnapshotWriter::snapshot(QStringLiteral("pre-restore"));

    const QString data = StoreLocation::dataFolder();
    BackupFiles::makeFolder(data);
    const QString incoming = BackupFiles::uniquePath(data, kPending + QStringLiteral(".incoming-"));
    BackupFiles::makeFolder(incoming);
    try {
        // The way back if the staged store won't open at the launch that puts it in place.
        BackupFiles::writeFile(path(incoming, kSnapshotNote), QFileInfo(snapshotFolder).fileName().toUtf8());
        for (const QString& name : std::as_const(storeFiles))
            BackupFiles::moveTree(path(source, name), path(incoming, name));
        const QStringList folders = dataFolderNames();
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

QFuture<void> stageLegacyRestoreAsync(const QString& archive)
{
    auto promise = BackupAsync::startedPromise<void>();
    QThreadPool::globalInstance()->start([promise, archive] {
        try {
            stageLegacyRestore(archive, BackupAsync::reporter(promise));
            promise->finish();
        } catch (...) {
            BackupAsync::failPromise(promise);
        }
    });
    return promise->future();
}

bool hasPendingRestore()
{
    return BackupFiles::isFile(path(path(StoreLocation::dataFolder(), kPending), storeFileName()));
}

// ---- the swap at launch

QString applyPendingRestoreIfNeeded()
{
    // What a restore killed mid-way left in the temporary folder; a running one keeps its own.
    BackupBundle::removeAbandonedExtractions();
    const QString data = StoreLocation::dataFolder();
    if (!BackupFiles::isFolder(data))
        return {};
    SelectiveRestore::recoverInterruptedFolderSwap(data);
    const QDir dir(data);
    auto leftovers = [&](const QStringList& patterns) {
        for (const QString& n : dir.entryList(patterns, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            BackupFiles::removeQuietly(path(data, n));
    };
    // Stagings that never completed, copies of an earlier swap that stopped, and a swap record
    // whose writing stopped before it took its name.
    leftovers({kPending + QStringLiteral(".incoming-*"), kPending + QStringLiteral(".discarded-*"), QStringLiteral(".restore-incoming-*"),
               QStringLiteral(".restore-undo-*"), QLatin1Char('.') + kSwapRecord + QStringLiteral(".partial-*")});

    const QString pending = path(data, kPending);
    if (!BackupFiles::isFile(path(pending, storeFileName()))) {
        BackupFiles::removeQuietly(pending);
        removeSetAsideItems(data);
        return {};
    }
    // A swap whose store has not opened yet (the launch that made it stopped) is settled by
    // this launch's opening first; a second swap now would lose the way back from the first.
    if (restoredStoreAwaitsAcceptance())
        return {};

    // Every live name this swap replaces: the store and both companions always (a staged store
    // never pairs with the old store's "-wal"/"-shm"), a data folder only when one is staged.
    QStringList replaced = storeFileNames();
    for (const QString& name : dataFolderNames())
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
    } catch (const BackupError& e) {
        for (const QString& copy : std::as_const(incoming))
            BackupFiles::removeQuietly(copy);
        BackupFiles::removeQuietly(pending);
        return e.localizedDescription();
    }

    // The record of this swap, for the launch to undo it if the store put in place won't open:
    // the live items are moved aside into `previous` and kept there until the store has opened,
    // so an undo puts back the data exactly as it was at this launch, with everything done since
    // the staging. Without the record (it can't be written) the swap does not happen.
    const QString previous = BackupFiles::uniquePath(data, QStringLiteral(".restore-previous-"));
    try {
        QStringList setAside;
        for (const QString& name : std::as_const(replaced))
            if (BackupFiles::exists(path(data, name)))
                setAside << name;
        QJsonObject record{{QStringLiteral("snapshot"), preRestoreSnapshotOf(pending)},
                           {QStringLiteral("replaced"), QJsonArray::fromStringList(replaced)},
                           {QStringLiteral("previous"), QFileInfo(previous).fileName()},
                           {QStringLiteral("setAside"), QJsonArray::fromStringList(setAside)}};
        BackupFiles::writeFileDurably(path(data, kSwapRecord), BackupJson::encode(record));
    } catch (const BackupError& e) {
        for (const QString& copy : std::as_const(incoming))
            BackupFiles::removeQuietly(copy);
        BackupFiles::removeQuietly(pending);
        return e.localizedDescription();
    }

    // 2. Rename the live items aside, then the copies into place; undo on any failure.
    try {
        BackupFiles::makeFolder(previous);
        QList<BackupFiles::SwapItem> items;
        for (const QString& name : std::as_const(replaced))
            items.append({path(data, name), incoming.value(name), path(previous, name)});
        BackupFiles::swapIn(items);
    } catch (const BackupError& e) {
        for (const QString& copy : std::as_const(incoming))
            BackupFiles::removeQuietly(copy);
        // Only an emptied folder goes: if an item could not be moved back, it stays there, and so
        // does the staged restore, whose next swap puts a whole set of data in place again.
        if (QDir().rmdir(previous))
            BackupFiles::removeQuietly(pending);
        BackupFiles::removeQuietly(path(data, kSwapRecord));
        return e.localizedDescription();
    }

    // 3. Done: the staged folder goes; the old data stays aside until the new store has opened.
    BackupFiles::removeQuietly(pending);
    removeSetAsideItems(data);
    return {};
}

bool restoredStoreAwaitsAcceptance() { return QFileInfo::exists(path(StoreLocation::dataFolder(), kSwapRecord)); }

void acceptRestoredStore()
{
    const QString data = StoreLocation::dataFolder();
    const QString previous = readSwapRecord(data).previous;
    // The record first: without it, a folder set aside is a leftover the next launch removes.
    BackupFiles::removeQuietly(path(data, kSwapRecord));
    if (!previous.isEmpty())
        BackupFiles::removeQuietly(path(data, previous));
}

namespace {

// Puts back the live items a swap set aside, by renames: the folders, then the companions and
// the store file last, so that until it is back the next launch finds the store that won't open
// and tries again. An item already back (a launch that stopped halfway) is left as it is; an
// item that didn't exist before the swap goes. False when a rename fails.
bool putBackSetAside(const QString& data, const SwapRecord& record)
{
    const QString previous = path(data, record.previous);
    QStringList order;
    for (const QString& item : record.replaced)
        if (!storeFileNames().contains(item))
            order << item;
    order << storeFileName() + QStringLiteral("-wal") << storeFileName() + QStringLiteral("-shm") << storeFileName();
    const QString undone = BackupFiles::uniquePath(data, QStringLiteral(".restore-undo-"));
    try {
        BackupFiles::makeFolder(undone);
        for (const QString& item : std::as_const(order)) {
            if (!record.replaced.contains(item))
                continue;
            const QString live = path(data, item);
            const QString kept = path(previous, item);
            if (record.setAside.contains(item) && !BackupFiles::exists(kept))
                continue;  // already back
            if (BackupFiles::exists(live))
                BackupFiles::rename(live, path(undone, item));
            if (record.setAside.contains(item))
                BackupFiles::rename(kept, live);
        }
    } catch (const BackupError&) {
        return false;
    }
    BackupFiles::removeQuietly(undone);
    return true;
}

}  // namespace

bool revertRestoredStore(QString* snapshotName)
{
    const QString data = StoreLocation::dataFolder();
    const QString recordPath = path(data, kSwapRecord);
    const SwapRecord record = readSwapRecord(data);
    if (!record.ok)
        return false;
    // The live data as it was just before the swap, when the swap kept it aside.
    if (!record.previous.isEmpty() && BackupFiles::isFolder(path(data, record.previous))) {
        if (!putBackSetAside(data, record))
            return false;
        BackupFiles::removeQuietly(recordPath);
        BackupFiles::removeQuietly(path(data, record.previous));
        if (snapshotName)
            snapshotName->clear();
        return true;
    }
    // Otherwise (a record from before the live items were kept) the staging's snapshot.
    const QString name = record.snapshot;
    const QStringList& replaced = record.replaced;
    const QString snapshot = path(StoreLocation::snapshotFolder(), name);
    if (!AppPaths::isPlainFileName(name) || !BackupFiles::isFile(path(snapshot, storeFileName())))
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
    order << storeFileName() + QStringLiteral("-wal") << storeFileName() + QStringLiteral("-shm") << storeFileName();
    try {
        for (const QString& item : std::as_const(order)) {
            const QString live = path(data, item);
            if (copies.contains(item) && !BackupFiles::isFolder(copies.value(item))) {
                BackupFiles::rename(copies.value(item), live);  // replaces the file in one step
                continue;
            }
            BackupFiles::removeQuietly(live);
            if (BackupFiles::exists(live))
                throw BackupBundle::makeError(QStringLiteral("“%1” could not be removed.").arg(live));
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

}  // namespace StagedRestore
