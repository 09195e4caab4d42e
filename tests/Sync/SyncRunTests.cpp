// Whole sync runs through the application model against real folders: summaries, the library
// reconcile, the large-batch question, stopping, the not-connected outcome, eject after sync and
// the one-run-at-a-time rule.
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Platform/VolumeMonitor.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/FolderGrants.h"
#include "Corvallen/Sync/SyncPrompts.h"
#include "Sync/SyncTestKit.h"
#include "support/EventLoop.h"

#include <QDir>
#include <QFile>

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
    EXPECT_EQ(bench.context().fetchCount<Capture>(), 3);  // the capture of B was still there
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
    const QString drive = bench.root + QStringLiteral("/drive");
    SyncLocation l = bench.savedLocation(QString(), drive);
    for (int i = 0; i < 998; ++i)
        writeFile(drive + QStringLiteral("/empty%1.png").arg(i), {});  // found by the scan, not images
    writeImage(drive + QStringLiteral("/real.png"), Qt::red);
    QList<std::pair<qint64, QString>> asked;
    bool answer = false;
    SyncPrompts::setLargeBatchQuestion([&](qint64 count, const QString& name) {
        asked << std::make_pair(count, name);
        return answer;
    });
    EXPECT_EQ(runSync(l), QStringLiteral("Synced 1 new"));  // 999 files: no question
    EXPECT_TRUE(asked.isEmpty());

    clearCaptures();
    writeImage(drive + QStringLiteral("/real2.png"), Qt::green);  // now 1000
    writeImage(DeviceStorage::capturesFolder() + QStringLiteral("/kept.png"), Qt::blue);
    EXPECT_EQ(runSync(l), QStringLiteral("Sync cancelled"));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], std::make_pair(qint64(1000), QStringLiteral("Location")));
    // Declining still reconciles what was already in the folder.
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("kept.png")});
    EXPECT_EQ(bench.context().fetchCount<Capture>([](const Capture* c) { return c->fileName() == QStringLiteral("kept.png"); }), 1);

    answer = true;
    EXPECT_EQ(runSync(l), QStringLiteral("Synced 1 new"));  // real.png is known already

    // A stop pressed while the question is open takes effect in the import.
    SyncPrompts::setLargeBatchQuestion([&](qint64, const QString&) {
        model->currentSyncTask()->cancel();
        return true;
    });
    writeImage(drive + QStringLiteral("/real3.png"), Qt::yellow);
    EXPECT_EQ(runSync(l), QStringLiteral("Sync cancelled"));
    EXPECT_FALSE(captureFiles().contains(QStringLiteral("real3.png")));
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
    EXPECT_EQ(AppModel::summaryText(true, false, 0, QStringLiteral("X")), QStringLiteral("Sync cancelled"));
    EXPECT_EQ(AppModel::summaryText(true, true, 3, QStringLiteral("X")), QStringLiteral("Stopped \u2014 3 imported"));
    EXPECT_EQ(AppModel::summaryText(false, true, 0, QString()), QStringLiteral(": 0 imported"));
    EXPECT_EQ(AppModel::summaryText(false, false, 0, QStringLiteral("X")), QStringLiteral("Up to date"));
    EXPECT_EQ(AppModel::summaryText(false, false, 12, QStringLiteral("X")), QStringLiteral("Synced 12 new"));
}
