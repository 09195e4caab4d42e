#pragma once

#include <QList>
#include <QString>

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
};
