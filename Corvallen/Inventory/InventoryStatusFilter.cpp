#include "Corvallen/Inventory/InventoryStatusFilter.h"

namespace InventoryStatusFilters {

QList<InventoryStatusFilter> allCases()
{
    using F = InventoryStatusFilter;
    return {F::all, F::inStock, F::low, F::out, F::ordered};
}

QString rawValue(InventoryStatusFilter f)
{
    switch (f) {
    case InventoryStatusFilter::all: return QStringLiteral("All");
    case InventoryStatusFilter::inStock: return QStringLiteral("In stock");
    case InventoryStatusFilter::low: return QStringLiteral("Low");
    case InventoryStatusFilter::out: return QStringLiteral("Out");
    case InventoryStatusFilter::ordered: return QStringLiteral("Ordered");
    }
    return QStringLiteral("All");
}

std::optional<InventoryStatusFilter> fromRawValue(const QString& raw)
{
    for (InventoryStatusFilter f : allCases())
        if (rawValue(f) == raw)
            return f;
    return std::nullopt;
}

}  // namespace InventoryStatusFilters
