#pragma once

#include <QDate>
#include <QString>

#include <optional>

class Capture;

// The small text rules shared by the exported pages.
namespace SheetFormat {
// A number with at most `maxDecimals` fraction digits, trailing zeros dropped, locale separators.
QString numberText(double value, int maxDecimals);
// A whole number (quantity, count, row number) in the locale's digits, as the money beside it is
// written ("١٢٥٠" in Egyptian Arabic), without grouping so a column of quantities reads whole.
QString countText(qint64 value);
// A date in the locale's long form without the weekday ("6 December 2026").
QString longDateText(const QDate& date);
// A capture's reading: the value, a space and the unit, trimmed; nothing without a value.
std::optional<QString> captureReadingText(const Capture* capture);
}  // namespace SheetFormat
