#include "Corvallen/Model/TextTrim.h"

#include <gtest/gtest.h>

// Names, subfolders, BOM cells and searches are trimmed by these two; a non-breaking space typed
// or pasted from a web page must count as blank everywhere, a line break only where it is meant to.
TEST(TextTrim, HorizontalSpaceIsEveryBlankButNotALineBreak)
{
    const QString nbsp = QString(QChar(0x00A0));
    const QString em = QString(QChar(0x2003));
    EXPECT_EQ(trimHorizontalSpace(QStringLiteral(" \t") + nbsp + QStringLiteral("Bench 1") + em + QStringLiteral(" ")),
              QStringLiteral("Bench 1"));
    EXPECT_EQ(trimHorizontalSpace(QStringLiteral("\nname\n")), QStringLiteral("\nname\n"));
    EXPECT_EQ(trimHorizontalSpace(QStringLiteral(" a  b ")), QStringLiteral("a  b"));
    EXPECT_EQ(trimHorizontalSpace(nbsp + QStringLiteral("\t")), QString());
    EXPECT_EQ(trimHorizontalSpace(QString()), QString());

    EXPECT_EQ(trimWhitespaceAndNewlines(QStringLiteral("\r\n\t x \u2028\u0085")), QStringLiteral("x"));
    EXPECT_TRUE(isSpaceOrNewline(QChar(0x0B)));
    EXPECT_FALSE(isHorizontalSpace(QChar(u'\n')));
    EXPECT_FALSE(isSpaceOrNewline(QChar(0x200B)));  // a zero-width space is not a separator
}
