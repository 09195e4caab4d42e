#include "Corvallen/Inventory/Views/StatusBadge.h"

#include "Corvallen/Platform/ColorContrast.h"

#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

StatusBadge::StatusBadge(StockStatus status, QWidget* parent)
    : QWidget(parent), m_status(status)
{
    setFont(ViewStyle::font(ViewStyle::TextStyle::caption2, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StatusBadge::setStatus(StockStatus status)
{
    if (status == m_status)
        return;
    m_status = status;
    updateGeometry();
    update();
}

QString StatusBadge::text() const
{
    return StockStatuses::label(m_status);
}

QColor StatusBadge::color(StockStatus status)
{
    switch (status) {
    case StockStatus::inStock: return QColor(0x34, 0xC7, 0x59);
    case StockStatus::low: return QColor(0xFF, 0x95, 0x00);
    case StockStatus::out: return QColor(0xFF, 0x3B, 0x30);
    case StockStatus::ordered: return QColor(0x00, 0x7A, 0xFF);
    }
    return {};
}

QSize StatusBadge::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 14, fm.height() + 6};
}

QColor StatusBadge::fill(StockStatus status)
{
    QColor c = color(status);
    c.setAlphaF(0.18f);
    return c;
}

QColor StatusBadge::textColor(StockStatus status, const QColor& background)
{
    return ColorContrast::readableOn(color(status), ColorContrast::composite(fill(status), background));
}

void StatusBadge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(Qt::NoPen);
    // On a selected row the tint would mix with the selection's strong colour into a murky
    // capsule: there the capsule stands on the list's own colour, as on a row at rest.
    QColor behind = palette().color(backgroundRole());
    const QPalette app = QApplication::palette();
    if (behind == app.color(QPalette::Active, QPalette::Highlight) || behind == app.color(QPalette::Inactive, QPalette::Highlight)) {
        behind = app.color(QPalette::Active, QPalette::Base);
        p.setBrush(behind);
        p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    }
    p.setBrush(fill(m_status));
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    p.setPen(textColor(m_status, behind));
    p.drawText(rect(), Qt::AlignCenter, text());
}
