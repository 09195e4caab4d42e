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
    // A selected row's content takes the selection's colours, as the list's own text does: the
    // text, and whatever is drawn in the accent colour (the accent is the selection's fill),
    // in the selected-text colour; a badge works out its text colour on the selection's fill.
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                                : QPalette::Inactive;
    QPalette look = m_view->palette();
    if (selected) {
        const QColor fill = look.color(group, QPalette::Highlight);
        const QColor text = look.color(group, QPalette::HighlightedText);
        QColor faint = text;
        faint.setAlphaF(0.7f);
        for (const QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Window})
                look.setColor(g, role, fill);
            for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::Highlight})
                look.setColor(g, role, text);
            look.setColor(g, QPalette::PlaceholderText, faint);
        }
    }
    if (m_stamp->palette() != look)
        m_stamp->setPalette(look);
    if (bind(index)) {
        if (m_stamp->size() != size)
            m_stamp->resize(size);
        m_stamp->layout()->activate();
        m_stamp->render(&m_picture, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    painter->drawPixmap(option.rect.topLeft(), m_picture);
}
