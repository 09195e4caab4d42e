// The grip mark: six dots, three rows of two, five points apart edge to edge.
#include "Corvallen/Widgets/Views/GripDots.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

TEST(GripDots, SixDotsFivePointsApart)
{
    GripDots grip;
    grip.resize(grip.sizeHint());
    EXPECT_EQ(grip.sizeHint(), QSize(12, 20));
    const QList<QRectF> dots = grip.dotRects();
    ASSERT_EQ(dots.size(), 6);
    for (const QRectF& d : dots)
        EXPECT_EQ(d.size(), QSizeF(3.2, 3.2));
    EXPECT_DOUBLE_EQ(dots[1].left() - dots[0].right(), 5.0);
    EXPECT_DOUBLE_EQ(dots[2].top() - dots[0].bottom(), 5.0);
    EXPECT_DOUBLE_EQ(dots[5].bottom() - dots[0].top(), 19.6);
    EXPECT_DOUBLE_EQ(dots[1].right() - dots[0].left(), 11.4);
    EXPECT_TRUE(grip.testAttribute(Qt::WA_TransparentForMouseEvents)) << "the row does the dragging";

    const QImage image = grip.grab().toImage();
    const QPoint centre = dots[0].center().toPoint();
    EXPECT_GT(image.pixelColor(centre).alpha(), 0);
}

}  // namespace
