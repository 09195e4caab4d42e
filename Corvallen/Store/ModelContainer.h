#pragma once

#include "Corvallen/Store/ModelContext.h"

#include <QList>
#include <QString>

#include <future>
#include <memory>
#include <vector>

struct sqlite3;

// The object store: one SQLite file (journal in WAL mode, so "-wal" and "-shm" companions exist
// while it is open) holding one table per entity type, one column per attribute in schema order,
// a key column per to-one link and a join table per many-to-many relationship. The schema
// version is kept in PRAGMA user_version; a store written by a newer version is refused.
class ModelContainer {
public:
    // The schema version this program writes; older stores are migrated on open.
    static constexpr int schemaVersion = 1;

    // Opens (creating when missing) the store at `path`; its records come into the main context
    // as they are read (see ModelContext). Returns nothing and sets `error` when the store can't
    // be opened.
    static std::unique_ptr<ModelContainer> open(const QString& path, const QList<const EntityDescriptor*>& schema,
                                                QString* error = nullptr);
    ~ModelContainer();

    // Opening in two steps: beginOpen() opens the file and brings its schema up to date before
    // the application object exists; finishOpen(), on the main thread, builds the main context.
    // Records come in when asked for or, once the context is told, in the background (see
    // ModelContext).
    struct PendingOpen {
        std::unique_ptr<ModelContainer> container;
        QList<const EntityDescriptor*> schema;
        QString error;
    };
    // `writesAfter`, when given, holds back every write to the store (a schema change, a save)
    // until it is ready: the launch snapshot copies the file meanwhile. Opening, reading and
    // building the context go on without it.
    static std::unique_ptr<PendingOpen> beginOpen(const QString& path, const QList<const EntityDescriptor*>& schema,
                                                  std::shared_future<void> writesAfter = {});
    static std::unique_ptr<ModelContainer> finishOpen(std::unique_ptr<PendingOpen> pending, QString* error = nullptr);

    ModelContext& mainContext() { return *m_context; }
    QString path() const { return m_path; }
    sqlite3* handle() const { return m_db; }
    // Waits for whatever holds writes back (see beginOpen); the context calls it before saving.
    void waitBeforeWriting();
    // How long a save waits for another connection's write lock before it fails (default a quarter second).
    void setBusyTimeout(int milliseconds);

    // A consistent copy of the open store (saved state) into one file, via SQLite's backup API.
    bool copyTo(const QString& destinationFile, QString* error = nullptr) const;

    // Checks a store file without changing it: opens it read-only, runs SQLite's integrity
    // check, and requires a schema version this program knows.
    static bool verifyStoreFile(const QString& path, QString* error = nullptr);
    // The same, and every table and column that a context over `schema` reads and writes must
    // be there, and no trigger may be: a file that passes can be opened and worked on as this
    // program's store.
    static bool verifyStoreFile(const QString& path, const QList<const EntityDescriptor*>& schema, QString* error = nullptr);

private:
    ModelContainer() = default;
    bool createSchema(const QList<const EntityDescriptor*>& schema, QString* error);

    QString m_path;
    sqlite3* m_db = nullptr;
    std::shared_future<void> m_writesAfter;
    std::unique_ptr<ModelContext> m_context;
};
