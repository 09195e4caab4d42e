#pragma once

#include <QString>

class QFutureWatcherBase;
class QProgressDialog;
class QWidget;

// The progress of work on a worker, followed by `watcher`: a window-modal dialog that shows once
// the work has taken a moment, takes the work's progress (0 to `range`), and whose Cancel cancels
// the work. closeWorkProgress() puts it away when the work is done, without that counting as a
// cancel.
QProgressDialog* makeWorkProgress(const QString& label, int range, QFutureWatcherBase* watcher, QWidget* parent);
void closeWorkProgress(QProgressDialog* progress, QFutureWatcherBase* watcher);
