// The numeric field as a widget: typing filters at once and moves the bound number, leaving
// tidies the text, outside changes wait while the user types, and the bordered frame takes
// clicks beside the digits.
#include "Corvallen/Platform/Views/ThemeManager.h"
#include "Corvallen/Widgets/Views/NumericField.h"
#include "support/IcuExpect.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

class NumericFieldTest : public testing::Test {
protected:
    // The field takes the user's locale when it is made; these tests type C-locale numbers
    // unless they say otherwise.
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    NumericField* make(std::optional<double> value, bool bordered = true, std::optional<QString> symbol = {})
    {
        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        m_other = new QLineEdit(m_window.get());
        layout->addWidget(m_other);
        auto* field = new NumericField(value, symbol, QStringLiteral("0.00"), 2, bordered, m_window.get());
        layout->addWidget(field);
        QObject::connect(field, &NumericField::valueEdited, field,
                         [this](std::optional<double> v) { m_edits.append(v); });
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        return field;
    }

    static void type(QLineEdit* edit, const QString& text)
    {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
    }

    static void focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        if (!w->hasFocus()) {  // without a window manager, deliver the focus change directly
            QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
            QApplication::sendEvent(w, &in);
        }
    }

    static void unfocus(QWidget* field, QWidget* other)
    {
        other->setFocus(Qt::OtherFocusReason);
        if (field->hasFocus() || !other->hasFocus()) {
            QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
            QApplication::sendEvent(field, &out);
        }
    }

    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_other = nullptr;
    QList<std::optional<double>> m_edits;
};

TEST_F(NumericFieldTest, AppearsWithTheRoundedValueAndWritesNothing)
{
    NumericField* field = make(3.14159);
    EXPECT_EQ(field->text(), QStringLiteral("3.14"));
    EXPECT_EQ(field->value(), 3.14159);
    EXPECT_TRUE(m_edits.isEmpty());

    NumericField* empty = make(std::nullopt);
    EXPECT_EQ(empty->text(), QString());
    EXPECT_EQ(empty->lineEdit()->placeholderText(), QStringLiteral("0.00"));
}

TEST_F(NumericFieldTest, TypingFiltersAndUpdatesTheNumber)
{
    NumericField* field = make(std::nullopt);
    focus(field->lineEdit());
    EXPECT_TRUE(field->isFocused());
    type(field->lineEdit(), QStringLiteral("-1a2.5."));
    EXPECT_EQ(field->text(), QStringLiteral("12.5"));
    EXPECT_EQ(field->value(), 12.5);
    EXPECT_EQ(m_edits, (QList<std::optional<double>>{1.0, 12.0, 12.5}));

    unfocus(field->lineEdit(), m_other);
    EXPECT_FALSE(field->isFocused());
    EXPECT_EQ(field->text(), QStringLiteral("12.5"));
}

TEST_F(NumericFieldTest, PasteIsCleanedAndTidiedOnLeaving)
{
    NumericField* field = make(std::nullopt);
    focus(field->lineEdit());
    // A paste reaches the field as one user edit of several characters.
    QKeyEvent paste(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("1,234.50"));
    QApplication::sendEvent(field->lineEdit(), &paste);
    EXPECT_EQ(field->text(), QStringLiteral("1,234.50"));
    EXPECT_EQ(field->value(), 1234.5);
    unfocus(field->lineEdit(), m_other);
    EXPECT_EQ(field->text(), QStringLiteral("1234.5"));
}

TEST_F(NumericFieldTest, TextThatIsNoNumberStaysMarkedUntilMended)
{
    NumericField* field = make(4.0, true, QStringLiteral("\u00a3"));
    focus(field->lineEdit());
    QKeyEvent paste(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("1.2.3"));
    field->lineEdit()->selectAll();
    QApplication::sendEvent(field->lineEdit(), &paste);
    EXPECT_FALSE(field->isReadable());
    EXPECT_EQ(field->value(), std::nullopt);
    unfocus(field->lineEdit(), m_other);
    EXPECT_EQ(field->text(), QStringLiteral("1.2.3")) << "never emptied nor made into another number";
    const QColor red = ThemeManager::red(field->palette());
    const QColor edge = field->grab().toImage().pixelColor(field->width() / 2, 0);
    EXPECT_LT(std::abs(edge.hue() - red.hue()), 12);
    EXPECT_EQ(field->lineEdit()->palette().color(QPalette::Text), ThemeManager::red(field->palette(), QPalette::Base));

    focus(field->lineEdit());
    field->lineEdit()->selectAll();
    QKeyEvent mended(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("3.5"));
    QApplication::sendEvent(field->lineEdit(), &mended);
    EXPECT_TRUE(field->isReadable());
    EXPECT_EQ(field->value(), 3.5);
    EXPECT_EQ(field->lineEdit()->palette().color(QPalette::Text), field->palette().color(QPalette::Text));
    unfocus(field->lineEdit(), m_other);
    EXPECT_EQ(field->text(), QStringLiteral("3.50")) << "an amount shows all its decimals";
}

TEST_F(NumericFieldTest, GermanEntryTakesTheCommaAsDecimalSeparator)
{
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    NumericField* field = make(std::nullopt);
    EXPECT_EQ(field->lineEdit()->placeholderText(), QStringLiteral("0,00"));
    focus(field->lineEdit());
    type(field->lineEdit(), QStringLiteral("12,50"));
    EXPECT_EQ(field->value(), 12.5);
    unfocus(field->lineEdit(), m_other);
    EXPECT_EQ(field->text(), corvallen::test::icuDecimal(12.5, 2, QStringLiteral("de_DE")));
    field->setValue(1234.567);
    EXPECT_EQ(field->text(), corvallen::test::icuDecimal(1234.567, 2, QStringLiteral("de_DE")));
}

TEST_F(NumericFieldTest, OutsideChangesShowUnlessTheUserIsTyping)
{
    NumericField* field = make(5.0);
    field->setValue(7.0);
    EXPECT_EQ(field->text(), QStringLiteral("7"));

    focus(field->lineEdit());
    field->setValue(9.0);
    EXPECT_EQ(field->text(), QStringLiteral("7"));
    unfocus(field->lineEdit(), m_other);
    EXPECT_EQ(field->text(), QStringLiteral("9"));
    EXPECT_TRUE(m_edits.isEmpty()) << "outside changes are not reported back as edits";
}

TEST_F(NumericFieldTest, BorderedFrameTakesClicksAndShowsFocus)
{
    NumericField* field = make(1.0, true, QStringLiteral("€"));
    ASSERT_TRUE(field->isBordered());
    EXPECT_EQ(field->lineEdit()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    const QLabel* symbol = field->findChild<QLabel*>();
    ASSERT_TRUE(symbol);
    EXPECT_EQ(symbol->text(), QStringLiteral("€"));

    const QImage before = field->grab().toImage();
    // A click in the padding, beside the digits.
    const QPoint at(2, field->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, field->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(field, &press);
    if (!field->lineEdit()->hasFocus())
        focus(field->lineEdit());
    EXPECT_TRUE(field->isFocused());
    const QImage after = field->grab().toImage();
    // The frame's stroke turns to the accent colour.
    const QColor accent = ThemeManager::accent(field->palette());
    const QColor edge = after.pixelColor(field->width() / 2, 0);
    EXPECT_NE(before.pixelColor(field->width() / 2, 0), edge);
    EXPECT_LT(std::abs(edge.hue() - accent.hue()), 12);

    NumericField* bare = make(1.0, false);
    EXPECT_EQ(bare->lineEdit()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

}  // namespace
