#include "Corvallen/Widgets/Views/StringTagPill.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Model/TagPalette.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kPadH = 8;
constexpr int kPadV = 3;
constexpr int kGap = 4;
}  // namespace

StringTagPill::StringTagPill(const QString& name, std::function<void()> onRemove, QWidget* parent)
    : QWidget(parent), m_name(name), m_onRemove(std::move(onRemove))
{
    setFont(pillFont(font()));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover, hasRemove());
    setToolTip(plainToolTip(name));
}

QFont StringTagPill::pillFont(const QFont& base)
{
    QFont f = base;
    const qreal size = base.pointSizeF() > 0 ? base.pointSizeF() : 10;
    f.setPointSizeF(std::max<qreal>(7.5, size - 2));
    f.setWeight(QFont::DemiBold);
    return f;
}

void StringTagPill::setName(const QString& name)
{
    if (name == m_name)
        return;
    m_name = name;
    nameChanged();
}

void StringTagPill::nameChanged()
{
    setToolTip(plainToolTip(name()));
    updateGeometry();
    update();
}

QSize StringTagPill::sizeHint() const
{
    const QFontMetrics fm(font());
    int w = kPadH * 2 + fm.horizontalAdvance(name());
    if (hasRemove())
        w += kGap + fm.height();
    return QSize(w, fm.height() + kPadV * 2);
}

QRect StringTagPill::removeRect() const
{
    if (!hasRemove())
        return {};
    const QFontMetrics fm(font());
    const int side = fm.height();
    return QRect(width() - kPadH - side, (height() - side) / 2, side, side);
}

QColor StringTagPill::pillColor() const { return paletteColor(name()); }

void StringTagPill::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect());
    const qreal radius = r.height() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(pillColor());
    p.drawRoundedRect(r, radius, radius);

    p.setPen(Qt::white);
    p.setFont(font());
    QRect textRect = rect().adjusted(kPadH, 0, -kPadH, 0);
    if (hasRemove())
        textRect.setRight(removeRect().left() - kGap);
    // Measured the way sizeHint() measures, so a pill at its own size never cuts its name (the
    // eliding measure can come out a few pixels wider than the advance).
    const QFontMetrics fm(font());
    const QString shown = fm.horizontalAdvance(name()) <= textRect.width()
        ? name()
        : fm.elidedText(name(), Qt::ElideRight, textRect.width());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, shown);

    if (hasRemove()) {
        const QRect mark = removeRect();
        symbolIcon(QStringLiteral("xmark.circle.fill"), Qt::white).paint(&p, mark);
    }
}

void StringTagPill::mousePressEvent(QMouseEvent* event)
{
    m_pressedOnRemove = event->button() == Qt::LeftButton && removeRect().contains(event->position().toPoint());
    if (m_pressedOnRemove)
        event->accept();
    else
        QWidget::mousePressEvent(event);
}

void StringTagPill::mouseReleaseEvent(QMouseEvent* event)
{
    const bool fire = m_pressedOnRemove && event->button() == Qt::LeftButton
        && removeRect().contains(event->position().toPoint());
    m_pressedOnRemove = false;
    if (!fire) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    // The action may remove this pill; nothing of it is touched afterwards.
    const std::function<void()> action = m_onRemove;
    action();
}

void StringTagPill::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}
