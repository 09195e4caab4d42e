#include "Corvallen/Model/TermKind.h"

#include <QCoreApplication>

namespace TermKinds {

QList<TermKind> allCases()
{
    return {TermKind::category, TermKind::subcategory, TermKind::manufacturer, TermKind::location, TermKind::bin};
}

QString rawValue(TermKind k)
{
    switch (k) {
    case TermKind::category: return QStringLiteral("category");
    case TermKind::subcategory: return QStringLiteral("subcategory");
    case TermKind::manufacturer: return QStringLiteral("manufacturer");
    case TermKind::location: return QStringLiteral("location");
    case TermKind::bin: return QStringLiteral("bin");
    }
    return {};
}

std::optional<TermKind> fromRawValue(const QString& raw)
{
    for (TermKind k : allCases())
        if (rawValue(k) == raw)
            return k;
    return std::nullopt;
}

QString pluralTitle(TermKind k)
{
    switch (k) {
    case TermKind::category: return QCoreApplication::translate("TermKind", "Categories");
    case TermKind::subcategory: return QCoreApplication::translate("TermKind", "Subcategories");
    case TermKind::manufacturer: return QCoreApplication::translate("TermKind", "Manufacturers");
    case TermKind::location: return QCoreApplication::translate("TermKind", "Locations");
    case TermKind::bin: return QCoreApplication::translate("TermKind", "Bins / drawers");
    }
    return {};
}

QString singularTitle(TermKind k)
{
    switch (k) {
    case TermKind::category: return QCoreApplication::translate("TermKind", "category");
    case TermKind::subcategory: return QCoreApplication::translate("TermKind", "subcategory");
    case TermKind::manufacturer: return QCoreApplication::translate("TermKind", "manufacturer");
    case TermKind::location: return QCoreApplication::translate("TermKind", "location");
    case TermKind::bin: return QCoreApplication::translate("TermKind", "bin / drawer");
    }
    return {};
}

std::optional<TermKind> parentKind(TermKind k)
{
    if (k == TermKind::subcategory)
        return TermKind::category;
    if (k == TermKind::bin)
        return TermKind::location;
    return std::nullopt;
}

std::optional<TermKind> childKind(TermKind k)
{
    if (k == TermKind::category)
        return TermKind::subcategory;
    if (k == TermKind::location)
        return TermKind::bin;
    return std::nullopt;
}

}  // namespace TermKinds
