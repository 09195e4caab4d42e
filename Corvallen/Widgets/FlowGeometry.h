#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// The geometry of a flow of items laid out left to right in rows, a new row starting when the
// next item would pass the right edge (an exact fit stays in the row). Items keep their ideal
// sizes; rows align at their tops; `spacing` is both the gap after each item and between rows.
// Kept apart from the widget layout so the row decisions are the same for measuring and placing.
namespace FlowGeometry {

// The size the flow wants for an offered width (none: unbounded, everything in one row). With a
// width given, the result is that width, however narrow the content; unbounded, it is the row's
// length including one trailing gap.
QSizeF sizeThatFits(const QList<QSizeF>& itemSizes, std::optional<qreal> width, qreal spacing);

// The top-left corner of every item inside `bounds`, in order.
QList<QPointF> placements(const QList<QSizeF>& itemSizes, const QRectF& bounds, qreal spacing);

}  // namespace FlowGeometry
