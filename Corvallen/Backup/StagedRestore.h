#pragma once

#include "Corvallen/Backup/BackupBundle.h"

#include <QFuture>
#include <QString>

// The whole-store restore of a legacy archive, which holds a whole store: staged into
// "pending-restore" in the data folder while the program runs, swapped in at the next launch
// before the store opens, and undone (the live data the swap set aside is put back) when the
// swapped store won't open.
namespace StagedRestore {

using Progress = BackupBundle::Progress;

// ---- Staging

// Stages a legacy archive: checks its store file (opens read-only, passes the integrity
// check, has a known schema version), takes the "pre-restore" snapshot, and builds
// "pending-restore" in the data folder under a temporary name, renamed when complete (an
// earlier staged restore is replaced). The live data is not touched. Any thread.
void stageLegacyRestore(const QString& archive, const Progress& progress = {});
// The same in the thread pool, with progress (0 to 1000) and a failure as the future's
// BackupError.
QFuture<void> stageLegacyRestoreAsync(const QString& archive);
// True when a staged restore waits for the next launch.
bool hasPendingRestore();

// ---- The swap at launch

// At launch, before the launch snapshot and before the store opens: finishes or undoes a
// selective restore a crash interrupted, then puts a staged restore in place. The staged items
// are first copied beside the live ones; only when all are there are the live items renamed
// aside (the old store's "-wal"/"-shm" always) and the new ones renamed in. On any failure the
// live data stays as it was and the reason is returned (empty when a staged restore was put in
// place or none waited). A restore that couldn't be put in place is then discarded, so it never
// replaces the user's later work at some launch to come; only a swap that left a live item
// aside (it couldn't be moved back) stays staged, for the next launch to complete. Never throws.
QString applyPendingRestoreIfNeeded();
// A swap leaves a record, and keeps the live items it replaced aside, until the store it put in
// place has opened. The launch calls acceptRestoredStore() once the store is open (the items
// kept aside go then); when it won't open, revertRestoredStore() puts those items back, so the
// data is exactly as it was just before the swap, with all the work done since the staging,
// and returns true with an empty snapshot name. Only for a record that kept nothing aside does
// it fall back to the "pre-restore" snapshot the staging took (and give its folder name). It
// returns false when no swap awaits or the data can't be put back; a revert stopped halfway is
// taken up again by the next launch's revert. While a swap awaits, no other staged restore is
// swapped in.
void acceptRestoredStore();
bool restoredStoreAwaitsAcceptance();
bool revertRestoredStore(QString* snapshotName = nullptr);

}  // namespace StagedRestore
