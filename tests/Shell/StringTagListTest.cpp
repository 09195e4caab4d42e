// A component's comma-separated tags: read leniently, written back normalised.
#include "Corvallen/Shell/StringTagList.h"

#include <gtest/gtest.h>

namespace {

TEST(StringTagList, ReadsTrimmedLowerCaseTagsInOrder)
{
    EXPECT_EQ(StringTagList::tags(QStringLiteral(" Foo, bar ,,BAZ,  ")),
              (QStringList{"foo", "bar", "baz"}));
    EXPECT_EQ(StringTagList::tags(QStringLiteral("a,\tA ,a")), (QStringList{"a", "a", "a"}));
    EXPECT_TRUE(StringTagList::tags(QStringLiteral(" , ,, ")).isEmpty());
    EXPECT_TRUE(StringTagList::tags(QString()).isEmpty());
}

TEST(StringTagList, AddingRewritesNormalised)
{
    EXPECT_EQ(StringTagList::adding(QStringLiteral(" Foo, bar ,,BAZ,  "), QStringLiteral("qux")),
              QStringLiteral("foo,bar,baz,qux"));
    EXPECT_EQ(StringTagList::adding(QString(), QStringLiteral("  Resistor\t")), QStringLiteral("resistor"));
    // A comma inside the input is kept as one element and read back as two tags.
    const auto withComma = StringTagList::adding(QStringLiteral("x"), QStringLiteral("a,b"));
    ASSERT_TRUE(withComma);
    EXPECT_EQ(*withComma, QStringLiteral("x,a,b"));
    EXPECT_EQ(StringTagList::tags(*withComma), (QStringList{"x", "a", "b"}));
}

TEST(StringTagList, AddingNothingNewChangesNothing)
{
    // Already there (after lower-casing): no rewrite, even of a raw text that isn't normalised.
    EXPECT_FALSE(StringTagList::adding(QStringLiteral(" Foo , bar"), QStringLiteral("Foo")));
    EXPECT_FALSE(StringTagList::adding(QStringLiteral("foo"), QStringLiteral(" \t ")));
    EXPECT_FALSE(StringTagList::canAdd(QStringLiteral(" \t ")));
    EXPECT_TRUE(StringTagList::canAdd(QStringLiteral(" x ")));
}

TEST(StringTagList, RemovingDropsEveryOccurrence)
{
    EXPECT_EQ(StringTagList::removing(QStringLiteral("a, B,b,c"), QStringLiteral("b")), QStringLiteral("a,c"));
    EXPECT_EQ(StringTagList::removing(QStringLiteral("only"), QStringLiteral("only")), QString());
    EXPECT_EQ(StringTagList::removing(QStringLiteral("a,b"), QStringLiteral("z")), QStringLiteral("a,b"));
}

}  // namespace
