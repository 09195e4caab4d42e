// Connections and volumes: the mount table, grants and their log, connection states, the
// automatic sync on mount, the launch log, and ejecting through a stand-in udisksctl.
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/VolumeMonitor.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/DriveEject.h"
#include "Corvallen/Sync/FolderGrants.h"
#include "Corvallen/Sync/SyncPrompts.h"
#include "Sync/SyncTestKit.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace synctest;
using corvallen::test::waitUntil;

namespace {

QStringList grantLogLines()
{
    QFile f(AppPaths::dataFolder() + QStringLiteral("/grant-log.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
}

void clearGrantLog() { QFile::remove(AppPaths::dataFolder() + QStringLiteral("/grant-log.txt")); }

}  // namespace

TEST(MountTable, ParsesMountPointsSourcesAndEscapes)
{
    const QByteArray text =
        "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
        "25 22 0:5 / /proc rw,nosuid - proc proc rw\n"
        "90 22 8:17 / /media/ann/FNIRSI\\0402D15P rw,nosuid,nodev,relatime shared:300 master:1 - vfat /dev/sdb1 rw,uid=1000\n"
        "91 22 8:33 / /run/media/bob/CARD rw - exfat /dev/sdc1 rw\n"
        "92 22 8:49 / /mnt/usb rw - vfat /dev/sdd1 rw\n"
        "93 22 8:50 / /home rw - ext4 /dev/sda3 rw\n"
        "94 22 8:51 / /media rw - tmpfs tmpfs rw\n"
        "garbage line\n";
    const QList<MountEntry> mounts = VolumeMonitor::parseMountInfo(text);
    ASSERT_EQ(mounts.size(), 7);
    EXPECT_EQ(mounts[2].mountPoint, QStringLiteral("/media/ann/FNIRSI 2D15P"));
    EXPECT_EQ(mounts[2].source, QStringLiteral("/dev/sdb1"));
    EXPECT_EQ(mounts[2].fsType, QStringLiteral("vfat"));

    // Disks under /mnt are the machine's own, not drives that come and go.
    const QList<MountedVolume> volumes = VolumeMonitor::removableVolumes(mounts, VolumeMonitor::defaultRemovableRoots());
    ASSERT_EQ(volumes.size(), 2);
    EXPECT_EQ(volumes[0], (MountedVolume{QStringLiteral("/media/ann/FNIRSI 2D15P"), QStringLiteral("FNIRSI 2D15P"), QStringLiteral("/dev/sdb1")}));
    EXPECT_EQ(volumes[1].label, QStringLiteral("CARD"));

    const QString table = corvallen::test::freshFolder(QStringLiteral("mounts")) + QStringLiteral("/mountinfo");
    writeFile(table, text);
    VolumeMonitor monitor(table, VolumeMonitor::defaultRemovableRoots());
    EXPECT_TRUE(DeviceStorage::isWholeSystemVolume(QStringLiteral("/mnt/usb"), &monitor));
    EXPECT_FALSE(monitor.volumeHolding(QStringLiteral("/mnt/usb/DCIM")));
    EXPECT_FALSE(DeviceStorage::isWholeSystemVolume(QStringLiteral("/media/ann/FNIRSI 2D15P"), &monitor));
}

TEST(MountTable, FileSystemsAreNamedByTheirDeviceLinks)
{
    Bench bench;
    bench.mountDrives({{QStringLiteral("SCOPE1"), QStringLiteral("/dev/sdc1"), QStringLiteral("1A2B-3C4D"), QStringLiteral("SCOPE")},
                       {QStringLiteral("My Card"), QStringLiteral("/dev/sdd1"), QStringLiteral("9F00-0001"), QStringLiteral("My Card")},
                       {QStringLiteral("PLAIN"), QStringLiteral("/dev/sde1"), {}, {}}});
    std::unique_ptr<VolumeMonitor> monitor(bench.newMonitor());
    const QList<MountedVolume> volumes = monitor->volumes();
    ASSERT_EQ(volumes.size(), 3);
    // The second drive labelled SCOPE sits at SCOPE1 but keeps its own label.
    EXPECT_EQ(volumes[0].label, QStringLiteral("SCOPE"));
    EXPECT_EQ(volumes[0].uuid, QStringLiteral("1A2B-3C4D"));
    EXPECT_EQ(volumes[1].label, QStringLiteral("My Card"));  // "My\x20Card" in the device folder
    EXPECT_EQ(volumes[2].label, QStringLiteral("PLAIN"));  // no label: the mount folder's name
    EXPECT_TRUE(volumes[2].uuid.isEmpty());
    EXPECT_EQ(FolderGrants::mountedVolumeNames(monitor.get()),
              (QSet<QString>{QStringLiteral("SCOPE"), QStringLiteral("My Card"), QStringLiteral("PLAIN")}));
    EXPECT_EQ(VolumeMonitor::unescapeDeviceName(QStringLiteral("A\\x20B\\x2fC\\x2")), QStringLiteral("A B/C\\x2"));
}

TEST(MountTable, MonitorAnnouncesMountsAndUnmountsAndTellsFixedVolumes)
{
    Bench bench;
    std::unique_ptr<VolumeMonitor> monitor(bench.newMonitor());
    EXPECT_TRUE(monitor->volumes().isEmpty());
    QList<MountedVolume> mounted;
    QList<MountedVolume> unmounted;
    QList<int> changed;
    QObject::connect(monitor.get(), &VolumeMonitor::volumeMounted, [&](const MountedVolume& v) { mounted << v; });
    QObject::connect(monitor.get(), &VolumeMonitor::volumeUnmounted, [&](const MountedVolume& v) { unmounted << v; });
    QObject::connect(monitor.get(), &VolumeMonitor::volumesChanged, [&] { changed << 1; });

    bench.mount({{QStringLiteral("SCOPE"), QStringLiteral("/dev/sdb1")}});
    monitor->recheck();
    EXPECT_EQ(mounted.size(), 1);
    EXPECT_EQ(changed.size(), 1);
    monitor->recheck();  // nothing new
    EXPECT_EQ(changed.size(), 1);
    const QString point = bench.mediaRoot + QStringLiteral("/SCOPE");
    ASSERT_TRUE(monitor->volumeHolding(point + QStringLiteral("/DCIM")));
    EXPECT_EQ(monitor->volumeHolding(point + QStringLiteral("/DCIM"))->device, QStringLiteral("/dev/sdb1"));
    EXPECT_FALSE(monitor->volumeHolding(bench.root));

    // A renamed volume comes back at another mount point.
    bench.mount({{QStringLiteral("BENCH"), QStringLiteral("/dev/sdb1")}});
    monitor->recheck();
    EXPECT_EQ(unmounted.size(), 1);
    EXPECT_EQ(mounted.size(), 2);
    EXPECT_EQ(changed.size(), 2);

    EXPECT_TRUE(DeviceStorage::isWholeSystemVolume(QStringLiteral("/"), monitor.get()));
    EXPECT_TRUE(monitor->isFixedVolumeRoot(QStringLiteral("/")));
    EXPECT_FALSE(DeviceStorage::isWholeSystemVolume(bench.mediaRoot + QStringLiteral("/BENCH"), monitor.get()));
    EXPECT_FALSE(DeviceStorage::isWholeSystemVolume(bench.root, monitor.get()));
}

TEST(Grants, RecordResolveForgetAndLog)
{
    Bench bench;
    clearGrantLog();
    const QString folder = bench.root + QStringLiteral("/Pictures");
    QDir().mkpath(folder);
    const FolderGrants::MountSnapshot mounts;
    EXPECT_FALSE(FolderGrants::hasGrant(QStringLiteral("L1"), *bench.settings));
    EXPECT_FALSE(FolderGrants::isGrantReachable(QStringLiteral("L1"), *bench.settings, mounts));

    const QString line = FolderGrants::recordGrant(QStringLiteral("L1"), QStringLiteral("Scope"), folder, *bench.settings);
    const QString expected = QStringLiteral("OK \u2014 grant 'Scope' picked=") + folder
        + QStringLiteral(" isDir=true startAccess=true | A secScope: OK %1 bytes").arg(folder.toUtf8().size());
    EXPECT_EQ(line, expected);
    EXPECT_EQ(bench.settings->bytesValue(FolderGrants::bookmarkKey(QStringLiteral("L1"))), folder.toUtf8());
    EXPECT_TRUE(bench.settings->boolValue(FolderGrants::scopedKey(QStringLiteral("L1"))));
    EXPECT_EQ(FolderGrants::resolveGrant(QStringLiteral("L1"), *bench.settings, mounts), folder);

    // A folder that is gone keeps its grant but no longer resolves; a failed request logs every
    // attempt and leaves the earlier grant in place.
    const QString gone = bench.root + QStringLiteral("/gone");
    const QString failed = FolderGrants::recordGrant(QStringLiteral("L1"), QStringLiteral("Scope"), QStringLiteral("relative/x"), *bench.settings);
    EXPECT_TRUE(failed.startsWith(QStringLiteral("ALL FAILED \u2014 grant 'Scope' picked=relative/x isDir=false startAccess=false | A secScope: FAIL ")));
    EXPECT_EQ(failed.count(QStringLiteral(" | ")), 3);
    EXPECT_EQ(FolderGrants::resolveGrant(QStringLiteral("L1"), *bench.settings, mounts), folder);
    // Only the plain attempt takes a folder that isn't there now; its grant is not scoped.
    const QString plain = FolderGrants::recordGrant(QStringLiteral("L2"), QString(), gone, *bench.settings);
    EXPECT_TRUE(plain.startsWith(QStringLiteral("OK \u2014 ")));
    EXPECT_TRUE(plain.contains(QStringLiteral(" | B dirPath: FAIL Corvallen.Grant/4 ")));
    EXPECT_TRUE(plain.endsWith(QStringLiteral(" | C plain: OK %1 bytes").arg(gone.toUtf8().size())));
    EXPECT_FALSE(bench.settings->boolValue(FolderGrants::scopedKey(QStringLiteral("L2")), true));
    EXPECT_FALSE(FolderGrants::resolveGrant(QStringLiteral("L2"), *bench.settings, mounts));
    QDir().mkpath(gone);
    EXPECT_EQ(FolderGrants::resolveGrant(QStringLiteral("L2"), *bench.settings, mounts), gone);

    const QStringList log = grantLogLines();
    ASSERT_EQ(log.size(), 4);  // three lines and the final line feed
    EXPECT_EQ(log[0], expected);
    EXPECT_EQ(log[3], QString());

    // Removing a location forgets its grant, also when the location isn't in the list.
    SyncLocation::remove(QStringLiteral("L1"), *bench.settings);
    EXPECT_FALSE(bench.settings->contains(FolderGrants::bookmarkKey(QStringLiteral("L1"))));
    EXPECT_FALSE(bench.settings->contains(FolderGrants::scopedKey(QStringLiteral("L1"))));
    EXPECT_EQ(bench.settings->bytesValue(QStringLiteral("customDevices")), QByteArray("[]"));
}

TEST(Grants, RequestAsksBeforeAWholeSystemVolumeAndStoresNothingWhenCancelled)
{
    Bench bench;
    clearGrantLog();
    std::optional<QString> pick;
    QStringList warned;
    bool goOn = false;
    SyncPrompts::setFolderChooser([&](const QString&) { return pick; });
    SyncPrompts::setWholeVolumeQuestion([&](const QString& name) {
        warned << name;
        return goOn;
    });
    EXPECT_FALSE(FolderGrants::requestGrant(QStringLiteral("L"), QStringLiteral("n"), *bench.settings, nullptr));
    pick = QStringLiteral("/");
    EXPECT_FALSE(FolderGrants::requestGrant(QStringLiteral("L"), QStringLiteral("n"), *bench.settings, nullptr));
    EXPECT_EQ(warned, QStringList{QStringLiteral("/")});
    EXPECT_FALSE(FolderGrants::hasGrant(QStringLiteral("L"), *bench.settings));
    EXPECT_TRUE(grantLogLines().isEmpty());
    goOn = true;
    EXPECT_EQ(FolderGrants::requestGrant(QStringLiteral("L"), QStringLiteral("n"), *bench.settings, nullptr), QStringLiteral("/"));
    EXPECT_TRUE(FolderGrants::hasGrant(QStringLiteral("L"), *bench.settings));
    pick = bench.root;  // an ordinary folder: no warning
    EXPECT_TRUE(FolderGrants::requestGrant(QStringLiteral("L"), QStringLiteral("n"), *bench.settings, nullptr));
    EXPECT_EQ(warned.size(), 2);
    SyncPrompts::setFolderChooser({});
    SyncPrompts::setWholeVolumeQuestion({});
}

TEST(Connections, StatesFollowGrantsAndMountedVolumes)
{
    Bench bench;
    AppModel model(bench.context(), *bench.settings);
    model.setVolumeMonitor(bench.newMonitor());
    const QString drivePath = bench.mediaRoot + QStringLiteral("/SCOPE");
    SyncLocation never = SyncLocation::makeNew();
    never.volumeName = QStringLiteral("SCOPE");
    SyncLocation::upsert(never, *bench.settings);
    SyncLocation onDrive = bench.savedLocation(QStringLiteral("Scope"), drivePath + QStringLiteral("/DCIM"));
    onDrive.volumeName = QStringLiteral("SCOPE");
    SyncLocation::upsert(onDrive, *bench.settings);
    SyncLocation noVolume = bench.savedLocation(QStringLiteral("Plain"), bench.root + QStringLiteral("/plain"));
    QDir(bench.root + QStringLiteral("/plain")).removeRecursively();

    // The folder exists but its drive isn't mounted: an empty mount folder is not the drive.
    model.refreshConnected();
    EXPECT_TRUE(model.connectedLocationIDs().isEmpty());
    EXPECT_EQ(model.connectionState(never), ConnectionState::notSetUp);
    EXPECT_EQ(model.connectionState(onDrive), ConnectionState::notConnected);
    EXPECT_EQ(model.connectionState(noVolume), ConnectionState::notConnected);

    bench.mount({{QStringLiteral("SCOPE"), QStringLiteral("/dev/sdb1")}});
    model.volumeMonitor()->recheck();
    EXPECT_EQ(model.connectedLocationIDs(), QSet<QString>{onDrive.id});
    EXPECT_EQ(model.connectionState(onDrive), ConnectionState::connected);
    EXPECT_EQ(model.connectionState(never), ConnectionState::notSetUp);  // mounted, but never granted
    ASSERT_EQ(model.connectedLocations().size(), 1);

    // Mounted, but the granted folder can't be used: permission (a new pick) is needed.
    QDir(drivePath + QStringLiteral("/DCIM")).removeRecursively();
    model.refreshConnected();
    EXPECT_TRUE(model.connectedLocationIDs().isEmpty());
    EXPECT_EQ(model.connectionState(onDrive), ConnectionState::needsPermission);
    EXPECT_EQ(model.connectionState(noVolume), ConnectionState::notConnected);

    // A wake changes only the counter.
    const QSet<QString> before = model.connectedLocationIDs();
    model.systemDidWake();
    EXPECT_EQ(model.wakeToken(), 1);
    EXPECT_EQ(model.connectedLocationIDs(), before);
}

TEST(Connections, AutomaticSyncTakesTheFirstNewlyConnectedLocationOnly)
{
    Bench bench;
    AppModel model(bench.context(), *bench.settings);
    model.setVolumeMonitor(bench.newMonitor());
    const QString scope = bench.mediaRoot + QStringLiteral("/SCOPE");
    const QString card = bench.mediaRoot + QStringLiteral("/CARD");
    SyncLocation manual = bench.savedLocation(QStringLiteral("Manual"), scope + QStringLiteral("/m"));
    manual.autoSync = false;
    SyncLocation::upsert(manual, *bench.settings);
    SyncLocation first = bench.savedLocation(QStringLiteral("First"), scope + QStringLiteral("/a"));
    SyncLocation second = bench.savedLocation(QStringLiteral("Second"), card);
    writeImage(scope + QStringLiteral("/m/m.png"), Qt::red);
    writeImage(scope + QStringLiteral("/a/a.png"), Qt::green);
    writeImage(card + QStringLiteral("/c.png"), Qt::blue);

    bench.mount({{QStringLiteral("SCOPE"), QStringLiteral("/dev/sdb1")}, {QStringLiteral("CARD"), QStringLiteral("/dev/sdc1")}});
    model.volumeMonitor()->recheck();  // the mount notice: one pass now
    ASSERT_TRUE(model.syncProgress());
    EXPECT_EQ(model.syncProgress()->location, QStringLiteral("First"));
    ASSERT_TRUE(waitUntil([&] { return !model.syncProgress(); }));
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("a.png")});

    // The later pass finds nothing newly connected: neither is synced again, and the second
    // location, skipped while the first ran, is not queued.
    model.volumePass();
    EXPECT_FALSE(model.syncProgress());

    // Unplugged and plugged in again: newly connected once more.
    bench.mount({{QStringLiteral("SCOPE"), QStringLiteral("/dev/sdb1")}});
    model.volumeMonitor()->recheck();
    EXPECT_FALSE(model.syncProgress());  // SCOPE stayed; CARD is gone
    bench.mount({{QStringLiteral("SCOPE"), QStringLiteral("/dev/sdb1")}, {QStringLiteral("CARD"), QStringLiteral("/dev/sdc1")}});
    model.volumeMonitor()->recheck();
    ASSERT_TRUE(model.syncProgress());
    EXPECT_EQ(model.syncProgress()->location, QStringLiteral("Second"));
    ASSERT_TRUE(waitUntil([&] { return !model.syncProgress(); }));
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("a.png"), QStringLiteral("c.png")}));
}

TEST(Connections, StartReconcilesConnectsLogsAndSyncsWhatIsConnectedAtLaunch)
{
    Bench bench;
    clearGrantLog();
    const QString card = bench.mediaRoot + QStringLiteral("/CARD");
    SyncLocation l = bench.savedLocation(QStringLiteral("Card"), card);
    SyncLocation unnamed = SyncLocation::makeNew();
    SyncLocation::upsert(unnamed, *bench.settings);
    writeImage(card + QStringLiteral("/x.png"), Qt::red);
    bench.mount({{QStringLiteral("CARD"), QStringLiteral("/dev/sdc1")}});
    clearGrantLog();

    AppModel model(bench.context(), *bench.settings);
    model.setVolumeMonitor(bench.newMonitor());
    model.start();
    EXPECT_EQ(model.connectedLocationIDs(), QSet<QString>{l.id});
    ASSERT_TRUE(model.syncProgress());
    ASSERT_TRUE(waitUntil([&] { return !model.syncProgress(); }));
    EXPECT_EQ(model.lastSyncSummary(), QStringLiteral("Synced 1 new"));

    const QStringList log = grantLogLines();
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log[0], QStringLiteral("LAUNCH connected=[\"%1\"]").arg(l.id));
    EXPECT_EQ(log[1], QStringLiteral("  Card bookmark=true scoped=true reachable=true canRead=true"));
    EXPECT_EQ(log[2], QStringLiteral("  (unnamed) bookmark=false scoped=nil reachable=false canRead=false"));
}

TEST(Connections, ADriveIsFoundByItsFileSystemWhereverItIsMounted)
{
    Bench bench;
    AppModel model(bench.context(), *bench.settings);
    model.setVolumeMonitor(bench.newMonitor());
    const Drive ours{QStringLiteral("SCOPE"), QStringLiteral("/dev/sdb1"), QStringLiteral("AAAA-1111"), QStringLiteral("SCOPE")};
    bench.mountDrives({ours});
    model.volumeMonitor()->recheck();
    SyncLocation l = bench.savedLocation(QStringLiteral("Scope"), bench.mediaRoot + QStringLiteral("/SCOPE/DCIM"));
    l.volumeName = QStringLiteral("SCOPE");
    SyncLocation::upsert(l, *bench.settings);
    writeImage(bench.mediaRoot + QStringLiteral("/SCOPE/DCIM/ours.png"), Qt::red);
    EXPECT_TRUE(bench.settings->bytesValue(FolderGrants::bookmarkKey(l.id)).contains("AAAA-1111"));
    model.refreshConnected();
    EXPECT_EQ(model.connectionState(l), ConnectionState::connected);

    // Another drive with the same label took the old mount point; ours came back as SCOPE1.
    // (The files move with it: the mount folders stand in for the drives.)
    QDir().rename(bench.mediaRoot + QStringLiteral("/SCOPE"), bench.mediaRoot + QStringLiteral("/SCOPE1"));
    QDir().mkpath(bench.mediaRoot + QStringLiteral("/SCOPE/DCIM"));
    writeImage(bench.mediaRoot + QStringLiteral("/SCOPE/DCIM/theirs.png"), Qt::blue);
    bench.mountDrives({{QStringLiteral("SCOPE"), QStringLiteral("/dev/sdc1"), QStringLiteral("BBBB-2222"), QStringLiteral("SCOPE")},
                       {QStringLiteral("SCOPE1"), ours.device, ours.uuid, ours.label}});
    model.volumeMonitor()->recheck();
    const auto mounts = FolderGrants::snapshotOf(model.volumeMonitor());
    EXPECT_EQ(FolderGrants::resolveGrant(l.id, *bench.settings, mounts), bench.mediaRoot + QStringLiteral("/SCOPE1/DCIM"));
    EXPECT_EQ(model.connectionState(l), ConnectionState::connected);
    model.sync(l, false);
    ASSERT_TRUE(waitUntil([&] { return !model.syncProgress(); }));
    EXPECT_EQ(model.lastSyncSummary(), QStringLiteral("Synced 1 new"));
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("ours.png")});

    // Ours unplugged: the other drive at the old place is not taken for it, but its label
    // being mounted tells that permission (a new pick) may be what is needed.
    bench.mountDrives({{QStringLiteral("SCOPE"), QStringLiteral("/dev/sdc1"), QStringLiteral("BBBB-2222"), QStringLiteral("SCOPE")}});
    model.volumeMonitor()->recheck();
    EXPECT_FALSE(FolderGrants::resolveGrant(l.id, *bench.settings, FolderGrants::snapshotOf(model.volumeMonitor())));
    EXPECT_EQ(model.connectionState(l), ConnectionState::needsPermission);

    // A grant stored as a bare path learns its drive's file system once it resolves.
    SyncLocation old = SyncLocation::makeNew();
    old.name = QStringLiteral("Old");
    SyncLocation::upsert(old, *bench.settings);
    bench.settings->setBytes(FolderGrants::bookmarkKey(old.id), (bench.mediaRoot + QStringLiteral("/SCOPE/DCIM")).toUtf8());
    model.refreshConnected();
    EXPECT_TRUE(model.connectedLocationIDs().contains(old.id));
    const FolderGrants::FolderIdentity learned =
        FolderGrants::identityFromBookmark(bench.settings->bytesValue(FolderGrants::bookmarkKey(old.id)));
    EXPECT_EQ(learned.uuid, QStringLiteral("BBBB-2222"));
    EXPECT_EQ(learned.fsPath, QStringLiteral("/DCIM"));
}

TEST(Eject, RetriesWhileBusyThenReportsTheOutcome)
{
    {
        FakeUdisks udisks({QStringLiteral("busy"), QStringLiteral("busy"), QStringLiteral("ok")});
        int pauses = 0;
        EXPECT_EQ(DriveEject::run(QStringLiteral("/dev/sdb1"), udisks.program, [&] { ++pauses; }), std::nullopt);
        EXPECT_EQ(pauses, 2);
        EXPECT_EQ(udisks.calls(), (QStringList{QStringLiteral("unmount --no-user-interaction -b /dev/sdb1"),
                                               QStringLiteral("unmount --no-user-interaction -b /dev/sdb1"),
                                               QStringLiteral("unmount --no-user-interaction -b /dev/sdb1"),
                                               QStringLiteral("power-off --no-user-interaction -b /dev/sdb1")}));
    }
    {
        FakeUdisks udisks(QStringList(6, QStringLiteral("busy")));
        EXPECT_EQ(DriveEject::run(QStringLiteral("/dev/sdb1"), udisks.program, [] {}),
                  QStringLiteral("The drive is busy \u2014 close files that use it and try again."));
        EXPECT_EQ(udisks.calls().size(), 6);
    }
    {
        FakeUdisks udisks({QStringLiteral("denied"), QStringLiteral("ok")});
        EXPECT_EQ(DriveEject::run(QStringLiteral("/dev/sdb1"), udisks.program, [] {}),
                  QStringLiteral("Corvallen isn't allowed to eject this drive \u2014 eject it from the file manager."));
        EXPECT_EQ(udisks.calls().size(), 1);  // no retry
    }
    {
        FakeUdisks udisks({QStringLiteral("notmounted")});
        EXPECT_EQ(DriveEject::run(QStringLiteral("/dev/sdb1"), udisks.program, [] {}), std::nullopt);
        EXPECT_EQ(udisks.calls().size(), 1);  // nothing to power off
    }
    {
        FakeUdisks udisks({QStringLiteral("odd")});
        EXPECT_EQ(DriveEject::run(QStringLiteral("/dev/sdb1"), udisks.program, [] {}),
                  QStringLiteral("The drive couldn't be ejected \u2014 try again, or eject it from the file manager."));
    }
    EXPECT_EQ(DriveEject::run(QString(), QStringLiteral("/nonexistent/udisksctl"), [] {}),
              QStringLiteral("This location isn't on a drive that can be ejected."));
    EXPECT_EQ(DriveEject::run(QStringLiteral("/dev/sdb1"), QStringLiteral("/nonexistent/udisksctl"), [] {}),
              QStringLiteral("Ejecting needs udisksctl (the udisks2 package) \u2014 eject the drive from the file manager instead."));
    // No outcome shows a status code.
    for (quint32 status : {DeviceStorage::kUnmountError, DeviceStorage::kUnmountBusy, DeviceStorage::kUnmountBadArgument,
                           DeviceStorage::kUnmountNotPermitted, quint32(0x1234)})
        EXPECT_FALSE(DriveEject::failureText(status).contains(QStringLiteral("0x"))) << status;
}

TEST(Eject, FromTheModelAndAfterASync)
{
    Bench bench;
    AppModel model(bench.context(), *bench.settings);
    model.setVolumeMonitor(bench.newMonitor());
    FakeUdisks udisks({QStringLiteral("ok"), QStringLiteral("ok")});
    model.setEjectProgram(udisks.program);

    SyncLocation nowhere = SyncLocation::makeNew();
    nowhere.name = QStringLiteral("Bench");
    model.eject(nowhere);
    EXPECT_EQ(model.lastSyncSummary(), QStringLiteral("Bench not connected"));

    const QString card = bench.mediaRoot + QStringLiteral("/CARD");
    SyncLocation l = bench.savedLocation(QStringLiteral("Card"), card);
    l.ejectAfterSync = true;
    SyncLocation::upsert(l, *bench.settings);
    bench.mount({{QStringLiteral("CARD"), QStringLiteral("/dev/sdc1")}});
    model.volumeMonitor()->recheck();  // autoSync on: syncs, then ejects
    ASSERT_TRUE(waitUntil([&] { return model.lastSyncSummary() == QStringLiteral("Ejected \u2014 safe to disconnect"); }));
    EXPECT_EQ(udisks.calls(), (QStringList{QStringLiteral("unmount --no-user-interaction -b /dev/sdc1"),
                                           QStringLiteral("power-off --no-user-interaction -b /dev/sdc1")}));

    // A folder that is on no removable drive has nothing to unmount.
    SyncLocation plain = bench.savedLocation(QStringLiteral("Plain"), bench.root + QStringLiteral("/plain"));
    model.eject(plain);
    ASSERT_TRUE(waitUntil([&] { return model.lastSyncSummary() == QStringLiteral("This location isn't on a drive that can be ejected."); }));
}

TEST(Connections, GrantingAgainStoresTheVolumeNameAndSyncs)
{
    Bench bench;
    AppModel model(bench.context(), *bench.settings);
    model.setVolumeMonitor(bench.newMonitor());
    bench.mount({{QStringLiteral("SCOPE"), QStringLiteral("/dev/sdb1")}});
    model.volumeMonitor()->recheck();
    const QString picked = bench.mediaRoot + QStringLiteral("/SCOPE/DCIM");
    QDir().mkpath(picked);
    writeImage(picked + QStringLiteral("/shot.bmp"), Qt::darkGreen, "BMP");
    SyncLocation l = SyncLocation::makeNew();
    l.name = QStringLiteral("Scope");
    SyncLocation::upsert(l, *bench.settings);
    EXPECT_EQ(model.connectionState(l), ConnectionState::notSetUp);

    // Cancelled: nothing changes.
    SyncPrompts::setFolderChooser([](const QString&) { return std::optional<QString>(); });
    model.grantAccessAndSync(l);
    EXPECT_FALSE(model.syncProgress());
    EXPECT_FALSE(FolderGrants::hasGrant(l.id, *bench.settings));

    SyncPrompts::setFolderChooser([&](const QString&) { return std::optional<QString>(picked); });
    model.grantAccessAndSync(l);
    SyncPrompts::setFolderChooser({});
    EXPECT_EQ(model.connectedLocationIDs(), QSet<QString>{l.id});
    ASSERT_TRUE(model.syncProgress());
    ASSERT_TRUE(waitUntil([&] { return !model.syncProgress(); }));
    EXPECT_EQ(model.lastSyncSummary(), QStringLiteral("Synced 1 new"));
    const QList<SyncLocation> saved = SyncLocation::loadAll(*bench.settings);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0].volumeName, QStringLiteral("SCOPE"));
    EXPECT_EQ(FolderGrants::volumeName(picked, model.volumeMonitor()), QStringLiteral("SCOPE"));
    EXPECT_EQ(FolderGrants::mountedVolumeNames(model.volumeMonitor()), QSet<QString>{QStringLiteral("SCOPE")});
}
