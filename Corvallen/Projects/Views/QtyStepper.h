#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// "−1", an integer field and "+1". The buttons never go below 1; Return in the field raises a
// figure below 1 to 1. A typed text that is no whole number, or a figure above the largest a line
// holds, is not taken: it stays in the field, in red, until the user mends it (isReadable()). The owner keeps the number: setQuantity() shows it, quantityEdited()
// reports the user's change.
class QtyStepper : public QWidget {
    Q_OBJECT
public:
    explicit QtyStepper(qint64 quantity, QWidget* parent = nullptr);

    qint64 quantity() const { return m_quantity; }
    // A change from outside; the field keeps what the user is typing while it has focus.
    void setQuantity(qint64 quantity);

    QPushButton* minusButton() const { return m_minus; }
    QPushButton* plusButton() const { return m_plus; }
    QLineEdit* field() const { return m_field; }
    // Takes a figure typed and not yet committed (as leaving the field does); false while the
    // field holds a typed text that was refused.
    bool commitTyped();

Q_SIGNALS:
    void quantityEdited(qint64 quantity);

private:
    void commit(qint64 quantity);
    void commitField(bool submitted);
    void showText(const QString& text);
    void setReadable(bool readable);

    qint64 m_quantity;
    QPushButton* m_minus;
    QLineEdit* m_field;
    QPushButton* m_plus;
    bool m_readable = true;
};
