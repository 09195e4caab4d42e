// A component's comma-separated tags: read leniently, written back normalised.
#include "Corvallen/Widgets/StringTagList.h"

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
    // Input with commas adds each of its tags once, normalised like the rest.
    for (const QString input : {QStringLiteral("a,b"), QStringLiteral("A, B"), QStringLiteral("a,b,a,B,")}) {
        EXPECT_EQ(StringTagList::adding(QStringLiteral("x"), input), QStringLiteral("x,a,b")) << input.toStdString();
    }
    EXPECT_EQ(StringTagList::adding(QStringLiteral("x,a"), QStringLiteral("A, B")), QStringLiteral("x,a,b"));
    // Repeats already in the text go when it is written back.
    EXPECT_EQ(StringTagList::adding(QStringLiteral("x, X,y"), QStringLiteral("z")), QStringLiteral("x,y,z"));
}

TEST(StringTagList, AddingNothingNewChangesNothing)
{
    // Already there (after lower-casing): no rewrite, even of a raw text that isn't normalised.
    EXPECT_FALSE(StringTagList::adding(QStringLiteral(" Foo , bar"), QStringLiteral("Foo")));
    EXPECT_FALSE(StringTagList::adding(QStringLiteral("foo"), QStringLiteral(" \t ")));
    EXPECT_FALSE(StringTagList::canAdd(QStringLiteral(" \t ")));
    // Commas alone hold no tag.
    for (const QString input : {QStringLiteral(","), QStringLiteral(" , ,")}) {
        EXPECT_FALSE(StringTagList::adding(QStringLiteral("x"), input)) << input.toStdString();
        EXPECT_FALSE(StringTagList::canAdd(input));
    }
    EXPECT_FALSE(StringTagList::adding(QStringLiteral("a,b"), QStringLiteral("B, a")));
    EXPECT_TRUE(StringTagList::canAdd(QStringLiteral(" x ")));
}

TEST(StringTagList, RemovingDropsEveryOccurrence)
{
    EXPECT_EQ(StringTagList::removing(QStringLiteral("a, B,b,c"), QStringLiteral("b")), QStringLiteral("a,c"));
    EXPECT_EQ(StringTagList::removing(QStringLiteral("only"), QStringLiteral("only")), QString());
    EXPECT_EQ(StringTagList::removing(QStringLiteral("a,b"), QStringLiteral("z")), QStringLiteral("a,b"));
}

}  // namespace
