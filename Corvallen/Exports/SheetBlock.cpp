#include "Corvallen/Exports/SheetBlock.h"

#include "Corvallen/Exports/SheetPalette.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

QFont SheetPalette::font(double pointSize, QFont::Weight weight)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(pointSize);
    f.setWeight(weight);
    return f;
}

void SheetLayout::text(const QRectF& rect, const QString& text, const QFont& font, const QColor& color, int flags)
{
    m_steps.push_back([rect, text, font, color, flags](QPainter& p, const QPointF& origin) {
        SheetText::draw(p, rect.translated(origin), text, font, color, flags);
    });
}

void SheetLayout::rule(const QRectF& rect, const QColor& color)
{
    m_steps.push_back([rect, color](QPainter& p, const QPointF& origin) { p.fillRect(rect.translated(origin), color); });
}

void SheetLayout::place(const SheetLayout& other, const QPointF& offset)
{
    for (const Step& s : other.m_steps)
        m_steps.push_back([s, offset](QPainter& p, const QPointF& origin) { s(p, origin + offset); });
}

void SheetLayout::paint(QPainter& painter, const QPointF& origin) const
{
    for (const Step& s : m_steps)
        s(painter, origin);
}

void SheetBlock::paint(QPainter& painter, const QRectF& rect) const
{
    layout(rect.width(), painter.device()).paint(painter, rect.topLeft());
}

void SheetStack::add(SheetBlockPtr block, double extraAbove)
{
    if (block)
        m_children.append({std::move(block), extraAbove});
}

SheetLayout SheetStack::layout(double width, QPaintDevice* device) const
{
    SheetLayout out;
    double y = 0;
    for (int i = 0; i < m_children.size(); ++i) {
        if (i > 0)
            y += m_spacing;
        y += m_children[i].extraAbove;
        const SheetLayout child = m_children[i].block->layout(width, device);
        out.place(child, QPointF(0, y));
        y += child.height;
    }
    out.height = y;
    return out;
}

QStringList SheetStack::texts() const
{
    QStringList out;
    for (const Child& c : m_children)
        out += c.block->texts();
    return out;
}

namespace {

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// Lays the text out in lines of at most `width`: at word boundaries, and inside a word only when
// the word alone is wider than the column.
struct WrappedText {
    QTextLayout layout;
    double height = 0;
    WrappedText(const QString& text, const QFont& font, double width, QPaintDevice* device, Qt::Alignment align)
        : layout(QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator), font, device)
    {
        QTextOption option(align);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        const double leading = QFontMetricsF(font, device).leading();
        for (;;) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(std::max(1.0, width));
            line.setPosition(QPointF(0, height));
            height += line.height() + std::max(0.0, leading);
        }
        layout.endLayout();
        if (height <= 0)
            height = QFontMetricsF(font, device).height();
    }
};

}  // namespace

double SheetText::wrappedHeight(const QString& text, const QFont& font, double width, QPaintDevice* device)
{
    if (text.isEmpty())
        return QFontMetricsF(font, device).height();
    return WrappedText(text, font, width, device, Qt::AlignLeft).height;
}

double SheetText::lineHeight(const QFont& font, QPaintDevice* device)
{
    return QFontMetricsF(font, device).height();
}

double SheetText::textWidth(const QString& text, const QFont& font, QPaintDevice* device)
{
    return QFontMetricsF(font, device).horizontalAdvance(text);
}

QString SheetText::capped(const QString& text, const QFont& font, double width, int maxLines, QPaintDevice* device)
{
    if (text.isEmpty() || maxLines < 1)
        return text;
    const WrappedText wrapped(text, font, width, device, Qt::AlignLeft);
    if (wrapped.layout.lineCount() <= maxLines)
        return text;
    // The lines before the last one kept stay as they are; the last one takes what fits of the
    // rest, on one line, ended with an ellipsis. A little room is kept spare so the ellipsis
    // never wraps on to a line of its own.
    const qsizetype lastStart = wrapped.layout.lineAt(maxLines - 1).textStart();
    QString rest = text.mid(lastStart);
    for (QChar& c : rest)
        if (isLineBreak(c))
            c = QLatin1Char(' ');
    const QString last = QFontMetricsF(font, device).elidedText(rest, Qt::ElideRight, std::max(1.0, width - 2));
    return text.left(lastStart) + last;
}

QList<qsizetype> SheetText::lineEnds(const QString& text, const QFont& font, double width, QPaintDevice* device)
{
    QList<qsizetype> ends;
    if (text.isEmpty())
        return ends;
    const WrappedText wrapped(text, font, width, device, Qt::AlignLeft);
    for (int i = 0; i < wrapped.layout.lineCount(); ++i) {
        const QTextLine line = wrapped.layout.lineAt(i);
        const qsizetype end = line.textStart() + line.textLength();
        if (ends.isEmpty() || end > ends.last())
            ends.append(std::min<qsizetype>(end, text.size()));
    }
    if (ends.isEmpty() || ends.last() != text.size())
        ends.append(text.size());
    return ends;
}

QString SheetText::before(const QString& text, qsizetype position)
{
    qsizetype end = std::clamp<qsizetype>(position, 0, text.size());
    while (end > 0 && isLineBreak(text[end - 1]))
        --end;
    return text.left(end);
}

QString SheetText::from(const QString& text, qsizetype position)
{
    qsizetype start = std::clamp<qsizetype>(position, 0, text.size());
    while (start < text.size() && isLineBreak(text[start]))
        ++start;
    return text.mid(start);
}

void SheetText::draw(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                     const QColor& color, int flags)
{
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    if (flags & Qt::TextWordWrap) {
        const Qt::Alignment align = Qt::Alignment(flags) & Qt::AlignHorizontal_Mask;
        WrappedText wrapped(text, font, rect.width(), painter.device(), align ? align : Qt::AlignLeft);
        double top = rect.top();
        if (flags & Qt::AlignVCenter)
            top += (rect.height() - wrapped.height) / 2;
        else if (flags & Qt::AlignBottom)
            top += rect.height() - wrapped.height;
        wrapped.layout.draw(&painter, QPointF(rect.left(), top));
    } else {
        painter.drawText(rect, flags, text);
    }
    painter.restore();
}

namespace {
QFont descriptionFont()
{
    return SheetPalette::font(11);
}
}  // namespace

double SheetDescription::place(SheetLayout& out, double y, const QString& text, double width, QPaintDevice* device)
{
    const QFont f = descriptionFont();
    const double h = SheetText::wrappedHeight(text, f, width, device);
    out.text(QRectF(0, y, width, h), text, f, SheetPalette::ink(), Qt::AlignLeft | Qt::TextWordWrap);
    return h;
}

QList<qsizetype> SheetDescription::lineEnds(const QString& text, double width, QPaintDevice* device)
{
    return SheetText::lineEnds(text, descriptionFont(), width, device);
}

void SheetText::rule(QPainter& painter, const QRectF& rect, const QColor& color)
{
    painter.fillRect(rect, color);
}
