// Colour texts from stored tags and markup palettes become drawable colours; the reading is
// lenient and never fails, so odd stored texts must still give a predictable colour.
#include "Corvallen/Model/HexColor.h"

#include <gtest/gtest.h>

namespace {

testing::AssertionResult isRgb(const QColor& c, int r, int g, int b)
{
    if (c.red() == r && c.green() == g && c.blue() == b && c.alpha() == 255)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got " << c.red() << "," << c.green() << "," << c.blue() << " alpha "
                                       << c.alpha() << ", expected " << r << "," << g << "," << b;
}

TEST(HexColor, ReadsSixDigitsWithOrWithoutHash)
{
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("#FF6B6B")), 255, 107, 107));
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("FF6B6B")), 255, 107, 107));
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("#ff6b6b")), 255, 107, 107));
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("#0xFF0000")), 255, 0, 0));
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("  \n00FF00")), 0, 255, 0));
}

TEST(HexColor, NoShorthandAndNoAlpha)
{
    // Three digits are a number, not a shorthand: 0x000FFF.
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("#fff")), 0, 15, 255));
    // Eight digits: the first two are ignored and the colour stays opaque.
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("#80FF6B6B")), 255, 107, 107));
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("#FF6B6Bzz")), 255, 107, 107));
}

TEST(HexColor, TextWithoutDigitsIsBlackAndOverflowIsWhite)
{
    EXPECT_TRUE(isRgb(colorFromHex(QString()), 0, 0, 0));
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("##FF6B6B")), 0, 0, 0));
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral(" #FF6B6B")), 0, 0, 0));
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("#zz")), 0, 0, 0));
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("#0x")), 0, 0, 0));
    // Seventeen significant digits no longer fit in 64 bits: all bits set.
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("#10000000000000000")), 255, 255, 255));
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("#FFFFFFFFFFFFFFFF")), 255, 255, 255));
    // Leading zeros are not significant.
    EXPECT_TRUE(isRgb(colorFromHex(QStringLiteral("#00000000000000000000123456")), 0x12, 0x34, 0x56));
}

TEST(HexColor, WritesUpperCaseText)
{
    EXPECT_EQ(hexFromColor(QColor(255, 107, 107)), QStringLiteral("#FF6B6B"));
    EXPECT_EQ(hexFromColor(colorFromHex(QStringLiteral("#0a0b0c"))), QStringLiteral("#0A0B0C"));
}

}  // namespace
