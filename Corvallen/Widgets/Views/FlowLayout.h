#pragma once

#include <QLayout>
#include <QList>

// A layout that puts its items left to right in rows at their preferred sizes and starts a new
// row when the next item would pass the right edge; rows align at their tops. `spacing` is the
// gap after each item and between rows. Its height follows the width (heightForWidth). Hidden
// children take no room. Its minimum width is that of the widest child, so a parent never cuts a
// child off; given less anyway, a too-wide child overflows on the right.
class FlowLayout : public QLayout {
    Q_OBJECT
public:
    explicit FlowLayout(qreal spacing = 6, QWidget* parent = nullptr);
    ~FlowLayout() override;

    qreal flowSpacing() const { return m_spacing; }
    void setFlowSpacing(qreal spacing);

    void addItem(QLayoutItem* item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

    // Removes and deletes every item and its widget.
    void clear();

private:
    QList<QSizeF> itemSizes() const;

    QList<QLayoutItem*> m_items;
    qreal m_spacing;
};
