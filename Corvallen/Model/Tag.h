#pragma once

#include "Corvallen/Store/PersistentModel.h"

class Capture;

// A named, coloured label on captures; one record per name (names are unique, compared exactly).
class Tag : public PersistentModel {
public:
    enum Attribute { Name, ColorHex };
    enum ToMany { Captures };

    static const EntityDescriptor& descriptor();
    const EntityDescriptor& entity() const override { return descriptor(); }

    Tag(const QString& name, const QString& colorHex);
    Tag();

    QString name() const { return text(Name); }
    void setName(const QString& v) { setAttributeValue(Name, v); }
    QString colorHex() const { return text(ColorHex); }
    void setColorHex(const QString& v) { setAttributeValue(ColorHex, v); }

    QList<Capture*> captures() const;
};
