#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class ModelContainer;

// A snapshot of the live data, "backups/<label>-<yyyyMMdd-HHmmss>" in the data folder: the
// store as one file "Corvallen.store" without companions, and copies of the data folders.
// Restores take a "pre-restore" snapshot before they change anything. Items already in the
// folder (a snapshot of the same label in the same second) are left as they are; a failure
// removes the folder when this snapshot made it, and is thrown as a BackupError.
class SnapshotWriter {
public:
    // Takes a whole snapshot and returns its folder, the store copied through a connection of
    // its own (any thread).
    static QString snapshot(const QString& label);

    // The live items that exist, in order: "Corvallen.store", its "-wal" and "-shm"
    // companions, then the folders "captures", "components", "documents".
    static QStringList storeItems();

    // Creates (or reuses) the snapshot folder.
    explicit SnapshotWriter(const QString& label);
    QString folder() const { return m_folder; }

    // Copies the data folders (any thread).
    void copyFolders();
    // Copies the store consistently (SQLite's backup API) through a connection of its own; any
    // thread. A store SQLite can't read is copied byte for byte with its companions.
    void copyStore();
    // The same through the open store's container, on its thread.
    void copyStore(const ModelContainer& container);

private:
    // `copy` writes a consistent store copy to the path it is given.
    void copyStoreWith(const std::function<bool(const QString&, QString*)>& copy);
    template <class F>
    void guarded(F&& f);

    QString m_folder;
    bool m_existed = false;
};
