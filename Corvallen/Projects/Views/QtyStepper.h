#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// "−1", an integer field and "+1". The buttons never go below 1; Return in the field raises a
// figure below 1 to 1. The owner keeps the number: setQuantity() shows it, quantityEdited()
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

Q_SIGNALS:
    void quantityEdited(qint64 quantity);

private:
    void commit(qint64 quantity);
    void commitField(bool submitted);

    qint64 m_quantity;
    QPushButton* m_minus;
    QLineEdit* m_field;
    QPushButton* m_plus;
};
