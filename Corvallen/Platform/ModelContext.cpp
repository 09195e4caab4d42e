#include "Corvallen/Platform/ModelContext.h"

#include "Corvallen/Platform/ModelContainer.h"

#include <QCoreApplication>

#include <sqlite3.h>

#include <future>
#include <map>
#include <mutex>
#include <thread>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

QString joinTableName(const EntityDescriptor& owner, const ToManyDescriptor& rel)
{
    return owner.name + QLatin1Char('_') + rel.name;
}

QString sqliteError(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

// The statements the context reads and writes an entity's table with; a store that can't
// prepare every one of them is not one this program can work on.
QStringList columnList(const EntityDescriptor& d)
{
    QStringList cols;
    for (const auto& a : d.attributes)
        cols << quoted(a.name);
    for (const auto& r : d.toOne)
        cols << quoted(r.name + QStringLiteral("_pk"));
    return cols;
}

// Every row, or those a WHERE clause picks, in key order.
QString selectSql(const EntityDescriptor& d, const QString& where = {})
{
    const QStringList cols = columnList(d);
    return QStringLiteral("SELECT pk%1%2 FROM %3 %4 ORDER BY pk")
        .arg(cols.isEmpty() ? QString() : QStringLiteral(", "), cols.join(QStringLiteral(", ")), quoted(d.name), where);
}

struct WriteSql {
    QString insert;
    QString update;
    QString remove;
};

WriteSql writeSql(const EntityDescriptor& d)
{
    const QStringList cols = columnList(d);
    QStringList marks(cols.size(), QStringLiteral("?"));
    QStringList sets;
    for (const QString& c : cols)
        sets << c + QStringLiteral(" = ?");
    return {QStringLiteral("INSERT INTO %1 (pk%2%3) VALUES (?%4%5)")
                .arg(quoted(d.name), cols.isEmpty() ? QString() : QStringLiteral(", "), cols.join(QStringLiteral(", ")),
                     cols.isEmpty() ? QString() : QStringLiteral(", "), marks.join(QStringLiteral(", "))),
            QStringLiteral("UPDATE %1 SET %2 WHERE pk = ?").arg(quoted(d.name), sets.join(QStringLiteral(", "))),
            QStringLiteral("DELETE FROM %1 WHERE pk = ?").arg(quoted(d.name))};
}

QString joinSelectSql(const EntityDescriptor& owner, const ToManyDescriptor& rel)
{
    return QStringLiteral("SELECT owner_pk, target_pk FROM %1 ORDER BY rowid").arg(quoted(joinTableName(owner, rel)));
}

void bindValue(sqlite3_stmt* st, int col, AttributeType type, const QVariant& v)
{
    if (!v.isValid()) {
        sqlite3_bind_null(st, col);
        return;
    }
    switch (type) {
    case AttributeType::Text: {
        const QByteArray b = v.toString().toUtf8();
        sqlite3_bind_text(st, col, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    case AttributeType::Integer: sqlite3_bind_int64(st, col, v.toLongLong()); break;
    case AttributeType::Double: sqlite3_bind_double(st, col, v.toDouble()); break;
    case AttributeType::Bool: sqlite3_bind_int(st, col, v.toBool() ? 1 : 0); break;
    case AttributeType::Date: sqlite3_bind_int64(st, col, v.toDateTime().toMSecsSinceEpoch()); break;
    case AttributeType::Uuid: {
        const QByteArray b = v.toUuid().toString(QUuid::WithoutBraces).toUpper().toUtf8();
        sqlite3_bind_text(st, col, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

// Shares one QString among the rows of a column that repeat a text (units, modes, categories,
// makers, locations...), which saves an allocation per value when a large store is read. A
// column whose texts rarely repeat (file names, titles) stops being interned after a few rows.
class TextInterner {
public:
    QString text(const char* data, int size)
    {
        if (!m_enabled || size > 96)
            return QString::fromUtf8(data, size);
        const QByteArray probe = QByteArray::fromRawData(data, size);
        const auto it = m_seen.constFind(probe);
        if (it != m_seen.constEnd()) {
            ++m_hits;
            return it.value();
        }
        QString value = QString::fromUtf8(data, size);
        if (++m_misses > 64 && m_misses > 4 * m_hits) {
            m_enabled = false;
            m_seen.clear();
        } else if (m_seen.size() < 4096) {
            m_seen.insert(QByteArray(data, size), value);
        }
        return value;
    }

private:
    QHash<QByteArray, QString> m_seen;
    qsizetype m_hits = 0;
    qsizetype m_misses = 0;
    bool m_enabled = true;
};

QVariant columnValue(sqlite3_stmt* st, int col, AttributeType type, TextInterner* interner = nullptr)
{
    if (sqlite3_column_type(st, col) == SQLITE_NULL)
        return {};
    switch (type) {
    case AttributeType::Text: {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        const int n = sqlite3_column_bytes(st, col);
        return interner ? interner->text(t, n) : QString::fromUtf8(t, n);
    }
    case AttributeType::Integer: return QVariant(qint64(sqlite3_column_int64(st, col)));
    case AttributeType::Double: return sqlite3_column_double(st, col);
    case AttributeType::Bool: return sqlite3_column_int(st, col) != 0;
    case AttributeType::Date: return QDateTime::fromMSecsSinceEpoch(sqlite3_column_int64(st, col), Qt::UTC);
    case AttributeType::Uuid: {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        return QUuid::fromString(QLatin1String(t, sqlite3_column_bytes(st, col)));
    }
    }
    return {};
}

struct Statement {
    sqlite3_stmt* st = nullptr;
    ~Statement() { sqlite3_finalize(st); }
};

}  // namespace

// Reading the tables of an opening store: one reader per table and one for the join tables,
// each on a thread and read-only connection of its own. The readers touch nothing but their own
// result and the shared signal; the context takes each result on the main thread.
struct ModelContext::ReaderSignal {
    std::atomic<bool> cancelled{false};
    std::mutex mutex;
    ModelContext* context = nullptr;  // told (queued) when a reader is done
    bool doneEarly = false;           // a reader finished before the context existed

    void readerDone()
    {
        std::lock_guard lock(mutex);
        if (context)
            QMetaObject::invokeMethod(context, &ModelContext::adoptReadyTables, Qt::QueuedConnection);
        else
            doneEarly = true;
    }
    void attach(ModelContext* c)
    {
        std::lock_guard lock(mutex);
        context = c;
        if (doneEarly)
            QMetaObject::invokeMethod(context, &ModelContext::adoptReadyTables, Qt::QueuedConnection);
    }
    void detach()
    {
        std::lock_guard lock(mutex);
        context = nullptr;
    }
};

struct ModelContext::Readers {
    std::shared_ptr<ReaderSignal> signal = std::make_shared<ReaderSignal>();
    std::map<const EntityDescriptor*, std::future<LoadedTable>> tables;
    std::future<std::pair<QString, std::vector<LoadedJoin>>> joins;  // invalid when not read here
    std::vector<std::thread> threads;

    ~Readers()
    {
        // Readers still at work stop at their next rows.
        signal->cancelled = true;
        signal->detach();
        for (std::thread& t : threads)
            t.join();
    }
};

namespace {

// A reader's own connection: read-only, closed when the reader is done.
struct ReaderConnection {
    sqlite3* db = nullptr;
    QString error;
    explicit ReaderConnection(const QString& path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
            error = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
        else
            sqlite3_busy_timeout(db, 2000);
    }
    ~ReaderConnection() { sqlite3_close_v2(db); }
};

// Readers run at a lower priority than the main thread: the first screen, which needs little
// of the store, comes before the rest of the records.
void yieldToMainThread()
{
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 10);
}

template <class T>
bool isReady(const std::future<T>& f)
{
    return f.valid() && f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

void addUnique(QHash<QString, PersistentModel*>& unique, bool& duplicates, const QString& value, PersistentModel* object)
{
    auto it = unique.find(value);
    if (it == unique.end())
        unique.insert(value, object);
    else if (it.value() != object)
        duplicates = true;
}

}  // namespace

std::shared_ptr<ModelContext::Readers> ModelContext::startReaders(const QString& path, const QList<const EntityDescriptor*>& tables,
                                                                  const QList<const EntityDescriptor*>& joinOwners)
{
    auto readers = std::make_shared<Readers>();
    const std::shared_ptr<ReaderSignal> signal = readers->signal;
    // Each reader hands its result over before it says it is done, so that whoever is told
    // finds the result ready.
    for (const EntityDescriptor* d : tables) {
        std::promise<LoadedTable> promise;
        readers->tables.emplace(d, promise.get_future());
        readers->threads.emplace_back([path, d, signal, promise = std::move(promise)]() mutable {
            yieldToMainThread();
            LoadedTable table;
            table.descriptor = d;
            {
                ReaderConnection reader(path);
                if (!reader.error.isEmpty())
                    table.error = reader.error;
                else
                    readTable(reader.db, d, {}, table, {}, &signal->cancelled);
            }
            promise.set_value(std::move(table));
            signal->readerDone();
        });
    }
    if (joinOwners.isEmpty())
        return readers;
    std::promise<std::pair<QString, std::vector<LoadedJoin>>> joins;
    readers->joins = joins.get_future();
    readers->threads.emplace_back([path, joinOwners, signal, promise = std::move(joins)]() mutable {
        yieldToMainThread();
        std::pair<QString, std::vector<LoadedJoin>> result;
        {
            ReaderConnection reader(path);
            if (!reader.error.isEmpty())
                result.first = reader.error;
            else if (!readJoins(reader.db, joinOwners, result.second, &result.first, &signal->cancelled) && result.first.isEmpty())
                result.first = QStringLiteral("The store's tag links could not be read.");
        }
        promise.set_value(std::move(result));
        signal->readerDone();
    });
    return readers;
}

ModelContext::ModelContext(ModelContainer* container, sqlite3* db, QList<const EntityDescriptor*> schema)
    : m_container(container), m_db(db), m_schema(std::move(schema))
{
    for (const EntityDescriptor* d : m_schema) {
        EntityState s;
        s.descriptor = d;
        m_entities.insert(d->name, s);
    }
    m_loading = !m_schema.isEmpty();
    m_autosaveTimer.setSingleShot(true);
    m_autosaveTimer.setInterval(300);
    connect(&m_autosaveTimer, &QTimer::timeout, this, [this] {
        if (m_autosave)
            save();
    });
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] {
            if (m_autosave && hasChanges())
                save();
        });
}

void ModelContext::loadInBackground()
{
    if (!m_loading || m_readers)
        return;
    // Readers for what is not in yet; the tag links come with the entity that keeps them.
    QList<const EntityDescriptor*> tables;
    QList<const EntityDescriptor*> joinOwners;
    for (const EntityDescriptor* d : m_schema) {
        if (state(d->name).loaded)
            continue;
        tables << d;
        for (const auto& r : d->toMany)
            if (r.manyToMany && r.ownsJoinTable && !joinOwners.contains(d))
                joinOwners << d;
    }
    if (!m_joins)
        m_readers = startReaders(m_container->path(), tables, joinOwners);
    else
        m_readers = startReaders(m_container->path(), tables, {});
    m_readers->signal->attach(this);
}

ModelContext::~ModelContext()
{
    // Readers still at work are stopped first: what they would bring is not needed any more.
    m_readers.reset();
    if (m_autosave && hasChanges())
        save();
    runDeletionActions();
    for (auto it = m_entities.begin(); it != m_entities.end(); ++it) {
        sqlite3_finalize(it->insertStmt);
        sqlite3_finalize(it->updateStmt);
        sqlite3_finalize(it->deleteStmt);
    }
}

ModelContext::EntityState& ModelContext::state(const QString& entityName) const
{
    auto it = m_entities.find(entityName);
    Q_ASSERT_X(it != m_entities.end(), "ModelContext", "entity not in the schema");
    return it.value();
}

bool ModelContext::prepareStatements(QString* error)
{
    for (auto it = m_entities.begin(); it != m_entities.end(); ++it) {
        const WriteSql sqls = writeSql(*it->descriptor);
        for (auto [sql, out] : {std::pair{sqls.insert, &it->insertStmt}, std::pair{sqls.update, &it->updateStmt},
                                std::pair{sqls.remove, &it->deleteStmt}}) {
            if (sqlite3_prepare_v3(m_db, sql.toUtf8().constData(), -1, SQLITE_PREPARE_PERSISTENT, out, nullptr) != SQLITE_OK) {
                if (error)
                    *error = sqliteError(m_db);
                return false;
            }
        }
    }
    // Join tables each entity takes part in (as owner or as target).
    for (const EntityDescriptor* d : m_schema)
        for (const auto& r : d->toMany)
            if (r.manyToMany && r.ownsJoinTable) {
                state(d->name).joinTables << joinTableName(*d, r);
                if (r.target != d->name)
                    state(r.target).joinTables << joinTableName(*d, r);
            }
    return true;
}

// Reads the records of one table (all of them, or those `where` picks), in key order, with their
// key and unique-value maps. Used by the readers at open, by fetchTop() for single records and,
// reusing the objects already known by key, by rollback: records keep their identity across a
// rollback.
bool ModelContext::readTable(sqlite3* db, const EntityDescriptor* d, const QHash<qint64, PersistentModel*>& reuse,
                             LoadedTable& out, const QString& where, const std::atomic<bool>* cancelled)
{
    out.descriptor = d;
    const QString sql = selectSql(*d, where);
    Statement st;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st.st, nullptr) != SQLITE_OK) {
        out.error = sqliteError(db);
        return false;
    }
    const int nAttr = int(d->attributes.size());
    const int nOne = int(d->toOne.size());
    const int unique = d->uniqueAttribute();
    std::vector<TextInterner> interners(static_cast<size_t>(nAttr));
    std::vector<QVariant> values(static_cast<size_t>(nAttr));
    int rc;
    qint64 row = 0;
    while ((rc = sqlite3_step(st.st)) == SQLITE_ROW) {
        if (cancelled && ++row % 512 == 0 && cancelled->load(std::memory_order_relaxed)) {
            out.error = QStringLiteral("The store was closed while it was being read.");
            return false;
        }
        const qint64 key = sqlite3_column_int64(st.st, 0);
        PersistentModel* m = reuse.value(key);
        if (!m) {
            m = d->make();
            out.created.emplace_back(m);
        }
        m->m_key = key;
        ++m->m_changeCount;  // a record read again (rollback) may hold other values now
        m->m_state = PersistentModel::State::Persisted;
        m->m_changed = false;
        m->m_joinChanged = false;
        for (int i = 0; i < nAttr; ++i)
            values[size_t(i)] = columnValue(st.st, i + 1, d->attributes[i].type, &interners[size_t(i)]);
        m->m_values.assign(values);
        for (int i = 0; i < nOne; ++i) {
            m->toOneSlot(i) = nullptr;
            if (sqlite3_column_type(st.st, nAttr + 1 + i) != SQLITE_NULL)
                out.links.push_back({m, i, sqlite3_column_int64(st.st, nAttr + 1 + i)});
        }
        for (int i = 0; i < d->toMany.size(); ++i)
            m->toManySlot(i).clear();
        out.rows.push_back(m);
        out.byKey.insert(key, m);
        if (unique >= 0 && m->attributeValue(unique).isValid())
            addUnique(out.unique, out.uniqueDuplicates, m->attributeValue(unique).toString(), m);
        out.maxKey = std::max(out.maxKey, key);
    }
    if (rc != SQLITE_DONE) {
        out.error = sqliteError(db);
        return false;
    }
    return true;
}

bool ModelContext::readJoins(sqlite3* db, const QList<const EntityDescriptor*>& schema, std::vector<LoadedJoin>& out,
                             QString* error, const std::atomic<bool>* cancelled)
{
    for (const EntityDescriptor* d : schema) {
        for (int ri = 0; ri < d->toMany.size(); ++ri) {
            const ToManyDescriptor& r = d->toMany[ri];
            if (!r.manyToMany || !r.ownsJoinTable)
                continue;
            const QString sql = joinSelectSql(*d, r);
            Statement st;
            if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st.st, nullptr) != SQLITE_OK) {
                if (error)
                    *error = sqliteError(db);
                return false;
            }
            LoadedJoin join{d, ri, {}};
            int rc;
            qint64 row = 0;
            while ((rc = sqlite3_step(st.st)) == SQLITE_ROW) {
                if (cancelled && ++row % 512 == 0 && cancelled->load(std::memory_order_relaxed))
                    return false;
                join.rows.emplace_back(sqlite3_column_int64(st.st, 0), sqlite3_column_int64(st.st, 1));
            }
            // A step that fails part-way (a damaged page, an I/O error) must not read as "these
            // records have fewer links": the next save would write the shortened lists back.
            if (rc != SQLITE_DONE) {
                if (error)
                    *error = sqliteError(db);
                return false;
            }
            out.push_back(std::move(join));
        }
    }
    return true;
}

bool ModelContext::checkSchema(sqlite3* db, const QList<const EntityDescriptor*>& schema, QString* error)
{
    auto prepares = [&](const QString& sql) {
        Statement st;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st.st, nullptr) == SQLITE_OK)
            return true;
        if (error)
            *error = sqliteError(db);
        return false;
    };
    for (const EntityDescriptor* d : schema) {
        const WriteSql writes = writeSql(*d);
        for (const QString& sql : {selectSql(*d), writes.insert, writes.update, writes.remove})
            if (!prepares(sql))
                return false;
        for (const ToManyDescriptor& r : d->toMany)
            if (r.manyToMany && r.ownsJoinTable && !prepares(joinSelectSql(*d, r)))
                return false;
    }
    return true;
}

// Reads every record again, reusing the objects already known by key: records keep their
// identity across a rollback.
bool ModelContext::load(QString* error)
{
    loadAll();
    QHash<QString, QHash<qint64, PersistentModel*>> reusable;
    for (auto& owned : m_owned) {
        PersistentModel* m = owned.get();
        if (m->m_state == PersistentModel::State::Gone || m->m_state == PersistentModel::State::Detached)
            continue;
        if (m->m_state == PersistentModel::State::New) {
            retire(m);
            continue;
        }
        reusable[m->entity().name].insert(m->m_key, m);
    }
    std::vector<LoadedTable> tables(size_t(m_schema.size()));
    for (qsizetype i = 0; i < m_schema.size(); ++i)
        if (!readTable(m_db, m_schema[i], reusable.value(m_schema[i]->name), tables[size_t(i)])) {
            if (error)
                *error = tables[size_t(i)].error;
            return false;
        }
    std::vector<LoadedJoin> joins;
    if (!readJoins(m_db, m_schema, joins, error))
        return false;
    for (LoadedTable& t : tables)
        installTable(t);
    for (const LoadedTable& t : tables)
        linkTable(t);
    applyJoins(joins, nullptr);
    m_pending.clear();
    // Records that were known but are no longer in the store are retired.
    for (auto it = reusable.begin(); it != reusable.end(); ++it)
        for (PersistentModel* m : it.value())
            if (state(it.key()).byKey.value(m->m_key) != m)
                retire(m);
    return true;
}

// Takes a table's records as the entity's live records. Records handed out early by fetchTop()
// stay the objects for their keys: they take the values read with the table, and the reader's
// own objects for those keys are dropped.
void ModelContext::installTable(LoadedTable& t)
{
    EntityState& s = state(t.descriptor->name);
    QHash<PersistentModel*, PersistentModel*> replaced;
    for (PersistentModel*& m : t.rows) {
        PersistentModel* early = s.early.value(m->m_key);
        if (!early)
            continue;
        early->m_values = std::move(m->m_values);
        for (int i = 0; i < t.descriptor->toOne.size(); ++i)
            early->toOneSlot(i) = nullptr;
        early->m_early = false;
        replaced.insert(m, early);
        t.byKey.insert(m->m_key, early);
        m = early;
    }
    if (!replaced.isEmpty()) {
        for (auto it = t.unique.begin(); it != t.unique.end(); ++it)
            it.value() = replaced.value(it.value(), it.value());
        for (PendingLink& l : t.links)
            l.from = replaced.value(l.from, l.from);
    }
    // An early record whose row is gone can't be: nothing deletes a row before its table is in.
    for (PersistentModel* early : std::as_const(s.early))
        if (early->m_early)
            retire(early);
    s.early.clear();
    for (auto& created : t.created)
        if (!replaced.contains(created.get()))
            m_owned.push_back(std::move(created));
    t.created.clear();

    s.live = std::move(t.rows);
    s.byKey = std::move(t.byKey);
    s.unique = std::move(t.unique);
    s.uniqueDuplicates = t.uniqueDuplicates;
    s.liveCount = qsizetype(s.live.size());
    s.needsCompaction = false;
    s.nextKey = std::max(s.nextKey, t.maxKey + 1);
    for (PersistentModel* m : s.live)
        m->m_context = this;
}

void ModelContext::linkTable(const LoadedTable& t)
{
    for (const PendingLink& l : t.links) {
        const ToOneDescriptor& r = l.from->entity().toOne[l.index];
        PersistentModel* target = state(r.target).byKey.value(l.key);
        if (!target)
            continue;  // a dangling key reads as no link
        l.from->toOneSlot(l.index) = target;
        const int inv = target->entity().toManyIndex(r.inverse);
        if (inv >= 0)
            PersistentModel::appendMember(target->toManySlot(inv), l.from);
    }
}

// The join rows of the tables `owner` keeps (every table when `owner` is null).
void ModelContext::applyJoins(const std::vector<LoadedJoin>& joins, const EntityDescriptor* owner)
{
    for (const LoadedJoin& j : joins) {
        if (owner && j.owner != owner)
            continue;
        const ToManyDescriptor& r = j.owner->toMany[j.relationship];
        const EntityState& os = state(j.owner->name);
        const EntityState& ts = state(r.target);
        for (const auto& [ownerKey, targetKey] : j.rows) {
            PersistentModel* from = os.byKey.value(ownerKey);
            PersistentModel* target = ts.byKey.value(targetKey);
            if (!from || !target || from->toManySlot(j.relationship).contains(target))
                continue;
            PersistentModel::appendMember(from->toManySlot(j.relationship), target);
            const int inv = target->entity().toManyIndex(r.inverse);
            if (inv >= 0)
                PersistentModel::appendMember(target->toManySlot(inv), from);
        }
    }
}

bool ModelContext::isLoaded(const QString& entityName) const { return state(entityName).loaded; }

void ModelContext::loadAll()
{
    for (const EntityDescriptor* d : m_schema)
        ensureLoaded(d->name);
}

// Brings one entity's records in, after the entities they link to, waiting for its reader when
// it is not done yet. A reader that failed is tried once more on the main connection.
void ModelContext::ensureLoaded(const QString& entityName)
{
    EntityState& s = state(entityName);
    if (s.loaded || s.loading)
        return;
    s.loading = true;
    const EntityDescriptor& d = *s.descriptor;
    for (const auto& r : d.toOne)
        ensureLoaded(r.target);
    bool ownsJoins = false;
    for (const auto& r : d.toMany)
        if (r.manyToMany && r.ownsJoinTable) {
            ensureLoaded(r.target);
            ownsJoins = true;
        }
    LoadedTable t = takeTable(d);
    installTable(t);
    linkTable(t);
    if (ownsJoins)
        applyJoins(takeJoins(), &d);
    EntityState& done = state(entityName);  // the map may have changed while dependencies came in
    done.loading = false;
    done.loaded = true;
    for (const EntityState& e : std::as_const(m_entities))
        if (!e.loaded)
            return;
    m_loading = false;
    m_readers.reset();
    m_joins.reset();
    QMetaObject::invokeMethod(this, &ModelContext::finishedLoading, Qt::QueuedConnection);
}

ModelContext::LoadedTable ModelContext::takeTable(const EntityDescriptor& d)
{
    LoadedTable t;
    if (m_readers) {
        const auto it = m_readers->tables.find(&d);
        if (it != m_readers->tables.end() && it->second.valid())
            t = it->second.get();
    }
    if (t.descriptor && t.error.isEmpty())
        return t;
    t = LoadedTable{};
    if (!readTable(m_db, &d, {}, t)) {
        failLoading(t.error);
        t = LoadedTable{};
        t.descriptor = &d;
    }
    return t;
}

const std::vector<ModelContext::LoadedJoin>& ModelContext::takeJoins()
{
    if (m_joins)
        return *m_joins;
    std::pair<QString, std::vector<LoadedJoin>> result;
    if (m_readers && m_readers->joins.valid())
        result = m_readers->joins.get();
    else
        result.first = QStringLiteral("no reader");
    if (!result.first.isEmpty()) {
        result.second.clear();
        QString error;
        if (!readJoins(m_db, m_schema, result.second, &error)) {
            failLoading(error.isEmpty() ? QStringLiteral("The store's tag links could not be read.") : error);
            result.second.clear();
        }
    }
    m_joins = std::move(result.second);
    return *m_joins;
}

void ModelContext::failLoading(const QString& error)
{
    if (!m_loadError.isEmpty())
        return;
    m_loadError = error;
    m_autosaveTimer.stop();
    QMetaObject::invokeMethod(this, [this, error] { Q_EMIT loadFailed(error); }, Qt::QueuedConnection);
}

bool ModelContext::readyToAdopt(const EntityDescriptor& d) const
{
    const EntityState& s = state(d.name);
    if (s.loaded)
        return true;
    if (!m_readers)
        return false;
    const auto it = m_readers->tables.find(&d);
    if (it == m_readers->tables.end() || !isReady(it->second))
        return false;
    for (const auto& r : d.toOne)
        if (!readyToAdopt(*state(r.target).descriptor))
            return false;
    for (const auto& r : d.toMany)
        if (r.manyToMany && r.ownsJoinTable && (!readyToAdopt(*state(r.target).descriptor) || (!m_joins && !isReady(m_readers->joins))))
            return false;
    return true;
}

// A reader is done: whatever can come in without waiting comes in now.
void ModelContext::adoptReadyTables()
{
    if (!m_loading)
        return;
    for (const EntityDescriptor* d : m_schema)
        if (!state(d->name).loaded && readyToAdopt(*d))
            ensureLoaded(d->name);
}

void ModelContext::requireList(const PersistentModel* record, int toManyIndex)
{
    if (record->m_early)
        ensureLoaded(record->entity().name);
    ensureLoaded(record->entity().toMany[toManyIndex].target);
}

void ModelContext::requireDeletable(const EntityDescriptor& d)
{
    ensureLoaded(d.name);
    for (const auto& r : d.toMany) {
        ensureLoaded(r.target);
        if (r.deleteRule == DeleteRule::Cascade)
            requireDeletable(*state(r.target).descriptor);
    }
}

void ModelContext::retire(PersistentModel* m)
{
    m->m_state = PersistentModel::State::Gone;
    m->m_changed = false;
    m->m_joinChanged = false;
    const EntityDescriptor& d = m->entity();
    for (int i = 0; i < d.toOne.size(); ++i)
        m->toOneSlot(i) = nullptr;
    for (int i = 0; i < d.toMany.size(); ++i)
        m->toManySlot(i).clear();
}

PersistentModel* ModelContext::insert(PersistentModel* object)
{
    if (!object)
        return nullptr;
    if (object->m_context == this)
        return m_merged.value(object, object);
    Q_ASSERT_X(!object->m_context, "ModelContext::insert", "record belongs to another context");
    // Keys and unique values are given out against every stored record.
    ensureLoaded(object->entity().name);
    EntityState& s = state(object->entity().name);
    const EntityDescriptor& d = *s.descriptor;

    const int u = d.uniqueAttribute();
    if (u >= 0 && object->attributeValue(u).isValid()) {
        PersistentModel* existing = s.unique.value(object->attributeValue(u).toString());
        if (existing && !existing->isDeleted()) {
            // Upsert: the stored record takes the new values and links and keeps its identity.
            // Single links are replaced; list members are added to the stored record's lists,
            // so that bringing in a fresh object for an existing name never strips that
            // record of its other links.
            m_owned.emplace_back(object);
            object->m_context = this;
            for (int i = 0; i < d.attributes.size(); ++i)
                existing->setAttributeValue(i, object->attributeValue(i));
            for (int i = 0; i < d.toOne.size(); ++i) {
                PersistentModel* target = object->toOneSlot(i);
                if (!target)
                    continue;
                object->unlinkInverse(i, target);
                object->toOneSlot(i) = nullptr;
                existing->setToOneValue(i, target);
            }
            for (int i = 0; i < d.toMany.size(); ++i) {
                const QList<PersistentModel*> members = object->toManySlot(i);
                for (PersistentModel* m : members)
                    object->removeFromMany(i, m);
                for (PersistentModel* m : members)
                    existing->addToMany(i, m);
            }
            m_merged.insert(object, existing);
            retire(object);
            return existing;
        }
    }

    m_owned.emplace_back(object);
    object->m_context = this;
    object->m_key = s.nextKey++;
    object->m_state = PersistentModel::State::New;
    s.live.push_back(object);
    s.byKey.insert(object->m_key, object);
    ++s.liveCount;
    if (u >= 0 && object->attributeValue(u).isValid())
        addUniqueEntry(s, object->attributeValue(u).toString(), object);
    recordChanged(object);
    // Linked records that are in no context yet come along. Each may be merged into a stored
    // record with the same unique value; the merge moves the link over through the inverse.
    for (int i = 0; i < d.toOne.size(); ++i) {
        PersistentModel* target = object->toOneSlot(i);
        if (target && !target->m_context)
            insert(target);
    }
    std::vector<QList<PersistentModel*>> lists;
    for (int i = 0; i < d.toMany.size(); ++i)
        lists.push_back(object->toManySlot(i));
    for (const auto& list : lists)
        for (PersistentModel* m : list)
            if (!m->m_context)
                insert(m);
    return object;
}

void ModelContext::addUniqueEntry(EntityState& s, const QString& value, PersistentModel* object)
{
    addUnique(s.unique, s.uniqueDuplicates, value, object);
}

void ModelContext::dropUniqueEntry(EntityState& s, const QString& value, PersistentModel* leaving)
{
    auto it = s.unique.find(value);
    if (it == s.unique.end() || it.value() != leaving)
        return;
    s.unique.erase(it);
    if (!s.uniqueDuplicates)
        return;
    // A rename can leave two records with one value; the other one takes the place.
    const int u = s.descriptor->uniqueAttribute();
    for (PersistentModel* m : s.live) {
        if (m == leaving || m->isDeleted())
            continue;
        const QVariant& v = m->attributeValue(u);
        if (v.isValid() && v.toString() == value) {
            s.unique.insert(value, m);
            return;
        }
    }
}

void ModelContext::deleteObject(PersistentModel* object)
{
    if (!object || object->m_context != this || object->isDeleted())
        return;
    object->requireAdopted();
    if (m_loading)
        requireDeletable(object->entity());
    QSet<PersistentModel*> visiting;
    deleteRecursive(object, visiting);
}

void ModelContext::deleteRecursive(PersistentModel* obj, QSet<PersistentModel*>& visiting)
{
    if (obj->isDeleted() || visiting.contains(obj))
        return;
    visiting.insert(obj);
    const EntityDescriptor& d = obj->entity();
    EntityState& s = state(d.name);
    const bool wasNew = obj->m_state == PersistentModel::State::New;
    obj->m_state = wasNew ? PersistentModel::State::Gone : PersistentModel::State::Deleted;
    s.needsCompaction = true;
    --s.liveCount;
    s.byKey.remove(obj->m_key);
    const int u = d.uniqueAttribute();
    if (u >= 0 && obj->attributeValue(u).isValid())
        dropUniqueEntry(s, obj->attributeValue(u).toString(), obj);

    for (int i = 0; i < d.toOne.size(); ++i) {
        if (PersistentModel* target = obj->toOneSlot(i)) {
            obj->unlinkInverse(i, target);
            obj->toOneSlot(i) = nullptr;
        }
    }
    for (int i = 0; i < d.toMany.size(); ++i) {
        const ToManyDescriptor& r = d.toMany[i];
        const QList<PersistentModel*> members = obj->toManySlot(i);
        obj->toManySlot(i).clear();
        for (PersistentModel* m : members) {
            if (r.manyToMany) {
                const int inv = m->entity().toManyIndex(r.inverse);
                if (inv >= 0)
                    m->toManySlot(inv).removeOne(obj);
                if (!r.ownsJoinTable && m->m_state == PersistentModel::State::Persisted)
                    m->m_joinChanged = true;
                m->noteChanged(false);
                continue;
            }
            const int inv = m->entity().toOneIndex(r.inverse);
            if (r.deleteRule == DeleteRule::Cascade) {
                deleteRecursive(m, visiting);
            } else if (inv >= 0 && m->toOneSlot(inv) == obj) {
                m->toOneSlot(inv) = nullptr;
                m->noteChanged(true);
            }
        }
    }
    obj->m_changed = false;
    obj->m_joinChanged = false;
    recordChanged(obj);
}

void ModelContext::compact(EntityState& s) const
{
    if (!s.needsCompaction)
        return;
    std::erase_if(s.live, [](PersistentModel* m) { return m->isDeleted(); });
    s.needsCompaction = false;
}

QList<PersistentModel*> ModelContext::fetchAll(const QString& entityName) const
{
    const_cast<ModelContext*>(this)->ensureLoaded(entityName);
    EntityState& s = state(entityName);
    compact(s);
    return QList<PersistentModel*>(s.live.begin(), s.live.end());
}

qsizetype ModelContext::liveCount(const QString& entityName) const
{
    const EntityState& s = state(entityName);
    if (s.loaded)
        return s.liveCount;
    Statement st;
    const QString sql = QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(entityName));
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st.st, nullptr) == SQLITE_OK && sqlite3_step(st.st) == SQLITE_ROW)
        return qsizetype(sqlite3_column_int64(st.st, 0));
    // The file can't answer: the records can.
    return const_cast<ModelContext*>(this)->fetchAll(entityName).size();
}

QList<PersistentModel*> ModelContext::fetchTop(const QString& entityName, int attribute, int limit) const
{
    EntityState& s = state(entityName);
    const AttributeDescriptor& a = s.descriptor->attributes.at(attribute);
    Q_ASSERT_X(a.type != AttributeType::Text && a.type != AttributeType::Uuid, "ModelContext::fetchTop", "numbers and dates only");
    if (limit <= 0)
        return {};
    auto key = [&](const PersistentModel* m) -> std::optional<double> {
        const QVariant& v = m->attributeValue(attribute);
        if (!v.isValid())
            return std::nullopt;
        return a.type == AttributeType::Date ? double(v.toDateTime().toMSecsSinceEpoch()) : v.toDouble();
    };
    if (s.loaded) {
        // One pass keeping a short sorted list; equal values keep store order, as a stable sort
        // of the whole list would.
        struct Entry {
            std::optional<double> value;
            PersistentModel* record;
        };
        auto before = [](const std::optional<double>& x, const std::optional<double>& y) {
            return x && (!y || *x > *y);  // larger first, absent last
        };
        std::vector<Entry> top;
        top.reserve(size_t(limit) + 1);
        compact(s);
        for (PersistentModel* m : s.live) {
            const std::optional<double> v = key(m);
            if (top.size() == size_t(limit) && !before(v, top.back().value))
                continue;
            auto at = std::upper_bound(top.begin(), top.end(), v, [&](const std::optional<double>& x, const Entry& e) {
                return before(x, e.value);
            });
            top.insert(at, Entry{v, m});
            if (top.size() > size_t(limit))
                top.pop_back();
        }
        QList<PersistentModel*> out;
        for (const Entry& e : top)
            out.append(e.record);
        return out;
    }
    // Straight from the file, which holds every record of an entity whose table is not in yet
    // (SQLite sorts NULL below every value, so absent values come last here too). The records
    // found are handed out early and stay the objects for their keys when the table comes in.
    const QString sql = QStringLiteral("SELECT pk FROM %1 ORDER BY %2 DESC, pk LIMIT %3")
                            .arg(quoted(entityName), quoted(a.name))
                            .arg(limit);
    Statement st;
    QList<qint64> keys;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st.st, nullptr) != SQLITE_OK)
    {
        const_cast<ModelContext*>(this)->ensureLoaded(entityName);
        return fetchTop(entityName, attribute, limit);
    }
    while (sqlite3_step(st.st) == SQLITE_ROW)
        keys.append(sqlite3_column_int64(st.st, 0));
    QList<PersistentModel*> out;
    for (qint64 k : keys)
        if (PersistentModel* m = const_cast<ModelContext*>(this)->materialize(s, k))
            out.append(m);
    return out;
}

// A stored record of an entity whose table is not in yet, read on its own and handed out
// early. Its single links point at their targets (which are in, as an entity comes in after
// those it links to) without being added to their lists: those lists fill when the table comes
// in, and asking for them brings it in.
PersistentModel* ModelContext::materialize(EntityState& s, qint64 key)
{
    if (PersistentModel* early = s.early.value(key))
        return early;
    const EntityDescriptor& d = *s.descriptor;
    for (const auto& r : d.toOne)
        ensureLoaded(r.target);
    if (s.loaded)  // brought in by the line above? Not with this schema, but then it is known.
        return s.byKey.value(key);
    LoadedTable t;
    if (!readTable(m_db, &d, {}, t, QStringLiteral("WHERE pk = %1").arg(key)) || t.rows.empty())
        return nullptr;
    PersistentModel* m = t.rows.front();
    for (auto& created : t.created)
        m_owned.push_back(std::move(created));
    m->m_context = this;
    m->m_early = true;
    for (const PendingLink& l : t.links)
        m->toOneSlot(l.index) = state(d.toOne[l.index].target).byKey.value(l.key);
    s.early.insert(key, m);
    return m;
}

qsizetype ModelContext::relatedCount(const PersistentModel* record, int toManyIndex) const
{
    const EntityDescriptor& d = record->entity();
    const ToManyDescriptor& r = d.toMany[toManyIndex];
    if (!record->m_early && state(r.target).loaded)
        return record->toManySlot(toManyIndex).size();
    // The members are all stored records: nothing links to or from a record before the table
    // of the other end is in. Links to missing rows don't count, as they read as no link.
    QString sql;
    if (!r.manyToMany) {
        sql = QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(quoted(r.target), quoted(r.inverse + QStringLiteral("_pk")));
    } else {
        const EntityDescriptor& owner = r.ownsJoinTable ? d : *state(r.target).descriptor;
        const ToManyDescriptor& ownerSide = r.ownsJoinTable ? r : owner.toMany[owner.toManyIndex(r.inverse)];
        const QString mine = r.ownsJoinTable ? QStringLiteral("owner_pk") : QStringLiteral("target_pk");
        const QString theirs = r.ownsJoinTable ? QStringLiteral("target_pk") : QStringLiteral("owner_pk");
        sql = QStringLiteral("SELECT COUNT(DISTINCT j.%1) FROM %2 j WHERE j.%3 = ? AND EXISTS (SELECT 1 FROM %4 WHERE pk = j.%1)")
                  .arg(theirs, quoted(joinTableName(owner, ownerSide)), mine, quoted(r.target));
    }
    Statement st;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st.st, nullptr) == SQLITE_OK) {
        sqlite3_bind_int64(st.st, 1, record->m_key);
        if (sqlite3_step(st.st) == SQLITE_ROW)
            return qsizetype(sqlite3_column_int64(st.st, 0));
    }
    return record->toManyValue(toManyIndex).size();
}

QList<ModelContext::ValueCount> ModelContext::attributeValueCounts(const QString& entityName, const QList<int>& attributes) const
{
    EntityState& s = state(entityName);
    const EntityDescriptor& d = *s.descriptor;
    QList<ValueCount> out;
    if (attributes.isEmpty())
        return out;
    if (!s.loaded) {
        // Grouped by the file: over an index on these columns this reads no table at all.
        QStringList cols;
        for (int i : attributes)
            cols << quoted(d.attributes.at(i).name);
        const QString list = cols.join(QStringLiteral(", "));
        const QString sql = QStringLiteral("SELECT %1, COUNT(*) FROM %2 GROUP BY %1").arg(list, quoted(d.name));
        Statement st;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st.st, nullptr) == SQLITE_OK) {
            int rc;
            while ((rc = sqlite3_step(st.st)) == SQLITE_ROW) {
                ValueCount row;
                row.values.reserve(attributes.size());
                for (int c = 0; c < attributes.size(); ++c)
                    row.values.append(columnValue(st.st, c, d.attributes.at(attributes[c]).type));
                row.count = qsizetype(sqlite3_column_int64(st.st, int(attributes.size())));
                out.append(std::move(row));
            }
            if (rc == SQLITE_DONE)
                return out;
            out.clear();
        }
    }
    // Absent values first, then by value; enough to bring equal combinations together.
    auto less = [](const QVariantList& a, const QVariantList& b) {
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (a[i].isValid() != b[i].isValid())
                return !a[i].isValid();
            if (!a[i].isValid())
                continue;
            const QPartialOrdering order = QVariant::compare(a[i], b[i]);
            if (order == QPartialOrdering::Less)
                return true;
            if (order == QPartialOrdering::Greater)
                return false;
        }
        return false;
    };
    std::map<QVariantList, qsizetype, decltype(less)> counts(less);
    for (const PersistentModel* m : fetchAll(entityName)) {
        QVariantList values;
        values.reserve(attributes.size());
        for (int i : attributes)
            values.append(m->attributeValue(i));
        ++counts[values];
    }
    for (auto& [values, count] : counts)
        out.append({values, count});
    return out;
}

PersistentModel* ModelContext::model(const PersistentIdentifier& id) const
{
    auto it = m_entities.find(id.entityName);
    if (it == m_entities.end())
        return nullptr;
    const_cast<ModelContext*>(this)->ensureLoaded(id.entityName);
    return it->byKey.value(id.primaryKey);
}

bool ModelContext::hasChanges() const
{
    for (PersistentModel* m : m_pending)
        if (m->hasChanges())
            return true;
    return false;
}

void ModelContext::recordChanged(PersistentModel* object)
{
    if (!m_pending.isEmpty() && m_pending.last() == object) {
        // common case: a run of writes to one record
    } else {
        m_pending.append(object);
    }
    scheduleNotification(object->entity().name);
    if (m_autosave && !m_autosaveTimer.isActive())
        m_autosaveTimer.start();
}

void ModelContext::uniqueValueChanged(PersistentModel* object, const QVariant& oldValue, const QVariant& newValue)
{
    EntityState& s = state(object->entity().name);
    if (object->isDeleted() || object->m_state == PersistentModel::State::Detached)
        return;
    if (oldValue.isValid())
        dropUniqueEntry(s, oldValue.toString(), object);
    if (newValue.isValid())
        addUniqueEntry(s, newValue.toString(), object);
}

quint64 ModelContext::generation(const QString& entityName) const { return state(entityName).generation; }

void ModelContext::scheduleNotification(const QString& entityName)
{
    ++state(entityName).generation;
    m_notify.insert(entityName);
    if (m_notifyScheduled)
        return;
    m_notifyScheduled = true;
    QMetaObject::invokeMethod(this, &ModelContext::flushNotifications, Qt::QueuedConnection);
}

void ModelContext::flushNotifications()
{
    m_notifyScheduled = false;
    const QSet<QString> names = std::exchange(m_notify, {});
    for (const EntityDescriptor* d : m_schema)
        if (names.contains(d->name))
            Q_EMIT changed(d->name);
}

void ModelContext::setAutosaveEnabled(bool enabled)
{
    m_autosave = enabled;
    if (!enabled)
        m_autosaveTimer.stop();
}

bool ModelContext::writeChanges(QString* error)
{
    auto fail = [&](const QString& what) {
        m_lastSaveErrorCode = sqlite3_extended_errcode(m_db);
        if (error)
            *error = what.isEmpty() ? sqliteError(m_db) : what;
        return false;
    };
    auto step = [&](sqlite3_stmt* st) {
        const int rc = sqlite3_step(st);
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        return rc == SQLITE_DONE;
    };

    // One pass over the distinct pending records, in the order they changed.
    QSet<PersistentModel*> unique;
    QList<PersistentModel*> records;
    for (PersistentModel* m : m_pending)
        if (!unique.contains(m)) {
            unique.insert(m);
            records.append(m);
        }

    // Deletions first, so that an inserted record may take a value a deleted one held.
    for (PersistentModel* m : records) {
        if (m->m_state != PersistentModel::State::Deleted)
            continue;
        EntityState& s = state(m->entity().name);
        for (const QString& table : s.joinTables) {
            const bool owner = table.startsWith(m->entity().name + QLatin1Char('_'));
            const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoted(table), owner ? QStringLiteral("owner_pk") : QStringLiteral("target_pk"));
            Statement st;
            if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st.st, nullptr) != SQLITE_OK)
                return fail({});
            sqlite3_bind_int64(st.st, 1, m->m_key);
            if (sqlite3_step(st.st) != SQLITE_DONE)
                return fail({});
        }
        sqlite3_bind_int64(s.deleteStmt, 1, m->m_key);
        if (!step(s.deleteStmt))
            return fail({});
    }

    auto bindRow = [&](sqlite3_stmt* st, PersistentModel* m, int first) {
        const EntityDescriptor& d = m->entity();
        int col = first;
        for (int i = 0; i < d.attributes.size(); ++i)
            bindValue(st, col++, d.attributes[i].type, m->attributeValue(i));
        for (int i = 0; i < d.toOne.size(); ++i) {
            PersistentModel* t = m->toOneSlot(i);
            if (t && !t->isDeleted() && t->m_key > 0)
                sqlite3_bind_int64(st, col++, t->m_key);
            else
                sqlite3_bind_null(st, col++);
        }
        return col;
    };

    for (PersistentModel* m : records) {
        EntityState& s = state(m->entity().name);
        if (m->m_state == PersistentModel::State::New) {
            sqlite3_bind_int64(s.insertStmt, 1, m->m_key);
            bindRow(s.insertStmt, m, 2);
            if (!step(s.insertStmt))
                return fail({});
        } else if (m->m_state == PersistentModel::State::Persisted && m->m_changed) {
            const int col = bindRow(s.updateStmt, m, 1);
            sqlite3_bind_int64(s.updateStmt, col, m->m_key);
            if (!step(s.updateStmt))
                return fail({});
        }
    }

    for (PersistentModel* m : records) {
        const bool isNew = m->m_state == PersistentModel::State::New;
        if (!isNew && !(m->m_state == PersistentModel::State::Persisted && m->m_joinChanged))
            continue;
        const EntityDescriptor& d = m->entity();
        for (int ri = 0; ri < d.toMany.size(); ++ri) {
            const ToManyDescriptor& r = d.toMany[ri];
            if (!r.manyToMany || !r.ownsJoinTable)
                continue;
            const QString table = quoted(joinTableName(d, r));
            if (!isNew) {
                Statement del;
                if (sqlite3_prepare_v2(m_db, QStringLiteral("DELETE FROM %1 WHERE owner_pk = ?").arg(table).toUtf8().constData(), -1, &del.st, nullptr) != SQLITE_OK)
                    return fail({});
                sqlite3_bind_int64(del.st, 1, m->m_key);
                if (sqlite3_step(del.st) != SQLITE_DONE)
                    return fail({});
            }
            const auto& members = m->toManySlot(ri);
            if (members.isEmpty())
                continue;
            Statement ins;
            if (sqlite3_prepare_v2(m_db, QStringLiteral("INSERT INTO %1 (owner_pk, target_pk) VALUES (?, ?)").arg(table).toUtf8().constData(), -1, &ins.st, nullptr) != SQLITE_OK)
                return fail({});
            for (PersistentModel* t : members) {
                if (t->isDeleted())
                    continue;
                sqlite3_bind_int64(ins.st, 1, m->m_key);
                sqlite3_bind_int64(ins.st, 2, t->m_key);
                if (!step(ins.st))
                    return fail({});
            }
        }
    }
    return true;
}

bool ModelContext::save(QString* error) { return save(QString(), error); }

bool ModelContext::save(const QString& alsoInTransaction, QString* error)
{
    m_autosaveTimer.stop();
    if (!m_loadError.isEmpty()) {
        // Part of the store could not be read: writing what was read could undo the rest.
        m_lastSaveErrorCode = SQLITE_CORRUPT;
        if (error)
            *error = m_loadError;
        Q_EMIT saveFailed(m_loadError);
        return false;
    }
    if (!hasChanges() && alsoInTransaction.isEmpty()) {
        m_pending.clear();
        runDeletionActions();
        return true;
    }
    QString err;
    m_lastSaveErrorCode = SQLITE_OK;
    m_container->waitBeforeWriting();
    bool ok = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) {
        err = sqliteError(m_db);
        m_lastSaveErrorCode = sqlite3_extended_errcode(m_db);
    }
    if (ok)
        ok = writeChanges(&err);
    if (ok && !alsoInTransaction.isEmpty()) {
        ok = sqlite3_exec(m_db, alsoInTransaction.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!ok) {
            err = sqliteError(m_db);
            m_lastSaveErrorCode = sqlite3_extended_errcode(m_db);
        }
    }
    if (ok) {
        ok = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!ok) {
            err = sqliteError(m_db);
            m_lastSaveErrorCode = sqlite3_extended_errcode(m_db);
        }
    }
    if (!ok) {
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (error)
            *error = err;
        Q_EMIT saveFailed(err);
        return false;
    }
    for (PersistentModel* m : std::as_const(m_pending)) {
        if (m->m_state == PersistentModel::State::New)
            m->m_state = PersistentModel::State::Persisted;
        else if (m->m_state == PersistentModel::State::Deleted)
            m->m_state = PersistentModel::State::Gone;
        m->m_changed = false;
        m->m_joinChanged = false;
    }
    m_pending.clear();
    runDeletionActions();
    Q_EMIT didSave();
    return true;
}

void ModelContext::afterDeletionSaved(PersistentModel* object, std::function<void()> action)
{
    if (!object || !action || object->m_context != this)
        return;
    m_deletionActions.emplace_back(object, std::move(action));
}

void ModelContext::runDeletionActions()
{
    if (m_deletionActions.empty())
        return;
    std::vector<std::pair<PersistentModel*, std::function<void()>>> due;
    std::vector<std::pair<PersistentModel*, std::function<void()>>> waiting;
    for (auto& entry : m_deletionActions)
        (entry.first->m_state == PersistentModel::State::Gone ? due : waiting).push_back(std::move(entry));
    m_deletionActions = std::move(waiting);
    for (auto& entry : due)
        entry.second();
}

void ModelContext::rollback()
{
    m_autosaveTimer.stop();
    QSet<QString> touched;
    for (PersistentModel* m : std::as_const(m_pending))
        touched.insert(m->entity().name);
    QString err;
    load(&err);
    std::erase_if(m_deletionActions, [](const auto& entry) { return !entry.first->isDeleted(); });
    for (const QString& name : touched)
        scheduleNotification(name);
}
