#include "Corvallen/Sync/DriveEject.h"

#include "Corvallen/Sync/DeviceStorage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace DriveEject {

QString ejectedText() { return QCoreApplication::translate("DriveEject", "Ejected \u2014 safe to disconnect"); }

QString busyText()
{
    return QCoreApplication::translate("DriveEject", "The drive is busy \u2014 close files that use it and try again.");
}

QString failureText(quint32 status)
{
    // What happened, in words; never the status code.
    switch (status) {
    case DeviceStorage::kUnmountNotPermitted:
        return QCoreApplication::translate("DriveEject",
                                           "Corvallen isn't allowed to eject this drive \u2014 eject it from the file manager.");
    case DeviceStorage::kUnmountBadArgument:
        return QCoreApplication::translate("DriveEject", "This location isn't on a drive that can be ejected.");
    case DeviceStorage::kUnmountBusy:
        return busyText();
    default:
        return QCoreApplication::translate("DriveEject",
                                           "The drive couldn't be ejected \u2014 try again, or eject it from the file manager.");
    }
}

QString noToolText()
{
    return QCoreApplication::translate(
        "DriveEject", "Ejecting needs udisksctl (the udisks2 package) \u2014 eject the drive from the file manager instead.");
}

QString defaultProgram()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("udisksctl"));
    return found.isEmpty() ? QStringLiteral("udisksctl") : found;
}

std::optional<QString> run(const QString& device, const QString& program, const std::function<void()>& pause,
                           const std::function<bool()>& stop)
{
    if (!device.isEmpty() && QStandardPaths::findExecutable(program).isEmpty() && !QFileInfo(program).isExecutable())
        return noToolText();
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
