#include "Corvallen/Widgets/FlowGeometry.h"

#include <algorithm>
#include <limits>

namespace FlowGeometry {

QSizeF sizeThatFits(const QList<QSizeF>& itemSizes, std::optional<qreal> width, qreal spacing)
{
    const qreal available = width ? *width : std::numeric_limits<qreal>::infinity();
    qreal x = 0, y = 0, rowHeight = 0;
    for (const QSizeF& s : itemSizes) {
        // The test runs for every item, the first of a row included, so an item wider than the
        // whole width starts a row of its own.
        if (x + s.width() > available) {
            y += rowHeight + spacing;
            x = 0;
            rowHeight = 0;
        }
        x += s.width() + spacing;
        rowHeight = std::max(rowHeight, s.height());
    }
    return QSizeF(width ? *width : x, y + rowHeight);
}

QList<QPointF> placements(const QList<QSizeF>& itemSizes, const QRectF& bounds, qreal spacing)
{
    QList<QPointF> out;
    out.reserve(itemSizes.size());
    qreal x = bounds.left(), y = bounds.top(), rowHeight = 0;
    for (const QSizeF& s : itemSizes) {
        if (x + s.width() > bounds.right()) {
            x = bounds.left();
            y += rowHeight + spacing;
            rowHeight = 0;
        }
        out.append(QPointF(x, y));
        x += s.width() + spacing;
        rowHeight = std::max(rowHeight, s.height());
    }
    return out;
}

}  // namespace FlowGeometry
