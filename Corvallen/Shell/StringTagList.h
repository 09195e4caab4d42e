#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Editing of a tag list kept as one comma-separated text (a component's tags). Every change
// writes the list back normalised: lower-case tags joined by "," without spaces.
namespace StringTagList {

// The tags of the text: split at commas, trimmed of spaces and tabs, lower-cased; empty pieces
// dropped, order and duplicates kept.
QStringList tags(const QString& raw);

// The new raw text after adding `input` (trimmed, lower-cased, not split), or none when nothing
// changes: the input is blank or the list already holds it exactly.
std::optional<QString> adding(const QString& raw, const QString& input);

// The raw text without every occurrence of `tag`.
QString removing(const QString& raw, const QString& tag);

// Whether the entry field holds something worth adding (not only spaces and tabs).
bool canAdd(const QString& input);

}  // namespace StringTagList
