#include "Corvallen/Model/TaxonomyTerm.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TagList.h"
#include "Corvallen/Model/TextCompare.h"
#include "Corvallen/Platform/ModelContext.h"

const EntityDescriptor& TaxonomyTerm::descriptor()
{
    static const EntityDescriptor d = [] {
        EntityDescriptor e;
        e.name = QStringLiteral("TaxonomyTerm");
        using T = AttributeType;
        e.attributes = {{QStringLiteral("kindRaw"), T::Text},
                        {QStringLiteral("name"), T::Text},
                        {QStringLiteral("parent"), T::Text, true},
                        {QStringLiteral("notes"), T::Text, true},
                        {QStringLiteral("createdAt"), T::Date}};
        e.make = [] { return new TaxonomyTerm; };
        return e;
    }();
    return d;
}

TaxonomyTerm::TaxonomyTerm() : PersistentModel(descriptor()) {}

TaxonomyTerm::TaxonomyTerm(TermKind kind, const QString& name, const std::optional<QString>& parent)
    : PersistentModel(descriptor())
{
    setAttributeValue(KindRaw, TermKinds::rawValue(kind));
    setAttributeValue(Name, name);
    setParent(parent);
    setAttributeValue(CreatedAt, QDateTime::currentDateTimeUtc());
}

TermKind TaxonomyTerm::kind() const { return TermKinds::fromRawValue(kindRaw()).value_or(TermKind::category); }

bool TaxonomyTerm::namesMatch(const QString& a, const QString& b) { return TextCompare::localizedCaseInsensitiveEqual(a, b); }

QList<TaxonomyTerm*> TaxonomyTerm::terms(TermKind kind, ModelContext& context)
{
    const QString raw = TermKinds::rawValue(kind);
    QList<TaxonomyTerm*> all = context.fetch<TaxonomyTerm>({}, [](const TaxonomyTerm* a, const TaxonomyTerm* b) {
        return TextCompare::localizedStandardCompare(a->name(), b->name()) < 0;
    });
    QList<TaxonomyTerm*> kept;
    for (TaxonomyTerm* t : all)
        if (t->kindRaw() == raw)
            kept << t;
    std::stable_sort(kept.begin(), kept.end(), [](const TaxonomyTerm* a, const TaxonomyTerm* b) {
        return TextCompare::localizedCaseInsensitiveCompare(a->name(), b->name()) < 0;
    });
    return kept;
}

TaxonomyTerm* TaxonomyTerm::findOrCreate(const std::optional<QString>& name, TermKind kind,
                                         const std::optional<QString>& parent, ModelContext& context)
{
    if (!name)
        return nullptr;
    const QString trimmed = trimWhitespaceAndNewlines(*name);
    if (trimmed.isEmpty())
        return nullptr;
    std::optional<QString> trimmedParent;
    if (parent) {
        const QString p = trimWhitespaceAndNewlines(*parent);
        if (!p.isEmpty())
            trimmedParent = p;
    }
    for (TaxonomyTerm* t : terms(kind, context)) {
        if (!namesMatch(t->name(), trimmed))
            continue;
        if (!t->parent() && trimmedParent)
            t->setParent(trimmedParent);
        return t;
    }
    return context.insert(new TaxonomyTerm(kind, trimmed, trimmedParent));
}

void TaxonomyTerm::seedFromComponents(ModelContext& context)
{
    const QList<Component*> components = context.fetch<Component>();
    if (components.isEmpty())
        return;
    bool created = false;
    for (Component* c : components) {
        for (TermKind k : TermKinds::allCases()) {
            const auto value = c->value(k);
            if (!value || trimWhitespaceAndNewlines(*value).isEmpty())
                continue;
            std::optional<QString> parent;
            if (k == TermKind::subcategory)
                parent = c->category();
            else if (k == TermKind::bin)
                parent = c->location();
            const qsizetype before = terms(k, context).size();
            if (findOrCreate(value, k, parent, context) && terms(k, context).size() > before)
                created = true;
        }
    }
    if (created)
        context.save();
}

qsizetype TaxonomyTerm::usageCount(ModelContext& context) const
{
    const TermKind k = kind();
    const QString n = name();
    return context.fetchCount<Component>([&](const Component* c) {
        const auto v = c->value(k);
        return v && namesMatch(*v, n);
    });
}

static void updateChildParents(TermKind kind, const QString& oldName, const std::optional<QString>& newParent, ModelContext& context)
{
    const auto child = TermKinds::childKind(kind);
    if (!child)
        return;
    for (TaxonomyTerm* t : TaxonomyTerm::terms(*child, context)) {
        const auto p = t->parent();
        if (p && TaxonomyTerm::namesMatch(*p, oldName))
            t->setParent(newParent);
    }
}

void TaxonomyTerm::deleteTerm(TaxonomyTerm* term, ModelContext& context)
{
    if (!term)
        return;
    const TermKind k = term->kind();
    const QString n = term->name();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (Component* c : context.fetch<Component>()) {
        const auto v = c->value(k);
        if (v && namesMatch(*v, n)) {
            c->setValue(std::nullopt, k);
            c->setUpdatedAt(now);
        }
    }
    updateChildParents(k, n, std::nullopt, context);
    context.deleteObject(term);
    context.save();
}

void TaxonomyTerm::rename(TaxonomyTerm* term, const QString& newName, ModelContext& context)
{
    if (!term)
        return;
    const QString trimmed = trimWhitespaceAndNewlines(newName);
    if (trimmed.isEmpty() || namesMatch(trimmed, term->name()))
        return;
    const QString oldName = term->name();
    const TermKind k = term->kind();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (Component* c : context.fetch<Component>()) {
        const auto v = c->value(k);
        if (v && namesMatch(*v, oldName)) {
            c->setValue(trimmed, k);
            c->setUpdatedAt(now);
        }
    }
    updateChildParents(k, oldName, trimmed, context);
    term->setName(trimmed);
    context.save();
}
