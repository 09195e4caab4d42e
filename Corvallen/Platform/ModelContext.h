#pragma once

#include "Corvallen/Platform/PersistentModel.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class ModelContainer;

// The main context of the object store: the one place records live while the application runs.
// It holds an identity map (one object per stored record), sees inserted-but-unsaved records in
// its fetches, writes every pending change in one transaction on save(), and keeps the changes
// pending when a save fails. Changes are saved automatically shortly after they are made and at
// quit. Every change is announced, coalesced per event-loop turn, by changed(entityName).
// Main thread only.
class ModelContext : public QObject {
    Q_OBJECT
public:
    ~ModelContext() override;

    ModelContainer& container() const { return *m_container; }

    // Takes ownership of a new record and gives it its identifier. When the entity has a unique
    // attribute and a live record already holds the same value, the existing record takes the
    // new record's values and links and is returned instead; the new object is then retired.
    // Always use the returned pointer.
    PersistentModel* insert(PersistentModel* object);
    template <class T>
    T* insert(T* object) { return static_cast<T*>(insert(static_cast<PersistentModel*>(object))); }

    // Deletes the record and applies the delete rules of its relationships.
    void deleteObject(PersistentModel* object);

    // Every live record of an entity, in store order (inserted ones last), optionally filtered
    // and sorted (a stable sort by `less`).
    QList<PersistentModel*> fetchAll(const QString& entityName) const;
    template <class T>
    QList<T*> fetch(const std::function<bool(const T*)>& filter = {},
                    const std::function<bool(const T*, const T*)>& less = {}) const
    {
        QList<T*> out;
        const QList<PersistentModel*> all = fetchAll(T::descriptor().name);
        out.reserve(all.size());
        for (PersistentModel* m : all) {
            T* t = static_cast<T*>(m);
            if (!filter || filter(t))
                out.append(t);
        }
        if (less)
            std::stable_sort(out.begin(), out.end(), less);
        return out;
    }
    template <class T>
    qsizetype fetchCount(const std::function<bool(const T*)>& filter = {}) const
    {
        if (!filter)
            return liveCount(T::descriptor().name);
        return fetch<T>(filter).size();
    }
    qsizetype liveCount(const QString& entityName) const;

    // The live record with that identifier, or nullptr (unknown, deleted, other entity).
    PersistentModel* model(const PersistentIdentifier& id) const;
    template <class T>
    T* model(const PersistentIdentifier& id) const
    {
        if (id.entityName != T::descriptor().name)
            return nullptr;
        return static_cast<T*>(model(id));
    }

    bool hasChanges() const;
    // Writes every pending change in one transaction. On failure nothing is written, the changes
    // stay pending for the next save, and the error is returned through `error`.
    bool save(QString* error = nullptr);
    // The SQLite result code (extended) of the last failed save; SQLITE_OK after a good one.
    int lastSaveErrorCode() const { return m_lastSaveErrorCode; }
    // The same, running `alsoInTransaction` (SQL of the caller's own, never an entity table's)
    // inside the same transaction, after the changes: both reach the file together or neither
    // does. Runs the transaction even when no record changed.
    bool save(const QString& alsoInTransaction, QString* error);

    // Whether every statement a context reads and writes the schema's tables with can be
    // prepared on `db` (each entity table with each of its columns, each join table); the
    // first failure's reason goes to `error`. Nothing is read or written.
    static bool checkSchema(sqlite3* db, const QList<const EntityDescriptor*>& schema, QString* error);
    // Drops every pending change: records take their saved values and links again, new records
    // are retired, deleted ones come back.
    void rollback();

    // Runs `action` once the deletion of `object` has reached the store: after the save that
    // writes it, or at the next successful save when the record was never stored. A rollback
    // that brings the record back drops the action. This is how the files that belong to a
    // record are removed: only when the record is gone for good, so a failed save never leaves
    // a record whose files are missing. Call it after deleteObject().
    void afterDeletionSaved(PersistentModel* object, std::function<void()> action);

    void setAutosaveEnabled(bool enabled);
    bool autosaveEnabled() const { return m_autosave; }
    void setAutosaveDelay(int milliseconds) { m_autosaveTimer.setInterval(milliseconds); }

    // Sends the pending change notifications now instead of at the next event-loop turn.
    void flushNotifications();

Q_SIGNALS:
    // Some record of this entity was inserted, deleted or changed (coalesced).
    void changed(const QString& entityName);
    void didSave();
    // A save failed; the changes stay pending.
    void saveFailed(const QString& error);

private:
    friend class ModelContainer;
    friend class PersistentModel;
    ModelContext(ModelContainer* container, sqlite3* db, QList<const EntityDescriptor*> schema);

    struct EntityState {
        const EntityDescriptor* descriptor = nullptr;
        std::vector<PersistentModel*> live;  // store order; may hold deleted records until compacted
        bool needsCompaction = false;
        qsizetype liveCount = 0;
        QHash<qint64, PersistentModel*> byKey;
        QHash<QString, PersistentModel*> unique;  // unique attribute value -> record
        bool uniqueDuplicates = false;  // some live records share a unique value (after a rename)
        qint64 nextKey = 1;
        sqlite3_stmt* insertStmt = nullptr;
        sqlite3_stmt* updateStmt = nullptr;
        sqlite3_stmt* deleteStmt = nullptr;
        QStringList joinTables;  // join tables this entity takes part in
    };

    struct PendingLink {
        PersistentModel* from;
        int index;
        qint64 key;
    };
    // The rows of one entity's table, read into objects (on any thread; nothing here touches
    // the context) and adopted by the context on the main thread.
    struct LoadedTable {
        const EntityDescriptor* descriptor = nullptr;
        std::vector<PersistentModel*> rows;  // store order
        std::vector<std::unique_ptr<PersistentModel>> created;
        std::vector<PendingLink> links;
        qint64 maxKey = 0;
        QString error;
    };
    struct LoadedJoin {
        const EntityDescriptor* owner = nullptr;
        int relationship = 0;
        std::vector<std::pair<qint64, qint64>> rows;
    };
    static bool readTable(sqlite3* db, const EntityDescriptor* d, const QHash<qint64, PersistentModel*>& reuse, LoadedTable& out);
    static bool readJoins(sqlite3* db, const QList<const EntityDescriptor*>& schema, std::vector<LoadedJoin>& out, QString* error);
    void adopt(std::vector<LoadedTable>& tables, std::vector<LoadedJoin>& joins);
    bool load(QString* error);
    EntityState& state(const QString& entityName) const;
    void recordChanged(PersistentModel* object);
    void uniqueValueChanged(PersistentModel* object, const QVariant& oldValue, const QVariant& newValue);
    void addUniqueEntry(EntityState& s, const QString& value, PersistentModel* object);
    void dropUniqueEntry(EntityState& s, const QString& value, PersistentModel* leaving);
    void runDeletionActions();
    void compact(EntityState& s) const;
    void scheduleNotification(const QString& entityName);
    void retire(PersistentModel* object);
    void deleteRecursive(PersistentModel* object, QSet<PersistentModel*>& visiting);
    bool prepareStatements(QString* error);
    bool writeChanges(QString* error);

    ModelContainer* m_container;
    sqlite3* m_db;
    QList<const EntityDescriptor*> m_schema;
    mutable QHash<QString, EntityState> m_entities;
    std::vector<std::unique_ptr<PersistentModel>> m_owned;
    QList<PersistentModel*> m_pending;  // records with pending changes (may repeat)
    std::vector<std::pair<PersistentModel*, std::function<void()>>> m_deletionActions;
    QSet<QString> m_notify;
    bool m_notifyScheduled = false;
    bool m_autosave = true;
    int m_lastSaveErrorCode = 0;
    QTimer m_autosaveTimer;
};
