// The quantity control of the parts rows and the add-part sheet.
#include "Corvallen/Projects/StockAllocation.h"
#include "Corvallen/Projects/Views/QtyStepper.h"
#include "ViewInput.h"

#include <QCoreApplication>
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

    // Text that is no whole number, or a figure beyond what a line holds, is refused where it was
    // typed: it stays for the user to mend and the quantity holds.
    for (const QString& refused : {QStringLiteral("abc"), QStringLiteral("1,5"), QStringLiteral("99999999999999999999")}) {
        stepper.field()->selectAll();
        projects_test::keyClicks(stepper.field(), refused);
        projects_test::keyClick(stepper.field(), Qt::Key_Return, QStringLiteral("\r"));
        EXPECT_EQ(stepper.field()->text(), refused);
        EXPECT_FALSE(stepper.commitTyped()) << refused.toStdString();
        EXPECT_EQ(stepper.quantity(), 1);
        EXPECT_EQ(edits.size(), 1);
    }
    // Grouped as the locale groups (C: comma), the figure is taken.
    stepper.field()->selectAll();
    projects_test::keyClicks(stepper.field(), QStringLiteral("1,200"));
    EXPECT_TRUE(stepper.commitTyped());
    EXPECT_EQ(stepper.quantity(), 1200);

    // A change from outside shows unless the user is typing.
    stepper.setQuantity(9);
    EXPECT_EQ(stepper.field()->text(), QStringLiteral("9"));
}

// The line's quantity can change while its field has the focus (the add-part sheet updates the
// line). The figure shown before must never be committed back over that change; a figure the
// user typed is theirs and is committed.
TEST(QtyStepperTest, OnlyATypedFigureIsCommitted)
{
    QtyStepper stepper(4);
    stepper.show();
    stepper.activateWindow();
    QCoreApplication::processEvents();
    QList<qint64> edits;
    QObject::connect(&stepper, &QtyStepper::quantityEdited, [&](qint64 q) { edits << q; });
    stepper.field()->setFocus();
    ASSERT_TRUE(stepper.field()->hasFocus());
    stepper.setQuantity(6);
    EXPECT_EQ(stepper.field()->text(), QStringLiteral("6"));
    projects_test::keyClick(stepper.field(), Qt::Key_Return, QStringLiteral("\r"));
    stepper.field()->clearFocus();
    EXPECT_TRUE(edits.isEmpty());
    EXPECT_EQ(stepper.quantity(), 6);

    stepper.field()->setFocus();
    stepper.field()->selectAll();
    projects_test::keyClicks(stepper.field(), QStringLiteral("12"));
    ASSERT_TRUE(stepper.field()->hasFocus());
    stepper.setQuantity(7);
    EXPECT_EQ(stepper.field()->text(), QStringLiteral("12"));
    projects_test::keyClick(stepper.field(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(edits, QList<qint64>{12});
}

}  // namespace
