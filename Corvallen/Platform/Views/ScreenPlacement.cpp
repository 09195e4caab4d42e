#include "Corvallen/Platform/Views/ScreenPlacement.h"

#include "Corvallen/Platform/WindowPlacement.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace {

// The window manager's frame, as it is around a window already on screen; a usual title bar
// and border until one is.
QMargins frameMargins(const QWidget* near)
{
    QList<const QWidget*> candidates{near};
    for (const QWidget* w : QApplication::topLevelWidgets())
        candidates.append(w);
    for (const QWidget* w : candidates) {
        if (!w || !w->isVisible())
            continue;
        const QRect outer = w->frameGeometry();
        const QRect inner = w->geometry();
        if (outer != inner)
            return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                            outer.bottom() - inner.bottom());
    }
    return QMargins(6, 32, 6, 6);
}

// Cuts a dialog being shown down to the screen it opens on.
class DialogFit : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isWindow())
                fit(dialog);
        return QObject::eventFilter(watched, event);
    }

private:
    static void fit(QDialog* dialog)
    {
        QScreen* screen = dialog->screen();
        if (!screen)
            return;
        const QRect available = screen->availableGeometry();
        const QMargins frame = frameMargins(dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr);
        const QRect outer = dialog->geometry().marginsAdded(frame);
        if (available.contains(outer))
            return;
        const QRect placed = WindowPlacement::placeWithin(dialog->size(), dialog->minimumSize(), frame, available,
                                                          available.contains(outer.center()) ? outer.center() : available.center());
        dialog->resize(placed.size());
        dialog->move(placed.topLeft() - QPoint(frame.left(), frame.top()));
    }
};

}  // namespace

void keepDialogsOnScreen(QApplication& app)
{
    if (app.findChild<DialogFit*>(QStringLiteral("DialogFit"), Qt::FindDirectChildrenOnly))
        return;
    auto* fit = new DialogFit(&app);
    fit->setObjectName(QStringLiteral("DialogFit"));
    app.installEventFilter(fit);
}

void placeOnScreen(QWidget* window, const QWidget* near)
{
    if (!window)
        return;
    if (!near)
        near = QApplication::activeWindow();
    if (near == window)
        near = nullptr;
    QScreen* screen = near ? near->screen() : QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QPoint centre = near && near->isVisible() ? near->frameGeometry().center() : available.center();
    const QSize wanted = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
    const QMargins frame = frameMargins(near);
    const QRect placed = WindowPlacement::placeWithin(wanted.expandedTo(QSize(1, 1)), window->minimumSize(), frame, available, centre);
    window->resize(placed.size());
    // A top-level window's position is that of its frame.
    window->move(placed.topLeft() - QPoint(frame.left(), frame.top()));
}
