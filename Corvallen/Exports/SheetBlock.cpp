#include "Corvallen/Exports/SheetBlock.h"

#include "Corvallen/Exports/SheetPalette.h"

#include <QFontMetricsF>
#include <QPainter>

QFont SheetPalette::font(double pointSize, QFont::Weight weight)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(pointSize);
    f.setWeight(weight);
    return f;
}

void SheetStack::add(SheetBlockPtr block, double extraAbove)
{
    if (block)
        m_children.append({std::move(block), extraAbove});
}

double SheetStack::height(double width, QPaintDevice* device) const
{
    double h = 0;
    for (int i = 0; i < m_children.size(); ++i) {
        if (i > 0)
            h += m_spacing;
        h += m_children[i].extraAbove + m_children[i].block->height(width, device);
    }
    return h;
}

void SheetStack::paint(QPainter& painter, const QRectF& rect) const
{
    double y = rect.top();
    for (int i = 0; i < m_children.size(); ++i) {
        if (i > 0)
            y += m_spacing;
        y += m_children[i].extraAbove;
        const double h = m_children[i].block->height(rect.width(), painter.device());
        m_children[i].block->paint(painter, QRectF(rect.left(), y, rect.width(), h));
        y += h;
    }
}

QStringList SheetStack::texts() const
{
    QStringList out;
    for (const Child& c : m_children)
        out += c.block->texts();
    return out;
}

double SheetText::wrappedHeight(const QString& text, const QFont& font, double width, QPaintDevice* device)
{
    QFontMetricsF fm(font, device);
    if (text.isEmpty())
        return fm.height();
    return fm.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap | Qt::AlignLeft, text).height();
}

double SheetText::lineHeight(const QFont& font, QPaintDevice* device)
{
    return QFontMetricsF(font, device).height();
}

double SheetText::textWidth(const QString& text, const QFont& font, QPaintDevice* device)
{
    return QFontMetricsF(font, device).horizontalAdvance(text);
}

void SheetText::draw(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                     const QColor& color, int flags)
{
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, flags, text);
    painter.restore();
}

void SheetText::rule(QPainter& painter, const QRectF& rect, const QColor& color)
{
    painter.fillRect(rect, color);
}
