#include "Corvallen/Store/ModelContext.h"

#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/StoreSql.h"

#include <QCoreApplication>

#include <sqlite3.h>

using namespace StoreSql;

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

void ModelContext::addUnique(QHash<QString, PersistentModel*>& unique, bool& duplicates, const QString& value,
                             PersistentModel* object)
{
    auto it = unique.find(value);
    if (it == unique.end())
        unique.insert(value, object);
    else if (it.value() != object)
        duplicates = true;
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
