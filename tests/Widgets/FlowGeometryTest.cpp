// The row decisions of the flow layout: measuring and placing must agree, an exact fit stays in
// the row, and an item wider than the width starts its own row.
#include "Corvallen/Widgets/FlowGeometry.h"

#include <gtest/gtest.h>

namespace {

QList<QSizeF> items(int n, qreal w, qreal h)
{
    return QList<QSizeF>(n, QSizeF(w, h));
}

TEST(FlowGeometry, WrapsIntoRowsAtTheWidth)
{
    const auto sizes = items(3, 40, 20);
    EXPECT_EQ(FlowGeometry::sizeThatFits(sizes, 100.0, 6), QSizeF(100, 46));
    const QList<QPointF> at = FlowGeometry::placements(sizes, QRectF(0, 0, 100, 46), 6);
    EXPECT_EQ(at, (QList<QPointF>{{0, 0}, {46, 0}, {0, 26}}));
    // Placement is relative to the bounds' corner.
    const QList<QPointF> shifted = FlowGeometry::placements(sizes, QRectF(10, 5, 100, 46), 6);
    EXPECT_EQ(shifted, (QList<QPointF>{{10, 5}, {56, 5}, {10, 31}}));
}

TEST(FlowGeometry, UnboundedWidthIsOneRowWithTrailingGap)
{
    EXPECT_EQ(FlowGeometry::sizeThatFits(items(3, 40, 20), std::nullopt, 6), QSizeF(138, 20));
    EXPECT_EQ(FlowGeometry::sizeThatFits({}, std::nullopt, 6), QSizeF(0, 0));
    EXPECT_EQ(FlowGeometry::sizeThatFits({}, 100.0, 6), QSizeF(100, 0));
    EXPECT_TRUE(FlowGeometry::placements({}, QRectF(0, 0, 100, 0), 6).isEmpty());
}

TEST(FlowGeometry, ExactFitStaysInTheRow)
{
    const auto sizes = items(2, 47, 10);
    EXPECT_EQ(FlowGeometry::sizeThatFits(sizes, 100.0, 6), QSizeF(100, 10));
    EXPECT_EQ(FlowGeometry::placements(sizes, QRectF(0, 0, 100, 10), 6), (QList<QPointF>{{0, 0}, {53, 0}}));
}

TEST(FlowGeometry, OversizedItemStartsItsOwnRow)
{
    const QList<QSizeF> sizes = {{150, 20}, {30, 20}};
    // The wide first item already starts a new row, so it sits one gap down and overflows.
    EXPECT_EQ(FlowGeometry::sizeThatFits(sizes, 100.0, 6), QSizeF(100, 6 + 20 + 6 + 20));
    EXPECT_EQ(FlowGeometry::placements(sizes, QRectF(0, 0, 100, 52), 6), (QList<QPointF>{{0, 6}, {0, 32}}));
}

TEST(FlowGeometry, RowsAlignAtTopAndTakeTheTallestItem)
{
    const QList<QSizeF> sizes = {{30, 10}, {30, 24}, {30, 12}, {30, 8}};
    // 30+4 -> 34, +30 = 64 <= 70: two per row with spacing 4.
    EXPECT_EQ(FlowGeometry::sizeThatFits(sizes, 70.0, 4), QSizeF(70, 24 + 4 + 12));
    EXPECT_EQ(FlowGeometry::placements(sizes, QRectF(0, 0, 70, 40), 4),
              (QList<QPointF>{{0, 0}, {34, 0}, {0, 28}, {34, 28}}));
}

TEST(FlowGeometry, MeasuringAndPlacingAgreeOnRows)
{
    const QList<QSizeF> sizes = {{33, 17}, {71, 19}, {12, 17}, {54, 17}, {90, 19}, {8, 17}, {41, 17}};
    for (qreal width : {50.0, 80.0, 100.0, 123.0, 200.0, 400.0}) {
        const QSizeF size = FlowGeometry::sizeThatFits(sizes, width, 5);
        const QList<QPointF> at = FlowGeometry::placements(sizes, QRectF(QPointF(0, 0), size), 5);
        qreal bottom = 0;
        for (qsizetype i = 0; i < sizes.size(); ++i)
            bottom = std::max(bottom, at[i].y() + sizes[i].height());
        EXPECT_EQ(bottom, size.height()) << "width " << width;
    }
}

}  // namespace
