#include "Corvallen/Library/Views/CompareChart.h"

#include "Corvallen/Widgets/Views/ViewStyle.h"

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

namespace {

// A step of 1, 2 or 5 times a power of ten that splits the span into about four parts.
double niceStep(double span)
{
    const double raw = span / 4;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * power)
            return m * power;
    return 10 * power;
}

}  // namespace

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
    const double step = niceStep(hi - lo);
    // Room above the highest point for its value.
    return {std::floor(lo / step) * step, std::ceil((hi + step * 0.25) / step) * step};
}

QPointF CompareChart::positionOf(int step, double value) const
{
    // Each step sits in the middle of its own slot, so the first and last labels fit.
    const QRectF plot = plotRect();
    const int steps = qMax<int>(1, int(m_ticks.size()));
    const double x = plot.left() + (step - 0.5) * plot.width() / steps;
    const auto [lo, hi] = yRange();
    const double y = plot.bottom() - (value - lo) / (hi - lo) * plot.height();
    return {x, y};
}

void CompareChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF plot = plotRect();
    const QColor grid = ViewStyle::quaternary(palette());
    const QColor text = ViewStyle::secondary(palette());
    const QFont small = ViewStyle::font(ViewStyle::TextStyle::caption2);
    p.setFont(small);

    // Y axis: grid lines at round values; the unit names the axis.
    const auto [lo, hi] = yRange();
    const double step = niceStep(hi - lo);
    for (double v = lo; v <= hi + step * 1e-6; v += step) {
        const double y = positionOf(1, v).y();
        p.setPen(QPen(grid, 0.5));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(text);
        p.drawText(QRectF(0, y - 8, plot.left() - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QLocale().toString(std::abs(v) < step * 1e-6 ? 0.0 : v, 'g', 6));
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
    const QColor accent = ViewStyle::accent(palette());
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
