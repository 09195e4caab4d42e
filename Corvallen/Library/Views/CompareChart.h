#pragma once

#include "Corvallen/Library/CompareSeries.h"

#include <QWidget>

// One line series with point marks and a value above each point, over steps 1..n with a
// labelled tick per step; the y axis spans the values with a little room.
class CompareChart : public QWidget {
    Q_OBJECT
public:
    explicit CompareChart(QWidget* parent = nullptr);

    void setSeries(const QList<CompareSeries::Point>& points, const QList<CompareSeries::Tick>& ticks, const QString& unit);
    const QList<CompareSeries::Point>& points() const { return m_points; }
    const QList<CompareSeries::Tick>& ticks() const { return m_ticks; }
    QString unit() const { return m_unit; }

    // Where a point is drawn, in widget coordinates (for tests and hit checks).
    QPointF positionOf(int step, double value) const;

    QSize sizeHint() const override { return {600, 200}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QRectF plotRect() const;
    std::pair<double, double> yRange() const;

    QList<CompareSeries::Point> m_points;
    QList<CompareSeries::Tick> m_ticks;
    QString m_unit;
};
