#include "Corvallen/Model/Component.h"

#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/TagList.h"
#include "Corvallen/Model/TextTrim.h"

const EntityDescriptor& Component::descriptor()
{
    static const EntityDescriptor d = [] {
        EntityDescriptor e;
        e.name = QStringLiteral("Component");
        using T = AttributeType;
        e.attributes = {
            {QStringLiteral("name"), T::Text, false},
            {QStringLiteral("partNumber"), T::Text, true},
            {QStringLiteral("category"), T::Text, true},
            {QStringLiteral("subcategory"), T::Text, true},
            {QStringLiteral("manufacturer"), T::Text, true},
            {QStringLiteral("qty"), T::Integer, false},
            {QStringLiteral("unit"), T::Text, false},
            {QStringLiteral("minQty"), T::Integer, false},
            {QStringLiteral("location"), T::Text, true},
            {QStringLiteral("bin"), T::Text, true},
            {QStringLiteral("voltage"), T::Text, true},
            {QStringLiteral("current"), T::Text, true},
            {QStringLiteral("power"), T::Text, true},
            {QStringLiteral("interface"), T::Text, true},
            {QStringLiteral("logicLevel"), T::Text, true},
            {QStringLiteral("package"), T::Text, true},
            {QStringLiteral("keySpecs"), T::Text, true},
            {QStringLiteral("notes"), T::Text, true},
            {QStringLiteral("tags"), T::Text, true},
            {QStringLiteral("confidence"), T::Double, true},
            {QStringLiteral("shoppingURL"), T::Text, true},
            {QStringLiteral("photoFile"), T::Text, true},
            {QStringLiteral("datasheetFile"), T::Text, true},
            {QStringLiteral("manualFile"), T::Text, true},
            {QStringLiteral("datasheetURL"), T::Text, true},
            {QStringLiteral("manualURL"), T::Text, true},
            {QStringLiteral("photoURL"), T::Text, true},
            {QStringLiteral("statusOverride"), T::Text, true},
            {QStringLiteral("purchasePrice"), T::Double, true},
            {QStringLiteral("resellPrice"), T::Double, true},
            {QStringLiteral("createdAt"), T::Date, false},
            {QStringLiteral("updatedAt"), T::Date, false},
        };
        e.toMany = {{QStringLiteral("projectUses"), QStringLiteral("ProjectComponent"), QStringLiteral("component"), DeleteRule::Cascade}};
        // The dashboard's stock counts read these three columns of every component.
        e.indexes = {{QStringLiteral("qty"), QStringLiteral("minQty"), QStringLiteral("statusOverride")}};
        e.make = [] { return new Component; };
        return e;
    }();
    return d;
}

Component::Component() : PersistentModel(descriptor()) {}

Component::Component(const QString& name) : PersistentModel(descriptor())
{
    setAttributeValue(A_name, name);
    setAttributeValue(A_qty, QVariant(qint64(0)));
    setAttributeValue(A_unit, QStringLiteral("pcs"));
    setAttributeValue(A_minQty, QVariant(qint64(0)));
    // Two readings of the clock, as creation and last edit are separate moments.
    setAttributeValue(A_createdAt, QDateTime::currentDateTimeUtc());
    setAttributeValue(A_updatedAt, QDateTime::currentDateTimeUtc());
}

QList<ProjectComponent*> Component::projectUses() const { return toMany<ProjectComponent>(ProjectUses); }

StockStatus Component::status() const { return status(qty(), minQty(), statusOverride()); }

StockStatus Component::status(qint64 qty, qint64 minQty, const std::optional<QString>& statusOverride)
{
    if (statusOverride && *statusOverride == QLatin1String("ordered"))
        return StockStatus::ordered;
    if (qty < 1)
        return StockStatus::out;
    if (minQty >= qty)
        return StockStatus::low;
    return StockStatus::inStock;
}

QStringList Component::tagList() const { return tagListFromText(tags()); }

static int termAttribute(TermKind kind)
{
    switch (kind) {
    case TermKind::category: return Component::A_category;
    case TermKind::subcategory: return Component::A_subcategory;
    case TermKind::manufacturer: return Component::A_manufacturer;
    case TermKind::location: return Component::A_location;
    case TermKind::bin: return Component::A_bin;
    }
    return Component::A_category;
}

std::optional<QString> Component::value(TermKind kind) const { return optText(termAttribute(kind)); }

void Component::setValue(const std::optional<QString>& text, TermKind kind)
{
    std::optional<QString> v;
    if (text) {
        const QString t = trimWhitespaceAndNewlines(*text);
        if (!t.isEmpty())
            v = t;
    }
    setOptText(termAttribute(kind), v);
}
