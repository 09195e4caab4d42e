#pragma once

#include "Corvallen/Widgets/NumericFieldLogic.h"

#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;

// A one-line field bound to an optional number: the user types digits and at most one decimal
// separator, as the user's locale writes them; every keystroke updates the number at once, and
// the text is tidied when the field appears, loses focus, or the number changes from outside
// while the user isn't editing. Bordered, it
// draws its own rounded frame (accent-coloured while focused) and a click anywhere in it focuses
// the entry; bare, the digits are right-aligned. An optional symbol (a currency sign) stands in
// front of the digits; such a field shows every decimal place of the amount ("3.10").
//
// Text that is no number ("1.2.3") stays as typed and is marked in red until it is mended; the
// sheet holding the field asks isReadable() before it closes.
//
// The creator owns the number: setValue() for changes from outside, valueEdited() for the
// user's changes.
class NumericField : public QWidget {
    Q_OBJECT
public:
    NumericField(std::optional<double> value, const std::optional<QString>& symbol, const QString& placeholder,
                 int fractionDigits, bool bordered, QWidget* parent = nullptr);

    QString displayText(std::optional<double> value) const
    {
        return NumericFieldLogic::displayText(value, m_logic.fractionDigits(), m_logic.locale(), m_logic.fixedFraction());
    }

    std::optional<double> value() const { return m_logic.value(); }
    // A change of the bound number from outside.
    void setValue(std::optional<double> value);
    QString text() const;
    bool isFocused() const { return m_logic.focused(); }
    bool isBordered() const { return m_bordered; }
    bool isReadable() const { return m_logic.readable(); }
    QLineEdit* lineEdit() const { return m_edit; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // The user changed the number (by typing or pasting).
    void valueEdited(std::optional<double> value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void showEvent(QShowEvent*) override;
    void changeEvent(QEvent*) override;

private:
    void apply(const NumericFieldLogic::Update& update);
    void onTextEdited(const QString& text);
    void updateSymbolColour();
    void showReadability();

    NumericFieldLogic m_logic;
    bool m_bordered;
    bool m_appeared = false;
    QLabel* m_symbol = nullptr;
    QLineEdit* m_edit = nullptr;
};
