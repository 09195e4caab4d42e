#pragma once

#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/BackupSelection.h"

#include <QFuture>
#include <QString>

class ModelContext;

// The export: the store's records of the selected sections as JSON files, copies of their data
// folders and "manifest.json", written into a staging folder and zipped into an archive.
namespace BackupExport {

using Progress = BackupBundle::Progress;

// The operating system line of the manifest: "Linux 6.1" for kernel 6.1.0, "Linux 6.1.7" for
// 6.1.7 (the third number only when it is 1 or more).
QString osVersionString();
QString osVersionText(const QString& system, int major, int minor, int patch);

// Writes one complete export into a fresh staging folder "CorvallenBackup-<UUID>" in the
// temporary folder and returns its path: the JSON records of the selected sections, copies of
// their data folders and "manifest.json". Main thread (it reads the store). Throws BackupError;
// on any failure the staging folder is removed and nothing is returned.
QString exportBackup(const BackupSelection& selection, ModelContext& context, const QString& appVersion,
                     const QString& appBuild, const Progress& progress = {});

// The two halves of exportBackup, for callers that copy the folders off the main thread.
// writeRecords reads the store (main thread) and writes the JSON files and the manifest;
// copyDataFolders copies the data folders of the selected sections (any thread) and returns how
// many symbolic links it left out: a link the user placed in a data folder may point anywhere,
// so an archive holds the data's own files only. Both throw and leave removing the staging
// folder to the caller.
QString writeRecords(const BackupSelection& selection, ModelContext& context, const QString& appVersion,
                     const QString& appBuild);
qint64 copyDataFolders(const BackupSelection& selection, const QString& stagingFolder, const Progress& progress = {});

// What an export made: the archive, and the links in the data folders it left out.
struct Outcome {
    QString archive;
    qint64 linksLeftOut = 0;
};

// Writes the export's records on the calling (main) thread, then copies the data folders,
// zips them and moves the archive to `destination` (replacing a file there) in the thread
// pool; the staging folder and the temporary archive are removed in every case. The result's
// archive is `destination`.
QFuture<Outcome> exportArchiveAsync(const BackupSelection& selection, ModelContext& context, const QString& appVersion,
                                    const QString& appBuild, const QString& destination);

}  // namespace BackupExport
