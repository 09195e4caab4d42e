#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

#include <unicode/locid.h>
#include <unicode/unistr.h>

// The bridge from Qt's locales to ICU, which writes money and numbers the way the locale's
// CLDR data says. The "C" (POSIX) locale has no conventions of its own for money; it is read as
// American English, so amounts never come out as "0.00£".
namespace IcuLocale {

// The part of the user's settings a text follows. On Linux each can name a locale of its own: an
// English desktop with German formats sets LANG=en_US but LC_NUMERIC, LC_MONETARY and LC_TIME to
// de_DE, and Qt's system locale writes its numbers and dates by those; ICU must too.
enum class Category { numeric, monetary, time };

// For the system locale, the locale its category's environment names; otherwise `locale` itself.
icu::Locale locale(const QLocale& locale, Category category = Category::numeric);

// The locale name the environment gives a category: LC_ALL, else LC_NUMERIC / LC_MONETARY /
// LC_TIME, else LANG, without encoding or modifier ("de_DE.UTF-8@euro" gives "de_DE"); empty
// when none is set. `variable` reads one environment variable.
QString environmentLocaleName(Category category, const std::function<QByteArray(const char*)>& variable);

QString text(const icu::UnicodeString& text);
icu::UnicodeString unicode(const QString& text);

// The decimal separator the locale writes between whole and fraction digits ("." or ",").
QString decimalSeparator(const QLocale& locale);
// The separator the locale writes between groups of thousands ("," "." or a narrow space).
QString groupingSeparator(const QLocale& locale);
// A number as people type it, in plain ASCII: digits of any script by their value and "." for
// the decimal point. The locale's decimal separator is always the decimal point. A point or comma
// the locale doesn't use for decimals groups thousands only where it follows a digit and is
// followed by exactly three digits (in every group); anywhere else it is the decimal point. So
// "1,5" is 1.5 in English and "12.5" is 12.5 in German, while "1,234.50" in English and
// "1.234,50" in German keep their meaning. A blank or the locale's own grouping mark ("1 234,5"
// in French) only groups, by the same three digits. None when the text can't be read that one
// way (a sign, a letter, two decimal points, "1,23,4", "1 23", grouping after the decimal point);
// an empty text gives an empty one.
std::optional<QString> plainDecimal(const QString& text, const QLocale& locale);
// A whole number as people type it: blanks around it, an optional minus sign, then what
// plainDecimal reads with no fraction
// but zeros ("1,234" in English, "4,0" in German; "1,5" is no whole number). A figure beyond the
// 64-bit range gives the largest value of its sign, so that every bound refuses or clamps it.
std::optional<qint64> typedWholeNumber(const QString& text, const QLocale& locale);
// The characters plainDecimal gives a meaning to besides digits: the locale's decimal separator,
// "." and ","; and the marks that only ever group (blanks, and the locale's own grouping mark
// where it is no point or comma: the French narrow space, the Swiss apostrophe).
bool isDecimalMark(QStringView text, const QLocale& locale, qsizetype* width = nullptr);
bool isGroupingMark(QStringView text, const QLocale& locale, qsizetype* width = nullptr);

// A calendar day as the locale writes the fields an ICU skeleton names: "yMMMMd" gives
// "7 December 2026", "7. Dezember 2026", "2026年12月7日" or "٧ ديسمبر ٢٠٢٦", in the locale's
// order, words and digits, with no weekday left behind. Always the Gregorian calendar, like every
// other date the application shows.
QString dateText(const QDate& date, const QLocale& locale, const QString& skeleton);

// The one date style of each kind that every view uses, so a list and a sheet never show the same
// day three ways: `abbreviated` in lists, inspectors and settings ("7 Dec 2026", "Dec 7, 2026",
// "7. Dez. 2026", "2026年12月7日"), `longForm` on the printed sheets ("7 December 2026").
enum class DateStyle { abbreviated, longForm };
QString dateText(const QDate& date, const QLocale& locale, DateStyle style);
// A moment in local time: the abbreviated date with the hour and minute, in the locale's own
// order and clock ("7 Dec 2026, 14:30", "Dec 7, 2026, 2:30 PM").
QString dateTimeText(const QDateTime& moment, const QLocale& locale);

}  // namespace IcuLocale
