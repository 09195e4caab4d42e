#include "Corvallen/Library/Views/CompareChart.h"

#include "Corvallen/Shell/Views/ShellStyle.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

CompareChart::CompareChart(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CompareChart"));
    setFixedHeight(200);
}

void CompareChart::setSeries(const QList<CompareSeries::Point>& points, const QList<CompareSeries::Tick>& ticks,
                             const QString& unit)
{
    m_points = points;
    m_ticks = ticks;
    m_unit = unit;
    update();
}

QRectF CompareChart::plotRect() const
{
    return QRectF(rect()).adjusted(56, 24, -16, -28);
}

std::pair<double, double> CompareChart::yRange() const
{
    if (m_points.isEmpty())
        return {0, 1};
    double lo = m_points.first().value;
    double hi = lo;
    for (const auto& p : m_points) {
        lo = qMin(lo, p.value);
        hi = qMax(hi, p.value);
    }
    // Zero stays in view for positive or negative series alike, as chart axes usually do.
    lo = qMin(lo, 0.0);
    hi = qMax(hi, 0.0);
    if (hi == lo)
        hi = lo + 1;
    const double pad = (hi - lo) * 0.1;
    return {lo - (lo < 0 ? pad : 0), hi + (hi > 0 ? pad : 0)};
}

QPointF CompareChart::positionOf(int step, double value) const
{
    const QRectF plot = plotRect();
    const int steps = qMax<int>(1, int(m_ticks.size()));
    const double x = steps == 1 ? plot.center().x() : plot.left() + (step - 1) * plot.width() / (steps - 1);
    const auto [lo, hi] = yRange();
    const double y = plot.bottom() - (value - lo) / (hi - lo) * plot.height();
    return {x, y};
}

void CompareChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF plot = plotRect();
    const QColor grid = ShellStyle::quaternary(palette());
    const QColor text = ShellStyle::secondary(palette());
    const QFont small = ShellStyle::font(ShellStyle::TextStyle::caption2);
    p.setFont(small);

    // Y axis: five grid lines with their values; the unit names the axis.
    const auto [lo, hi] = yRange();
    for (int i = 0; i <= 4; ++i) {
        const double v = lo + (hi - lo) * i / 4;
        const double y = plot.bottom() - plot.height() * i / 4;
        p.setPen(QPen(grid, 0.5));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(text);
        p.drawText(QRectF(0, y - 8, plot.left() - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QLocale().toString(v, 'g', 4));
    }
    if (!m_unit.isEmpty()) {
        p.setPen(text);
        p.drawText(QRectF(0, 0, plot.left() + 40, 18), Qt::AlignLeft | Qt::AlignVCenter, m_unit);
    }
    // X axis: a grid line and the capture's title at every step.
    for (const auto& t : m_ticks) {
        const double x = positionOf(t.step, lo).x();
        p.setPen(QPen(grid, 0.5));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        if (!t.label.isEmpty()) {
            p.setPen(text);
            const double w = qMax(60.0, plot.width() / qMax<qsizetype>(1, m_ticks.size()));
            p.drawText(QRectF(x - w / 2, plot.bottom() + 4, w, 20), Qt::AlignHCenter | Qt::AlignTop,
                       p.fontMetrics().elidedText(t.label, Qt::ElideRight, int(w)));
        }
    }
    if (m_points.isEmpty())
        return;
    const QColor accent = ShellStyle::accent(palette());
    QPainterPath line;
    for (int i = 0; i < m_points.size(); ++i) {
        const QPointF at = positionOf(m_points.at(i).step, m_points.at(i).value);
        if (i == 0)
            line.moveTo(at);
        else
            line.lineTo(at);
    }
    p.setPen(QPen(accent, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);
    p.setBrush(accent);
    for (const auto& pt : m_points) {
        const QPointF at = positionOf(pt.step, pt.value);
        p.setPen(Qt::NoPen);
        p.drawEllipse(at, 4, 4);
        p.setPen(palette().windowText().color());
        p.drawText(QRectF(at.x() - 50, at.y() - 22, 100, 16), Qt::AlignCenter, pt.annotation);
    }
}
