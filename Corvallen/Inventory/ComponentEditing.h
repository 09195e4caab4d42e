#pragma once

#include "Corvallen/Model/TermKind.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

class Component;
class ModelContext;
class TaxonomyTerm;

// The component inspector's rules that need no window.
namespace ComponentEditing {

// An optional text field as the editor shows it (absent reads as empty) and back (empty text
// stores absent; anything else, blanks included, is kept as typed).
QString fieldText(const std::optional<QString>& value);
std::optional<QString> fieldValue(const QString& text);

// "On order": the override is exactly "ordered"; switching it on stores "ordered", off clears it.
bool onOrder(const Component& component);
void setOnOrder(Component& component, bool on);

// The names a combo field offers: the terms of the kind; for a non-empty parent only those whose
// parent matches it case-insensitively, unless none does. Sorted case-insensitively.
QStringList comboOptions(TermKind kind, const std::optional<QString>& parent, const QList<TaxonomyTerm*>& terms);
// The parent a combo field's options are narrowed by: the category for a subcategory, the
// location for a bin.
std::optional<QString> comboParent(const Component& component, TermKind kind);

// The whole number an integer field's text gives in the locale (grouping allowed, a sign too),
// brought within ±Component::maxQuantity; none for text that is no whole number.
std::optional<qint64> quantityFromText(const QString& text, const QLocale& locale = QLocale());

// "Margin £1.00 (50%)"; none unless both prices are set. The percentage, truncated toward zero,
// only for a purchase price above 0.
std::optional<QString> marginText(std::optional<double> purchase, std::optional<double> resell, const QString& currencyCode);

// "Done": tags lower-cased, updatedAt now, the five term values registered in the term lists,
// then the store saved. True when the save succeeded; a failed save leaves the edits pending.
bool commit(Component& component, ModelContext& context, QString* error = nullptr);

}  // namespace ComponentEditing
