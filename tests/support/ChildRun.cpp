#include "support/ChildRun.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

namespace corvallen::test {

void startSelf(QProcess& child, const QString& filter, const QList<QPair<QString, QString>>& variables)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : variables)
        env.insert(name, value);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + filter});
}

}  // namespace corvallen::test
