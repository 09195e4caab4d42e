#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// What ICU itself writes, for tests that compare the application's money and number texts with
// the locale's own conventions instead of strings written by hand. Built on ICU's C formatting
// API, independently of the application's formatters.
namespace corvallen::test {

// An amount in a currency, as ICU's currency format for the locale writes it ("C" is read as
// en_US).
QString icuCurrency(double amount, const QString& currencyCode, const QString& localeName);

// A plain number without grouping and with at most `maxFractionDigits` decimals (half-even).
QString icuDecimal(double value, int maxFractionDigits, const QString& localeName);

// The locale's decimal separator.
QString icuDecimalSeparator(const QString& localeName);
// The locale's grouping separator.
QString icuGroupingSeparator(const QString& localeName);

// A Gregorian day (at a wall-clock time, for skeletons with hours) as ICU's best pattern for
// `skeleton` ("yMMMMd", "yMMMdjmm") in the locale writes it.
QString icuDate(const QDate& date, const QString& skeleton, const QString& localeName, const QTime& time = QTime(12, 0));

// The locales money, numbers and dates are checked in; hi_IN and ar_EG bring other scripts'
// digits and separators, tr_TR its own letter case.
QStringList icuTestLocales();

}  // namespace corvallen::test
