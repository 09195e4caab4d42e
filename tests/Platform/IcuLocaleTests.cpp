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

// Whole numbers: blanks group like the locale's own mark; beyond 64 bits is the largest figure.
TEST(IcuLocaleNumbers, WholeNumbersAsPeopleTypeThem)
{
    EXPECT_EQ(IcuLocale::typedWholeNumber(QString::fromUtf8("1\u202F234"), QLocale(QStringLiteral("fr_FR"))), 1234);
    EXPECT_EQ(IcuLocale::typedWholeNumber(QStringLiteral("4,0"), QLocale(QStringLiteral("de_DE"))), 4);
    EXPECT_EQ(IcuLocale::typedWholeNumber(QStringLiteral(" -12 "), QLocale::c()), -12);
    EXPECT_EQ(IcuLocale::typedWholeNumber(QStringLiteral("-12345678901234567890"), QLocale::c()), std::numeric_limits<qint64>::min());
}

}  // namespace
