#pragma once

#include "Corvallen/Backup/BackupError.h"
#include "Corvallen/Backup/BackupManifest.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ZipReader;

// The backup archive: zipping a staging folder into one, looking inside an archive the user
// picked, and extracting the part of it a restore needs. The jobs around the archive have files
// of their own: BackupExport, SelectiveRestore, StagedRestore, SnapshotWriter, Relaunch. Every
// failure is thrown as a BackupError. Any thread.
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

    // ---- Reading an archive for a restore

    // The archive's decodable "manifest.json", if it has one. An unreadable manifest counts as
    // none: the archive may still hold a whole store.
    static std::optional<BackupManifest> readManifest(const ZipReader& zip);
    // An archive laid out by a newer version may hold sections or fields this one would restore
    // half-way; it is refused as a whole.
    static void refuseNewerLayout(const BackupManifest& manifest);
    // The folder part of an entry name with its trailing "/", or "" for an entry at the top.
    static QString folderPrefix(const QString& entryName);

    // What a restore extracted: the folder "CorvallenRestore-<UUID>" in the temporary folder,
    // removed when this goes, and the folder inside it that holds the data. While it exists, the
    // process holds a lock on its ".owner" file, so a launch (of this or another data folder's
    // copy) can tell a running restore's folder from one a crash left behind.
    struct Extraction {
        QString folder;
        QString root;
        int owner = -1;
        Extraction() = default;
        Extraction(const Extraction&) = delete;
        Extraction& operator=(const Extraction&) = delete;
        ~Extraction();
    };
    // Extracts the entries below `prefix` (a folder of the archive, see folderPrefix) whose first
    // path component there is one of `names` into a fresh extraction folder.
    static void extract(const ZipReader& zip, const QString& prefix, const QStringList& names, Extraction& into,
                        const Progress& progress = {});
    // At launch: removes the extraction folders in the temporary folder that no running restore
    // owns (a crash or a kill left them). A folder without its ".owner" file counts as owned for a
    // minute after it was made, the moment its restore takes the lock.
    static void removeAbandonedExtractions();
};
