#pragma once

#include <QList>
#include <QString>

#include <atomic>
#include <functional>

class PersistentModel;

// How an entity type is laid out in the store. Attributes are kept by index in schema order;
// relationships are either to-one links (a column on this side), to-many lists (derived from the
// inverse to-one link, or a join table for many-to-many) with a delete rule.
enum class AttributeType { Text, Integer, Double, Bool, Date, Uuid };

struct AttributeDescriptor {
    QString name;
    AttributeType type = AttributeType::Text;
    bool optional = false;
    bool unique = false;
};

enum class DeleteRule { Nullify, Cascade };

struct ToOneDescriptor {
    QString name;
    QString target;           // entity name
    QString inverse;          // name of the to-many list on the target
};

struct ToManyDescriptor {
    QString name;
    QString target;           // entity name
    QString inverse;          // to-one name on the target, or the to-many name for many-to-many
    DeleteRule deleteRule = DeleteRule::Nullify;
    bool manyToMany = false;
    bool ownsJoinTable = false;  // the side whose changes write the join table
};

struct EntityDescriptor {
    QString name;
    QList<AttributeDescriptor> attributes;
    QList<ToOneDescriptor> toOne;
    QList<ToManyDescriptor> toMany;
    // Attribute lists the store keeps an index on, so that a first screen can sort or count
    // records straight from the file while their table is still being read.
    QList<QStringList> indexes;
    std::function<PersistentModel*()> make;  // a blank record for the store to fill

    int attributeIndex(const QString& n) const;
    int toOneIndex(const QString& n) const;
    int toManyIndex(const QString& n) const;
    int uniqueAttribute() const;  // -1 when none

    // The attributes of each type, a bit per schema index (an entity has at most 64): how a
    // record lays out its values. Worked out from `attributes` on first use, on any thread.
    struct AttributeKinds {
        quint64 text = 0;
        quint64 integer = 0;
        quint64 real = 0;
        quint64 boolean = 0;
        quint64 date = 0;
        quint64 uuid = 0;
    };
    const AttributeKinds& attributeKinds() const
    {
        if (!m_kinds.ready.load(std::memory_order_acquire))
            workOutKinds();
        return m_kinds.kinds;
    }

private:
    void workOutKinds() const;
    // A copy works its kinds out again from its own attributes.
    struct KindsCache {
        KindsCache() = default;
        KindsCache(const KindsCache&) {}
        KindsCache& operator=(const KindsCache&) { return *this; }
        std::atomic<bool> ready{false};
        AttributeKinds kinds;
    };
    mutable KindsCache m_kinds;
};
