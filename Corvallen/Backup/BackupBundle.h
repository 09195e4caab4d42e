#pragma once

#include "Corvallen/Backup/BackupError.h"
#include "Corvallen/Backup/BackupManifest.h"
#include "Corvallen/Backup/BackupSelection.h"
#include "Corvallen/Backup/RestoreSummary.h"

#include <QFuture>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ModelContainer;
class ModelContext;

// The backup archive and the operations around it: zipping an export, looking inside an archive
// the user picked, the selective restore of a current archive, the staged whole-store restore
// of an older archive with its swap at the next launch, the "pre-restore" snapshot, and the
// relaunch after staging. Every failure is thrown as a BackupError.
//
// The synchronous operations block their thread. Those that touch the store (restore, the
// snapshot of an open store, writing an export's records) run on the main thread; zipping,
// inspecting and staging may run on any thread. The *Async entry points move the long file work
// to the global thread pool and report progress (0 to 1000) through the returned future; a
// failure comes back as the future's exception (a BackupError).
class BackupBundle {
public:
    struct Info {
        std::optional<BackupManifest> manifest;  // present for a current archive
        bool isLegacy = false;                   // true for an archive holding a whole store
    };
    using Progress = std::function<void(double fraction)>;

    BackupBundle() = delete;

    // The backup code's own failure: domain "Corvallen.Backup", code 1, the message as its text.
    static BackupError makeError(const QString& message);
    // Removes a file or folder; ignores every failure.
    static void removeQuietly(const QString& path);

    // Makes "CorvallenBackup-<UUID>.zip" in the temporary folder from the folder's contents and
    // returns its path; the folder is left as it is.
    static QString zipFolder(const QString& folder, const Progress& progress = {});

    // Tells what an archive is from its ZIP directory alone: a decodable "manifest.json"
    // anywhere in it makes a current archive; otherwise a "Corvallen.store" anywhere makes a
    // legacy one; otherwise "That doesn't look like a Corvallen backup." An archive with an
    // unsafe entry is refused as the restore would refuse it.
    static Info inspect(const QString& archive);

    // The live items that exist, in order: "Corvallen.store", its "-wal" and "-shm"
    // companions, then the folders "captures", "components", "documents".
    static QStringList storeItems();

    // Copies the live data into "backups/<label>-<yyyyMMdd-HHmmss>" in the data folder and
    // returns that folder. The store is copied consistently (SQLite's backup API), as one file
    // "Corvallen.store" without companions, through a connection of its own (any thread; the
    // selective restore copies the open store through its container instead). An item that a
    // snapshot of the same name and second already holds is kept as it is; any other failure is
    // thrown and the new snapshot folder is removed.
    static QString snapshot(const QString& label);

    // Stages a legacy archive: checks its store file (opens read-only, passes the integrity
    // check, has a known schema version), takes the "pre-restore" snapshot, and builds
    // "pending-restore" in the data folder under a temporary name, renamed when complete (an
    // earlier staged restore is replaced). The live data is not touched. Any thread.
    static void stageLegacyRestore(const QString& archive, const Progress& progress = {});
    // True when a staged restore waits for the next launch.
    static bool hasPendingRestore();

    // At launch, before the launch snapshot and before the store opens: puts a staged restore in
    // place. The staged items are first copied beside the live ones; only when all are there are
    // the live items renamed aside (the old store's "-wal"/"-shm" always) and the new ones
    // renamed in. On any failure the live data and the staged folder stay as they were. Never
    // fails towards its caller.
    static void applyPendingRestoreIfNeeded();
    // A swap leaves a record until the store it put in place has opened. The launch calls
    // acceptRestoredStore() once the store is open; when it won't open, revertRestoredStore()
    // puts the items the swap replaced back from the "pre-restore" snapshot the staging took and
    // returns true (with that snapshot's folder name). It returns false and changes nothing when
    // no swap awaits, the snapshot is gone, or the data can't be put back.
    static void acceptRestoredStore();
    static bool restoredStoreAwaitsAcceptance();
    static bool revertRestoredStore(QString* snapshotName = nullptr);

    // ---- Off the main thread

    // Writes the export's records on the calling (main) thread, then copies the data folders,
    // zips them and moves the archive to `destination` (replacing a file there) in the thread
    // pool; the staging folder and the temporary archive are removed in every case. The result
    // is `destination`.
    static QFuture<QString> exportArchiveAsync(const BackupSelection& selection, ModelContext& context,
                                               const QString& appVersion, const QString& appBuild,
                                               const QString& destination);
    // The selective restore: replaces the selected sections with the archive's, all or nothing.
    // In the thread pool it extracts what the sections need into "CorvallenRestore-<UUID>" in the
    // temporary folder, copies the data folders into the "pre-restore" snapshot and prepares the
    // new folders; then, on the context's (main) thread, it saves the context's pending changes,
    // copies the store into the snapshot, replaces the records (one save) and swaps the folders
    // in after that save. A failure is the future's BackupError.
    static QFuture<RestoreSummary> restoreAsync(const QString& archive, const BackupSelection& selection,
                                                ModelContext& context);
    static QFuture<void> stageLegacyRestoreAsync(const QString& archive);

    // ---- Relaunch after staging

    // Has a new instance of the same executable (same arguments) started once this process has
    // closed its store: when the process exits, or earlier by startRequestedRelaunch(). Ending
    // the application is the caller's part; cancelRelaunch() takes the request back when the
    // application stays.
    static void requestRelaunchAtExit();
    static void cancelRelaunch();
    // For the end of main(), after the store has been closed: starts the requested new instance
    // now. Returns true when one was started.
    static bool startRequestedRelaunch();
};
