#include "Corvallen/Model/Tag.h"

#include "Corvallen/Model/Capture.h"

const EntityDescriptor& Tag::descriptor()
{
    static const EntityDescriptor d = [] {
        EntityDescriptor e;
        e.name = QStringLiteral("Tag");
        e.attributes = {{QStringLiteral("name"), AttributeType::Text, false, true},
                        {QStringLiteral("colorHex"), AttributeType::Text}};
        e.toMany = {{QStringLiteral("captures"), QStringLiteral("Capture"), QStringLiteral("tags"), DeleteRule::Nullify, true, false}};
        e.make = [] { return new Tag; };
        return e;
    }();
    return d;
}

Tag::Tag() : PersistentModel(descriptor()) {}

Tag::Tag(const QString& name, const QString& colorHex) : PersistentModel(descriptor())
{
    setAttributeValue(Name, name);
    setAttributeValue(ColorHex, colorHex);
}

QList<Capture*> Tag::captures() const { return toMany<Capture>(Captures); }
