#include "Corvallen/Platform/Views/DestructiveQuestions.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QAbstractButton* answerToReturn(QMessageBox& box)
{
    box.show();
    QCoreApplication::processEvents();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&box, &press);
    return box.clickedButton();
}

}  // namespace

TEST(DestructiveQuestions, ReturnCancelsAQuestionWithADestructiveAnswer)
{
    DestructiveQuestions::install(*qApp);
    DestructiveQuestions::install(*qApp);

    // Even when the code that asks made the destructive answer the default.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Delete “Amp”?"), QStringLiteral("This cannot be undone."));
    QPushButton* remove = box.addButton(QStringLiteral("Delete"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(remove);
    EXPECT_EQ(answerToReturn(box), cancel);
    EXPECT_EQ(box.defaultButton(), cancel);

    // A question with nothing destructive keeps its default.
    QMessageBox plain(QMessageBox::Question, QStringLiteral("Import 1200 images?"), QString());
    QPushButton* import = plain.addButton(QStringLiteral("Import"), QMessageBox::AcceptRole);
    plain.addButton(QMessageBox::Cancel);
    plain.setDefaultButton(import);
    EXPECT_EQ(answerToReturn(plain), import);
}
