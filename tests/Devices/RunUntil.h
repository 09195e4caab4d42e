#pragma once

#include <QCoreApplication>
#include <QThread>

// Runs the event loop until pred holds. The bound (about a minute) is not a speed goal: it only
// turns a broken build into a failure instead of a hang.
template <typename Pred>
bool runUntil(Pred pred)
{
    for (int i = 0; i < 60000 && !pred(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return pred();
}
