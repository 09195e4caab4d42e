#pragma once

#include "Corvallen/Model/StockStatus.h"

#include <QWidget>

// A small capsule with a stock status's label in its colour: green in stock, orange low, red
// out, blue ordered.
class StatusBadge : public QWidget {
    Q_OBJECT
public:
    explicit StatusBadge(StockStatus status, QWidget* parent = nullptr);

    StockStatus status() const { return m_status; }
    void setStatus(StockStatus status);
    QString text() const;
    static QColor color(StockStatus status);
    // The capsule's tint, and the label's colour on that capsule over `background` (the row or
    // window behind the badge): the status colour, darkened or lightened just enough to keep a
    // contrast of 4.5:1, so it reads on selected rows and in the dark theme too.
    static QColor fill(StockStatus status);
    static QColor textColor(StockStatus status, const QColor& background);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    StockStatus m_status;
};
