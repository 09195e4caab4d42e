#pragma once

#include <QString>

// Text comparisons that follow the user's locale (ICU collation through QCollator).
namespace TextCompare {
// Case-insensitive comparison in the current locale; 0 when the texts are the same.
int localizedCaseInsensitiveCompare(const QString& a, const QString& b);
bool localizedCaseInsensitiveEqual(const QString& a, const QString& b);
// The order a file browser uses for names: case-insensitive, numbers by value.
int localizedStandardCompare(const QString& a, const QString& b);
}  // namespace TextCompare
