// The numeric field's rules: what typing leaves in the text, which number the text means, how a
// number is shown, and when the shown text is rewritten.
#include "Corvallen/Shell/NumericFieldLogic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using L = NumericFieldLogic;

TEST(NumericFieldCleaning, KeepsNumericCharactersAndFirstPoint)
{
    EXPECT_EQ(L::sanitize(QStringLiteral("1,234.50")), QStringLiteral("1234.50"));
    EXPECT_EQ(L::sanitize(QStringLiteral("-12")), QStringLiteral("12"));
    EXPECT_EQ(L::sanitize(QStringLiteral("1.2.3")), QStringLiteral("1.23"));
    EXPECT_EQ(L::sanitize(QStringLiteral("€ 12 abc +")), QStringLiteral("12"));
    EXPECT_EQ(L::sanitize(QStringLiteral("..")), QStringLiteral("."));
    // Other scripts' digits, superscripts and fractions are numeric characters too.
    EXPECT_EQ(L::sanitize(QString::fromUtf8("2\u00B2")), QString::fromUtf8("2\u00B2"));
    EXPECT_EQ(L::sanitize(QString::fromUtf8("\u0663\u00BDx")), QString::fromUtf8("\u0663\u00BD"));
    EXPECT_EQ(L::sanitize(QString()), QString());
}

TEST(NumericFieldCleaning, ParsesOnlyPlainDecimals)
{
    EXPECT_EQ(L::parse(QStringLiteral("12")), 12.0);
    EXPECT_EQ(L::parse(QStringLiteral("12.5")), 12.5);
    EXPECT_EQ(L::parse(QStringLiteral(".5")), 0.5);
    EXPECT_EQ(L::parse(QStringLiteral("5.")), 5.0);
    EXPECT_EQ(L::parse(QStringLiteral("007")), 7.0);
    EXPECT_FALSE(L::parse(QStringLiteral(".")));
    EXPECT_FALSE(L::parse(QString()));
    EXPECT_FALSE(L::parse(QString::fromUtf8("2\u00B2")));
    EXPECT_FALSE(L::parse(QString::fromUtf8("\u0663")));
    EXPECT_FALSE(L::parse(QStringLiteral(" 12")));
    EXPECT_FALSE(L::parse(QStringLiteral("1e5")));
    EXPECT_FALSE(L::parse(QStringLiteral("-1")));
    EXPECT_FALSE(L::parse(QString(400, QLatin1Char('9'))));  // no finite double
}

TEST(NumericFieldDisplay, RoundsHalfToEvenWithoutTrailingZeros)
{
    EXPECT_EQ(L::displayText(std::nullopt, 2), QString());
    EXPECT_EQ(L::displayText(12.0, 2), QStringLiteral("12"));
    EXPECT_EQ(L::displayText(12.5, 2), QStringLiteral("12.5"));
    EXPECT_EQ(L::displayText(1234.567, 2), QStringLiteral("1234.57"));
    EXPECT_EQ(L::displayText(3.14159, 2), QStringLiteral("3.14"));
    EXPECT_EQ(L::displayText(1234.50, 2), QStringLiteral("1234.5"));
    EXPECT_EQ(L::displayText(0.125, 2), QStringLiteral("0.12"));
    EXPECT_EQ(L::displayText(0.135, 2), QStringLiteral("0.14"));
    EXPECT_EQ(L::displayText(2.675, 2), QStringLiteral("2.68"));  // as typed, not its binary neighbour
    EXPECT_EQ(L::displayText(2.5, 0), QStringLiteral("2"));
    EXPECT_EQ(L::displayText(3.5, 0), QStringLiteral("4"));
    EXPECT_EQ(L::displayText(9.999, 2), QStringLiteral("10"));
    EXPECT_EQ(L::displayText(0.001, 2), QStringLiteral("0"));
    EXPECT_EQ(L::displayText(1e21, 0), QStringLiteral("1000000000000000000000"));
    EXPECT_EQ(L::displayText(1234567.0, 3), QStringLiteral("1234567"));  // no grouping
}

TEST(NumericFieldDisplay, NegativeAndNonFiniteValuesShowSafely)
{
    EXPECT_EQ(L::displayText(-3.456, 2), QStringLiteral("-3.46"));
    EXPECT_EQ(L::displayText(-0.001, 2), QStringLiteral("0"));
    EXPECT_EQ(L::displayText(std::numeric_limits<double>::infinity(), 2), QString());
    EXPECT_EQ(L::displayText(std::nan(""), 2), QString());
}

TEST(NumericFieldEditing, EveryKeystrokeSetsTheNumber)
{
    L field(2);
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
    L field(2, 12.5);
    field.appeared();
    field.focusChanged(true);
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
    L field(2);
    field.appeared();
    field.focusChanged(true);
    const L::Update u = field.textEdited(QStringLiteral("1,234.50"));
    EXPECT_EQ(u.text.value_or(QString()), QStringLiteral("1234.50"));
    EXPECT_TRUE(u.valueChanged);
    EXPECT_EQ(field.value(), 1234.5);
    const L::Update left = field.focusChanged(false);
    EXPECT_EQ(left.text.value_or(QString()), QStringLiteral("1234.5"));
    EXPECT_EQ(field.value(), 1234.5);
}

TEST(NumericFieldEditing, TextsWithoutNumberClearTheValue)
{
    L field(2, 5);
    field.appeared();
    field.focusChanged(true);
    field.textEdited(QStringLiteral("."));
    EXPECT_FALSE(field.value());
    field.textEdited(QStringLiteral("5"));
    EXPECT_EQ(field.value(), 5.0);
    field.textEdited(QString());
    EXPECT_FALSE(field.value());
    field.textEdited(QString::fromUtf8("2\u00B2"));
    EXPECT_EQ(field.text(), QString::fromUtf8("2\u00B2"));
    EXPECT_FALSE(field.value());
}

TEST(NumericFieldEditing, AppearingShowsTheRoundedValue)
{
    L field(2, 3.14159);
    const L::Update u = field.appeared();
    EXPECT_EQ(u.text.value_or(QString()), QStringLiteral("3.14"));
    EXPECT_FALSE(u.valueChanged) << "showing a field never changes the stored number";
    EXPECT_EQ(field.value(), 3.14159);

    L empty(2);
    EXPECT_FALSE(empty.appeared().text);
    EXPECT_EQ(empty.text(), QString());
}

TEST(NumericFieldEditing, OutsideChangesWaitWhileTheUserTypes)
{
    L field(2, 5);
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
    L field(2);
    field.appeared();
    field.focusChanged(true);
    field.textEdited(QStringLiteral("5."));
    field.focusChanged(false);  // rewritten to "5"
    EXPECT_EQ(field.text(), QStringLiteral("5"));

    L dot(2);
    dot.appeared();
    dot.focusChanged(true);
    dot.textEdited(QStringLiteral("."));
    // Unfocus would rewrite; an outside none while the text reads "." keeps it.
    L::Update u = dot.valueChanged(std::nullopt);
    EXPECT_FALSE(u.text);
    EXPECT_EQ(dot.text(), QStringLiteral("."));

    L same(2, 12.5);
    same.appeared();
    EXPECT_FALSE(same.valueChanged(12.5).text);
}

TEST(NumericFieldEditing, ShowingANegativeValueNeverWritesItBack)
{
    L field(2, -3.5);
    const L::Update u = field.appeared();
    EXPECT_EQ(u.text.value_or(QString()), QStringLiteral("-3.5"));
    EXPECT_FALSE(u.valueChanged);
    EXPECT_FALSE(field.valueChanged(-3.5).valueChanged);
    EXPECT_EQ(field.value(), -3.5);
    EXPECT_FALSE(field.focusChanged(false).valueChanged);
    EXPECT_EQ(field.value(), -3.5);
}

}  // namespace
