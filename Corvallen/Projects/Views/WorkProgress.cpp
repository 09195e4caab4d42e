#include "Corvallen/Projects/Views/WorkProgress.h"

#include <QFutureWatcherBase>
#include <QProgressDialog>

QProgressDialog* makeWorkProgress(const QString& label, int range, QFutureWatcherBase* watcher, QWidget* parent)
{
    auto* progress = new QProgressDialog(label, QProgressDialog::tr("Cancel"), 0, range, parent);
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(400);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    QObject::connect(watcher, &QFutureWatcherBase::progressValueChanged, progress, &QProgressDialog::setValue);
    QObject::connect(progress, &QProgressDialog::canceled, watcher, [watcher] { watcher->cancel(); });
    return progress;
}

void closeWorkProgress(QProgressDialog* progress, QFutureWatcherBase* watcher)
{
    progress->disconnect(watcher);  // closing the dialog reports a cancel
    progress->close();
    progress->deleteLater();
}
