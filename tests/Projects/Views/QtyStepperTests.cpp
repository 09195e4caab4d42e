// The quantity control of the parts rows and the add-part sheet.
#include "Corvallen/Projects/StockAllocation.h"
#include "Corvallen/Projects/Views/QtyStepper.h"
#include "ViewInput.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(QtyStepperTest, ButtonsStayAtOneOrAboveAndReportEachChange)
{
    QtyStepper stepper(1);
    QList<qint64> edits;
    QObject::connect(&stepper, &QtyStepper::quantityEdited, [&](qint64 q) { edits << q; });
    EXPECT_EQ(stepper.minusButton()->text(), QStringLiteral("\u22121"));
    stepper.minusButton()->click();
    stepper.plusButton()->click();
    stepper.plusButton()->click();
    stepper.minusButton()->click();
    EXPECT_EQ(edits, (QList<qint64>{1, 2, 3, 2}));
    EXPECT_EQ(stepper.field()->text(), QStringLiteral("2"));

    QtyStepper top(StockAllocation::maxLineQuantity);
    top.plusButton()->click();
    EXPECT_EQ(top.quantity(), StockAllocation::maxLineQuantity);
}

TEST(QtyStepperTest, TypedFiguresAreCommittedAndReturnRaisesThemToOne)
{
    QtyStepper stepper(4);
    QList<qint64> edits;
    QObject::connect(&stepper, &QtyStepper::quantityEdited, [&](qint64 q) { edits << q; });
    stepper.field()->selectAll();
    projects_test::keyClicks(stepper.field(), QStringLiteral("-5"));
    projects_test::keyClick(stepper.field(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(edits.value(0), 1);
    EXPECT_EQ(stepper.quantity(), 1);

    // Text that is no whole number puts the figure that holds back.
    stepper.field()->setText(QStringLiteral("abc"));
    projects_test::keyClick(stepper.field(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(stepper.field()->text(), QStringLiteral("1"));
    EXPECT_EQ(edits.size(), 1);

    // A change from outside shows unless the user is typing.
    stepper.setQuantity(9);
    EXPECT_EQ(stepper.field()->text(), QStringLiteral("9"));
}

}  // namespace
