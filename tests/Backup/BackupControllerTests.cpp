#include "BackupTestKit.h"

#include "Corvallen/Backup/BackupController.h"
#include "Corvallen/Backup/Relaunch.h"
#include "Corvallen/Backup/StagedRestore.h"
#include "Corvallen/Backup/ZipReader.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContext.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>

using namespace backuptest;
using corvallen::test::waitUntil;

namespace {

class BackupControllerTest : public BackupTest {
protected:
    void TearDown() override
    {
        // Never let a test process start another one when it exits.
        Relaunch::cancel();
        BackupTest::TearDown();
    }
    bool idle() { return waitUntil([&] { return !controller.isWorking(); }); }

    // An archive of the older whole-store kind holding one component.
    QString legacyArchive()
    {
        const QString file = corvallen::test::freshFolder(QStringLiteral("legacy")) + QStringLiteral("/Corvallen.store");
        {
            auto store = ModelContainer::open(file, corvallenSchema());
            store->mainContext().insert(new Component(QStringLiteral("Staged part")));
            EXPECT_TRUE(store->mainContext().save());
        }
        return zipFiles({{QStringLiteral("Corvallen.store"), readBytes(file)}});
    }

    BackupController controller;
};

TEST_F(BackupControllerTest, OneJobAtATimeAndEachOutcomeWaitsToBeShown)
{
    populate(context(), data());
    const QString destination = corvallen::test::freshFolder(QStringLiteral("out")) + QStringLiteral("/b.zip");
    ASSERT_TRUE(controller.exportBackup(context(), BackupSelection::all(), destination, QStringLiteral("1"), QStringLiteral("1")));
    EXPECT_EQ(controller.job(), BackupController::Job::exporting);
    EXPECT_EQ(controller.status(), QStringLiteral("Exporting\u2026"));
    // Nothing else starts meanwhile, whatever it is.
    EXPECT_FALSE(controller.exportBackup(context(), BackupSelection::all(), destination, QStringLiteral("1"), QStringLiteral("1")));
    EXPECT_FALSE(controller.inspect(destination));
    EXPECT_FALSE(controller.restore(context(), destination, BackupSelection::all()));
    EXPECT_FALSE(controller.stageLegacyRestore(destination));
    ASSERT_TRUE(idle());
    EXPECT_EQ(controller.status(), QStringLiteral("Saved b.zip"));
    EXPECT_FALSE(controller.isOutcomeShown());

    // The inspection leaves its archive to decide on, and no outcome of its own.
    controller.markOutcomeShown();
    int choices = 0;
    QObject::connect(&controller, &BackupController::choiceReady, [&] { ++choices; });
    ASSERT_TRUE(controller.inspect(destination));
    EXPECT_LT(controller.progress(), 0);
    ASSERT_TRUE(idle());
    EXPECT_EQ(choices, 1);
    EXPECT_TRUE(controller.isOutcomeShown());
    ASSERT_TRUE(controller.pendingChoice());
    EXPECT_FALSE(controller.pendingChoice()->info.isLegacy);
    const std::optional<BackupController::Choice> choice = controller.takePendingChoice();
    ASSERT_TRUE(choice);
    EXPECT_FALSE(controller.pendingChoice());

    ASSERT_TRUE(controller.restore(context(), choice->archive, BackupSelection{false, true, false, false, true}));
    ASSERT_TRUE(idle());
    EXPECT_EQ(controller.status(), QStringLiteral("Restored 2 components, settings. Language changes apply on next launch."));
    EXPECT_FALSE(controller.isOutcomeShown());
}

// Links the user placed in the data folders are never followed into an archive, wherever they
// point (a picture elsewhere, a folder elsewhere, a file beside them); the outcome says how many
// were left out.
TEST_F(BackupControllerTest, AnExportLeavesLinksOutAndSaysHowMany)
{
    populate(context(), data());
    const QString elsewhere = corvallen::test::freshFolder(QStringLiteral("elsewhere"));
    writeBytes(elsewhere + QStringLiteral("/private.png"), "not the user's data");
    ASSERT_TRUE(QFile::link(elsewhere + QStringLiteral("/private.png"), data(QStringLiteral("captures/linked.png"))));
    ASSERT_TRUE(QFile::link(elsewhere, data(QStringLiteral("documents/folder"))));
    writeBytes(data(QStringLiteral("components/own.pdf")), "own");
    ASSERT_TRUE(QFile::link(data(QStringLiteral("components/own.pdf")), data(QStringLiteral("components/beside.pdf"))));

    const QString destination = corvallen::test::freshFolder(QStringLiteral("out")) + QStringLiteral("/c.zip");
    ASSERT_TRUE(controller.exportBackup(context(), BackupSelection::all(), destination, QStringLiteral("1"), QStringLiteral("1")));
    ASSERT_TRUE(idle());
    EXPECT_EQ(controller.status(), QStringLiteral("Saved c.zip (links in the data folders left out: 3)"));
    QStringList names;
    const ZipReader archive(destination);
    for (const ZipReader::Entry& e : archive.entries())
        names << e.name;
    EXPECT_TRUE(names.contains(QStringLiteral("components/own.pdf"))) << names.join(u' ').toStdString();
    for (const char* left : {"/linked.png", "/folder", "/beside.pdf", "/private.png"})
        EXPECT_TRUE(names.filter(QLatin1String(left)).isEmpty()) << left << " in " << names.join(u' ').toStdString();
}

TEST_F(BackupControllerTest, AStagedRestoreRelaunchesOrWaitsForTheNextLaunchWhenTheApplicationStays)
{
    const QString archive = legacyArchive();
    int quits = 0;
    bool accept = false;
    controller.setQuitForRelaunch([&] {
        ++quits;
        return accept;
    });

    // A window kept the application open: nothing is left "Restoring…", no second instance
    // is due, and the staged restore waits for whenever Corvallen next starts.
    ASSERT_TRUE(controller.stageLegacyRestore(archive));
    ASSERT_TRUE(idle());
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(Relaunch::startRequested()) << "no second instance is due";
    EXPECT_TRUE(StagedRestore::hasPendingRestore());
    EXPECT_TRUE(controller.status().startsWith(QStringLiteral("The restore is ready and finishes the next time Corvallen starts.")))
        << controller.status().toStdString();

    accept = true;
    ASSERT_TRUE(controller.stageLegacyRestore(archive));
    ASSERT_TRUE(waitUntil([&] { return quits == 2; }));
    EXPECT_EQ(controller.job(), BackupController::Job::relaunching);
    EXPECT_EQ(controller.status(), QStringLiteral("Restoring\u2026"));

    // A staging that fails says so and leaves the application as it is.
    BackupController other;
    ASSERT_TRUE(other.stageLegacyRestore(zipFiles({{QStringLiteral("notes.txt"), "no store"}})));
    ASSERT_TRUE(waitUntil([&] { return !other.isWorking(); }));
    EXPECT_TRUE(other.status().startsWith(QStringLiteral("Restore failed: "))) << other.status().toStdString();
}

}  // namespace
