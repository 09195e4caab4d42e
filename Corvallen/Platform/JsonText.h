#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Small pieces for the JSON files written by hand, where building a QJsonObject first would cost
// too much (it keeps its keys sorted, so every insert moves the ones after it), and for reading
// numbers that JSON only knows as doubles.

// One JSON string literal: quoted, with quotes, backslashes and control characters escaped.
QByteArray jsonStringLiteral(const QString& s);

// A whole number that fits qint64 (fractions are cut off); 1e300, infinities and NaN are none.
std::optional<qint64> wholeNumberFrom(double d);
