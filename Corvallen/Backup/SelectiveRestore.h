#pragma once

#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/BackupRecords.h"
#include "Corvallen/Backup/BackupSelection.h"
#include "Corvallen/Backup/RestoreSummary.h"

#include <QFuture>
#include <QList>
#include <QString>

#include <optional>

class ModelContext;

// The selective restore of a current archive: the selected sections' records and data folders
// replaced by the archive's, all or nothing. A restore journal (RestoreJournal) ties the store
// transaction to the folder swap, so that a restore a crash interrupted is finished or undone
// at the next launch (recoverInterruptedFolderSwap).
namespace SelectiveRestore {

using Progress = BackupBundle::Progress;

// The restore as the application runs it: replaces the selected sections with the archive's,
// all or nothing. In the thread pool it extracts what the sections need into
// "CorvallenRestore-<UUID>" in the temporary folder, copies the data folders into the
// "pre-restore" snapshot and prepares the new folders; then, on the context's (main) thread, it
// saves the context's pending changes, copies the store into the snapshot, replaces the records
// (one save) and swaps the folders in after that save. A failure is the future's BackupError.
QFuture<RestoreSummary> restoreAsync(const QString& archive, const BackupSelection& selection, ModelContext& context);

// ---- Its steps

// The records of one archive, each section only when it was selected and its file read and
// decoded completely (a section that is absent here changes nothing).
struct Sections {
    std::optional<QList<BackupData::ComponentDTO>> inventory;
    std::optional<QList<BackupData::DocumentDTO>> documents;
    std::optional<QList<BackupData::TagDTO>> tags;
    std::optional<QList<BackupData::ProjectDTO>> projects;
    std::optional<QList<BackupData::CaptureDTO>> captures;
    std::optional<BackupData::SettingsDTO> settings;
};
// Reads the selected sections' files from the data root (any thread). An unreadable file leaves
// its section out; a file, or all of them together, holding more than a restore decodes (see
// BackupJson and BackupData for the caps) refuses the whole restore with a BackupError that says
// which, before anything is parsed or the live data touched.
Sections loadSections(const BackupSelection& selection, const QString& root);
// The archive entries (first path component below the data root) the selection needs.
QStringList neededEntries(const BackupSelection& selection);

// New contents of the data folders, made beside the live ones (hidden names in the data folder)
// and not yet in place. Removes whatever was not swapped in when it goes away.
class PreparedFolders {
public:
    PreparedFolders() = default;
    PreparedFolders(PreparedFolders&& other) noexcept;
    PreparedFolders& operator=(PreparedFolders&& other) noexcept;
    ~PreparedFolders();
    PreparedFolders(const PreparedFolders&) = delete;

    struct Item {
        QString name;      // "captures", "components" or "documents"
        QString prepared;  // the full path of the new content
        QString aside;     // the full path the live folder is moved to when the new one goes in
    };
    QList<Item> items;
    void discard();
};
// Moves (or copies) each restored section's folder from the data root into a prepared folder
// beside the live one; a section whose archive has no such folder gets an empty one. Any thread.
// Throws on the first failure, having removed what it made; the live folders are untouched.
PreparedFolders prepareFolders(const Sections& sections, const QString& root, const Progress& progress = {});

// Replaces the loaded sections in the store and the data folders, all or nothing: every
// deletion and insertion is made in the context and saved with one save; the prepared folders
// are swapped in only after that save; the settings are written last. A restore journal written
// before the save lets the next launch finish or undo a restore that a crash interrupted. On a
// failed save the context is rolled back and the folders stay as they were. Deleting records
// removes no files. Main thread. Throws BackupError.
RestoreSummary applySections(const Sections& sections, PreparedFolders& folders, ModelContext& context);

// Delete every record of one type from the context (no save); the store's delete rules apply.
void deleteAllComponents(ModelContext& context);
void deleteAllDocuments(ModelContext& context);
void deleteAllTags(ModelContext& context);
void deleteAllProjects(ModelContext& context);
void deleteAllCaptures(ModelContext& context);

// ---- Crash recovery

// Finishes or undoes a selective restore that a crash interrupted (see RestoreJournal), and
// removes what an interrupted restore left behind. Called at launch, before the store opens.
void recoverInterruptedFolderSwap(const QString& dataFolder);

}  // namespace SelectiveRestore
