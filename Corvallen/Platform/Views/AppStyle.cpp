#include "Corvallen/Platform/Views/AppStyle.h"

#include "Corvallen/Platform/Views/ThemeManager.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace {

bool isSegment(const QWidget* widget) { return widget && widget->property("segment").toBool(); }
bool isProminent(const QWidget* widget) { return widget && widget->property("prominent").toBool(); }

void drawProminentPanel(const QStyleOption* option, QPainter* painter)
{
    const QPalette& pal = option->palette;
    QColor fill = pal.color(QPalette::Active, QPalette::Highlight);
    if (!(option->state & QStyle::State_Enabled))
        fill.setAlphaF(0.45);
    else if (option->state & QStyle::State_Sunken)
        fill = fill.darker(120);
    else if (option->state & QStyle::State_MouseOver)
        fill = fill.lighter(110);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(fill);
    painter->drawRoundedRect(QRectF(option->rect).adjusted(1, 1, -1, -1), 5, 5);
    if (option->state & QStyle::State_HasFocus) {
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(pal.color(QPalette::Active, QPalette::HighlightedText), 1.2));
        painter->drawRoundedRect(QRectF(option->rect).adjusted(3, 3, -3, -3), 3.5, 3.5);
    }
    painter->restore();
}

QColor textColor(const QPalette& palette, qreal alpha)
{
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(alpha);
    return c;
}

// A segment's position among its siblings decides which corners are round.
void segmentPath(QPainterPath& path, const QRectF& r, const QWidget* widget)
{
    bool first = true, last = true;
    if (widget && widget->parentWidget()) {
        for (const QWidget* sibling : widget->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (sibling == widget || !isSegment(sibling) || !sibling->isVisibleTo(widget->parentWidget()))
                continue;
            if (sibling->x() < widget->x())
                first = false;
            if (sibling->x() > widget->x())
                last = false;
        }
    }
    const qreal radius = 6;
    const qreal left = first ? radius : 0, right = last ? radius : 0;
    path.moveTo(r.left() + left, r.top());
    path.lineTo(r.right() - right, r.top());
    if (right > 0)
        path.quadTo(r.right(), r.top(), r.right(), r.top() + right);
    path.lineTo(r.right(), r.bottom() - right);
    if (right > 0)
        path.quadTo(r.right(), r.bottom(), r.right() - right, r.bottom());
    path.lineTo(r.left() + left, r.bottom());
    if (left > 0)
        path.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - left);
    path.lineTo(r.left(), r.top() + left);
    if (left > 0)
        path.quadTo(r.left(), r.top(), r.left() + left, r.top());
    path.closeSubpath();
}

void drawSegmentPanel(const QStyleOption* option, QPainter* painter, const QWidget* widget)
{
    const QPalette& pal = option->palette;
    const bool on = option->state & QStyle::State_On;
    const bool enabled = option->state & QStyle::State_Enabled;
    QPainterPath path;
    segmentPath(path, QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), widget);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QColor fill = on ? pal.color(QPalette::Active, QPalette::Highlight) : pal.color(QPalette::Button);
    if (!enabled)
        fill.setAlphaF(0.5);
    else if (option->state & QStyle::State_Sunken)
        fill = fill.darker(115);
    else if (option->state & QStyle::State_MouseOver && !on)
        fill = fill.lighter(pal.color(QPalette::Window).lightness() < 128 ? 130 : 97);
    painter->fillPath(path, fill);
    painter->setPen(QPen(on ? fill : textColor(pal, 0.28), 1));
    painter->drawPath(path);
    if (option->state & QStyle::State_HasFocus) {
        QPainterPath ring;
        segmentPath(ring, QRectF(option->rect).adjusted(1.5, 1.5, -1.5, -1.5), widget);
        painter->setPen(QPen(on ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Highlight), 1.5));
        painter->drawPath(ring);
    }
    painter->restore();
}

// Option copies whose text is drawn in the highlighted-text colour (a chosen segment).
template <typename Option>
Option onAccent(const Option& option)
{
    Option copy = option;
    const QColor text = option.palette.color(QPalette::Active, QPalette::HighlightedText);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
            copy.palette.setColor(group, role, text);
    return copy;
}

bool opensMenuWithArrow(const QStyleOptionToolButton* tool)
{
    return tool && (tool->features & QStyleOptionToolButton::HasMenu) &&
           !(tool->features & QStyleOptionToolButton::MenuButtonPopup) && tool->toolButtonStyle != Qt::ToolButtonIconOnly &&
           !tool->text.isEmpty();
}

}  // namespace

AppStyle::AppStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void AppStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    if ((element == PE_PanelButtonTool || element == PE_PanelButtonCommand || element == PE_PanelButtonBevel) && isSegment(widget)) {
        drawSegmentPanel(option, painter, widget);
        return;
    }
    if (element == PE_FrameFocusRect && (isSegment(widget) || isProminent(widget)))
        return;  // the panel draws its own ring
    if (element == PE_IndicatorCheckBox || (element == PE_IndicatorItemViewItemCheck)) {
        const QPalette& pal = option->palette;
        const bool enabled = option->state & State_Enabled;
        const bool on = option->state & State_On;
        const bool partly = option->state & State_NoChange;
        const QRectF box = QRectF(option->rect).adjusted(1.5, 1.5, -1.5, -1.5);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QColor accent = pal.color(QPalette::Active, QPalette::Highlight);
        if (!enabled)
            accent.setAlphaF(0.45);
        if (on || partly) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(accent);
            painter->drawRoundedRect(box, 3, 3);
            QPen mark(pal.color(QPalette::Active, QPalette::HighlightedText), std::max<qreal>(1.6, box.width() / 7));
            mark.setCapStyle(Qt::RoundCap);
            mark.setJoinStyle(Qt::RoundJoin);
            painter->setPen(mark);
            if (partly) {
                painter->drawLine(QPointF(box.left() + box.width() * 0.27, box.center().y()),
                                  QPointF(box.right() - box.width() * 0.27, box.center().y()));
            } else {
                const QPolygonF tick({QPointF(box.left() + box.width() * 0.24, box.top() + box.height() * 0.52),
                                      QPointF(box.left() + box.width() * 0.43, box.top() + box.height() * 0.72),
                                      QPointF(box.left() + box.width() * 0.77, box.top() + box.height() * 0.3)});
                painter->drawPolyline(tick);
            }
        } else {
            // An unticked box: the field colour inside an edge that reads on either theme.
            painter->setBrush(pal.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::Base));
            painter->setPen(QPen(textColor(pal, enabled ? 0.5 : 0.25), 1));
            painter->drawRoundedRect(box, 3, 3);
        }
        painter->restore();
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void AppStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    // Text on an accent fill: a chosen segment, a prominent button.
    if ((isSegment(widget) && (option->state & State_On)) || isProminent(widget)) {
        if (element == CE_ToolButtonLabel)
            if (auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option)) {
                QStyleOptionToolButton copy = onAccent(*tool);
                // Symbols too: drawn as selected, in the highlighted-text colour.
                if (!copy.icon.isNull())
                    copy.icon = QIcon(copy.icon.pixmap(copy.iconSize, QIcon::Selected, QIcon::On));
                QProxyStyle::drawControl(element, &copy, painter, widget);
                return;
            }
        if (element == CE_PushButtonLabel)
            if (auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
                const QStyleOptionButton copy = onAccent(*button);
                QProxyStyle::drawControl(element, &copy, painter, widget);
                return;
            }
    }
    // A divider is one quiet hairline in either theme. Fusion draws a plain one in the text
    // colour and a sunken one as a light and a dark line, both glaring on a dark window.
    if (element == CE_ShapedFrame)
        if (auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
            frame && (frame->frameShape == QFrame::HLine || frame->frameShape == QFrame::VLine)) {
            const QRect r = option->rect;
            painter->save();
            painter->setPen(Qt::NoPen);
            painter->setBrush(ThemeManager::separator(option->palette));
            if (frame->frameShape == QFrame::HLine)
                painter->drawRect(QRect(r.left(), r.top() + (r.height() - 1) / 2, r.width(), 1));
            else
                painter->drawRect(QRect(r.left() + (r.width() - 1) / 2, r.top(), 1, r.height()));
            painter->restore();
            return;
        }
    if (element == CE_PushButtonBevel && isSegment(widget)) {
        drawSegmentPanel(option, painter, widget);
        return;
    }
    if (element == CE_PushButtonBevel && isProminent(widget)) {
        drawProminentPanel(option, painter);
        return;
    }
    if (element == CE_ComboBoxLabel)
        if (auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option); combo && !combo->editable) {
            QStyleOptionComboBox copy = *combo;
            QRect field = subControlRect(CC_ComboBox, combo, SC_ComboBoxEditField, widget);
            if (!combo->currentIcon.isNull())
                field.setLeft(field.left() + combo->iconSize.width() + 4);
            copy.currentText = combo->fontMetrics.elidedText(combo->currentText, Qt::ElideRight, field.width() - 2);
            QProxyStyle::drawControl(element, &copy, painter, widget);
            return;
        }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void AppStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                  const QWidget* widget) const
{
    if (control == CC_ToolButton) {
        auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option);
        if (opensMenuWithArrow(tool)) {
            // The panel and label as for a plain button, the label kept clear of the arrow.
            QStyleOptionToolButton panel = *tool;
            panel.features &= ~QStyleOptionToolButton::HasMenu;
            panel.text.clear();
            panel.icon = QIcon();
            QProxyStyle::drawComplexControl(control, &panel, painter, widget);
            QStyleOptionToolButton label = *tool;
            label.features &= ~QStyleOptionToolButton::HasMenu;
            const int frame = pixelMetric(PM_DefaultFrameWidth, tool, widget);
            label.rect = tool->rect.adjusted(frame, frame, -frame - menuArrowRoom + 2, -frame);
            if (isSegment(widget) && (tool->state & State_On))
                label = onAccent(label);
            drawControl(CE_ToolButtonLabel, &label, painter, widget);
            QStyleOption arrow = *tool;
            arrow.rect = QRect(tool->rect.right() - menuArrowRoom - 1, tool->rect.center().y() - 4, 9, 9);
            drawPrimitive(PE_IndicatorArrowDown, &arrow, painter, widget);
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

QSize AppStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size, const QWidget* widget) const
{
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_ToolButton && opensMenuWithArrow(qstyleoption_cast<const QStyleOptionToolButton*>(option)))
        result.rwidth() += menuArrowRoom;
    return result;
}
