#pragma once

#include "Corvallen/Inventory/InventoryStatusFilter.h"
#include "Corvallen/Model/StockStatus.h"
#include "Corvallen/Model/TermKind.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Component;
class TaxonomyTerm;

// What the Inventory page narrows its list by: one stock-status segment, four value menus and
// the search box. Pure logic over the page's state and the store's components and terms.
struct InventoryFilters {
    QString search;
    InventoryStatusFilter statusFilter = InventoryStatusFilter::all;
    std::optional<QString> categoryFilter;
    std::optional<QString> manufacturerFilter;
    std::optional<QString> locationFilter;
    std::optional<QString> tagFilter;

    // The search text lower-cased and trimmed of spaces and tabs (line breaks stay).
    static QString normalizedQuery(const QString& search);
    // Whether a status passes a segment ("All" passes everything).
    static bool statusPasses(InventoryStatusFilter filter, StockStatus status);

    // Status, then the four value filters (exact text), then the query as a substring of the
    // lower-cased name, part number, category, location, key specs or any tag.
    bool matches(const Component& component, const QString& query) const;
    // The components that match, in the order given.
    QList<Component*> filtered(const QList<Component*>& components) const;

    bool hasActiveFilters() const;
    // Status back to "All" and the value filters to none; the search stays.
    void clearFilters();

    // The menu options of a term kind: the names of that kind's terms joined with the
    // components' non-empty values of the field, exact duplicates removed, sorted
    // case-insensitively in the user's locale.
    static QStringList filterOptions(TermKind kind, const QList<TaxonomyTerm*>& terms, const QList<Component*>& components);
    // Every tag of every component once, in code-point order.
    static QStringList tagOptions(const QList<Component*>& components);
};
