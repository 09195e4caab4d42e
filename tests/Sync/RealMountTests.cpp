// A real drive, as far as a test can have one: a small in-memory file system mounted in a
// private mount namespace of a child run of this program (unshare -rm), watched through the
// kernel's own mount table. It is moved to another mount point (the same drive at "SCOPE1"),
// then pulled while the large-batch question is open. Skipped where the machine allows no
// private mount namespace; the same rules are tested with folders standing in for drives.
#include "Corvallen/Platform/VolumeMonitor.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/FolderGrants.h"
#include "Corvallen/Sync/SyncPrompts.h"
#include "Sync/SyncTestKit.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <sys/mount.h>

using namespace synctest;
using corvallen::test::waitUntil;

namespace {

const char* const kInside = "CORVALLEN_TEST_IN_MOUNT_NAMESPACE";

bool mountDrive(const QString& device, const QString& at)
{
    QDir().mkpath(at);
    return ::mount(QFile::encodeName(device).constData(), QFile::encodeName(at).constData(), "tmpfs", 0, "size=8m") == 0;
}

}  // namespace

TEST(RealMount, InsideAPrivateMountNamespace)
{
    if (!qEnvironmentVariableIsSet(kInside))
        GTEST_SKIP() << "runs in the child started by RealMount.ADriveMovedAndPulled";
    Bench bench;
    // The device name a mount shows is free text for an in-memory file system; the device
    // folder names it as udev would a drive's partition.
    const QString device = QStringLiteral("/dev/corvallen-test-sdb1");
    QDir().mkpath(bench.diskFolder + QStringLiteral("/by-uuid"));
    QDir().mkpath(bench.diskFolder + QStringLiteral("/by-label"));
    ASSERT_TRUE(QFile::link(device, bench.diskFolder + QStringLiteral("/by-uuid/AAAA-1111")));
    ASSERT_TRUE(QFile::link(device, bench.diskFolder + QStringLiteral("/by-label/SCOPE")));
    const QString scope = bench.mediaRoot + QStringLiteral("/SCOPE");
    ASSERT_TRUE(mountDrive(device, scope)) << "mount: " << strerror(errno);

    AppModel model(bench.context(), *bench.settings);
    model.setVolumeMonitor(
        new VolumeMonitor(VolumeMonitor::Source{QStringLiteral("/proc/self/mountinfo"), {bench.mediaRoot}, bench.diskFolder}));
    ASSERT_EQ(model.volumeMonitor()->volumes().size(), 1);
    EXPECT_EQ(model.volumeMonitor()->volumes().at(0).uuid, QStringLiteral("AAAA-1111"));
    SyncLocation l = SyncLocation::makeNew();
    l.name = QStringLiteral("Scope");
    l.autoSync = false;
    QDir().mkpath(scope + QStringLiteral("/DCIM"));
    FolderGrants::recordGrant(l.id, l.name, scope + QStringLiteral("/DCIM"), *bench.settings,
                              FolderGrants::snapshotOf(model.volumeMonitor()));
    SyncLocation::upsert(l, *bench.settings);
    model.refreshConnected();
    EXPECT_TRUE(model.connectedLocationIDs().contains(l.id));
    writeImage(scope + QStringLiteral("/DCIM/one.png"), Qt::red);

    // Moved to another mount point: the kernel's notice reaches the model, which finds the
    // drive there by its file system.
    const QString scope1 = bench.mediaRoot + QStringLiteral("/SCOPE1");
    QDir().mkpath(scope1);
    ASSERT_EQ(::mount(QFile::encodeName(scope).constData(), QFile::encodeName(scope1).constData(), nullptr, MS_MOVE, nullptr), 0)
        << strerror(errno);
    ASSERT_TRUE(waitUntil([&] {
        const QList<MountedVolume> volumes = model.volumeMonitor()->volumes();
        return volumes.size() == 1 && volumes.at(0).mountPoint == scope1;
    }));
    EXPECT_TRUE(model.connectedLocationIDs().contains(l.id));
    EXPECT_EQ(FolderGrants::resolveGrant(l.id, *bench.settings, FolderGrants::snapshotOf(model.volumeMonitor())),
              scope1 + QStringLiteral("/DCIM"));
    model.sync(l, false);
    ASSERT_TRUE(waitUntil([&] { return !model.syncProgress(); }));
    EXPECT_EQ(model.lastSyncSummary(), QStringLiteral("Synced 1 new"));

    // Pulled while the large-batch question is open.
    touchFiles(scope1 + QStringLiteral("/DCIM"), QStringLiteral("e%1.png"), 1000);
    SyncPrompts::setLargeBatchQuestion([&](qint64, const QString&) {
        EXPECT_EQ(::umount2(QFile::encodeName(scope1).constData(), MNT_DETACH), 0) << strerror(errno);
        return true;
    });
    model.sync(l, false);
    ASSERT_TRUE(waitUntil([&] { return !model.syncProgress(); }));
    SyncPrompts::setLargeBatchQuestion({});
    EXPECT_EQ(model.lastSyncSummary(), QStringLiteral("Scope not connected"));
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("one.png")});
}

TEST(RealMount, ADriveMovedAndPulled)
{
    if (qEnvironmentVariableIsSet(kInside))
        GTEST_SKIP();
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty())
        GTEST_SKIP() << "no unshare program";
    // Can this machine give an ordinary user a private mount namespace with a mount in it?
    QProcess probe;
    probe.start(unshare, {QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"),
                          QStringLiteral("mount -t tmpfs tmpfs \"$1\""), QStringLiteral("probe"),
                          corvallen::test::freshFolder(QStringLiteral("probe"))});
    if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
        GTEST_SKIP() << "no private mount namespace here: " << probe.readAllStandardError().toStdString();

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kInside), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(unshare, {QStringLiteral("-rm"), QCoreApplication::applicationFilePath(),
                          QStringLiteral("--gtest_filter=RealMount.InsideAPrivateMountNamespace")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("SKIPPED"))) << output.toStdString();
}
