#include "Corvallen/Projects/Views/RowStampDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLayout>
#include <QPainter>

RowStampDelegate::RowStampDelegate(QWidget* stamp, QAbstractItemView* view)
    : QStyledItemDelegate(view), m_stamp(stamp), m_view(view)
{
    m_stamp->setParent(view);
    // Drawn over the list's background, as a live row is (a badge's text contrast depends on it).
    m_stamp->setBackgroundRole(view->viewport()->backgroundRole());
    m_stamp->hide();
}

QSize RowStampDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return {m_stamp->minimumSizeHint().width(), m_stamp->sizeHint().height()};
}

void RowStampDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const qreal ratio = painter->device()->devicePixelRatioF();
    const QSize size = option.rect.size();
    if (m_picture.size() != size * ratio)
        m_picture = QPixmap(size * ratio);
    m_picture.setDevicePixelRatio(ratio);
    m_picture.fill(m_view->viewport()->palette().color(m_view->viewport()->backgroundRole()));
    {
        QPainter p(&m_picture);
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        background.rect = QRect(QPoint(), size);
        const QWidget* widget = option.widget;
        (widget ? widget->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &background, &p, widget);
    }
    if (bind(index)) {
        if (m_stamp->size() != size)
            m_stamp->resize(size);
        m_stamp->layout()->activate();
        m_stamp->render(&m_picture, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    painter->drawPixmap(option.rect.topLeft(), m_picture);
}
