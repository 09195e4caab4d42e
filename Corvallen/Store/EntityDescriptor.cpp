#include "Corvallen/Store/EntityDescriptor.h"

#include <mutex>

int EntityDescriptor::attributeIndex(const QString& n) const
{
    for (int i = 0; i < attributes.size(); ++i)
        if (attributes[i].name == n)
            return i;
    return -1;
}

int EntityDescriptor::toOneIndex(const QString& n) const
{
    for (int i = 0; i < toOne.size(); ++i)
        if (toOne[i].name == n)
            return i;
    return -1;
}

int EntityDescriptor::toManyIndex(const QString& n) const
{
    for (int i = 0; i < toMany.size(); ++i)
        if (toMany[i].name == n)
            return i;
    return -1;
}

int EntityDescriptor::uniqueAttribute() const
{
    for (int i = 0; i < attributes.size(); ++i)
        if (attributes[i].unique)
            return i;
    return -1;
}

void EntityDescriptor::workOutKinds() const
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    if (m_kinds.ready.load(std::memory_order_relaxed))
        return;
    Q_ASSERT_X(attributes.size() <= 64, "EntityDescriptor", "at most 64 attributes");
    AttributeKinds k;
    for (int i = 0; i < attributes.size(); ++i) {
        const quint64 bit = quint64(1) << i;
        switch (attributes[i].type) {
        case AttributeType::Text: k.text |= bit; break;
        case AttributeType::Integer: k.integer |= bit; break;
        case AttributeType::Double: k.real |= bit; break;
        case AttributeType::Bool: k.boolean |= bit; break;
        case AttributeType::Date: k.date |= bit; break;
        case AttributeType::Uuid: k.uuid |= bit; break;
        }
    }
    m_kinds.kinds = k;
    m_kinds.ready.store(true, std::memory_order_release);
}
