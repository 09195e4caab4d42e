#include "BackupTestKit.h"

#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/BackupData.h"
#include "Corvallen/Backup/BackupExport.h"
#include "Corvallen/Backup/SelectiveRestore.h"
#include "Corvallen/Backup/SnapshotWriter.h"
#include "Corvallen/Backup/StagedRestore.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Store/ModelContext.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <csignal>

#include <sqlite3.h>
#include <sys/resource.h>

using namespace backuptest;

namespace {

class StagedRestoreTest : public BackupTest {
protected:
    // A folder holding a real store with one component of the given name. With `keepLog` the
    // store's files are taken while it is open, so the archive carries a "-wal" that holds the
    // record (as a copy of a running application's store does).
    QString legacyStore(const QString& partName, bool keepLog = false)
    {
        const QString folder = corvallen::test::freshFolder(QStringLiteral("legacy"));
        const QString live = corvallen::test::freshFolder(QStringLiteral("legacy-live")) + QStringLiteral("/Corvallen.store");
        QString error;
        auto store = ModelContainer::open(live, corvallenSchema(), &error);
        EXPECT_TRUE(store) << error.toStdString();
        store->mainContext().setAutosaveEnabled(false);
        store->mainContext().insert(new Component(partName));
        EXPECT_TRUE(store->mainContext().save());
        if (!keepLog)
            store.reset();
        for (const char* suffix : {"", "-wal", "-shm"})
            if (QFileInfo::exists(live + QLatin1String(suffix)))
                QFile::copy(live + QLatin1String(suffix), folder + QStringLiteral("/Corvallen.store") + QLatin1String(suffix));
        return folder + QStringLiteral("/Corvallen.store");
    }

    QStringList componentNames()
    {
        QStringList names;
        for (const Component* c : context().fetch<Component>())
            names << c->name();
        names.sort();
        return names;
    }

    QString pending() const { return data(QStringLiteral("pending-restore")); }
};

TEST_F(StagedRestoreTest, StagesFromTheStoresFolderAndSwapsAtTheNextLaunch)
{
    populate(context(), data());
    const QString store = legacyStore(QStringLiteral("Legacy part"), true);
    ASSERT_TRUE(QFileInfo::exists(store + QStringLiteral("-wal")));
    const QString archive = zipFiles({{QStringLiteral("old/inner/Corvallen.store"), readBytes(store)},
                                      {QStringLiteral("old/inner/Corvallen.store-wal"), readBytes(store + QStringLiteral("-wal"))},
                                      {QStringLiteral("old/inner/documents/only.pdf"), "staged document"},
                                      {QStringLiteral("old/captures/elsewhere.png"), "not beside the store"}});
    EXPECT_TRUE(BackupBundle::inspect(archive).isLegacy);
    const QStringList live = describeStore(context());

    StagedRestore::stageLegacyRestore(archive);

    // Staged beside the live data, which is untouched; the "pre-restore" snapshot was taken.
    EXPECT_TRUE(StagedRestore::hasPendingRestore());
    EXPECT_EQ(QDir(pending()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"Corvallen.store", "Corvallen.store-wal", "documents"}));
    EXPECT_EQ(describeStore(context()), live);
    const QStringList snaps = QDir(data(QStringLiteral("backups"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(snaps.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^pre-restore-\\d{8}-\\d{6}$")).match(snaps.first()).hasMatch());
    EXPECT_TRUE(temporaryLeftovers(tmp).filter(QStringLiteral("CorvallenRestore-")).isEmpty());
    EXPECT_EQ(dataFolderLeftovers(data()), QStringList{QStringLiteral("pending-restore")});

    // The next launch: the store is closed; stale companions of the old store are about.
    closeStore();
    writeBytes(data(QStringLiteral("Corvallen.store-shm")), "stale");
    const auto captures = folderContents(data(QStringLiteral("captures")));
    const auto components = folderContents(data(QStringLiteral("components")));
    StagedRestore::applyPendingRestoreIfNeeded();

    EXPECT_FALSE(QFileInfo::exists(pending()));
    EXPECT_FALSE(QFileInfo::exists(data(QStringLiteral("Corvallen.store-shm"))));
    EXPECT_TRUE(QFileInfo::exists(data(QStringLiteral("Corvallen.store-wal"))));
    EXPECT_EQ(folderContents(data(QStringLiteral("documents"))), (QMap<QString, QByteArray>{{QStringLiteral("only.pdf"), "staged document"}}));
    EXPECT_EQ(folderContents(data(QStringLiteral("captures"))), captures);
    EXPECT_EQ(folderContents(data(QStringLiteral("components"))), components);
    // Until the store has opened, the swap keeps the record of what it replaced, and the
    // replaced data itself.
    const QStringList awaiting = dataFolderLeftovers(data());
    ASSERT_EQ(awaiting.size(), 2) << awaiting.join(u' ').toStdString();
    EXPECT_TRUE(awaiting[0].startsWith(QStringLiteral(".restore-previous-"))) << awaiting[0].toStdString();
    EXPECT_EQ(awaiting[1], QStringLiteral("restore-swap.json"));
    reopenStore();
    StagedRestore::acceptRestoredStore();
    EXPECT_TRUE(dataFolderLeftovers(data()).isEmpty()) << dataFolderLeftovers(data()).join(u' ').toStdString();
    EXPECT_EQ(componentNames(), QStringList{QStringLiteral("Legacy part")});
}

TEST_F(StagedRestoreTest, ASwappedInStoreIsTakenBackAsTheDataWasJustBeforeTheSwap)
{
    populate(context(), data());
    StagedRestore::stageLegacyRestore(zipFiles({{QStringLiteral("Corvallen.store"), readBytes(legacyStore(QStringLiteral("Staged")))},
                                               {QStringLiteral("documents/only.pdf"), "staged document"},
                                               {QStringLiteral("captures/new.png"), "staged capture"}}));
    // The relaunch was refused; the user goes on working for days before a launch swaps.
    context().insert(new Component(QStringLiteral("Bought after the staging")));
    ASSERT_TRUE(context().save());
    writeBytes(data(QStringLiteral("captures/later.png")), "taken after the staging");
    writeBytes(data(QStringLiteral("documents/later.pdf")), "filed after the staging");
    const QStringList live = describeStore(context());
    QMap<QString, QMap<QString, QByteArray>> folders;
    for (const QString& n : BackupData::dataFolderNames())
        folders.insert(n, folderContents(data(n)));
    closeStore();
    EXPECT_FALSE(StagedRestore::revertRestoredStore());  // nothing swapped yet
    StagedRestore::applyPendingRestoreIfNeeded();
    ASSERT_EQ(readBytes(data(QStringLiteral("captures/new.png"))), QByteArray("staged capture"));
    // That launch stopped before its store opened; the next one keeps the way back.
    StagedRestore::applyPendingRestoreIfNeeded();

    QString snapshot = QStringLiteral("unset");
    ASSERT_TRUE(StagedRestore::revertRestoredStore(&snapshot));
    EXPECT_EQ(snapshot, QString());
    for (const QString& n : BackupData::dataFolderNames())
        EXPECT_EQ(folderContents(data(n)), folders.value(n)) << n.toStdString();
    EXPECT_TRUE(dataFolderLeftovers(data()).isEmpty()) << dataFolderLeftovers(data()).join(u' ').toStdString();
    EXPECT_FALSE(StagedRestore::revertRestoredStore());  // once only
    reopenStore();
    EXPECT_EQ(describeStore(context()), live);
}

TEST_F(StagedRestoreTest, AStoreWithoutCompanionsDropsTheLiveOnesAndKeepsTheFolders)
{
    populate(context(), data());
    const QString archive = zipFiles({{QStringLiteral("Corvallen.store"), readBytes(legacyStore(QStringLiteral("Only part")))}});
    StagedRestore::stageLegacyRestore(archive);
    const auto folders = folderContents(data(QStringLiteral("documents")));
    closeStore();
    writeBytes(data(QStringLiteral("Corvallen.store-wal")), "stale log");
    StagedRestore::applyPendingRestoreIfNeeded();
    EXPECT_FALSE(QFileInfo::exists(data(QStringLiteral("Corvallen.store-wal"))));
    EXPECT_EQ(folderContents(data(QStringLiteral("documents"))), folders);
    reopenStore();
    EXPECT_EQ(componentNames(), QStringList{QStringLiteral("Only part")});
}

TEST_F(StagedRestoreTest, StagingAgainReplacesTheEarlierStagedRestore)
{
    StagedRestore::stageLegacyRestore(zipFiles({{QStringLiteral("Corvallen.store"), readBytes(legacyStore(QStringLiteral("First")))},
                                               {QStringLiteral("captures/first.png"), "1"}}));
    StagedRestore::stageLegacyRestore(zipFiles({{QStringLiteral("Corvallen.store"), readBytes(legacyStore(QStringLiteral("Second")))}}));
    EXPECT_FALSE(QFileInfo::exists(pending() + QStringLiteral("/captures")));
    closeStore();
    StagedRestore::applyPendingRestoreIfNeeded();
    reopenStore();
    EXPECT_EQ(componentNames(), QStringList{QStringLiteral("Second")});
    EXPECT_FALSE(QFileInfo::exists(data(QStringLiteral("captures/first.png"))));
}

TEST_F(StagedRestoreTest, RefusesArchivesWithoutAUsableStoreAndTakesNoSnapshot)
{
    populate(context(), data());
    // A store written by a newer version of the application.
    const QString newer = legacyStore(QStringLiteral("Future"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(newer).constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    // Stores of a known version whose tables are not the ones this program reads and writes:
    // one of another application entirely, one of ours with a column gone. Both pass SQLite's
    // integrity check, as does the one with a trigger below.
    const QString foreign = corvallen::test::freshFolder(QStringLiteral("foreign")) + QStringLiteral("/Corvallen.store");
    ASSERT_EQ(sqlite3_open(QFile::encodeName(foreign).constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT); PRAGMA user_version = 1", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const QString narrowed = legacyStore(QStringLiteral("Narrowed"));
    ASSERT_EQ(sqlite3_open(QFile::encodeName(narrowed).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "ALTER TABLE Capture DROP COLUMN title", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    // One of ours with a trigger that would empty the inventory at the first part added.
    const QString triggered = legacyStore(QStringLiteral("Triggered"));
    ASSERT_EQ(sqlite3_open(QFile::encodeName(triggered).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TRIGGER wipe AFTER INSERT ON Component BEGIN DELETE FROM Component WHERE pk <> NEW.pk; END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    const QByteArray manifest = R"({"schemaVersion":1,"createdAt":"2025-03-01T09:30:00Z","appVersion":"1.0","counts":{}})";
    const QList<std::pair<QString, QString>> cases{
        {zipFiles({{QStringLiteral("manifest.json"), manifest}}), QStringLiteral("That doesn't look like a Corvallen backup (no data store inside).")},
        {zipFiles({{QStringLiteral("Corvallen.store"), noise(8192, 5)}}), QStringLiteral("The data store in that backup can't be used")},
        {zipFiles({{QStringLiteral("Corvallen.store"), readBytes(newer)}}), QStringLiteral("schema version")},
        {zipFiles({{QStringLiteral("Corvallen.store"), readBytes(foreign)}}), QStringLiteral("The data store in that backup can't be used: ")},
        {zipFiles({{QStringLiteral("Corvallen.store"), readBytes(narrowed)}}), QStringLiteral("title")},
        {zipFiles({{QStringLiteral("Corvallen.store"), readBytes(triggered)}}), QStringLiteral("a trigger, “wipe”")},
    };
    for (const auto& [archive, message] : cases) {
        try {
            StagedRestore::stageLegacyRestore(archive);
            ADD_FAILURE() << "staged " << message.toStdString();
        } catch (const BackupError& e) {
            EXPECT_EQ(e.domain(), QStringLiteral("Corvallen.Backup"));
            EXPECT_TRUE(e.localizedDescription().contains(message)) << e.what();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(pending()));
    EXPECT_FALSE(QFileInfo::exists(data(QStringLiteral("backups"))));
    EXPECT_TRUE(dataFolderLeftovers(data()).isEmpty());
    EXPECT_TRUE(temporaryLeftovers(tmp).filter(QStringLiteral("CorvallenRestore-")).isEmpty());
}

TEST_F(StagedRestoreTest, LaunchWithoutAStagedStoreChangesNothing)
{
    populate(context(), data());
    closeStore();
    const auto before = folderContents(data());
    StagedRestore::applyPendingRestoreIfNeeded();
    EXPECT_EQ(folderContents(data()), before);

    // A staging folder without its store file is dropped, and nothing else is touched.
    writeBytes(pending() + QStringLiteral("/captures/x.png"), "x");
    writeBytes(data(QStringLiteral("pending-restore.incoming-1/Corvallen.store")), "half staged");
    StagedRestore::applyPendingRestoreIfNeeded();
    EXPECT_EQ(folderContents(data()), before);
}

TEST_F(StagedRestoreTest, ASwapThatFailsMidwayLeavesLiveDataAsItWasSaysWhyAndIsNotTriedAgainLater)
{
    populate(context(), data());
    StagedRestore::stageLegacyRestore(zipFiles({{QStringLiteral("Corvallen.store"), readBytes(legacyStore(QStringLiteral("Staged")))},
                                               {QStringLiteral("components/small.pdf"), "small"},
                                               {QStringLiteral("captures/big.png"), noise(400000, 9)}}));
    closeStore();
    auto live = folderContents(data());
    ASSERT_TRUE(live.contains(QStringLiteral("pending-restore/captures/big.png")));

    // The file size limit lets the store and the small folder through and stops the big file.
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 200000;
    ASSERT_LT(QFileInfo(pending() + QStringLiteral("/Corvallen.store")).size(), 200000);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const QString why = StagedRestore::applyPendingRestoreIfNeeded();
    ::setrlimit(RLIMIT_FSIZE, &old);

    // Said, and nothing of the live data changed. The staged restore goes: kept, it would replace
    // whatever the user does from now on at some later launch without a word.
    EXPECT_FALSE(why.isEmpty());
    for (auto it = live.begin(); it != live.end();)
        it = it.key().startsWith(QStringLiteral("pending-restore")) ? live.erase(it) : std::next(it);
    EXPECT_EQ(folderContents(data()), live);
    EXPECT_FALSE(StagedRestore::hasPendingRestore());
    reopenStore();
    EXPECT_EQ(context().fetchCount<Component>(), 2);
    context().insert(new Component(QStringLiteral("Added after the failed restore")));
    ASSERT_TRUE(context().save());
    closeStore();

    // The next launch finds nothing to do, and the work done meanwhile stays.
    EXPECT_TRUE(StagedRestore::applyPendingRestoreIfNeeded().isEmpty());
    reopenStore();
    EXPECT_EQ(context().fetchCount<Component>(), 3);
    EXPECT_TRUE(dataFolderLeftovers(data()).isEmpty()) << dataFolderLeftovers(data()).join(u' ').toStdString();
}

TEST_F(StagedRestoreTest, SnapshotCopiesTheItemsThatExist)
{
    writeBytes(data(QStringLiteral("documents/a.pdf")), "a");
    closeStore();
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(data(QStringLiteral("Corvallen.store")) + QLatin1String(suffix));
    EXPECT_EQ(SnapshotWriter::storeItems(), QStringList{data(QStringLiteral("documents"))});
    const QString snap = SnapshotWriter::snapshot(QStringLiteral("pre-restore"));
    EXPECT_EQ(folderContents(snap), (QMap<QString, QByteArray>{{QStringLiteral("documents/"), {}}, {QStringLiteral("documents/a.pdf"), "a"}}));

    reopenStore();
    populate(context(), data());
    EXPECT_EQ(SnapshotWriter::storeItems(), (QStringList{data(QStringLiteral("Corvallen.store")), data(QStringLiteral("Corvallen.store-wal")),
                                                       data(QStringLiteral("Corvallen.store-shm")), data(QStringLiteral("captures")),
                                                       data(QStringLiteral("components")), data(QStringLiteral("documents"))}));
    // Through a connection of its own while the store is open here: a consistent copy.
    const QStringList live = describeStore(context());
    for (const QString& s : {SnapshotWriter::snapshot(QStringLiteral("plain"))}) {
        EXPECT_FALSE(QFileInfo::exists(s + QStringLiteral("/Corvallen.store-wal")));
        EXPECT_EQ(folderContents(s + QStringLiteral("/captures")), folderContents(data(QStringLiteral("captures"))));
        const QString copy = corvallen::test::freshFolder(QStringLiteral("snap")) + QStringLiteral("/Corvallen.store");
        QFile::copy(s + QStringLiteral("/Corvallen.store"), copy);
        QString error;
        auto opened = ModelContainer::open(copy, corvallenSchema(), &error);
        ASSERT_TRUE(opened) << error.toStdString();
        EXPECT_EQ(describeStore(opened->mainContext()), live);
    }
}

TEST_F(StagedRestoreTest, AsyncEntryPointsReportProgressAndHandResultsBack)
{
    populate(context(), data());
    const QStringList before = describeStore(context());
    const QString destination = corvallen::test::freshFolder(QStringLiteral("saved")) + QStringLiteral("/Corvallen-backup-20250301-093000.zip");
    writeBytes(destination, "an older file the user chose to replace");
    QFuture<BackupExport::Outcome> exported = BackupExport::exportArchiveAsync(BackupSelection::all(), context(), QStringLiteral("1"),
                                                                 QStringLiteral("1"), destination);
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return exported.isFinished(); }));
    EXPECT_EQ(exported.result().archive, destination);
    EXPECT_EQ(exported.result().linksLeftOut, 0);
    EXPECT_EQ(exported.progressValue(), 1000);
    QString out;
    EXPECT_TRUE(run(QStringLiteral("unzip"), {QStringLiteral("-t"), destination}, &out)) << out.toStdString();
    EXPECT_TRUE(temporaryLeftovers(tmp).isEmpty()) << temporaryLeftovers(tmp).join(u' ').toStdString();

    switchToFreshDataFolder();
    QFuture<RestoreSummary> restored = SelectiveRestore::restoreAsync(destination, BackupSelection::all(), context());
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return restored.isFinished(); }));
    EXPECT_EQ(restored.result().captures, 3);
    EXPECT_EQ(describeStore(context()), before);
    EXPECT_TRUE(temporaryLeftovers(tmp).isEmpty());
    EXPECT_TRUE(dataFolderLeftovers(data()).isEmpty());

    const QString notAZip = corvallen::test::freshFolder(QStringLiteral("in")) + QStringLiteral("/x.zip");
    writeBytes(notAZip, "nope");
    QFuture<void> staged = StagedRestore::stageLegacyRestoreAsync(notAZip);
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return staged.isFinished(); }));
    EXPECT_THROW(staged.waitForFinished(), BackupError);
    QFuture<RestoreSummary> refused = SelectiveRestore::restoreAsync(notAZip, BackupSelection::all(), context());
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return refused.isFinished(); }));
    EXPECT_THROW(refused.waitForFinished(), BackupError);
}

}  // namespace
