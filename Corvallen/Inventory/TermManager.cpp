#include "Corvallen/Inventory/TermManager.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TextTrim.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Model/TextCompare.h"
#include "Corvallen/Store/ModelContext.h"

#include <QCoreApplication>

#include <algorithm>

namespace TermManager {

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("ManageInventorySheet", text);
}
}  // namespace

QList<TaxonomyTerm*> termsOf(TermKind kind, const QList<TaxonomyTerm*>& terms)
{
    const QString raw = TermKinds::rawValue(kind);
    QList<TaxonomyTerm*> out;
    for (TaxonomyTerm* t : terms)
        if (t->kindRaw() == raw)
            out << t;
    std::stable_sort(out.begin(), out.end(), [](const TaxonomyTerm* a, const TaxonomyTerm* b) {
        return TextCompare::localizedCaseInsensitiveCompare(a->name(), b->name()) < 0;
    });
    return out;
}

QList<TaxonomyTerm*> allTerms(ModelContext& context)
{
    return context.fetch<TaxonomyTerm>({}, [](const TaxonomyTerm* a, const TaxonomyTerm* b) { return a->name() < b->name(); });
}

QStringList parentNames(TermKind kind, ModelContext& context)
{
    const std::optional<TermKind> parentKind = TermKinds::parentKind(kind);
    QStringList names;
    if (!parentKind)
        return names;
    for (const TaxonomyTerm* t : TaxonomyTerm::terms(*parentKind, context))
        names << t->name();
    return names;
}

QHash<const TaxonomyTerm*, qsizetype> usageCounts(TermKind kind, const QList<TaxonomyTerm*>& terms, ModelContext& context)
{
    // Components carry few distinct values; tally those, then compare each term with each value.
    QHash<QString, qsizetype> tally;
    for (const Component* c : context.fetch<Component>())
        if (const std::optional<QString> v = c->value(kind))
            ++tally[*v];
    QHash<const TaxonomyTerm*, qsizetype> out;
    for (const TaxonomyTerm* t : terms) {
        qsizetype n = 0;
        for (auto it = tally.cbegin(); it != tally.cend(); ++it)
            if (TaxonomyTerm::namesMatch(it.key(), t->name()))
                n += it.value();
        out.insert(t, n);
    }
    return out;
}

bool canAdd(const QString& newName)
{
    return !trimHorizontalSpace(newName).isEmpty();
}

bool add(const QString& newName, const QString& newParent, TermKind kind, ModelContext& context)
{
    const QString name = trimHorizontalSpace(newName);
    if (name.isEmpty())
        return false;
    // A parent left over from a kind with parents means nothing for the other kinds.
    std::optional<QString> parent;
    if (TermKinds::parentKind(kind) && !newParent.isEmpty())
        parent = newParent;
    TaxonomyTerm::findOrCreate(name, kind, parent, context);
    context.save();
    return true;
}

QString commitRename(TaxonomyTerm* term, const QString& draft, ModelContext& context)
{
    const QString name = trimHorizontalSpace(draft);
    if (!name.isEmpty())
        term = TaxonomyTerm::rename(term, name, context);
    return term->name();
}

void setParent(TaxonomyTerm* term, const QString& parent, ModelContext& context)
{
    term->setParent(parent.isEmpty() ? std::nullopt : std::optional<QString>(parent));
    context.save();
}

void deleteTerm(TaxonomyTerm* term, ModelContext& context)
{
    if (term && !term->isDeleted())
        TaxonomyTerm::deleteTerm(term, context);
}

QString symbol(TermKind kind)
{
    switch (kind) {
    case TermKind::category: return QStringLiteral("folder");
    case TermKind::subcategory: return QStringLiteral("folder.badge.gearshape");
    case TermKind::manufacturer: return QStringLiteral("building.2");
    case TermKind::location: return QStringLiteral("mappin.and.ellipse");
    case TermKind::bin: return QStringLiteral("tray.2");
    }
    return {};
}

QString addPlaceholder(TermKind kind)
{
    return tr("Add %1…").arg(TermKinds::singularTitle(kind));
}

QString noParentTitle(TermKind kind)
{
    const std::optional<TermKind> parentKind = TermKinds::parentKind(kind);
    return tr("No %1").arg(parentKind ? TermKinds::singularTitle(*parentKind) : QString());
}

QString emptyTitle(TermKind kind)
{
    return tr("No %1").arg(TermKinds::pluralTitle(kind).toLower());
}

QString emptyDescription()
{
    return tr("Add one above, or it appears here once a part uses it.");
}

QString usageLabel(qsizetype usage)
{
    if (usage == 0)
        return tr("unused");
    return usage == 1 ? tr("1 part") : tr("%1 parts").arg(usage);
}

QString deleteTitle(const TaxonomyTerm* term, TermKind kind)
{
    if (!term)
        return tr("Delete %1?").arg(TermKinds::singularTitle(kind));
    return tr("Delete \u201C%1\u201D?").arg(term->name());
}

QString deleteMessage(const QString& name, qsizetype usage, TermKind kind)
{
    if (usage > 0)
        return tr("\u201C%1\u201D is used by %2 part(s). Deleting it clears the %3 on those parts.")
            .arg(name)
            .arg(usage)
            .arg(TermKinds::singularTitle(kind));
    return tr("\u201C%1\u201D isn\u2019t used by any parts.").arg(name);
}

QString deleteRepeatMessage(const QString& name)
{
    return tr("Another entry of the list is also named \u201C%1\u201D. Deleting this one changes no parts.").arg(name);
}

}  // namespace TermManager
