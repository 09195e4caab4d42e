// A field holding more text than it shows: at rest it shows the beginning of the text.
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

TEST(LongFieldText, ShowsItsBeginningWhenSetAndAfterTyping)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QLineEdit(&window);
    auto* other = new QLineEdit(&window);
    layout->addWidget(field);
    layout->addWidget(other);
    field->setFixedWidth(80);
    ViewStyle::showStartAtRest(field);
    window.show();
    QApplication::setActiveWindow(&window);
    const QString longText = QStringLiteral("Ripple on the 300 V rail after replacing every electrolytic capacitor");

    // Set from the record while another field has the focus.
    other->setFocus();
    field->setText(longText);
    EXPECT_EQ(field->cursorPosition(), 0);
    // Typed at the end, then the user moves on.
    field->setFocus();
    field->end(false);
    field->insert(QStringLiteral(" (done)"));
    EXPECT_EQ(field->cursorPosition(), field->text().size()) << "while typing the cursor stays where it is";
    other->setFocus();
    EXPECT_EQ(field->cursorPosition(), 0);
}
