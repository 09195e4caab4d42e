// Dates and typed whole numbers as each locale writes them, against ICU's own texts.
#include "Corvallen/Platform/IcuLocale.h"
#include "support/IcuExpect.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <limits>

namespace {

QLocale localeNamed(const QString& name) { return name == QLatin1String("C") ? QLocale::c() : QLocale(name); }

// Lists and inspectors write every day in one abbreviated style, sheets in one long style, and a
// moment as the abbreviated day with hour and minute: the same day never shows three ways.
TEST(IcuLocaleDates, OneStylePerKindAsTheLocaleWritesIt)
{
    using corvallen::test::icuDate;
    using IcuLocale::DateStyle;
    const QDate day(2026, 12, 7);
    for (const char* name : {"en_GB", "en_US", "de_DE", "ja_JP", "C"}) {
        const QString locale = QString::fromLatin1(name);
        SCOPED_TRACE(name);
        EXPECT_EQ(IcuLocale::dateText(day, localeNamed(locale), DateStyle::abbreviated), icuDate(day, QStringLiteral("yMMMd"), locale));
        EXPECT_EQ(IcuLocale::dateText(day, localeNamed(locale), DateStyle::longForm), icuDate(day, QStringLiteral("yMMMMd"), locale));
        const QDateTime local(day, QTime(14, 30, 59));
        EXPECT_EQ(IcuLocale::dateTimeText(local, localeNamed(locale)),
                  icuDate(day, QStringLiteral("yMMMdjmm"), locale, QTime(14, 30)));
        // Taken as the local wall clock whatever zone the moment was given in.
        EXPECT_EQ(IcuLocale::dateTimeText(local.toUTC(), localeNamed(locale)), IcuLocale::dateTimeText(local, localeNamed(locale)));
    }
    EXPECT_EQ(IcuLocale::dateText(day, localeNamed(QStringLiteral("en_GB")), DateStyle::abbreviated), QStringLiteral("7 Dec 2026"));
    EXPECT_EQ(IcuLocale::dateText(day, localeNamed(QStringLiteral("en_GB")), DateStyle::longForm), QStringLiteral("7 December 2026"));
    EXPECT_EQ(IcuLocale::dateText(day, QLocale::c(), DateStyle::abbreviated), QStringLiteral("Dec 7, 2026"));
    EXPECT_EQ(IcuLocale::dateText(QDate(), QLocale::c(), DateStyle::abbreviated), QString());
}

// A whole number as people type it: the point or comma the locale doesn't use for decimals
// groups before three digits; anything that would need a fraction is no whole number.
TEST(IcuLocaleNumbers, WholeNumbersAsPeopleTypeThem)
{
    const std::optional<qint64> none;
    const struct {
        const char* locale;
        QString typed;
        std::optional<qint64> value;
    } rows[] = {
        {"en_GB", QStringLiteral("1,234"), 1234},        {"en_GB", QStringLiteral(" -12 "), -12},
        {"en_GB", QStringLiteral("4.0"), 4},             {"en_GB", QStringLiteral("1,5"), none},
        {"en_GB", QStringLiteral("1.5"), none},          {"en_GB", QStringLiteral("lots"), none},
        {"de_DE", QStringLiteral("1.234"), 1234},        {"de_DE", QStringLiteral("4,0"), 4},
        {"de_DE", QStringLiteral("1,2345"), none},       {"fr_FR", QString::fromUtf8("1\u202F234"), 1234},
        {"fr_FR", QStringLiteral("1 234"), 1234},        {"C", QStringLiteral("12345678901234567890"), std::numeric_limits<qint64>::max()},
        {"C", QStringLiteral("-12345678901234567890"), std::numeric_limits<qint64>::min()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.locale) + " " + row.typed.toStdString());
        EXPECT_EQ(IcuLocale::typedWholeNumber(row.typed, localeNamed(QString::fromLatin1(row.locale))), row.value);
    }
}

}  // namespace
