#include "Corvallen/Platform/FileManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace FileManager {

namespace {

// The folder opened with the desktop's opener; its exit status tells whether anything opened it.
void openFolder(const QString& path, QObject* context, std::function<void(const QString&)> done)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        done(noFileManagerText(path));
        return;
    }
    auto* process = new QProcess(context);
    process->setProgram(opener);
    process->setArguments({folder});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, context, [process, path, done](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        done(status == QProcess::NormalExit && code == 0 ? QString() : noFileManagerText(path));
    });
    QObject::connect(process, &QProcess::errorOccurred, context, [process, path, done](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        done(noFileManagerText(path));
    });
    process->start();
}

}  // namespace

QString noFileManagerText(const QString& path)
{
    return QStringLiteral("No file manager is installed to show the file. It is in the folder %1.")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
}

void showInFiles(const QString& path, QObject* context, std::function<void(const QString& error)> done)
{
    if (!done)
        done = [](const QString&) {};
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (!bus.isConnected()) {
        openFolder(path, context, std::move(done));
        return;
    }
    // A bus without a file manager answers at once that the service is unknown.
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"), service,
                                                       QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, path, context, done] {
        watcher->deleteLater();
        if (watcher->isError())
            openFolder(path, context, done);
        else
            done(QString());
    });
}

}  // namespace FileManager
