#include "Corvallen/Widgets/Views/FlowLayout.h"

#include "Corvallen/Widgets/FlowGeometry.h"

#include <QWidget>

#include <cmath>

FlowLayout::FlowLayout(qreal spacing, QWidget* parent) : QLayout(parent), m_spacing(spacing)
{
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::setFlowSpacing(qreal spacing)
{
    m_spacing = spacing;
    invalidate();
}

void FlowLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
    invalidate();
}

QLayoutItem* FlowLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index] : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem* item = m_items.takeAt(index);
    invalidate();
    return item;
}

void FlowLayout::clear()
{
    while (QLayoutItem* item = takeAt(0)) {
        if (QWidget* w = item->widget()) {
            // Deleted later: the item being removed may be the one whose click asked for this.
            w->hide();
            w->setParent(nullptr);
            w->deleteLater();
        }
        delete item;
    }
}

QList<QSizeF> FlowLayout::itemSizes() const
{
    // Hidden children take no room and no gap.
    QList<QSizeF> sizes;
    sizes.reserve(m_items.size());
    for (QLayoutItem* item : m_items) {
        if (!item->isEmpty())
            sizes.append(QSizeF(item->sizeHint()));
    }
    return sizes;
}

int FlowLayout::heightForWidth(int width) const
{
    const QMargins m = contentsMargins();
    const QSizeF s = FlowGeometry::sizeThatFits(itemSizes(), qreal(width - m.left() - m.right()), m_spacing);
    return int(std::ceil(s.height())) + m.top() + m.bottom();
}

QSize FlowLayout::sizeHint() const
{
    const QMargins m = contentsMargins();
    const QSizeF s = FlowGeometry::sizeThatFits(itemSizes(), std::nullopt, m_spacing);
    return QSize(int(std::ceil(s.width())) + m.left() + m.right(), int(std::ceil(s.height())) + m.top() + m.bottom());
}

QSize FlowLayout::minimumSize() const
{
    // Never narrower than the widest item, so no item is cut off by the parent.
    QSize widest(0, 0);
    for (QLayoutItem* item : m_items) {
        if (!item->isEmpty())
            widest = widest.expandedTo(item->sizeHint());
    }
    const QMargins m = contentsMargins();
    return QSize(widest.width() + m.left() + m.right(), widest.height() + m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect area = rect.marginsRemoved(contentsMargins());
    const QList<QSizeF> sizes = itemSizes();
    // The right edge is the exclusive one (x + width), as the measuring uses.
    const QRectF bounds(area.x(), area.y(), area.width(), area.height());
    const QList<QPointF> points = FlowGeometry::placements(sizes, bounds, m_spacing);
    qsizetype shown = 0;
    for (QLayoutItem* item : std::as_const(m_items)) {
        if (item->isEmpty())
            continue;
        const QPointF at = points[shown];
        item->setGeometry(QRect(QPoint(qRound(at.x()), qRound(at.y())), sizes[shown].toSize()));
        ++shown;
    }
}
