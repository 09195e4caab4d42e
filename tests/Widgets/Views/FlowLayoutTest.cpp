// The flow layout as a real Qt layout: children at their preferred sizes, wrapped into rows,
// and a height that follows the width.
#include "Corvallen/Widgets/Views/FlowLayout.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {

class Box : public QWidget {
public:
    Box(QSize size, QWidget* parent) : QWidget(parent), m_size(size) {}
    QSize sizeHint() const override { return m_size; }

private:
    QSize m_size;
};

TEST(FlowLayout, WrapsChildrenAndReportsHeightForWidth)
{
    QWidget host;
    auto* flow = new FlowLayout(6, &host);
    QList<QWidget*> boxes;
    for (int i = 0; i < 3; ++i) {
        boxes.append(new Box(QSize(40, 20), &host));
        flow->addWidget(boxes.last());
    }
    EXPECT_TRUE(flow->hasHeightForWidth());
    EXPECT_EQ(flow->heightForWidth(100), 46);
    EXPECT_EQ(flow->heightForWidth(200), 20);
    EXPECT_EQ(flow->sizeHint(), QSize(138, 20));

    flow->setGeometry(QRect(0, 0, 100, 46));
    EXPECT_EQ(boxes[0]->geometry(), QRect(0, 0, 40, 20));
    EXPECT_EQ(boxes[1]->geometry(), QRect(46, 0, 40, 20));
    EXPECT_EQ(boxes[2]->geometry(), QRect(0, 26, 40, 20));

    // As the host widget's layout, the host's height follows its width.
    host.resize(100, 10);
    EXPECT_EQ(host.heightForWidth(100), 46);
    flow->setFlowSpacing(0);
    EXPECT_EQ(flow->heightForWidth(100), 40);
}

TEST(FlowLayout, HiddenChildrenTakeNoRoomAndClearEmptiesIt)
{
    QWidget host;
    auto* flow = new FlowLayout(4, &host);
    auto* a = new Box(QSize(30, 10), &host);
    auto* b = new Box(QSize(30, 10), &host);
    flow->addWidget(a);
    flow->addWidget(b);
    a->hide();
    host.show();
    EXPECT_EQ(flow->sizeHint(), QSize(34, 10));
    flow->clear();
    EXPECT_EQ(flow->count(), 0);
    EXPECT_EQ(flow->heightForWidth(100), 0);
}

}  // namespace
