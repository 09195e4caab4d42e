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

// The new raw text after adding the tags of `input` (split at commas, trimmed, lower-cased, each
// once), written back normalised without repeats; none when nothing changes: the input holds no
// tag, or only tags the list already has.
std::optional<QString> adding(const QString& raw, const QString& input);

// The raw text without every occurrence of `tag`.
QString removing(const QString& raw, const QString& tag);

// Whether the entry field holds a tag (not only spaces, tabs and commas).
bool canAdd(const QString& input);

}  // namespace StringTagList
