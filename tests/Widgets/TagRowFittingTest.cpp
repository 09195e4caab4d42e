// How many tag pills fit on one line: estimated from the names, with room for the "+N" pill
// once not all fit.
#include "Corvallen/Widgets/TagRowFitting.h"

#include <gtest/gtest.h>

namespace {

const QStringList kTags = {QStringLiteral("abc"), QStringLiteral("de"), QStringLiteral("f")};

TEST(TagRowFitting, EstimatesFromCharactersAsSeen)
{
    EXPECT_EQ(TagRowFitting::estimatedPillWidth(QStringLiteral("abc")), 39.5);
    EXPECT_EQ(TagRowFitting::estimatedPillWidth(QString()), 20);
    // e + combining accent is one character; a flag made of two code points is one too.
    EXPECT_EQ(TagRowFitting::estimatedPillWidth(QString::fromUtf8("e\u0301")), 26.5);
    EXPECT_EQ(TagRowFitting::estimatedPillWidth(QString::fromUtf8("\U0001F1E9\U0001F1EA")), 26.5);
}

TEST(TagRowFitting, AllFitWithoutOverflow)
{
    // 39.5 + 33 + 26.5 + 3 gaps of 4 = 111.
    EXPECT_EQ(TagRowFitting::fit(kTags, 111), (TagRowFit{3, 0}));
    EXPECT_EQ(TagRowFitting::fit(kTags, 500), (TagRowFit{3, 0}));
}

TEST(TagRowFitting, KeepsRoomForOverflowPill)
{
    EXPECT_EQ(TagRowFitting::fit(kTags, 110), (TagRowFit{2, 1}));
    // abc needs 39.5 + 30 = 69.5; de then needs 43.5 + 33 + 30 = 106.5.
    EXPECT_EQ(TagRowFitting::fit(kTags, 106), (TagRowFit{1, 2}));
    EXPECT_EQ(TagRowFitting::fit(kTags, 69.5), (TagRowFit{1, 2}));
    EXPECT_EQ(TagRowFitting::fit(kTags, 69), (TagRowFit{0, 3}));
}

TEST(TagRowFitting, StopsAtFirstTagThatDoesNotFit)
{
    // The long second tag stops the walk; the short third one is not tried.
    const QStringList tags = {QStringLiteral("ab"), QStringLiteral("a-very-long-tag-name"), QStringLiteral("x")};
    EXPECT_EQ(TagRowFitting::fit(tags, 120), (TagRowFit{1, 2}));
}

TEST(TagRowFitting, NoWidthOrNoTags)
{
    EXPECT_EQ(TagRowFitting::fit(kTags, 0), (TagRowFit{0, 3}));
    EXPECT_EQ(TagRowFitting::fit(kTags, -5), (TagRowFit{0, 3}));
    EXPECT_EQ(TagRowFitting::fit({}, 100), (TagRowFit{0, 0}));
    EXPECT_EQ(TagRowFitting::fit({}, 0), (TagRowFit{0, 0}));
}

}  // namespace
