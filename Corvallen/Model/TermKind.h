#pragma once

#include <QList>
#include <QString>

#include <optional>

// The five curated term lists that classify components.
enum class TermKind { category, subcategory, manufacturer, location, bin };

namespace TermKinds {
QList<TermKind> allCases();
QString rawValue(TermKind k);
// Exact, case-sensitive match of the raw value.
std::optional<TermKind> fromRawValue(const QString& raw);
QString pluralTitle(TermKind k);
QString singularTitle(TermKind k);
// A subcategory belongs to a category and a bin to a location.
std::optional<TermKind> parentKind(TermKind k);
// The kind whose terms name this kind as parent (category -> subcategory, location -> bin).
std::optional<TermKind> childKind(TermKind k);
}  // namespace TermKinds
