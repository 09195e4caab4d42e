#include "Corvallen/Platform/ModelContainer.h"

#include "Corvallen/Platform/AppPaths.h"

#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>

namespace {

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

const char* sqlType(AttributeType t)
{
    switch (t) {
    case AttributeType::Text: return "TEXT";
    case AttributeType::Integer: return "INTEGER";
    case AttributeType::Double: return "REAL";
    case AttributeType::Bool: return "INTEGER";
    case AttributeType::Date: return "INTEGER";
    case AttributeType::Uuid: return "TEXT";
    }
    return "BLOB";
}

bool exec(sqlite3* db, const QString& sql, QString* error)
{
    char* msg = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg) == SQLITE_OK)
        return true;
    if (error)
        *error = QString::fromUtf8(msg ? msg : sqlite3_errmsg(db));
    sqlite3_free(msg);
    return false;
}

int userVersion(sqlite3* db)
{
    sqlite3_stmt* st = nullptr;
    int v = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return v;
}

// Steps that bring a store of version N-1 to version N, indexed by N. Version 1 is the first
// layout, made by createSchema itself.
using Migration = bool (*)(sqlite3*, QString*);
const std::vector<std::pair<int, Migration>>& migrations()
{
    static const std::vector<std::pair<int, Migration>> steps;
    return steps;
}

}  // namespace

std::unique_ptr<ModelContainer> ModelContainer::open(const QString& path, const QList<const EntityDescriptor*>& schema, QString* error)
{
    return finishOpen(beginOpen(path, schema), error);
}

std::unique_ptr<ModelContainer::PendingOpen> ModelContainer::beginOpen(const QString& path, const QList<const EntityDescriptor*>& schema)
{
    auto pending = std::make_unique<PendingOpen>();
    pending->schema = schema;
    std::unique_ptr<ModelContainer> c(new ModelContainer);
    c->m_path = path;
    AppPaths::ensureFolder(QFileInfo(path).absolutePath());
    if (sqlite3_open_v2(path.toUtf8().constData(), &c->m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        pending->error = QString::fromUtf8(c->m_db ? sqlite3_errmsg(c->m_db) : "out of memory");
        return pending;
    }
    // The main connection saves on the main thread: another writer's lock may hold a save back
    // for a moment, never for seconds. A save that gives up fails, keeps its changes and is
    // tried again.
    sqlite3_busy_timeout(c->m_db, 250);
    QString err;
    if (!exec(c->m_db, QStringLiteral("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"), &err) || !c->createSchema(schema, &err)) {
        pending->error = err;
        return pending;
    }
    pending->readers = ModelContext::startReaders(path, schema);
    pending->container = std::move(c);
    return pending;
}

std::unique_ptr<ModelContainer> ModelContainer::finishOpen(std::unique_ptr<PendingOpen> pending, QString* error)
{
    if (!pending)
        return nullptr;
    if (!pending->error.isEmpty() || !pending->container) {
        if (error)
            *error = pending->error;
        return nullptr;
    }
    std::unique_ptr<ModelContainer> c = std::move(pending->container);
    // Every table and column the context reads and writes is there (cheap: nothing is read);
    // damage inside a table shows when the table is read (see ModelContext::loadFailed).
    QString err;
    if (!ModelContext::checkSchema(c->m_db, pending->schema, &err)) {
        if (error)
            *error = err;
        return nullptr;
    }
    c->m_context.reset(new ModelContext(c.get(), c->m_db, pending->schema, std::move(pending->readers)));
    if (!c->m_context->prepareStatements(&err)) {
        if (error)
            *error = err;
        return nullptr;
    }
    return c;
}

ModelContainer::~ModelContainer()
{
    m_context.reset();
    if (m_db)
        sqlite3_close_v2(m_db);
}

void ModelContainer::setBusyTimeout(int milliseconds) { sqlite3_busy_timeout(m_db, std::max(0, milliseconds)); }

bool ModelContainer::createSchema(const QList<const EntityDescriptor*>& schema, QString* error)
{
    const int version = userVersion(m_db);
    if (version < 0) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    if (version > schemaVersion) {
        if (error)
            *error = QStringLiteral("The store was written by a newer version of Corvallen (schema %1).").arg(version);
        return false;
    }
    if (!exec(m_db, QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    auto abort = [&] {
        exec(m_db, QStringLiteral("ROLLBACK"), nullptr);
        return false;
    };
    for (const EntityDescriptor* d : schema) {
        QStringList cols{QStringLiteral("pk INTEGER PRIMARY KEY")};
        for (const auto& a : d->attributes)
            cols << quoted(a.name) + QLatin1Char(' ') + QLatin1String(sqlType(a.type));
        for (const auto& r : d->toOne)
            cols << quoted(r.name + QStringLiteral("_pk")) + QStringLiteral(" INTEGER");
        if (!exec(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(quoted(d->name), cols.join(QStringLiteral(", "))), error))
            return abort();
        for (const auto& r : d->toOne) {
            const QString col = r.name + QStringLiteral("_pk");
            if (!exec(m_db, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                                .arg(quoted(d->name + QLatin1Char('_') + col), quoted(d->name), quoted(col)), error))
                return abort();
        }
        for (const QStringList& attributes : d->indexes) {
            QStringList cols;
            for (const QString& a : attributes)
                cols << quoted(a);
            if (!exec(m_db, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                                .arg(quoted(d->name + QLatin1Char('_') + attributes.join(QLatin1Char('_'))), quoted(d->name),
                                     cols.join(QStringLiteral(", "))), error))
                return abort();
        }
        for (const auto& r : d->toMany) {
            if (!r.manyToMany || !r.ownsJoinTable)
                continue;
            const QString table = d->name + QLatin1Char('_') + r.name;
            if (!exec(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (owner_pk INTEGER NOT NULL, target_pk INTEGER NOT NULL)").arg(quoted(table)), error)
                || !exec(m_db, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (owner_pk)").arg(quoted(table + QStringLiteral("_owner")), quoted(table)), error)
                || !exec(m_db, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (target_pk)").arg(quoted(table + QStringLiteral("_target")), quoted(table)), error))
                return abort();
        }
    }
    if (version > 0) {
        for (const auto& [to, step] : migrations())
            if (to > version && to <= schemaVersion && !step(m_db, error))
                return abort();
    }
    if (!exec(m_db, QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion), error))
        return abort();
    return exec(m_db, QStringLiteral("COMMIT"), error) || abort();
}

bool ModelContainer::copyTo(const QString& destinationFile, QString* error) const
{
    sqlite3* dest = nullptr;
    if (sqlite3_open_v2(destinationFile.toUtf8().constData(), &dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(dest ? sqlite3_errmsg(dest) : "out of memory");
        sqlite3_close(dest);
        return false;
    }
    sqlite3_backup* b = sqlite3_backup_init(dest, "main", m_db, "main");
    bool ok = b != nullptr;
    if (b) {
        ok = sqlite3_backup_step(b, -1) == SQLITE_DONE;
        sqlite3_backup_finish(b);
    }
    if (!ok && error)
        *error = QString::fromUtf8(sqlite3_errmsg(dest));
    // The copy is a plain rollback-journal file: it needs no companions to be complete.
    if (ok)
        ok = exec(dest, QStringLiteral("PRAGMA journal_mode=DELETE"), error);
    sqlite3_close(dest);
    return ok;
}

bool ModelContainer::verifyStoreFile(const QString& path, QString* error) { return verifyStoreFile(path, {}, error); }

bool ModelContainer::verifyStoreFile(const QString& path, const QList<const EntityDescriptor*>& schema, QString* error)
{
    auto failWith = [&](const QString& what) {
        if (error)
            *error = what;
        return false;
    };
    if (!QFileInfo(path).isFile())
        return failWith(QStringLiteral("No store file at %1.").arg(path));
    sqlite3* db = nullptr;
    const QByteArray uri = "file:" + QUrl::toPercentEncoding(path, "/") + "?mode=ro";
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return failWith(msg);
    }
    sqlite3_stmt* st = nullptr;
    QString result;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    else
        result = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    const int version = userVersion(db);
    QString layout;
    const bool layoutOk = result != QLatin1String("ok") || schema.isEmpty() || ModelContext::checkSchema(db, schema, &layout);
    sqlite3_close(db);
    if (result != QLatin1String("ok"))
        return failWith(QStringLiteral("The store file is damaged: %1").arg(result));
    if (version < 1 || version > schemaVersion)
        return failWith(QStringLiteral("The store file has a schema version this program does not know (%1).").arg(version));
    if (!layoutOk)
        return failWith(QStringLiteral("The store file's tables are not laid out as this program keeps them (%1).").arg(layout));
    return true;
}
