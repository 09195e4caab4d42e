// The numeric field's rules: what typing leaves in the text, which number the text means, how a
// number is shown, and when the shown text is rewritten.
#include "Corvallen/Widgets/NumericFieldLogic.h"
#include "support/IcuExpect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using L = NumericFieldLogic;
const QLocale kC = QLocale::c();

TEST(NumericFieldCleaning, KeepsDigitsPointsAndCommas)
{
    EXPECT_EQ(L::sanitize(QStringLiteral("1,234.50"), kC), QStringLiteral("1,234.50"));
    EXPECT_EQ(L::sanitize(QStringLiteral("-12"), kC), QStringLiteral("12"));
    EXPECT_EQ(L::sanitize(QStringLiteral("1.2.3"), kC), QStringLiteral("1.2.3"));
    EXPECT_EQ(L::sanitize(QStringLiteral("€ 12 abc +"), kC), QStringLiteral("12"));
    // Other scripts' digits stay; superscripts and fractions are no digits and go.
    EXPECT_EQ(L::sanitize(QString::fromUtf8("2\u00B2"), kC), QStringLiteral("2"));
    EXPECT_EQ(L::sanitize(QString::fromUtf8("\u0663\u00BDx"), kC), QString::fromUtf8("\u0663"));
    EXPECT_EQ(L::sanitize(QString(), kC), QString());
}

TEST(NumericFieldCleaning, ParsesOnlyPlainDecimals)
{
    EXPECT_EQ(L::parse(QStringLiteral("12"), kC), 12.0);
    EXPECT_EQ(L::parse(QStringLiteral("12.5"), kC), 12.5);
    EXPECT_EQ(L::parse(QStringLiteral(".5"), kC), 0.5);
    EXPECT_EQ(L::parse(QStringLiteral("5."), kC), 5.0);
    EXPECT_EQ(L::parse(QStringLiteral("007"), kC), 7.0);
    EXPECT_FALSE(L::parse(QStringLiteral("."), kC));
    EXPECT_FALSE(L::parse(QString(), kC));
    EXPECT_FALSE(L::parse(QString::fromUtf8("2\u00B2"), kC));
    EXPECT_EQ(L::parse(QString::fromUtf8("\u0663.\u0665"), kC), 3.5);
    EXPECT_FALSE(L::parse(QStringLiteral(" 12"), kC));
    EXPECT_FALSE(L::parse(QStringLiteral("1e5"), kC));
    EXPECT_FALSE(L::parse(QStringLiteral("-1"), kC));
    EXPECT_FALSE(L::parse(QString(400, QLatin1Char('9')), kC));  // no finite double
}

TEST(NumericFieldDisplay, RoundsHalfToEvenWithoutTrailingZeros)
{
    EXPECT_EQ(L::displayText(std::nullopt, 2, kC), QString());
    EXPECT_EQ(L::displayText(12.0, 2, kC), QStringLiteral("12"));
    EXPECT_EQ(L::displayText(12.5, 2, kC), QStringLiteral("12.5"));
    EXPECT_EQ(L::displayText(1234.567, 2, kC), QStringLiteral("1234.57"));
    EXPECT_EQ(L::displayText(3.14159, 2, kC), QStringLiteral("3.14"));
    EXPECT_EQ(L::displayText(1234.50, 2, kC), QStringLiteral("1234.5"));
    EXPECT_EQ(L::displayText(0.125, 2, kC), QStringLiteral("0.12"));
    EXPECT_EQ(L::displayText(0.135, 2, kC), QStringLiteral("0.14"));
    EXPECT_EQ(L::displayText(2.675, 2, kC), QStringLiteral("2.68"));  // as typed, not its binary neighbour
    EXPECT_EQ(L::displayText(2.5, 0, kC), QStringLiteral("2"));
    EXPECT_EQ(L::displayText(3.5, 0, kC), QStringLiteral("4"));
    EXPECT_EQ(L::displayText(9.999, 2, kC), QStringLiteral("10"));
    EXPECT_EQ(L::displayText(0.001, 2, kC), QStringLiteral("0"));
    EXPECT_EQ(L::displayText(1e21, 0, kC), QStringLiteral("1000000000000000000000"));
    EXPECT_EQ(L::displayText(1234567.0, 3, kC), QStringLiteral("1234567"));  // no grouping
}

TEST(NumericFieldDisplay, NegativeAndNonFiniteValuesShowSafely)
{
    EXPECT_EQ(L::displayText(-3.456, 2, kC), QStringLiteral("-3.46"));
    EXPECT_EQ(L::displayText(-0.001, 2, kC), QStringLiteral("0"));
    EXPECT_EQ(L::displayText(std::numeric_limits<double>::infinity(), 2, kC), QString());
    EXPECT_EQ(L::displayText(std::nan(""), 2, kC), QString());
}

TEST(NumericFieldEditing, EveryKeystrokeSetsTheNumber)
{
    L field(2, std::nullopt, kC);
    field.appeared();
    field.focusChanged(true);
    const char* typed[] = {"1", "12", "12.", "12.5"};
    const double values[] = {1, 12, 12, 12.5};
    for (int i = 0; i < 4; ++i) {
        const L::Update u = field.textEdited(QString::fromLatin1(typed[i]));
        EXPECT_FALSE(u.text) << typed[i];
        EXPECT_EQ(field.text(), QString::fromLatin1(typed[i]));
        EXPECT_EQ(field.value(), values[i]);
    }
}

TEST(NumericFieldEditing, RejectedCharactersVanishAndValueStays)
{
    L field(2, 12.5, kC);
    field.appeared();
    field.focusChanged(true);
    // A second decimal point typed into the number is refused like a letter.
    L::Update u = field.textEdited(QStringLiteral("12.5."));
    ASSERT_TRUE(u.text);
    EXPECT_EQ(*u.text, QStringLiteral("12.5"));
    EXPECT_FALSE(u.valueChanged);
    u = field.textEdited(QStringLiteral("12.5x"));
    EXPECT_EQ(u.text.value_or(QString()), QStringLiteral("12.5"));
    EXPECT_EQ(field.value(), 12.5);
    u = field.textEdited(QStringLiteral("-12.5"));
    EXPECT_EQ(u.text.value_or(QString()), QStringLiteral("12.5"));
    EXPECT_EQ(field.value(), 12.5);
}

TEST(NumericFieldEditing, PasteThenLeaveTidiesTheText)
{
    L field(2, std::nullopt, kC);
    field.appeared();
    field.focusChanged(true);
    const L::Update u = field.textEdited(QStringLiteral("1,234.50"));
    EXPECT_FALSE(u.text);
    EXPECT_TRUE(u.valueChanged);
    EXPECT_EQ(field.value(), 1234.5);
    const L::Update left = field.focusChanged(false);
    EXPECT_EQ(left.text.value_or(QString()), QStringLiteral("1234.5"));
    EXPECT_EQ(field.value(), 1234.5);
}

TEST(NumericFieldEditing, TextsWithoutNumberClearTheValue)
{
    L field(2, 5, kC);
    field.appeared();
    field.focusChanged(true);
    field.textEdited(QStringLiteral("."));
    EXPECT_FALSE(field.value());
    field.textEdited(QStringLiteral("5"));
    EXPECT_EQ(field.value(), 5.0);
    field.textEdited(QString());
    EXPECT_FALSE(field.value());
}

TEST(NumericFieldEditing, StrayCharactersNeverCostTheValue)
{
    // The field shows 3.14 for 3.14159; a superscript or fraction typed after it is dropped and
    // the stored number stays exactly as it was.
    L field(2, 3.14159, kC);
    field.appeared();
    field.focusChanged(true);
    for (const char* stray : {"\u00B2", "\u00BD", "x", "-"}) {
        const L::Update u = field.textEdited(QStringLiteral("3.14") + QString::fromUtf8(stray));
        EXPECT_EQ(u.text.value_or(QString()), QStringLiteral("3.14"));
        EXPECT_FALSE(u.valueChanged) << stray;
        EXPECT_EQ(field.value(), 3.14159) << stray;
    }
    field.textEdited(QString::fromUtf8("2\u00B2"));
    EXPECT_EQ(field.text(), QStringLiteral("2"));
    EXPECT_EQ(field.value(), 2.0);
}

TEST(NumericFieldEditing, AppearingShowsTheRoundedValue)
{
    L field(2, 3.14159, kC);
    const L::Update u = field.appeared();
    EXPECT_EQ(u.text.value_or(QString()), QStringLiteral("3.14"));
    EXPECT_FALSE(u.valueChanged) << "showing a field never changes the stored number";
    EXPECT_EQ(field.value(), 3.14159);

    L empty(2, std::nullopt, kC);
    EXPECT_FALSE(empty.appeared().text);
    EXPECT_EQ(empty.text(), QString());
}

TEST(NumericFieldEditing, OutsideChangesWaitWhileTheUserTypes)
{
    L field(2, 5, kC);
    field.appeared();
    EXPECT_EQ(field.valueChanged(7).text.value_or(QString()), QStringLiteral("7"));

    field.focusChanged(true);
    field.textEdited(QStringLiteral("7.2"));
    EXPECT_FALSE(field.valueChanged(9).text);
    EXPECT_EQ(field.text(), QStringLiteral("7.2"));
    EXPECT_EQ(field.focusChanged(false).text.value_or(QString()), QStringLiteral("9"));
}

TEST(NumericFieldEditing, OutsideChangeMatchingTheTextKeepsIt)
{
    L field(2, std::nullopt, kC);
    field.appeared();
    field.focusChanged(true);
    field.textEdited(QStringLiteral("5."));
    field.focusChanged(false);  // rewritten to "5"
    EXPECT_EQ(field.text(), QStringLiteral("5"));

    L dot(2, std::nullopt, kC);
    dot.appeared();
    dot.focusChanged(true);
    dot.textEdited(QStringLiteral("."));
    // Unfocus would rewrite; an outside none while the text reads "." keeps it.
    L::Update u = dot.valueChanged(std::nullopt);
    EXPECT_FALSE(u.text);
    EXPECT_EQ(dot.text(), QStringLiteral("."));

    L same(2, 12.5, kC);
    same.appeared();
    EXPECT_FALSE(same.valueChanged(12.5).text);
}

TEST(NumericFieldEditing, ShowingANegativeValueNeverWritesItBack)
{
    L field(2, -3.5, kC);
    const L::Update u = field.appeared();
    EXPECT_EQ(u.text.value_or(QString()), QStringLiteral("-3.5"));
    EXPECT_FALSE(u.valueChanged);
    EXPECT_FALSE(field.valueChanged(-3.5).valueChanged);
    EXPECT_EQ(field.value(), -3.5);
    EXPECT_FALSE(field.focusChanged(false).valueChanged);
    EXPECT_EQ(field.value(), -3.5);
}


// Entry and display in the locales people write prices in, against ICU's own number texts.
class NumericFieldLocales : public testing::TestWithParam<const char*> {
protected:
    QString name() const { return QString::fromLatin1(GetParam()); }
    QLocale locale() const { return name() == QLatin1String("C") ? QLocale::c() : QLocale(name()); }
    QString separator() const { return corvallen::test::icuDecimalSeparator(name()); }
};

TEST_P(NumericFieldLocales, ShowsNumbersAsTheLocaleWritesThem)
{
    for (double v : {12.0, 12.5, 1234.567, 0.125, 2.675, 1e9, 0.001})
        EXPECT_EQ(L::displayText(v, 2, locale()), corvallen::test::icuDecimal(v, 2, name())) << v;
    EXPECT_EQ(L::displayText(1234.5, 0, locale()), corvallen::test::icuDecimal(1234.5, 0, name()));
    // What the field shows reads back as the rounded number.
    EXPECT_EQ(L::parse(L::displayText(1234.567, 2, locale()), locale()), 1234.57);
}

TEST_P(NumericFieldLocales, TypingTheLocalesSeparatorGivesTheFraction)
{
    L field(2, std::nullopt, locale());
    field.appeared();
    field.focusChanged(true);
    const QString typed = QStringLiteral("12") + separator() + QStringLiteral("50");
    EXPECT_FALSE(field.textEdited(typed).text) << "nothing is removed from " << typed.toStdString();
    EXPECT_EQ(field.value(), 12.5);
    EXPECT_EQ(field.focusChanged(false).text.value_or(QString()), corvallen::test::icuDecimal(12.5, 2, name()));

    // Pasting the locale's own grouped form keeps the digits and the fraction.
    L pasted(2, std::nullopt, locale());
    pasted.appeared();
    pasted.focusChanged(true);
    pasted.textEdited(corvallen::test::icuCurrency(1234.5, QStringLiteral("EUR"), name()));
    EXPECT_EQ(pasted.value(), 1234.5) << pasted.text().toStdString();
}

// Typing a point or comma before any digit starts the fraction, whichever the locale writes.
TEST_P(NumericFieldLocales, ASeparatorBeforeAnyDigitStartsTheFraction)
{
    for (const QString& typed : {QStringLiteral(".5"), QStringLiteral(",5"), separator() + QStringLiteral("5")}) {
        L field(2, std::nullopt, locale());
        field.appeared();
        field.focusChanged(true);
        field.textEdited(typed);
        EXPECT_EQ(field.value(), 0.5) << typed.toStdString();
        EXPECT_EQ(field.focusChanged(false).text.value_or(field.text()), corvallen::test::icuDecimal(0.5, 2, name()));
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, NumericFieldLocales,
                         testing::Values("en_GB", "en_US", "de_DE", "fr_FR", "pl_PL", "ja_JP", "hi_IN", "ar_EG", "tr_TR", "C"));

// The locale's decimal separator is always the decimal point; the other of point and comma groups
// thousands only where exactly three digits follow it (in every group), and is the decimal point
// anywhere else. Text that can't be read one way stays as typed, unreadable, with no number.
TEST(NumericFieldLocales, PointsAndCommasReadAsPeopleTypeThem)
{
    const std::optional<double> none;
    const QString narrow = QString(QChar(0x202F));
    const struct {
        const char* locale;
        QString typed;
        std::optional<double> value;
    } rows[] = {
        {"en_GB", QStringLiteral("1,5"), 1.5},           {"en_GB", QStringLiteral("1,234.50"), 1234.5},
        {"en_GB", QStringLiteral("1,234"), 1234},        {"en_GB", QStringLiteral("1,234,567"), 1234567},
        {"en_GB", QStringLiteral("1,2345"), 1.2345},     {"en_GB", QStringLiteral("5,"), 5},
        {"en_GB", QStringLiteral(",500"), 0.5},          {"en_GB", QStringLiteral("1.2.3"), none},
        {"en_GB", QStringLiteral("1,23,4"), none},       {"en_GB", QStringLiteral("1,234,5"), none},
        {"en_GB", QStringLiteral("1.234,5"), none},      {"en_GB", QStringLiteral(",,"), none},
        {"en_US", QStringLiteral("1,5"), 1.5},           {"en_US", QStringLiteral("12.5"), 12.5},
        {"de_DE", QStringLiteral("12.5"), 12.5},         {"de_DE", QStringLiteral("12,50"), 12.5},
        {"de_DE", QStringLiteral("1.234,50"), 1234.5},   {"de_DE", QStringLiteral("1.234"), 1234},
        {"de_DE", QStringLiteral("1.234.567,8"), 1234567.8}, {"de_DE", QStringLiteral("1,234.5"), none},
        {"de_DE", QStringLiteral("12,5,0"), none},       {"fr_FR", QStringLiteral("12.5"), 12.5},
        {"fr_FR", QStringLiteral("1.234,5"), 1234.5},    {"fr_FR", QStringLiteral("1") + narrow + QStringLiteral("234,5"), 1234.5},
        {"fr_FR", QStringLiteral("12,5.3"), none},       {"fr_FR", QStringLiteral("1") + narrow + QStringLiteral("23,5"), none},
        {"en_GB", QStringLiteral("1 234.5"), 1234.5},       {"C", QStringLiteral("12,50"), 12.5},
        {"C", QStringLiteral("1,234.50"), 1234.5},       {"C", QStringLiteral("1.2.3"), none},
    };
    for (const auto& row : rows) {
        const QString name = QString::fromLatin1(row.locale);
        SCOPED_TRACE(name.toStdString() + " " + row.typed.toStdString());
        L field(2, 7, name == QLatin1String("C") ? kC : QLocale(name));
        field.appeared();
        field.focusChanged(true);
        field.textEdited(row.typed);
        EXPECT_EQ(field.value(), row.value);
        EXPECT_EQ(field.readable(), row.value.has_value());
        if (row.value) {
            EXPECT_EQ(field.focusChanged(false).text.value_or(field.text()), corvallen::test::icuDecimal(*row.value, 2, name));
        } else {
            // Never rewritten into another number nor emptied when the user leaves the field.
            EXPECT_EQ(field.text(), row.typed);
            EXPECT_FALSE(field.focusChanged(false).text);
            EXPECT_FALSE(field.valueChanged(std::nullopt).text);
            EXPECT_EQ(field.text(), row.typed);
        }
    }
}

}  // namespace
