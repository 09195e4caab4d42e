#pragma once

// Typing and clicking into widgets the way the window system delivers it, for offscreen tests.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace projects_test {

inline void keyClick(QWidget* w, int key, const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

inline void keyClicks(QWidget* w, const QString& text)
{
    for (QChar c : text)
        keyClick(w, 0, QString(c));
}

inline void mouseClick(QWidget* w, QPoint at = QPoint(2, 2))
{
    const QPointF local(at);
    const QPointF global(w->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

inline void mouseMove(QWidget* w, QPoint at)
{
    const QPointF local(at);
    const QPointF global(w->mapToGlobal(at));
    QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

}  // namespace projects_test
