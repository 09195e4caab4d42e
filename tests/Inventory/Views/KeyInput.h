#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

// Typing into widgets the way a keyboard does, through real key events.
namespace inventory::test {

inline void keyClick(QWidget* w, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

inline void keyClicks(QWidget* w, const QString& text)
{
    for (const QChar ch : text)
        keyClick(w, ch.isLetterOrNumber() ? ch.toUpper().unicode() : 0, QString(ch));
}

}  // namespace inventory::test
