#pragma once

#include <QList>
#include <QString>

#include <optional>

// The stock filter the Inventory page starts with: the main window hands it over when the
// dashboard's stock tiles or a project's "reveal" open the Inventory.
enum class InventoryStatusFilter { all, inStock, low, out, ordered };

namespace InventoryStatusFilters {
QList<InventoryStatusFilter> allCases();
// "All", "In stock", "Low", "Out", "Ordered".
QString rawValue(InventoryStatusFilter f);
std::optional<InventoryStatusFilter> fromRawValue(const QString& raw);
}  // namespace InventoryStatusFilters
