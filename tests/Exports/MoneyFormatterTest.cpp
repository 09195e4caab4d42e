// Money as each locale writes it: every amount on screen and in the exported sheets goes
// through MoneyFormatter, so its texts are compared with what ICU's own currency format gives.
#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Exports/MoneyFormatter.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "support/IcuExpect.h"

#include <QLocale>

#include <gtest/gtest.h>

using corvallen::test::icuCurrency;

namespace {

const QStringList kLocales = {QStringLiteral("en_GB"), QStringLiteral("en_US"), QStringLiteral("de_DE"),
                              QStringLiteral("fr_FR"), QStringLiteral("pl_PL"), QStringLiteral("ja_JP"),
                              QStringLiteral("hi_IN"), QStringLiteral("ar_EG"), QStringLiteral("tr_TR"),
                              QStringLiteral("C")};
const double kAmounts[] = {24, 0.5, 1234567.891, -1, -1234.5};

QLocale localeNamed(const QString& name) { return name == QLatin1String("C") ? QLocale::c() : QLocale(name); }

// ICU's text, except where the locale's data has no symbol for the currency and writes the bare
// code: there the business profile's table gives the symbol, when it has one.
QString expectedMoney(double amount, const QString& code, const QString& locale)
{
    QString text = icuCurrency(amount, code, locale);
    for (const auto& [c, symbol] : BusinessProfile::currencySymbols()) {
        if (c == code && text.contains(code))
            text.replace(code, symbol);
    }
    return text;
}

TEST(MoneyFormatter, WritesWhatIcuWritesForEachLocaleAndCurrency)
{
    for (const QString& localeName : kLocales) {
        for (const QString code : {QStringLiteral("GBP"), QStringLiteral("USD"), QStringLiteral("EUR"),
                                   QStringLiteral("JPY"), QStringLiteral("INR"), QStringLiteral("CHF"),
                                   QStringLiteral("BHD"), QStringLiteral("SEK")}) {
            const MoneyFormatter money(code, localeNamed(localeName));
            for (double amount : kAmounts) {
                const QString text = money.format(amount);
                EXPECT_EQ(text, expectedMoney(amount, code, localeName))
                    << code.toStdString() << " " << amount << " in " << localeName.toStdString();
                // Negative amounts carry the locale's sign, never accounting brackets.
                EXPECT_FALSE(text.contains(u'(')) << text.toStdString();
                // Price fields show the same symbol as the figures beside them.
                EXPECT_TRUE(text.contains(money.symbol())) << text.toStdString() << " / " << money.symbol().toStdString();
            }
        }
    }
}

TEST(MoneyFormatter, PolishZlotyInItsOwnLocaleAndTheTableWhereTheLocaleHasNoSymbol)
{
    const double amount = 1234567.89;
    EXPECT_EQ(MoneyFormatter(QStringLiteral("PLN"), QLocale(QStringLiteral("pl_PL"))).format(amount),
              icuCurrency(amount, QStringLiteral("PLN"), QStringLiteral("pl_PL")));
    // English data writes the bare code for the zloty; the symbol table stands in there, and
    // only the code is replaced.
    const QString icu = icuCurrency(amount, QStringLiteral("PLN"), QStringLiteral("en_GB"));
    ASSERT_TRUE(icu.contains(QStringLiteral("PLN"))) << icu.toStdString();
    const MoneyFormatter money(QStringLiteral("PLN"), QLocale(QStringLiteral("en_GB")));
    EXPECT_EQ(money.symbol(), QStringLiteral("z\u0142"));
    EXPECT_EQ(money.format(amount), QString(icu).replace(QStringLiteral("PLN"), QStringLiteral("z\u0142")));
    // A currency the table doesn't know keeps the code, as ICU writes it.
    EXPECT_EQ(MoneyFormatter(QStringLiteral("SEK"), QLocale(QStringLiteral("en_GB"))).symbol(), QStringLiteral("SEK"));
}

TEST(MoneyFormatter, TheCLocaleWritesAmericanConventions)
{
    // (And a locale's script is kept: Serbian in Latin letters is not written in Cyrillic.)
    EXPECT_EQ(MoneyFormatter(QStringLiteral("RSD"), QLocale(QStringLiteral("sr_Latn_RS"))).format(1234.5),
              icuCurrency(1234.5, QStringLiteral("RSD"), QStringLiteral("sr_Latn_RS")));
    for (const QString code : {QStringLiteral("GBP"), QStringLiteral("EUR"), QStringLiteral("USD")}) {
        for (double amount : kAmounts) {
            EXPECT_EQ(MoneyFormatter(code, QLocale::c()).format(amount),
                      MoneyFormatter(code, QLocale(QStringLiteral("en_US"))).format(amount));
        }
    }
}

TEST(MoneyFormatter, DecimalsFollowTheCurrencyAndZeroHasNoSign)
{
    EXPECT_EQ(MoneyFormatter(QStringLiteral("JPY")).fractionDigits(), 0);
    EXPECT_EQ(MoneyFormatter(QStringLiteral("GBP")).fractionDigits(), 2);
    EXPECT_EQ(MoneyFormatter(QStringLiteral("BHD")).fractionDigits(), 3);
    for (const QString& localeName : kLocales) {
        const MoneyFormatter money(QStringLiteral("GBP"), localeNamed(localeName));
        // A rounding residue below a penny is written as zero, not "-£0.00".
        EXPECT_EQ(money.format(-0.001), money.format(0)) << localeName.toStdString();
    }
    // The code is read in any letter case and blanks around it; an empty one is pounds.
    EXPECT_EQ(MoneyFormatter(QStringLiteral(" eur ")).currencyCode(), QStringLiteral("EUR"));
    EXPECT_EQ(MoneyFormatter(QString()).currencyCode(), QStringLiteral("GBP"));
    // A stored code that is no currency code at all still gives the amount, after the code.
    const QString odd = MoneyFormatter(QStringLiteral("$$"), QLocale(QStringLiteral("en_GB"))).format(12.5);
    EXPECT_TRUE(odd.startsWith(QStringLiteral("$$"))) << odd.toStdString();
    EXPECT_TRUE(odd.endsWith(QStringLiteral("12.50"))) << odd.toStdString();
}

TEST(MoneyFormatter, TheBusinessCurrencyIsReadAtEachAmount)
{
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    SettingsStore::shared().remove(BusinessKeys::currency);
    EXPECT_EQ(MoneyFormatter::text(2), icuCurrency(2, QStringLiteral("GBP"), QStringLiteral("de_DE")));
    SettingsStore::shared().setText(BusinessKeys::currency, QStringLiteral("USD"));
    EXPECT_EQ(MoneyFormatter::text(2), icuCurrency(2, QStringLiteral("USD"), QStringLiteral("de_DE")));
    EXPECT_EQ(MoneyFormatter().symbol(), MoneyFormatter(QStringLiteral("USD")).symbol());
    QLocale::setDefault(QLocale(QStringLiteral("ja_JP")));
    EXPECT_EQ(MoneyFormatter::text(2), icuCurrency(2, QStringLiteral("USD"), QStringLiteral("ja_JP")));
    SettingsStore::shared().remove(BusinessKeys::currency);
    QLocale::setDefault(QLocale::c());
}

}  // namespace
