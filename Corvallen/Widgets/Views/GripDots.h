#pragma once

#include <QWidget>

// The drag-handle mark: three rows of two small dots, in a faint foreground colour. It takes no
// input of its own; the row that holds it does the dragging.
class GripDots : public QWidget {
    Q_OBJECT
public:
    explicit GripDots(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The dot rectangles in widget coordinates (three rows of two).
    QList<QRectF> dotRects() const;

protected:
    void paintEvent(QPaintEvent*) override;
};
