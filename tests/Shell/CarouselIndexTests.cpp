#include "Corvallen/Shell/CarouselIndex.h"

#include <gtest/gtest.h>

#include <climits>

TEST(CarouselIndex, StepsByThreeAndStopsAtTheEnds)
{
    int i = 0;
    std::vector<int> right;
    for (int k = 0; k < 4; ++k)
        right.push_back(i = CarouselIndex::move(i, 3, 10));
    EXPECT_EQ(right, (std::vector<int>{3, 6, 9, 9}));
    std::vector<int> left;
    for (int k = 0; k < 4; ++k)
        left.push_back(i = CarouselIndex::move(i, -3, 10));
    EXPECT_EQ(left, (std::vector<int>{6, 3, 0, 0}));
}

TEST(CarouselIndex, ShortAndEmptyStrips)
{
    EXPECT_EQ(CarouselIndex::move(0, 3, 2), 1);
    EXPECT_EQ(CarouselIndex::move(1, -3, 2), 0);
    EXPECT_EQ(CarouselIndex::move(0, 3, 0), 0);
    EXPECT_EQ(CarouselIndex::move(0, -3, 0), 0);
    // A position left over from a longer list is clamped at the next click.
    EXPECT_EQ(CarouselIndex::move(9, 3, 4), 3);
    EXPECT_EQ(CarouselIndex::move(INT_MAX, 3, 10), 9);
}
