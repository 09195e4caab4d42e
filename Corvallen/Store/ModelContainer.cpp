#include "Corvallen/Store/ModelContainer.h"

#include "Corvallen/Platform/AppPaths.h"

#include <QFileInfo>
#include <QSet>
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

QString journalMode(sqlite3* db)
{
    sqlite3_stmt* st = nullptr;
    QString mode;
    if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        mode = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))).toLower();
    sqlite3_finalize(st);
    return mode;
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

std::unique_ptr<ModelContainer::PendingOpen> ModelContainer::beginOpen(const QString& path, const QList<const EntityDescriptor*>& schema,
                                                                      std::shared_future<void> writesAfter)
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
    c->m_writesAfter = writesAfter;
    QString err;
    // Switching a store into WAL mode writes to it; one already in WAL mode is left as it is.
    if (journalMode(c->m_db) != QLatin1String("wal")) {
        c->waitBeforeWriting();
        if (!exec(c->m_db, QStringLiteral("PRAGMA journal_mode=WAL"), &err)) {
            pending->error = err;
            return pending;
        }
    }
    if (!exec(c->m_db, QStringLiteral("PRAGMA synchronous=NORMAL"), &err) || !c->createSchema(schema, &err)) {
        pending->error = err;
        return pending;
    }
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
    c->m_context.reset(new ModelContext(c.get(), c->m_db, pending->schema));
    if (!c->m_context->prepareStatements(&err)) {
        if (error)
            *error = err;
        return nullptr;
    }
    return c;
}

ModelContainer::~ModelContainer()
{
    // Whatever holds writes back (the launch snapshot) ends before the store is closed.
    waitBeforeWriting();
    m_context.reset();
    if (m_db)
        sqlite3_close_v2(m_db);
}

void ModelContainer::waitBeforeWriting()
{
    if (!m_writesAfter.valid())
        return;
    m_writesAfter.wait();
    m_writesAfter = {};
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
    // Every table and index, by name, with the statement that makes it.
    std::vector<std::pair<QString, QString>> objects;
    auto index = [&](const QString& name, const QString& table, const QStringList& columns) {
        QStringList cols;
        for (const QString& c : columns)
            cols << quoted(c);
        objects.emplace_back(name, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                                       .arg(quoted(name), quoted(table), cols.join(QStringLiteral(", "))));
    };
    for (const EntityDescriptor* d : schema) {
        QStringList cols{QStringLiteral("pk INTEGER PRIMARY KEY")};
        for (const auto& a : d->attributes)
            cols << quoted(a.name) + QLatin1Char(' ') + QLatin1String(sqlType(a.type));
        for (const auto& r : d->toOne)
            cols << quoted(r.name + QStringLiteral("_pk")) + QStringLiteral(" INTEGER");
        objects.emplace_back(d->name, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(quoted(d->name), cols.join(QStringLiteral(", "))));
        for (const auto& r : d->toOne) {
            const QString col = r.name + QStringLiteral("_pk");
            index(d->name + QLatin1Char('_') + col, d->name, {col});
        }
        for (const QStringList& attributes : d->indexes)
            index(d->name + QLatin1Char('_') + attributes.join(QLatin1Char('_')), d->name, attributes);
        for (const auto& r : d->toMany) {
            if (!r.manyToMany || !r.ownsJoinTable)
                continue;
            const QString table = d->name + QLatin1Char('_') + r.name;
            objects.emplace_back(table, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (owner_pk INTEGER NOT NULL, target_pk INTEGER NOT NULL)").arg(quoted(table)));
            index(table + QStringLiteral("_owner"), table, {QStringLiteral("owner_pk")});
            index(table + QStringLiteral("_target"), table, {QStringLiteral("target_pk")});
        }
    }
    // A store that is up to date is only read here: nothing is written before the caller's
    // barrier (the launch snapshot) allows it.
    if (version == schemaVersion) {
        QSet<QString> present;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, "SELECT name FROM sqlite_master", -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                present.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
        sqlite3_finalize(st);
        if (std::all_of(objects.begin(), objects.end(), [&](const auto& o) { return present.contains(o.first); }))
            return true;
    }
    waitBeforeWriting();
    if (!exec(m_db, QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    auto abort = [&] {
        exec(m_db, QStringLiteral("ROLLBACK"), nullptr);
        return false;
    };
    for (const auto& object : objects)
        if (!exec(m_db, object.second, error))
            return abort();
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
    bool layoutOk = result != QLatin1String("ok") || schema.isEmpty() || ModelContext::checkSchema(db, schema, &layout);
    // This program makes no triggers. One that came with a store would run on every write the
    // program makes, and could quietly delete or change records it never touched.
    if (layoutOk && result == QLatin1String("ok") && !schema.isEmpty()) {
        sqlite3_stmt* tr = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_schema WHERE type = 'trigger' LIMIT 1", -1, &tr, nullptr) == SQLITE_OK &&
            sqlite3_step(tr) == SQLITE_ROW) {
            layout = QStringLiteral("it holds a trigger, “%1”, that this program does not make")
                         .arg(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(tr, 0))));
            layoutOk = false;
        }
        sqlite3_finalize(tr);
    }
    sqlite3_close(db);
    if (result != QLatin1String("ok"))
        return failWith(QStringLiteral("The store file is damaged: %1").arg(result));
    if (version < 1 || version > schemaVersion)
        return failWith(QStringLiteral("The store file has a schema version this program does not know (%1).").arg(version));
    if (!layoutOk)
        return failWith(QStringLiteral("The store file's tables are not laid out as this program keeps them (%1).").arg(layout));
    return true;
}
