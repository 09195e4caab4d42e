#include "Corvallen/Store/PersistentModel.h"

#include "Corvallen/Store/ModelContext.h"

PersistentModel::PersistentModel(const EntityDescriptor& d) : m_values(d)
{
    const size_t lists = size_t(d.toMany.size());
    const size_t ones = size_t(d.toOne.size());
    if (lists + ones == 0)
        return;
    const size_t bytes = ones * sizeof(PersistentModel*) + lists * sizeof(QList<PersistentModel*>);
    m_links = bytes <= sizeof(m_linksInside) ? m_linksInside : static_cast<std::byte*>(::operator new(bytes));
    for (size_t i = 0; i < ones; ++i)
        new (&toOneSlot(int(i))) PersistentModel*(nullptr);
    for (size_t i = 0; i < lists; ++i)
        new (&toManySlot(int(i))) QList<PersistentModel*>();
}

PersistentModel::~PersistentModel()
{
    if (!m_links)
        return;
    for (int i = 0; i < m_values.entity().toMany.size(); ++i)
        toManySlot(i).~QList();
    if (m_links != m_linksInside)
        ::operator delete(m_links);
}

PersistentModel* PersistentModel::mergedInto() const
{
    return m_state == State::Gone && m_context ? m_context->m_merged.value(this) : nullptr;
}

PersistentIdentifier PersistentModel::persistentModelID() const
{
    if (m_key == 0)
        return {};
    return {entity().name, m_key};
}

bool PersistentModel::hasChanges() const
{
    return m_state == State::New || m_state == State::Deleted || m_changed || m_joinChanged;
}

std::optional<QString> PersistentModel::optText(int i) const
{
    if (!m_values.has(i))
        return std::nullopt;
    return text(i);
}

std::optional<double> PersistentModel::optReal(int i) const
{
    if (!m_values.has(i))
        return std::nullopt;
    return real(i);
}

void PersistentModel::requireList(int index) const
{
    if (m_context && m_context->m_loading)
        m_context->requireList(this, index);
}

void PersistentModel::requireAdopted() const
{
    if (m_early)
        m_context->ensureLoaded(entity().name);
}

qsizetype PersistentModel::toManyCount(int index) const
{
    if (m_context && m_context->m_loading)
        return m_context->relatedCount(this, index);
    return toManySlot(index).size();
}

void PersistentModel::noteChanged(bool storedColumns)
{
    // A record that is gone from the store (deleted and saved, or merged into another by an
    // insert) has nothing left to save.
    if (m_state == State::Gone)
        return;
    ++m_changeCount;
    if (m_state == State::Persisted && storedColumns)
        m_changed = true;
    if (m_context)
        m_context->recordChanged(this);
}

void PersistentModel::setAttributeValue(int index, const QVariant& value)
{
    requireAdopted();
    const bool unique = m_context && entity().attributes[index].unique;
    const QVariant old = unique ? m_values.value(index) : QVariant();
    if (!m_values.set(index, value))
        return;
    if (unique)
        m_context->uniqueValueChanged(this, old, m_values.value(index));
    noteChanged(true);
}

void PersistentModel::linkInverse(int toOneIndex, PersistentModel* target)
{
    const ToOneDescriptor& d = entity().toOne[toOneIndex];
    const int inv = target->entity().toManyIndex(d.inverse);
    if (inv >= 0) {
        target->requireList(inv);
        appendMember(target->toManySlot(inv), this);
        target->noteChanged(false);
    }
}

void PersistentModel::unlinkInverse(int toOneIndex, PersistentModel* target)
{
    const ToOneDescriptor& d = entity().toOne[toOneIndex];
    const int inv = target->entity().toManyIndex(d.inverse);
    if (inv >= 0) {
        target->requireList(inv);
        target->toManySlot(inv).removeOne(this);
        target->noteChanged(false);
    }
}

void PersistentModel::setToOneValue(int index, PersistentModel* target)
{
    // A deleted record takes no new links and is linked to by none: the store could not keep
    // such a link, so memory and the file would disagree after the save.
    if (isDeleted())
        return;
    requireAdopted();
    if (target)
        target->requireAdopted();
    // A link from a stored record to a new one brings the new one into the store, as both ends
    // of a relationship live in one context. The insert may hand back a stored record with the
    // same unique value: the link then goes to that record.
    if (target && m_context && !target->m_context)
        target = m_context->insert(target);
    else if (PersistentModel* merged = target ? target->mergedInto() : nullptr)
        target = merged;
    if (target && target->isDeleted())
        return;
    PersistentModel* old = toOneSlot(index);
    if (old == target)
        return;
    if (old)
        unlinkInverse(index, old);
    toOneSlot(index) = target;
    if (target) {
        linkInverse(index, target);
        // The other way round: a new record linked to a stored one joins the store. Should the
        // insert merge this object into a stored record, that record takes over the link.
        if (!m_context && target->m_context)
            target->m_context->insert(this);
    }
    noteChanged(true);
}

void PersistentModel::addToMany(int index, PersistentModel* object)
{
    if (!object || isDeleted())
        return;
    requireAdopted();
    object->requireAdopted();
    requireList(index);
    const ToManyDescriptor& d = entity().toMany[index];
    const int inv = object->entity().toOneIndex(d.inverse);
    if (!d.manyToMany) {
        if (inv >= 0)
            object->setToOneValue(inv, this);
        return;
    }
    // As for to-one links: a new member joins this record's context first, and may turn out
    // to be a stored record with the same unique value.
    if (m_context && !object->m_context)
        object = m_context->insert(object);
    else if (PersistentModel* merged = object->mergedInto())
        object = merged;
    if (object->isDeleted())
        return;  // as for to-one links
    auto& mine = toManySlot(index);
    if (mine.contains(object))
        return;
    const int invMany = object->entity().toManyIndex(d.inverse);
    if (invMany >= 0)
        object->requireList(invMany);
    appendMember(mine, object);
    if (invMany >= 0)
        appendMember(object->toManySlot(invMany), this);
    PersistentModel* owner = d.ownsJoinTable ? this : object;
    if (owner->m_state == State::Persisted)
        owner->m_joinChanged = true;
    noteChanged(false);
    object->noteChanged(false);
    if (!m_context && object->m_context)
        object->m_context->insert(this);
}

void PersistentModel::removeFromMany(int index, PersistentModel* object)
{
    if (!object)
        return;
    requireAdopted();
    object->requireAdopted();
    requireList(index);
    const ToManyDescriptor& d = entity().toMany[index];
    if (!d.manyToMany) {
        const int inv = object->entity().toOneIndex(d.inverse);
        if (inv >= 0 && object->toOneSlot(inv) == this)
            object->setToOneValue(inv, nullptr);
        return;
    }
    const int invMany = object->entity().toManyIndex(d.inverse);
    if (invMany >= 0)
        object->requireList(invMany);
    auto& mine = toManySlot(index);
    if (!mine.removeOne(object))
        return;
    if (invMany >= 0)
        object->toManySlot(invMany).removeOne(this);
    PersistentModel* owner = d.ownsJoinTable ? this : object;
    if (owner->m_state == State::Persisted)
        owner->m_joinChanged = true;
    noteChanged(false);
    object->noteChanged(false);
}

void PersistentModel::setToMany(int index, const QList<PersistentModel*>& objects)
{
    requireList(index);
    const QList<PersistentModel*> current = toManySlot(index);
    for (PersistentModel* m : current)
        if (!objects.contains(m))
            removeFromMany(index, m);
    for (PersistentModel* m : objects)
        addToMany(index, m);
}
