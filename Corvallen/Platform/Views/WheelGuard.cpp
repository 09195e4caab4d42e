#include "Corvallen/Platform/Views/WheelGuard.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

// The control a widget belongs to: itself, or the spin box or drop-down whose text field it is.
QWidget* controlOf(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w))
            return w;
        // Scroll bars belong to the area they scroll: they keep the wheel.
        if (qobject_cast<QAbstractSlider*>(w))
            return qobject_cast<QScrollBar*>(w) ? nullptr : w;
        if (w->isWindow() || w != widget)
            break;
    }
    return nullptr;
}

// The scroll area around a control that should scroll instead; none when the control is not in one.
QAbstractScrollArea* scrollAreaAround(QWidget* control)
{
    for (QWidget* w = control->parentWidget(); w; w = w->parentWidget()) {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(w))
            return area;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

}  // namespace

void WheelGuard::install(QApplication& app)
{
    if (app.findChild<WheelGuard*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    auto* guard = new WheelGuard();
    guard->setParent(&app);
    app.installEventFilter(guard);
}

bool WheelGuard::guards(const QWidget* widget)
{
    QWidget* control = controlOf(const_cast<QWidget*>(widget));
    return control && !control->hasFocus();
}

bool WheelGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Polish) {
        // A wheel turn must not give these controls the focus (that would arm them mid-scroll).
        if (auto* w = qobject_cast<QWidget*>(watched); w && controlOf(w) == w && w->focusPolicy() == Qt::WheelFocus)
            w->setFocusPolicy(Qt::StrongFocus);
        return false;
    }
    if (event->type() != QEvent::Wheel || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!guards(widget))
        return false;
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (QAbstractScrollArea* area = scrollAreaAround(widget)) {
        QWidget* viewport = area->viewport();
        const QPointF pos = viewport->mapFromGlobal(wheel->globalPosition());
        QWheelEvent forwarded(pos, wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(),
                              wheel->modifiers(), wheel->phase(), wheel->inverted(), wheel->source());
        QCoreApplication::sendEvent(viewport, &forwarded);
        wheel->accept();
        return true;
    }
    // Not inside a scroll area: left to the parents, as if the control were not there.
    wheel->ignore();
    return true;
}
