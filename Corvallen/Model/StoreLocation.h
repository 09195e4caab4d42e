#pragma once

#include <QDateTime>
#include <QString>

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
// companions into backups/<stamp>, then keeps only the `keep` folders whose names sort
// highest. Nothing happens when there is no store file. Never fails towards its caller.
void snapshotStore(int keep);
// The same, stamped with the given launch time.
void snapshotStore(int keep, const QDateTime& launchTime);
// Deletes every folder of `folder` but the `keep` whose names sort highest (plain code-point
// order); stray files are neither counted nor deleted.
void pruneSnapshots(const QString& folder, int keep);

}  // namespace StoreLocation
