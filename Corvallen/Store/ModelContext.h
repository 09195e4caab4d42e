#pragma once

#include "Corvallen/Store/PersistentModel.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <atomic>
#include <functional>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class ModelContainer;

// The main context of the object store: the one place records live while the application runs.
// It holds an identity map (one object per stored record), sees inserted-but-unsaved records in
// its fetches, writes every pending change in one transaction on save(), and keeps the changes
// pending when a save fails. Changes are saved automatically shortly after they are made and at
// quit. Every change is announced, coalesced per event-loop turn, by changed(entityName).
//
// The context is usable as soon as it exists, before any record is read. Each entity's records
// come in as a whole: at once, the first time anything asks for them (a fetch, a look-up, an
// insert, a deletion, or a to-many list of a record), or in the background once
// loadInBackground() has started a reader per table, as each reader finishes (waiting for its
// reader when asked for sooner). An entity comes in only after the entities its records link
// to, so its links are complete from the start. Nothing can change a
// record before its table is in, so the store file answers for any entity that is not in yet:
// that is how liveCount(), fetchTop(), relatedCount() and attributeValueCounts() answer a first
// screen without reading whole tables. Main thread only.
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
    // How many live records an entity has.
    qsizetype liveCount(const QString& entityName) const;

    // The `limit` live records with the largest values of a number or date attribute, largest
    // first; records without a value come last, equal values keep store order.
    QList<PersistentModel*> fetchTop(const QString& entityName, int attribute, int limit) const;
    template <class T>
    QList<T*> fetchTop(int attribute, int limit) const
    {
        QList<T*> out;
        for (PersistentModel* m : fetchTop(T::descriptor().name, attribute, limit))
            out.append(static_cast<T*>(m));
        return out;
    }
    // How many records a to-many list of this record holds, without bringing them in.
    qsizetype relatedCount(const PersistentModel* record, int toManyIndex) const;
    // The distinct combinations of some attributes' values (by schema index) among the live
    // records, each with how many records have it, in no set order.
    struct ValueCount {
        QVariantList values;
        qsizetype count = 0;
    };
    QList<ValueCount> attributeValueCounts(const QString& entityName, const QList<int>& attributes) const;

    // A count that moves whenever a record of the entity is inserted, deleted or changed (also
    // by a rollback), before changed() is sent: what is worked out from an entity's records can
    // be kept while it stays.
    quint64 generation(const QString& entityName) const;

    // Whether an entity's records are in; whether every entity's are.
    bool isLoaded(const QString& entityName) const;
    bool isFullyLoaded() const { return !m_loading; }
    // Why a table could not be read, once one could not (empty while all reads succeed).
    QString loadError() const { return m_loadError; }
    // Brings every entity in, waiting for the readers that are not done yet.
    void loadAll();
    // Starts reading every entity that is not in yet on worker threads, each table coming in as
    // its reader finishes. Until this is called, records come in only when asked for, read on
    // the main thread (the application calls it once its first window is on screen).
    void loadInBackground();

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
    // Every entity's records are in (sent once, at the next event-loop turn).
    void finishedLoading();
    // A table could not be read: the store is damaged. From then on nothing is saved, so the
    // part that was read never overwrites the rest.
    void loadFailed(const QString& error);

private:
    friend class ModelContainer;
    friend class PersistentModel;
    struct Readers;
    struct ReaderSignal;
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
        quint64 generation = 0;
        bool loaded = false;
        bool loading = false;
        // Records handed out by fetchTop() before the table came in; they stay the objects for
        // their keys.
        QHash<qint64, PersistentModel*> early;
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
    // The rows of one entity's table, read into objects with their key and unique-value maps
    // (on any thread; nothing here touches the context) and adopted by the context on the main
    // thread.
    struct LoadedTable {
        const EntityDescriptor* descriptor = nullptr;
        std::vector<PersistentModel*> rows;  // store order
        std::vector<std::unique_ptr<PersistentModel>> created;
        std::vector<PendingLink> links;
        QHash<qint64, PersistentModel*> byKey;
        QHash<QString, PersistentModel*> unique;
        bool uniqueDuplicates = false;
        qint64 maxKey = 0;
        QString error;
    };
    struct LoadedJoin {
        const EntityDescriptor* owner = nullptr;
        int relationship = 0;
        std::vector<std::pair<qint64, qint64>> rows;
    };
    // Starts one reader per table and one for the join tables of `joinOwners`, each on its own
    // thread and read-only connection to the file at `path`.
    static std::shared_ptr<Readers> startReaders(const QString& path, const QList<const EntityDescriptor*>& tables,
                                                 const QList<const EntityDescriptor*>& joinOwners);
    // Reads the rows (all, or those `where` picks) in key order; stops when `cancelled` is set.
    static bool readTable(sqlite3* db, const EntityDescriptor* d, const QHash<qint64, PersistentModel*>& reuse, LoadedTable& out,
                          const QString& where = {}, const std::atomic<bool>* cancelled = nullptr);
    static bool readJoins(sqlite3* db, const QList<const EntityDescriptor*>& schema, std::vector<LoadedJoin>& out, QString* error,
                          const std::atomic<bool>* cancelled = nullptr);
    void installTable(LoadedTable& table);
    void linkTable(const LoadedTable& table);
    void applyJoins(const std::vector<LoadedJoin>& joins, const EntityDescriptor* owner);
    bool load(QString* error);
    void ensureLoaded(const QString& entityName);
    bool readyToAdopt(const EntityDescriptor& d) const;
    void adoptReadyTables();
    LoadedTable takeTable(const EntityDescriptor& d);
    const std::vector<LoadedJoin>& takeJoins();
    void failLoading(const QString& error);
    // Before a to-many list of `record` is read or changed: the records that fill it are in.
    void requireList(const PersistentModel* record, int toManyIndex);
    // Before a record is deleted: everything its delete rules reach is in.
    void requireDeletable(const EntityDescriptor& d);
    PersistentModel* materialize(EntityState& s, qint64 key);
    EntityState& state(const QString& entityName) const;
    void recordChanged(PersistentModel* object);
    void uniqueValueChanged(PersistentModel* object, const QVariant& oldValue, const QVariant& newValue);
    void addUniqueEntry(EntityState& s, const QString& value, PersistentModel* object);
    // Notes a record under its unique value; a second record under the same value marks the
    // map as holding duplicates.
    static void addUnique(QHash<QString, PersistentModel*>& unique, bool& duplicates, const QString& value,
                          PersistentModel* object);
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
    // A deque: it grows a block at a time, never holding a second, doubled copy of a list of
    // millions of records while it grows.
    std::deque<std::unique_ptr<PersistentModel>> m_owned;
    QList<PersistentModel*> m_pending;  // records with pending changes (may repeat)
    // New records an insert merged into a stored record with the same unique value.
    QHash<const PersistentModel*, PersistentModel*> m_merged;
    std::vector<std::pair<PersistentModel*, std::function<void()>>> m_deletionActions;
    QSet<QString> m_notify;
    bool m_notifyScheduled = false;
    bool m_autosave = true;
    int m_lastSaveErrorCode = 0;
    QTimer m_autosaveTimer;
    std::shared_ptr<Readers> m_readers;
    std::optional<std::vector<LoadedJoin>> m_joins;
    bool m_loading = false;
    QString m_loadError;  // set once a table could not be read; saving is refused from then on
};
