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

// ICU's own text for every locale and currency whose data has a symbol; the cases where the
// data writes the bare code and the business profile's table stands in are fixed texts in the
// test of that table below.
TEST(MoneyFormatter, WritesWhatIcuWritesForEachLocaleAndCurrency)
{
    for (const QString& localeName : kLocales) {
        for (const QString code : {QStringLiteral("GBP"), QStringLiteral("USD"), QStringLiteral("EUR"),
                                   QStringLiteral("JPY"), QStringLiteral("INR"), QStringLiteral("CHF"),
                                   QStringLiteral("BHD"), QStringLiteral("SEK"), QStringLiteral("NZD"),
                                   QStringLiteral("CZK"), QStringLiteral("ZAR")}) {
            // Polish data writes the bare code for pounds and dollars; the table's symbols stand
            // in there (fixed texts below).
            if (localeName == QLatin1String("pl_PL") && (code == QLatin1String("GBP") || code == QLatin1String("USD")))
                continue;
            const MoneyFormatter money(code, localeNamed(localeName));
            for (double amount : kAmounts) {
                const QString text = money.format(amount);
                EXPECT_EQ(text, icuCurrency(amount, code, localeName))
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
    // English data writes the bare code for the zloty, Polish data for pounds and dollars; the
    // symbol table stands in there, and only the code is replaced.
    ASSERT_TRUE(icuCurrency(amount, QStringLiteral("PLN"), QStringLiteral("en_GB")).contains(QStringLiteral("PLN")));
    const MoneyFormatter zloty(QStringLiteral("PLN"), QLocale(QStringLiteral("en_GB")));
    EXPECT_EQ(zloty.symbol(), QStringLiteral("z\u0142"));
    const struct {
        const char* code;
        const char* locale;
        double amount;
        const char16_t* text;
    } replaced[] = {
        {"PLN", "en_GB", amount, u"z\u0142\u00a01,234,567.89"},
        {"PLN", "en_GB", -1, u"-z\u0142\u00a01.00"},
        {"GBP", "pl_PL", 24, u"24,00\u00a0\u00a3"},
        {"GBP", "pl_PL", -1234.5, u"-1234,50\u00a0\u00a3"},
        {"USD", "pl_PL", 1234567.891, u"1\u00a0234\u00a0567,89\u00a0$"},
        {"USD", "pl_PL", 0.5, u"0,50\u00a0$"},
    };
    for (const auto& r : replaced)
        EXPECT_EQ(MoneyFormatter(QString::fromLatin1(r.code), QLocale(QString::fromLatin1(r.locale))).format(r.amount),
                  QString::fromUtf16(r.text))
            << r.code << " in " << r.locale;
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
