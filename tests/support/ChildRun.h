#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QProcess;

namespace corvallen::test {

// Starts this same test program again as a child that runs only the tests matching `filter`,
// with `variables` added to its environment (the child test reads them, and puts the parent's
// data folder back in place from one of them before it touches any data). The child's errors
// go to this process's; its output is kept for a failure message.
void startSelf(QProcess& child, const QString& filter, const QList<QPair<QString, QString>>& variables);

}  // namespace corvallen::test
