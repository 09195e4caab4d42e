#pragma once

#include <QDateTime>
#include <QString>

#include <future>

// Where the object store lives, and the safety copy of it taken at every launch.
namespace StoreLocation {

// The data folder: $XDG_DATA_HOME/Corvallen. Not created here.
QString dataFolder();
// dataFolder()/"Corvallen.store"; creates the data folder (errors ignored).
QString storeURL();
// dataFolder()/"backups".
QString snapshotFolder();
// The "yyyyMMdd-HHmmss" stamp of a local time, in ASCII digits and the Gregorian calendar
// whatever the user's locale.
QString stamp(const QDateTime& localTime);

// At launch, before the store is opened: copies the store file and its "-wal"/"-shm"
// companions into backups/<stamp> and returns the stamp (the folder's name), or nothing when
// no snapshot was taken (no store file, or the folder could not be made). Prunes nothing: the
// caller prunes once the store has opened, so launches that fail one after another never push
// the last good snapshot out. Never fails towards its caller.
QString snapshotStore();
// The same, stamped with the given launch time.
QString snapshotStore(const QDateTime& launchTime);

// The launch snapshot, taken while the launch goes on. When the store was closed cleanly (no
// "-wal" or "-shm" beside it), the store file alone is copied on a worker thread: that copy is
// the store as it was only if nothing writes to the store before `done`, so the caller holds
// every write until then (see ModelContainer::beginOpen). When companions are there (the last
// run did not close the store), the snapshot is taken at once, as by snapshotStore(), and
// `done` is ready. Either way each file appears in the snapshot only once it is whole.
struct PendingSnapshot {
    QString name;  // the snapshot's folder name; empty when none is taken
    std::shared_future<void> done;
};
PendingSnapshot snapshotStoreWhileOpening();

// True for a launch snapshot's name ("yyyyMMdd-HHmmss") and for a pre-restore snapshot's
// ("pre-restore-yyyyMMdd-HHmmss").
bool isLaunchStamp(const QString& name);
bool isPreRestoreStamp(const QString& name);

// Keeps the `keep` launch snapshots whose names sort highest (plain code-point order), always
// counting `justTaken` among them, and apart from those the `keep` newest pre-restore
// snapshots; removes the other snapshots of those two kinds. Every other entry of the folder
// (the user's own files and folders, links) is left alone.
void pruneSnapshots(const QString& folder, int keep, const QString& justTaken = {});

}  // namespace StoreLocation
