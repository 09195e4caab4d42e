#pragma once

#include <QObject>

class QApplication;
class QWidget;

// Keeps the mouse wheel from changing values the user is not working on: over a drop-down, a
// spin box or a slider that does not have the keyboard focus, the wheel scrolls the page that
// holds it instead. A control with the focus takes the wheel as usual. Such controls also stop
// taking the focus from a wheel turn, so scrolling past them never arms them.
class WheelGuard : public QObject {
    Q_OBJECT
public:
    // Installs the one guard on the application (again is harmless).
    static void install(QApplication& app);
    // Whether the wheel over this widget is kept from it: a guarded control (or a part of one,
    // such as a spin box's text field) that does not have the focus.
    static bool guards(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
