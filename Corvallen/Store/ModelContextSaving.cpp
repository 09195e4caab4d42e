// Saving: the prepared write statements, autosave, writing the changes in one transaction, the
// actions that wait for a deletion to be saved, and rollback.
#include "Corvallen/Store/ModelContext.h"

#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/StoreSql.h"

#include <sqlite3.h>

using namespace StoreSql;

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
