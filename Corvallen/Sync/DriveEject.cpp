#include "Corvallen/Sync/DriveEject.h"

#include "Corvallen/Sync/DeviceStorage.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QThread>

namespace DriveEject {

QString ejectedText() { return QCoreApplication::translate("DriveEject", "Ejected \u2014 safe to disconnect"); }

QString busyText()
{
    return QCoreApplication::translate("DriveEject",
                                       "The drive is busy \u2014 close any file manager window on it and try again.");
}

QString failureText(quint32 status)
{
    return QCoreApplication::translate("DriveEject", "Couldn't eject (status 0x%1).").arg(QString::number(status, 16));
}

QString defaultProgram()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("udisksctl"));
    return found.isEmpty() ? QStringLiteral("udisksctl") : found;
}

std::optional<QString> run(const QString& device, const QString& program, const std::function<void()>& pause,
                           const std::function<bool()>& stop)
{
    constexpr int kAttempts = 6;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (attempt > 1) {
            if (stop && stop())
                return busyText();
            if (pause)
                pause();
            else
                QThread::msleep(500);
        }
        const quint32 status = DeviceStorage::unmountOnce(device, program);
        if (status == DeviceStorage::kUnmountBusy)
            continue;
        if (status == DeviceStorage::kUnmountOK || status == DeviceStorage::kUnmountNotMounted)
            return std::nullopt;
        return failureText(status);
    }
    return busyText();
}

}  // namespace DriveEject
