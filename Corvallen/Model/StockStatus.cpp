#include "Corvallen/Model/StockStatus.h"

#include <QCoreApplication>

namespace StockStatuses {

QList<StockStatus> allCases() { return {StockStatus::inStock, StockStatus::low, StockStatus::out, StockStatus::ordered}; }

QString rawValue(StockStatus s)
{
    switch (s) {
    case StockStatus::inStock: return QStringLiteral("in_stock");
    case StockStatus::low: return QStringLiteral("low");
    case StockStatus::out: return QStringLiteral("out");
    case StockStatus::ordered: return QStringLiteral("ordered");
    }
    return {};
}

std::optional<StockStatus> fromRawValue(const QString& raw)
{
    for (StockStatus s : allCases())
        if (rawValue(s) == raw)
            return s;
    return std::nullopt;
}

QString label(StockStatus s)
{
    switch (s) {
    case StockStatus::inStock: return QCoreApplication::translate("StockStatus", "In stock");
    case StockStatus::low: return QCoreApplication::translate("StockStatus", "Low");
    case StockStatus::out: return QCoreApplication::translate("StockStatus", "Out");
    case StockStatus::ordered: return QCoreApplication::translate("StockStatus", "Ordered");
    }
    return {};
}

}  // namespace StockStatuses
