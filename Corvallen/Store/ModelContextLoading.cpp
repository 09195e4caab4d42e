// Reading an opening store: the readers that bring each table in on threads of their own, and
// the main thread's adoption of what they read.
#include "Corvallen/Store/ModelContext.h"

#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/StoreSql.h"

#include <sqlite3.h>

#include <future>
#include <map>
#include <mutex>
#include <thread>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace StoreSql;

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
