#include "Corvallen/Documents/MarkupPainter.h"

#include "Corvallen/Documents/NoteAnnotations.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace MarkupPainter {

QRectF Placement::map(const QRectF& r) const
{
    return QRectF(map(QPointF(r.left(), r.bottom())), map(QPointF(r.right(), r.top()))).normalized();
}

namespace {

void drawNote(QPainter& p, const MarkupAnnotation& a, const Placement& at)
{
    const double s = at.scale;
    const QRectF r = at.map(a.bounds);
    QPainterPath path;
    path.addRoundedRect(r, 8 * s, 8 * s);
    p.fillPath(path, a.color.value_or(QColor(255, 204, 0)));
    QColor edge(0, 0, 0);
    edge.setAlphaF(0.18f);
    p.setPen(QPen(edge, 0.75 * s));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    if (a.contents.isEmpty())
        return;
    QFont f = a.font.value_or(NoteAnnotations::noteFont());
    const double points = f.pointSizeF() > 0 ? f.pointSizeF() : 12;
    f.setPixelSize(std::max(1, int(std::lround(points * s))));
    p.save();
    p.setFont(f);
    p.setPen(a.fontColor.value_or(QColor(Qt::black)));
    const QRectF inner = r.adjusted(7 * s, 5 * s, -7 * s, -5 * s);
    p.setClipRect(inner, Qt::IntersectClip);
    p.drawText(inner, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, a.contents);
    p.restore();
}

}  // namespace

void drawAnnotation(QPainter& p, const MarkupAnnotation& a, const Placement& at)
{
    const QColor color = a.color.value_or(QColor(Qt::black));
    p.save();
    switch (a.kind) {
    case MarkupKind::ink: {
        p.setPen(QPen(color, a.borderWidth.value_or(1) * at.scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        for (const QPolygonF& path : a.paths) {
            QPolygonF poly;
            for (const QPointF& pt : path)
                poly << at.map(pt);
            if (poly.size() == 1)
                p.drawPoint(poly.first());
            else
                p.drawPolyline(poly);
        }
        break;
    }
    case MarkupKind::highlight: {
        p.setCompositionMode(QPainter::CompositionMode_Multiply);
        QList<QPolygonF> areas = a.quadrilateralPoints;
        if (areas.isEmpty())
            areas << QPolygonF(a.bounds);
        for (const QPolygonF& area : areas)
            p.fillRect(at.map(area.boundingRect()), color);
        break;
    }
    case MarkupKind::line: {
        const QPointF s = at.map(a.startPoint);
        const QPointF e = at.map(a.endPoint);
        const double w = a.borderWidth.value_or(1) * at.scale;
        p.setPen(QPen(color, w, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(s, e);
        if (a.endLineEnd == MarkupLineEnd::closedArrow || a.endLineEnd == MarkupLineEnd::openArrow) {
            const double angle = std::atan2(e.y() - s.y(), e.x() - s.x());
            const double len = std::max(8.0 * at.scale, 6 * w);
            const QPointF l = e - QPointF(std::cos(angle - 0.45) * len, std::sin(angle - 0.45) * len);
            const QPointF r = e - QPointF(std::cos(angle + 0.45) * len, std::sin(angle + 0.45) * len);
            p.setBrush(a.interiorColor.value_or(color));
            p.drawPolygon(QPolygonF{e, l, r});
        }
        break;
    }
    case MarkupKind::freeText:
        drawNote(p, a, at);
        break;
    case MarkupKind::other:
        break;
    }
    p.restore();
}

void drawPage(QPainter& p, const MarkupPage& page, const Placement& at)
{
    for (const MarkupAnnotationRef& a : page.annotations)
        drawAnnotation(p, *a, at);
}

}  // namespace MarkupPainter
