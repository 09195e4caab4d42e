// Whole sync runs through the application model against real folders: summaries, the library
// reconcile, the large-batch question, stopping, the not-connected outcome, eject after sync and
// the one-run-at-a-time rule.
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Platform/VolumeMonitor.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/FolderGrants.h"
#include "Corvallen/Sync/SyncPrompts.h"
#include "Corvallen/Sync/SourceLedger.h"
#include "Sync/SyncTestKit.h"
#include "support/EventLoop.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace synctest;
using corvallen::test::waitUntil;

namespace {

class SyncRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<AppModel>(bench.context(), *bench.settings);
        model->setVolumeMonitor(bench.newMonitor());
    }
    void TearDown() override { SyncPrompts::setLargeBatchQuestion({}); }

    // Runs a sync to its end and returns the summary.
    QString runSync(const SyncLocation& l, bool full = false)
    {
        model->sync(l, full);
        EXPECT_TRUE(model->syncProgress().has_value());
        EXPECT_TRUE(waitUntil([&] { return !model->syncProgress(); }));
        return model->lastSyncSummary();
    }

    // "Scope", on a mounted drive SCOPE, ejected after each sync, with the changes made by `edit`.
    SyncLocation mountedScope(const std::function<void(SyncLocation&)>& edit)
    {
        bench.mount({{QStringLiteral("SCOPE"), QStringLiteral("/dev/sdb1")}});
        model->volumeMonitor()->recheck();
        SyncLocation l = bench.savedLocation(QStringLiteral("Scope"), bench.mediaRoot + QStringLiteral("/SCOPE"));
        l.ejectAfterSync = true;
        edit(l);
        SyncLocation::upsert(l, *bench.settings);
        return l;
    }

    QStringList captureTitles()
    {
        QStringList out;
        for (const Capture* c : bench.context().fetch<Capture>())
            out << c->title();
        out.sort();
        return out;
    }

    Bench bench;
    std::unique_ptr<AppModel> model;
};

}  // namespace

TEST_F(SyncRun, ImportsNewImagesRecordsThemAndSummarises)
{
    const QString drive = bench.root + QStringLiteral("/drive");
    SyncLocation scope = bench.savedLocation(QStringLiteral("Scope"), drive);
    writeImage(drive + QStringLiteral("/A.png"), Qt::red);
    writeImage(drive + QStringLiteral("/B.jpg"), Qt::green, "JPG");
    writeImage(drive + QStringLiteral("/C.bmp"), Qt::blue, "BMP");

    QList<SyncProgress> seen;
    QObject::connect(model.get(), &AppModel::syncProgressChanged, [&] {
        if (model->syncProgress())
            seen << *model->syncProgress();
    });
    EXPECT_EQ(runSync(scope), QStringLiteral("Synced 3 new"));
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.first(), (SyncProgress{QStringLiteral("Scope"), SyncProgress::Phase::scanning, 0, 0}));
    EXPECT_EQ(seen.last(), (SyncProgress{QStringLiteral("Scope"), SyncProgress::Phase::importing, 3, 3}));
    EXPECT_FALSE(model->currentSyncTask());
    EXPECT_EQ(captureTitles(), (QStringList{QStringLiteral("unnamed_A"), QStringLiteral("unnamed_B"), QStringLiteral("unnamed_C")}));
    EXPECT_FALSE(bench.context().hasChanges());
    EXPECT_EQ(DeviceStorage::knownHashes(*bench.settings).size(), 3);

    EXPECT_EQ(runSync(scope), QStringLiteral("Up to date"));
    // A full resync counts only what it writes and names the location as stored.
    EXPECT_EQ(runSync(scope, true), QStringLiteral("Scope: 0 imported"));
    QFile::remove(DeviceStorage::capturesFolder() + QStringLiteral("/B.png"));
    EXPECT_EQ(runSync(scope, true), QStringLiteral("Scope: 1 imported"));
    // B's record still holds its name, so the picture comes back beside it, as a capture of its own.
    EXPECT_TRUE(captureFiles().contains(QStringLiteral("B (2).png")));
    EXPECT_EQ(bench.context().fetchCount<Capture>(), 4);
}

TEST_F(SyncRun, SubfolderAndExtensionsComeFromTheLocation)
{
    const QString drive = bench.root + QStringLiteral("/drive");
    SyncLocation l = bench.savedLocation(QStringLiteral("Bench"), drive);
    QDir().mkpath(drive + QStringLiteral("/DCIM"));
    writeImage(drive + QStringLiteral("/top.png"), Qt::red);
    writeImage(drive + QStringLiteral("/DCIM/in.png"), Qt::green);
    writeImage(drive + QStringLiteral("/DCIM/in2.bmp"), Qt::blue, "BMP");
    l.scanWholeDrive = false;
    l.subfolder = QStringLiteral(" DCIM ");
    l.imageExtensions = {QStringLiteral("png")};
    EXPECT_EQ(runSync(l), QStringLiteral("Synced 1 new"));
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("in.png")});
}

TEST_F(SyncRun, NotConnectedLeavesTheLibraryAlone)
{
    SyncLocation l = SyncLocation::makeNew();  // never granted, empty name
    writeImage(DeviceStorage::capturesFolder() + QStringLiteral("/stray.png"), Qt::red);
    EXPECT_EQ(runSync(l), QStringLiteral("Location not connected"));
    EXPECT_EQ(bench.context().fetchCount<Capture>(), 0);

    // A folder that has gone away is not connected either.
    const QString drive = bench.root + QStringLiteral("/gone");
    SyncLocation named = bench.savedLocation(QStringLiteral("Scope"), drive);
    QDir(drive).removeRecursively();
    EXPECT_EQ(runSync(named), QStringLiteral("Scope not connected"));
}

TEST_F(SyncRun, LargeBatchesAskFirst)
{
    // Empty files are found by the scan but are no pictures: quick to import, counted as unreadable.
    const QString small = bench.root + QStringLiteral("/small");
    SyncLocation few = bench.savedLocation(QString(), small);
    touchFiles(small, QStringLiteral("empty%1.png"), 999);
    QList<std::pair<qint64, QString>> asked;
    bool answer = false;
    SyncPrompts::setLargeBatchQuestion([&](qint64 count, const QString& name) {
        asked << std::make_pair(count, name);
        return answer;
    });
    EXPECT_EQ(runSync(few), QStringLiteral("Nothing new \u2014 999 files couldn't be read"));  // 999 files: no question
    EXPECT_TRUE(asked.isEmpty());

    const QString large = bench.root + QStringLiteral("/large");
    SyncLocation many = bench.savedLocation(QString(), large);
    touchFiles(large, QStringLiteral("empty%1.png"), 999);
    writeImage(large + QStringLiteral("/real.png"), Qt::green);  // now 1000
    writeImage(DeviceStorage::capturesFolder() + QStringLiteral("/kept.png"), Qt::blue);
    EXPECT_EQ(runSync(many), QStringLiteral("Sync cancelled"));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], std::make_pair(qint64(1000), QStringLiteral("Location")));
    // Declining still reconciles what was already in the folder.
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("kept.png")});
    EXPECT_EQ(bench.context().fetchCount<Capture>([](const Capture* c) { return c->fileName() == QStringLiteral("kept.png"); }), 1);

    answer = true;
    EXPECT_EQ(runSync(many), QStringLiteral("Synced 1 new \u2014 999 files couldn't be read"));
    // Unreadable files are not tried again while they are unchanged.
    EXPECT_EQ(runSync(many), QStringLiteral("Up to date"));
    EXPECT_EQ(asked.size(), 2);

    // A stop pressed while the question is open takes effect in the import.
    SyncPrompts::setLargeBatchQuestion([&](qint64, const QString&) {
        model->currentSyncTask()->cancel();
        return true;
    });
    QFile::remove(DeviceStorage::capturesFolder() + QStringLiteral("/real.png"));
    EXPECT_EQ(runSync(many, true), QStringLiteral("Sync cancelled"));  // a full resync looks at all 1000 again
    EXPECT_FALSE(captureFiles().contains(QStringLiteral("real.png")));
}

TEST_F(SyncRun, PastTheWholeDriveLimitTheNextSyncGoesOn)
{
    const QString drive = bench.root + QStringLiteral("/drive");
    SyncLocation l = bench.savedLocation(QStringLiteral("Scope"), drive);
    touchFiles(drive, QStringLiteral("e%1.png"), 5003);
    // A folder is walked after the files beside it: this picture lies past the limit.
    QDir().mkpath(drive + QStringLiteral("/z"));
    writeImage(drive + QStringLiteral("/z/real.png"), Qt::red);
    EXPECT_EQ(runSync(l), QStringLiteral("Nothing new \u2014 5000 files couldn't be read; more remain, sync again for the rest"));
    EXPECT_EQ(runSync(l), QStringLiteral("Synced 1 new \u2014 3 files couldn't be read"));
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("real.png")});
    EXPECT_EQ(runSync(l), QStringLiteral("Up to date"));
}

TEST_F(SyncRun, ABadPictureIsCountedOnceUntilItChanges)
{
    const QString drive = bench.root + QStringLiteral("/drive");
    SyncLocation l = bench.savedLocation(QStringLiteral("Scope"), drive);
    writeImage(drive + QStringLiteral("/good.png"), Qt::red);
    writeImage(drive + QStringLiteral("/broken.jpg"), Qt::green, "JPG", QSize(64, 64));
    QFile broken(drive + QStringLiteral("/broken.jpg"));
    ASSERT_TRUE(broken.open(QIODevice::ReadWrite));
    broken.resize(broken.size() / 2);  // cut off, as when a drive is pulled mid-write
    broken.close();
    EXPECT_EQ(runSync(l), QStringLiteral("Synced 1 new \u2014 1 file couldn't be read"));
    EXPECT_EQ(runSync(l), QStringLiteral("Up to date"));
    // Written again whole: looked at again.
    writeImage(drive + QStringLiteral("/broken.jpg"), Qt::green, "JPG", QSize(64, 64));
    EXPECT_EQ(runSync(l), QStringLiteral("Synced 1 new"));
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("broken.png"), QStringLiteral("good.png")}));
    // Forgetting the location forgets what its syncs learned.
    EXPECT_TRUE(QFile::exists(SourceLedger::fileFor(l.id)));
    SyncLocation::remove(l.id, *bench.settings);
    EXPECT_FALSE(QFile::exists(SourceLedger::fileFor(l.id)));
}

TEST_F(SyncRun, NamesHeldByRecordsAreNeverReused)
{
    // A capture whose image file went missing still owns its name.
    auto* old = bench.context().insert(new Capture(QStringLiteral("IMG.png")));
    old->setTitle(QStringLiteral("Ripple at 5 V"));
    old->setNotes(QStringLiteral("before the repair"));
    old->setMode(QStringLiteral("DC Voltage"));
    bench.context().save();
    const QString drive = bench.root + QStringLiteral("/drive");
    SyncLocation l = bench.savedLocation(QStringLiteral("Scope"), drive);
    writeImage(drive + QStringLiteral("/IMG.bmp"), Qt::magenta, "BMP");
    EXPECT_EQ(runSync(l), QStringLiteral("Synced 1 new"));
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("IMG (2).png")});
    EXPECT_EQ(old->title(), QStringLiteral("Ripple at 5 V"));
    EXPECT_EQ(old->notes(), QStringLiteral("before the repair"));
    EXPECT_EQ(old->mode(), QStringLiteral("DC Voltage"));
    EXPECT_EQ(captureTitles(), (QStringList{QStringLiteral("Ripple at 5 V"), QStringLiteral("unnamed_IMG (2)")}));
}

TEST_F(SyncRun, ADrivePulledWhileTheQuestionIsOpenIsNotConnected)
{
    const QString drive = bench.mediaRoot + QStringLiteral("/SCOPE");
    SyncLocation l = mountedScope([](SyncLocation&) {});
    FakeUdisks udisks({QStringLiteral("ok")});
    model->setEjectProgram(udisks.program);
    touchFiles(drive, QStringLiteral("e%1.png"), 1000);
    SyncPrompts::setLargeBatchQuestion([&](qint64, const QString&) {
        bench.mount({});  // unplugged: the mount is gone, and so is its folder
        QDir(drive).removeRecursively();
        return true;
    });
    EXPECT_EQ(runSync(l), QStringLiteral("Scope not connected"));
    corvallen::test::processEvents();
    EXPECT_TRUE(udisks.calls().isEmpty());
    EXPECT_FALSE(model->connectedLocationIDs().contains(l.id));
}

TEST_F(SyncRun, ADrivePulledDuringTheImportSaysSo)
{
    const QString drive = bench.mediaRoot + QStringLiteral("/SCOPE");
    SyncLocation l = mountedScope([](SyncLocation& l) {
        l.scanWholeDrive = false;
        l.subfolder = QStringLiteral("DCIM");
    });
    FakeUdisks udisks({QStringLiteral("ok")});
    model->setEjectProgram(udisks.program);
    const QString dcim = drive + QStringLiteral("/DCIM");
    QDir().mkpath(dcim);
    for (int i = 0; i < 4; ++i)
        writeImage(dcim + QStringLiteral("/s%1.png").arg(i), QColor::fromRgb(40 * i, 0, 0), "PNG", QSize(6, 6));
    // A file whose read hangs until the test lets it end, as a slow drive's would.
    const QString slow = dcim + QStringLiteral("/slow.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(slow).constData(), 0600), 0);
    const QStringList order = DeviceStorage::scanImageFiles(drive, QStringLiteral("DCIM"), {QStringLiteral("png")});
    const qsizetype before = order.indexOf(slow);
    ASSERT_GE(before, 0);

    model->sync(l, false);
    int writer = -1;
    ASSERT_TRUE(waitUntil([&] {
        writer = ::open(QFile::encodeName(slow).constData(), O_WRONLY | O_NONBLOCK);  // succeeds once the import reads
        return writer >= 0;
    }));
    bench.mount({});  // pulled
    ::close(writer);  // the hanging read ends empty
    ASSERT_TRUE(waitUntil([&] { return !model->syncProgress(); }));
    EXPECT_EQ(model->lastSyncSummary(), before == 0 ? QStringLiteral("Scope not connected")
                                                    : QStringLiteral("Stopped \u2014 %1 imported (the drive went away)").arg(before));
    EXPECT_EQ(captureFiles().size(), before);  // nothing after the pull, and no half-placed file
    EXPECT_EQ(bench.context().fetchCount<Capture>(), before);
    corvallen::test::processEvents();
    EXPECT_TRUE(udisks.calls().isEmpty());
}

TEST_F(SyncRun, StoppingDuringTheImportKeepsWhatWasWrittenAndNeverEjects)
{
    const QString drive = bench.root + QStringLiteral("/drive");
    SyncLocation l = bench.savedLocation(QStringLiteral("Scope"), drive);
    l.ejectAfterSync = true;
    for (int i = 0; i < 30; ++i)
        writeImage(drive + QStringLiteral("/f%1.png").arg(i, 2, 10, QLatin1Char('0')), QColor::fromRgb(i * 8, 0, 0), "PNG",
                   QSize(8, 8));
    FakeUdisks udisks({QStringLiteral("ok")});
    model->setEjectProgram(udisks.program);
    // Stop as soon as the first progress of the import arrives.
    QObject::connect(model.get(), &AppModel::syncProgressChanged, [&] {
        const auto p = model->syncProgress();
        if (p && p->phase == SyncProgress::Phase::importing && model->currentSyncTask())
            model->currentSyncTask()->cancel();
    });
    const QString summary = runSync(l);
    const qint64 written = captureFiles().size();
    EXPECT_LT(written, 30);
    EXPECT_EQ(summary, written == 0 ? QStringLiteral("Sync cancelled") : QStringLiteral("Stopped \u2014 %1 imported").arg(written));
    EXPECT_EQ(bench.context().fetchCount<Capture>(), written);
    EXPECT_EQ(DeviceStorage::knownHashes(*bench.settings).size(), written);
    corvallen::test::processEvents();
    EXPECT_TRUE(udisks.calls().isEmpty());
}

TEST_F(SyncRun, OnlyOneRunAtATime)
{
    const QString a = bench.root + QStringLiteral("/a");
    const QString b = bench.root + QStringLiteral("/b");
    SyncLocation first = bench.savedLocation(QStringLiteral("A"), a);
    SyncLocation second = bench.savedLocation(QStringLiteral("B"), b);
    writeImage(a + QStringLiteral("/one.png"), Qt::red);
    writeImage(b + QStringLiteral("/two.png"), Qt::green);
    model->sync(first, false);
    const auto task = model->currentSyncTask();
    model->sync(second, false);  // ignored
    EXPECT_EQ(model->currentSyncTask(), task);
    EXPECT_EQ(model->syncProgress()->location, QStringLiteral("A"));
    ASSERT_TRUE(waitUntil([&] { return !model->syncProgress(); }));
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("one.png")});
}

TEST_F(SyncRun, SummaryTexts)
{
    auto text = [](AppModel::RunOutcome o) { return AppModel::summaryText(o, QStringLiteral("Bench"), QStringLiteral("Bench")); };
    EXPECT_EQ(text({.cancelled = true}), QStringLiteral("Sync cancelled"));
    EXPECT_EQ(text({.cancelled = true, .full = true, .imported = 3}), QStringLiteral("Stopped \u2014 3 imported"));
    EXPECT_EQ(AppModel::summaryText({.full = true}, QString(), QStringLiteral("Location")), QStringLiteral(": 0 imported"));
    EXPECT_EQ(text({}), QStringLiteral("Up to date"));
    EXPECT_EQ(text({.imported = 12}), QStringLiteral("Synced 12 new"));
    EXPECT_EQ(text({.imported = 12, .unreadable = 2, .moreRemain = true}),
              QStringLiteral("Synced 12 new \u2014 2 files couldn't be read; more remain, sync again for the rest"));
    // Pictures the library couldn't take (a full disk) are no "Up to date".
    EXPECT_EQ(text({.unwritten = 1}), QStringLiteral("Nothing new \u2014 1 picture couldn't be saved to the library"));
    EXPECT_EQ(text({.imported = 2, .unreadable = 1, .unwritten = 3}),
              QStringLiteral("Synced 2 new \u2014 1 file couldn't be read; 3 pictures couldn't be saved to the library"));
    EXPECT_EQ(text({.full = true, .imported = 5000, .moreRemain = true}),
              QStringLiteral("Bench: 5000 imported \u2014 more remain, Sync New takes the rest"));
    // A drive that went away is neither success nor a plain stop.
    EXPECT_EQ(text({.imported = 4, .driveGone = true}), QStringLiteral("Stopped \u2014 4 imported (the drive went away)"));
    EXPECT_EQ(AppModel::summaryText({.cancelled = true, .driveGone = true}, QString(), QStringLiteral("Location")),
              QStringLiteral("Location not connected"));
}
