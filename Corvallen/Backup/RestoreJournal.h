#pragma once

#include "Corvallen/Backup/BackupRecords.h"

#include <QList>
#include <QString>

#include <optional>

// A selective restore changes two things no single operation covers: the records in the store
// and the data folders beside it. The journal ties them together. It is written to the data
// folder, flushed to the disk, before the restore's one store transaction; it names the new
// folders made beside the live ones, the names the live ones are moved aside to, the settings
// the restore writes, and a token that the transaction writes into the store as well. At the
// next launch, a journal left behind by a crash is finished when its token is in the store and
// undone when it is not, so records, files and settings always belong to the same side.
//
// The restoring process holds a lock on the journal file from its writing to its removal: a
// journal whose lock is held belongs to a restore that is still running and is left alone.
class RestoreJournal {
public:
    struct Folder {
        QString name;      // "captures", "components" or "documents"
        QString prepared;  // the new content, a hidden name in the data folder
        QString aside;     // where the live folder goes while the new one takes its name
        friend bool operator==(const Folder&, const Folder&) = default;
    };

    // "restore-journal.json", in the data folder.
    static QString fileName();

    // Writes the journal durably into `dataFolder` and locks it. Folder names are plain names
    // inside that folder. Throws BackupError when it can't be written.
    static RestoreJournal begin(const QString& dataFolder, const QList<Folder>& folders,
                                const std::optional<BackupData::SettingsDTO>& settings);

    RestoreJournal(RestoreJournal&& other) noexcept;
    RestoreJournal& operator=(RestoreJournal&&) = delete;
    // Releases the lock and leaves the file: a journal that was not finished is for the next launch.
    ~RestoreJournal();

    const QString& token() const { return m_token; }
    // SQL for the restore's transaction: records the token in the store's own table (the
    // earlier restore's token goes), so the file tells afterwards whether the transaction was
    // committed.
    QString commitSql() const;

    // The restore is over, its folders in place or given up: removes the journal file.
    void finish();

    // At launch, before the store opens: finishes or undoes a restore a crash interrupted.
    // Returns false when a journal stays: a running restore holds it, or this launch could not
    // read the store or do every rename (the next launch tries again). Then nothing in the data
    // folder may be tidied away. Never fails.
    static bool recover(const QString& dataFolder);

private:
    RestoreJournal() = default;

    QString m_path;
    QString m_token;
    int m_lock = -1;
};
