#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The tags of a comma-separated text: split at commas, each piece trimmed of horizontal white
// space (tabs and Unicode space separators, not line breaks) and lower-cased independent of
// locale; empty pieces dropped, order and duplicates kept.
QStringList tagListFromText(const std::optional<QString>& text);
