#pragma once

#include <QAbstractButton>

class QLabel;

// A count tile: a symbol in the accent colour, the value large, the label small beneath, on a
// faint rounded card. Clickable when the dashboard gives it an action (then the pointing hand
// shows on hover); a plain tile otherwise.
class StatTile : public QAbstractButton {
    Q_OBJECT
public:
    StatTile(const QString& label, const QString& value, const QString& systemImage, QWidget* parent = nullptr);

    QString label() const { return m_label; }
    QString value() const { return m_value; }
    void setValue(const QString& value);
    // Whether the tile reacts to clicks.
    void setInteractive(bool interactive);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_label;
    QString m_value;
    QString m_symbol;
    bool m_hover = false;
};
