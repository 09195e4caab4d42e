#include "Sync/SyncTestKit.h"

#include "Corvallen/Model/Schema.h"
#include "Corvallen/Platform/VolumeMonitor.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/FolderGrants.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace synctest {

void writeImage(const QString& path, const QColor& color, const char* format, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    ASSERT_TRUE(image.save(path, format)) << path.toStdString();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

void touchFiles(const QString& folder, const QString& pattern, int count)
{
    for (int i = 0; i < count; ++i) {
        const int fd = ::open(QFile::encodeName(folder + QLatin1Char('/') + pattern.arg(i)).constData(),
                              O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
}

QStringList captureFiles()
{
    QStringList names = QDir(DeviceStorage::capturesFolder()).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

void clearCaptures()
{
    QDir dir(DeviceStorage::capturesFolder());
    for (const QString& n : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(n);
    DeviceStorage::clearImageCache();
}

Bench::Bench()
{
    root = corvallen::test::freshFolder(QStringLiteral("sync"));
    container = ModelContainer::open(root + QStringLiteral("/Corvallen.store"), corvallenSchema());
    settings = std::make_unique<SettingsStore>(root + QStringLiteral("/settings.json"));
    mediaRoot = root + QStringLiteral("/media");
    QDir().mkpath(mediaRoot);
    mountInfo = root + QStringLiteral("/mountinfo");
    diskFolder = root + QStringLiteral("/disk");
    mount({});
    clearCaptures();
}

VolumeMonitor* Bench::newMonitor() const
{
    return new VolumeMonitor(VolumeMonitor::Source{mountInfo, {mediaRoot}, diskFolder});
}

void Bench::mount(const QList<std::pair<QString, QString>>& volumes) const
{
    QList<Drive> drives;
    for (const auto& [label, device] : volumes)
        drives << Drive{label, device, {}, {}};
    mountDrives(drives);
}

void Bench::mountDrives(const QList<Drive>& drives) const
{
    QByteArray text = "21 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n";
    int id = 40;
    QDir(diskFolder).removeRecursively();
    QDir().mkpath(diskFolder + QStringLiteral("/by-uuid"));
    QDir().mkpath(diskFolder + QStringLiteral("/by-label"));
    for (const Drive& d : drives) {
        const QString point = mediaRoot + QLatin1Char('/') + d.folder;
        QDir().mkpath(point);
        QString escaped = point;
        escaped.replace(QLatin1Char(' '), QStringLiteral("\\040"));
        text += QByteArray::number(id++) + " 21 8:17 / " + escaped.toUtf8() + " rw,nosuid,nodev shared:90 - vfat "
            + d.device.toUtf8() + " rw,uid=1000\n";
        // As udev names them: links to the device, blanks in labels written as "\x20".
        if (!d.uuid.isEmpty())
            QFile::link(d.device, diskFolder + QStringLiteral("/by-uuid/") + d.uuid);
        if (!d.label.isEmpty())
            QFile::link(d.device, diskFolder + QStringLiteral("/by-label/") + QString(d.label).replace(QLatin1Char(' '), QStringLiteral("\\x20")));
    }
    writeFile(mountInfo, text);
}

SyncLocation Bench::savedLocation(const QString& name, const QString& folder)
{
    SyncLocation l = SyncLocation::makeNew();
    l.name = name;
    QDir().mkpath(folder);
    std::unique_ptr<VolumeMonitor> monitor(newMonitor());
    FolderGrants::recordGrant(l.id, name, folder, *settings, FolderGrants::snapshotOf(monitor.get()));
    SyncLocation::upsert(l, *settings);
    return l;
}

FakeUdisks::FakeUdisks(const QStringList& plan)
{
    const QString folder = corvallen::test::freshFolder(QStringLiteral("udisks"));
    program = folder + QStringLiteral("/udisksctl");
    callLog = folder + QStringLiteral("/calls.txt");
    const QString planFile = folder + QStringLiteral("/plan.txt");
    writeFile(planFile, plan.join(QLatin1Char('\n')).toUtf8() + "\n");
    const QString script = QStringLiteral(R"(#!/bin/sh
echo "$*" >> '%1'
[ "$1" = "unmount" ] || exit 0
answer=$(head -n 1 '%2')
tail -n +2 '%2' > '%2.rest' && mv '%2.rest' '%2'
case "$answer" in
  ok) echo "Unmounted $4."; exit 0 ;;
  busy) echo "Error unmounting $4: GDBus.Error:org.freedesktop.UDisks2.Error.DeviceBusy: Error unmounting $4: target is busy" >&2; exit 1 ;;
  denied) echo "Error unmounting $4: GDBus.Error:org.freedesktop.UDisks2.Error.NotAuthorizedCanObtain: Not authorized to perform operation" >&2; exit 1 ;;
  notmounted) echo "Error unmounting $4: GDBus.Error:org.freedesktop.UDisks2.Error.NotMounted: Device $4 is not mounted" >&2; exit 1 ;;
  *) echo "Error: something else went wrong" >&2; exit 1 ;;
esac
)")
                               .arg(callLog, planFile);
    writeFile(program, script.toUtf8());
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner | QFile::ExeUser);
}

QStringList FakeUdisks::calls() const
{
    QFile f(callLog);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace synctest
