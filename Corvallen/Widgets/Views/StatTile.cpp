#include "Corvallen/Widgets/Views/StatTile.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kPadding = 12;
constexpr int kLineGap = 6;
constexpr int kIcon = 18;
// A value wider than its tile is drawn smaller, down to this share of its size: a date as long
// as some locales write it ("2026年12月7日") still shows whole in the smallest window.
constexpr double kSmallestValue = 0.8;

QFont valueFont() { return ViewStyle::font(ViewStyle::TextStyle::title3, QFont::DemiBold); }

QFont valueFontToFit(const QString& value, int width)
{
    QFont font = valueFont();
    const int advance = QFontMetrics(font).horizontalAdvance(value);
    if (advance <= width || advance <= 0)
        return font;
    const double scale = std::max(kSmallestValue, double(width) / advance);
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(font.pixelSize() * scale)));
    else
        font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}
}  // namespace

StatTile::StatTile(const QString& label, const QString& value, const QString& systemImage, QWidget* parent)
    : QAbstractButton(parent), m_label(label), m_value(value), m_symbol(systemImage)
{
    setText(label);
    setAccessibleName(label);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setInteractive(false);
}

void StatTile::setValue(const QString& value)
{
    if (value == m_value)
        return;
    m_value = value;
    updateGeometry();
    update();
}

void StatTile::setInteractive(bool interactive)
{
    setEnabled(true);
    setAttribute(Qt::WA_TransparentForMouseEvents, !interactive);
    setFocusPolicy(interactive ? Qt::TabFocus : Qt::NoFocus);
    setCursor(interactive ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

QSize StatTile::sizeHint() const
{
    const QFontMetrics value(valueFont());
    const QFontMetrics caption(ViewStyle::font(ViewStyle::TextStyle::caption));
    const int h = kPadding * 2 + kIcon + kLineGap + value.height() + kLineGap + caption.height();
    const int valueWidth = int(std::ceil(value.horizontalAdvance(m_value) * kSmallestValue));
    const int w = kPadding * 2 + std::max({valueWidth, caption.horizontalAdvance(m_label), 90});
    return {w, h};
}

QSize StatTile::minimumSizeHint() const { return {80, sizeHint().height()}; }

void StatTile::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    QColor fill = ViewStyle::cardFill(pal);
    if (m_hover || isDown())
        fill = ViewStyle::withAlpha(ViewStyle::accent(pal), isDown() ? 0.22 : 0.12);
    p.fillPath(card, fill);
    if (hasFocus()) {
        p.setPen(QPen(ViewStyle::accent(pal), 2));
        p.drawPath(card);
    }

    int y = kPadding;
    const QRect iconRect(kPadding, y, kIcon, kIcon);
    symbolIcon(m_symbol, ViewStyle::accent(pal)).paint(&p, iconRect, Qt::AlignLeft | Qt::AlignVCenter);
    y += kIcon + kLineGap;

    p.setFont(valueFontToFit(m_value, width() - 2 * kPadding));
    p.setPen(pal.color(QPalette::WindowText));
    const int valueH = QFontMetrics(valueFont()).height();
    p.drawText(QRect(kPadding, y, width() - 2 * kPadding, valueH), Qt::AlignLeft | Qt::AlignVCenter, m_value);
    y += valueH + kLineGap;

    const QFont captionFont = ViewStyle::font(ViewStyle::TextStyle::caption);
    p.setFont(captionFont);
    p.setPen(ViewStyle::secondary(pal));
    const QFontMetrics cm(captionFont);
    p.drawText(QRect(kPadding, y, width() - 2 * kPadding, cm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               cm.elidedText(m_label, Qt::ElideRight, width() - 2 * kPadding));
}

void StatTile::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange)
        updateGeometry();
}

void StatTile::enterEvent(QEnterEvent* event)
{
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void StatTile::leaveEvent(QEvent* event)
{
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}
