#pragma once

#include <QString>
#include <QStringList>

// The type-ahead list of a combo field: options starting with the typed text first, then those
// containing it, each group in option order, at most eight; nothing while the field isn't
// focused, for blank text, or when the only candidate already is the typed text.
namespace ComboSuggestions {
constexpr int maxSuggestions = 8;
QStringList suggestions(const QString& text, const QStringList& options, bool focused);
}  // namespace ComboSuggestions
