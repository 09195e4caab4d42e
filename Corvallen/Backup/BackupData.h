#pragma once

#include "Corvallen/Backup/BackupRecords.h"
#include "Corvallen/Backup/BackupSelection.h"
#include "Corvallen/Backup/RestoreSummary.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class ModelContext;
class SettingsStore;

// The data side of a backup: writing the store's records and data folders into a staging
// folder, and putting an archive's records back into the store section by section.
namespace BackupData {

using Progress = std::function<void(double fraction)>;

// The names of the three data folders, in their fixed order.
inline const QStringList& dataFolderNames()
{
    static const QStringList names{QStringLiteral("captures"), QStringLiteral("components"), QStringLiteral("documents")};
    return names;
}

// The operating system line of the manifest: "Linux 6.1" for kernel 6.1.0, "Linux 6.1.7" for
// 6.1.7 (the third number only when it is 1 or more).
QString osVersionString();
QString osVersionText(const QString& system, int major, int minor, int patch);

// ---- Export

// Writes one complete export into a fresh staging folder "CorvallenBackup-<UUID>" in the
// temporary folder and returns its path: the JSON records of the selected sections, copies of
// their data folders and "manifest.json". Main thread (it reads the store). Throws BackupError;
// on any failure the staging folder is removed and nothing is returned.
QString exportBackup(const BackupSelection& selection, ModelContext& context, const QString& appVersion,
                     const QString& appBuild, const Progress& progress = {});

// The two halves of exportBackup, for callers that copy the folders off the main thread.
// writeRecords reads the store (main thread) and writes the JSON files and the manifest;
// copyDataFolders copies the data folders of the selected sections (any thread). Both throw and
// leave removing the staging folder to the caller.
QString writeRecords(const BackupSelection& selection, ModelContext& context, const QString& appVersion,
                     const QString& appBuild);
void copyDataFolders(const BackupSelection& selection, const QString& stagingFolder, const Progress& progress = {});

// ---- Restore

// The records of one archive, each section only when it was selected and its file read and
// decoded completely (a section that is absent here changes nothing).
struct Sections {
    std::optional<QList<ComponentDTO>> inventory;
    std::optional<QList<DocumentDTO>> documents;
    std::optional<QList<TagDTO>> tags;
    std::optional<QList<ProjectDTO>> projects;
    std::optional<QList<CaptureDTO>> captures;
    std::optional<SettingsDTO> settings;
};
// Reads the selected sections' files from the data root (any thread). Never fails: an unreadable
// file leaves its section out.
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

// Writes a settings record into the settings: its keys that have a value, the interface
// language list with the language, and only the known business keys.
void writeSettings(const SettingsDTO& record, SettingsStore& settings);

// Finishes or undoes a selective restore that a crash interrupted (see RestoreJournal), and
// removes what an interrupted restore left behind. Called at launch, before the store opens.
void recoverInterruptedFolderSwap(const QString& dataFolder);

}  // namespace BackupData
