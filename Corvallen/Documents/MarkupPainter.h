#pragma once

#include "Corvallen/Documents/MarkupAnnotation.h"

#include <QPointF>

class QPainter;

// Draws markup the way the viewer shows it: ink strokes, highlights, leader arrows and notes as
// rounded yellow cards with wrapped text. The canvas and the library thumbnails both draw with
// it, so a thumbnail looks like the page in the viewer.
namespace MarkupPainter {

// Where a page is drawn: its top-left corner on the device and the device units per page point.
struct Placement {
    QPointF origin;
    double scale = 1;
    double pageHeight = 0;  // page points, to turn the page's upward y into the device's downward y

    QPointF map(const QPointF& pagePoint) const
    {
        return QPointF(origin.x() + pagePoint.x() * scale, origin.y() + (pageHeight - pagePoint.y()) * scale);
    }
    QRectF map(const QRectF& pageRect) const;
};

void drawAnnotation(QPainter& painter, const MarkupAnnotation& annotation, const Placement& placement);
void drawPage(QPainter& painter, const MarkupPage& page, const Placement& placement);

}  // namespace MarkupPainter
