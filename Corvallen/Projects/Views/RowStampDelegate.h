#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

class QAbstractItemView;

// Paints the rows of a long list with one row widget (the stamp) bound to each row in turn: the
// list's background and the row's selection first, then the widget over them, all through one
// picture, so that a row at rest looks exactly as the same widget does live. The list never holds
// more widgets than it shows.
class RowStampDelegate : public QStyledItemDelegate {
public:
    // The stamp becomes a hidden child of the list.
    RowStampDelegate(QWidget* stamp, QAbstractItemView* view);

    // As wide as the stamp can be made, as high as it wants to be.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    // Shows the row's content on the stamp; false when the row draws only its background.
    virtual bool bind(const QModelIndex& index) const = 0;
    QAbstractItemView* view() const { return m_view; }

private:
    QWidget* m_stamp;
    QAbstractItemView* m_view;
    mutable QPixmap m_picture;
};
