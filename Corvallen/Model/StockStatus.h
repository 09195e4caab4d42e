#pragma once

#include <QList>
#include <QString>

#include <optional>

// The stock status of a component, derived from its quantity, reorder level and override.
enum class StockStatus { inStock, low, out, ordered };

namespace StockStatuses {
QList<StockStatus> allCases();
QString rawValue(StockStatus s);  // "in_stock", "low", "out", "ordered"
std::optional<StockStatus> fromRawValue(const QString& raw);  // exact, case-sensitive
QString label(StockStatus s);     // "In stock", "Low", "Out", "Ordered" (translated)
}  // namespace StockStatuses
