#include "Corvallen/Inventory/InventoryFilters.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TextTrim.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Model/TextCompare.h"

#include <QSet>

#include <algorithm>

QString InventoryFilters::normalizedQuery(const QString& search)
{
    return trimHorizontalSpace(TextCompare::searchLowered(search));
}

bool InventoryFilters::statusPasses(InventoryStatusFilter filter, StockStatus status)
{
    switch (filter) {
    case InventoryStatusFilter::all: return true;
    case InventoryStatusFilter::inStock: return status == StockStatus::inStock;
    case InventoryStatusFilter::low: return status == StockStatus::low;
    case InventoryStatusFilter::out: return status == StockStatus::out;
    case InventoryStatusFilter::ordered: return status == StockStatus::ordered;
    }
    return false;
}

namespace {

bool sameValue(const std::optional<QString>& filter, const std::optional<QString>& value)
{
    return !filter || (value && *value == *filter);
}

bool contains(const std::optional<QString>& field, const QString& query)
{
    return field && TextCompare::searchLowered(*field).contains(query);
}

}  // namespace

bool InventoryFilters::matches(const Component& component, const QString& query) const
{
    if (statusFilter != InventoryStatusFilter::all && !statusPasses(statusFilter, component.status()))
        return false;
    if (!sameValue(categoryFilter, component.category()) || !sameValue(manufacturerFilter, component.manufacturer())
        || !sameValue(locationFilter, component.location()))
        return false;
    const QStringList tags = component.tagList();
    if (tagFilter && !tags.contains(*tagFilter))
        return false;
    if (query.isEmpty())
        return true;
    if (TextCompare::searchLowered(component.name()).contains(query) || contains(component.partNumber(), query)
        || contains(component.category(), query) || contains(component.location(), query)
        || contains(component.keySpecs(), query))
        return true;
    return std::any_of(tags.begin(), tags.end(), [&](const QString& tag) { return TextCompare::searchLowered(tag).contains(query); });
}

QList<Component*> InventoryFilters::filtered(const QList<Component*>& components) const
{
    const QString query = normalizedQuery(search);
    QList<Component*> out;
    for (Component* c : components)
        if (matches(*c, query))
            out.append(c);
    return out;
}

bool InventoryFilters::hasActiveFilters() const
{
    return statusFilter != InventoryStatusFilter::all || categoryFilter || manufacturerFilter || locationFilter || tagFilter;
}

void InventoryFilters::clearFilters()
{
    statusFilter = InventoryStatusFilter::all;
    categoryFilter.reset();
    manufacturerFilter.reset();
    locationFilter.reset();
    tagFilter.reset();
}

QStringList InventoryFilters::filterOptions(TermKind kind, const QList<TaxonomyTerm*>& terms, const QList<Component*>& components)
{
    const QString raw = TermKinds::rawValue(kind);
    QStringList out;
    QSet<QString> seen;
    auto add = [&](const QString& value) {
        if (!seen.contains(value)) {
            seen.insert(value);
            out.append(value);
        }
    };
    for (const TaxonomyTerm* t : terms)
        if (t->kindRaw() == raw)
            add(t->name());
    for (const Component* c : components) {
        const std::optional<QString> v = c->value(kind);
        if (v && !v->isEmpty())
            add(*v);
    }
    std::stable_sort(out.begin(), out.end(), [](const QString& a, const QString& b) {
        return TextCompare::localizedCaseInsensitiveCompare(a, b) < 0;
    });
    return out;
}

QStringList InventoryFilters::tagOptions(const QList<Component*>& components)
{
    QSet<QString> seen;
    QStringList out;
    for (const Component* c : components)
        for (const QString& tag : c->tagList())
            if (!seen.contains(tag)) {
                seen.insert(tag);
                out.append(tag);
            }
    std::sort(out.begin(), out.end());
    return out;
}
