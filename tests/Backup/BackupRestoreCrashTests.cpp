#include "BackupTestKit.h"

#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/BackupData.h"
#include "Corvallen/Backup/BackupExport.h"
#include "Corvallen/Backup/RestoreJournal.h"
#include "Corvallen/Backup/StagedRestore.h"
#include "Corvallen/Backup/ZipReader.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <csignal>

#include <sqlite3.h>

using namespace backuptest;

// A selective restore killed at a chosen point, in a child process (this same test program):
// after the next launch's recovery the store, the data folders and the settings are all as
// they were before the restore, or all as the archive has them.

namespace {

const char* const kPoint = "CORVALLEN_CRASH_POINT";
const char* const kArchive = "CORVALLEN_CRASH_ARCHIVE";
const char* const kDataHome = "CORVALLEN_CRASH_DATA_HOME";
const char* const kConfigHome = "CORVALLEN_CRASH_CONFIG_HOME";
const char* const kTemporary = "CORVALLEN_CRASH_TMPDIR";

// The child's side; only runs when the parent below starts it.
TEST(RestoreCrashChild, RestoresUntilKilled)
{
    if (!qEnvironmentVariableIsSet(kPoint))
        GTEST_SKIP() << "started by the RestoreCrash tests";
    qputenv("XDG_DATA_HOME", qgetenv(kDataHome));
    qputenv("XDG_CONFIG_HOME", qgetenv(kConfigHome));
    qputenv("TMPDIR", qgetenv(kTemporary));
    QString error;
    auto container = ModelContainer::open(StoreLocation::storeURL(), corvallenSchema(), &error);
    ASSERT_TRUE(container) << error.toStdString();
    ModelContext& context = container->mainContext();
    context.setAutosaveEnabled(false);
    const QByteArray point = qgetenv(kPoint);
    if (point == "before-commit")  // inside the restore's one transaction, before it is committed
        sqlite3_commit_hook(container->handle(), [](void*) -> int { return ::raise(SIGKILL); }, nullptr);
    else if (point == "after-commit")  // the records are in the store, the folders not yet in place
        QObject::connect(&context, &ModelContext::didSave, [] { ::raise(SIGKILL); });
    else if (point == "after-folders")  // the folders are in place, the settings half written
        QObject::connect(&SettingsStore::shared(), &SettingsStore::changed, [] { ::raise(SIGKILL); });
    restoreAsTheApplicationDoes(qEnvironmentVariable(kArchive), BackupSelection::all(), context);
    FAIL() << "the restore was not interrupted";
}

struct Side {
    QStringList records;
    QMap<QString, QMap<QString, QByteArray>> folders;
    QString theme;
};

class RestoreCrash : public BackupTest, public ::testing::WithParamInterface<const char*> {
protected:
    Side side()
    {
        Side s{describeStore(context()), {}, SettingsStore::shared().textValue(QStringLiteral("appTheme"))};
        for (const QString& n : BackupData::dataFolderNames())
            s.folders.insert(n, folderContents(data(n)));
        return s;
    }
};

TEST_P(RestoreCrash, EndsWithEverythingBeforeOrEverythingAfter)
{
    const QByteArray point = GetParam();
    SettingsStore& settings = SettingsStore::shared();
    settings.setText(QStringLiteral("appTheme"), QStringLiteral("dark"));
    populate(context(), data());
    const Side archived = side();
    const QString staging = BackupExport::exportBackup(BackupSelection::all(), context(), QStringLiteral("1"), QStringLiteral("1"));
    const QString archive = BackupBundle::zipFolder(staging);
    BackupBundle::removeQuietly(staging);

    // The live data moves on: records and files change together.
    settings.setText(QStringLiteral("appTheme"), QStringLiteral("light"));
    Capture* first = context().fetch<Capture>().first();
    first->setTitle(QStringLiteral("retitled after the backup"));
    writeBytes(data(QStringLiteral("captures/") + first->fileName()), "redrawn after the backup");
    context().insert(new Capture(QStringLiteral("later.png")));
    writeBytes(data(QStringLiteral("captures/later.png")), "taken after the backup");
    context().insert(new Component(QStringLiteral("Bought after the backup")));
    writeBytes(data(QStringLiteral("components/later.pdf")), "datasheet");
    ASSERT_TRUE(context().save());
    const Side live = side();
    ASSERT_NE(live.records, archived.records);
    closeStore();

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kPoint), QString::fromLatin1(point));
    env.insert(QString::fromLatin1(kArchive), archive);
    env.insert(QString::fromLatin1(kDataHome), qEnvironmentVariable("XDG_DATA_HOME"));
    env.insert(QString::fromLatin1(kConfigHome), qEnvironmentVariable("XDG_CONFIG_HOME"));
    env.insert(QString::fromLatin1(kTemporary), tmp);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=RestoreCrashChild.*")});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardOutput().toStdString();
    if (point == "after-commit")
        ASSERT_TRUE(QFileInfo::exists(data(RestoreJournal::fileName())));

    // The killed restore's extraction folder is left in the temporary folder; another restore
    // (of another data folder's copy) is still extracting there.
    ASSERT_EQ(temporaryLeftovers(tmp).filter(QStringLiteral("CorvallenRestore-")).size(), 1);
    BackupBundle::Extraction running;
    BackupBundle::extract(ZipReader(archive), QString(), BackupData::dataFolderNames(), running);

    // The next launch.
    StagedRestore::applyPendingRestoreIfNeeded();
    EXPECT_EQ(temporaryLeftovers(tmp).filter(QStringLiteral("CorvallenRestore-")), QStringList{QFileInfo(running.folder).fileName()});
    settings.reload();
    reopenStore();
    const Side after = side();
    const Side& expected = point == "before-commit" ? live : archived;
    EXPECT_EQ(after.records, expected.records);
    EXPECT_EQ(after.folders, expected.folders);
    EXPECT_EQ(after.theme, expected.theme);
    EXPECT_TRUE(dataFolderLeftovers(data()).isEmpty()) << dataFolderLeftovers(data()).join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backup, RestoreCrash, ::testing::Values("before-commit", "after-commit", "after-folders"));

using RestoreLeftovers = BackupTest;

// Folders beside the live ones without a journal come from a restore that stopped before
// anything reached the store: the live folders stay. A journal that a running restore holds is
// left alone with everything it names.
TEST_F(RestoreLeftovers, WithoutAJournalTheLiveFoldersStayAndAHeldJournalIsLeftAlone)
{
    writeBytes(data(QStringLiteral("documents/doc.pdf")), "doc");
    writeBytes(data(QStringLiteral(".documents.restoring-2/half.pdf")), "half");
    writeBytes(data(QStringLiteral(".captures.replaced-1/old.png")), "old");
    // A journal whose writing was cut short.
    writeBytes(data(QLatin1Char('.') + RestoreJournal::fileName() + QStringLiteral(".partial-1")), "{\"token\":");
    closeStore();

    {
        RestoreJournal running = RestoreJournal::begin(data(), {{QStringLiteral("documents"), QStringLiteral(".documents.restoring-2"),
                                                                 QStringLiteral(".documents.replaced-3")}},
                                                       std::nullopt);
        const auto before = folderContents(data());
        StagedRestore::applyPendingRestoreIfNeeded();
        EXPECT_EQ(folderContents(data()), before);
    }  // the restoring process ends without finishing: its journal is now the launch's to decide

    writeBytes(data(QStringLiteral(".restore-swap.json.partial-1")), "{");  // a launch's swap record cut short
    StagedRestore::applyPendingRestoreIfNeeded();
    EXPECT_EQ(folderContents(data(QStringLiteral("documents"))), (QMap<QString, QByteArray>{{QStringLiteral("doc.pdf"), "doc"}}));
    // A folder set aside whose live one is missing comes back rather than being lost.
    EXPECT_EQ(folderContents(data(QStringLiteral("captures"))), (QMap<QString, QByteArray>{{QStringLiteral("old.png"), "old"}}));
    EXPECT_TRUE(dataFolderLeftovers(data()).isEmpty()) << dataFolderLeftovers(data()).join(u' ').toStdString();
}

// A journal left by a crash, decided at the next launch by what the store says: finished when
// its token is there, undone when not, and left for a later launch when the store can't be read
// (locked, damaged), as "can't tell" is never "not committed". A journal naming folders outside
// the data folder is not acted on. When a live folder was made again after the crash beside the
// new one and the one set aside, the side the store belongs to takes the name and the files
// that were added to the live one meanwhile stay.
TEST_F(RestoreLeftovers, AJournalIsDecidedOnlyByAStoreThatCanBeRead)
{
    enum class Store { readable, locked, damaged };
    struct Case {
        const char* name;
        bool committed;
        Store store;
        QString prepared;  // the journal's name for the new folder
        QStringList folders;  // which of "live", "new", "aside" exist at the launch
        QStringList documents;  // the live folder's files afterwards
        QStringList leftovers;  // what else the data folder holds afterwards
    };
    const QString restoring = QStringLiteral(".documents.restoring-1");
    const QString replaced = QStringLiteral(".documents.replaced-1");
    const QList<Case> cases{
        {"committed, the store damaged", true, Store::damaged, restoring, {"live", "new"}, {"old.pdf"},
         {restoring, RestoreJournal::fileName()}},
        {"committed, the store locked", true, Store::locked, restoring, {"live", "new"}, {"old.pdf"},
         {restoring, RestoreJournal::fileName()}},
        {"not committed, the store damaged", false, Store::damaged, restoring, {"aside", "new"}, {},
         {replaced, restoring, RestoreJournal::fileName()}},
        {"a folder outside the data folder", true, Store::readable, QStringLiteral("../outside"), {"live"}, {"old.pdf"}, {}},
        {"committed, all three there", true, Store::readable, restoring, {"live", "new", "aside"}, {"added.pdf", "new.pdf"}, {}},
        {"not committed, all three there", false, Store::readable, restoring, {"live", "new", "aside"}, {"added.pdf", "old.pdf"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        switchToFreshDataFolder();
        closeStore();
        const QString outside = QFileInfo(data()).path() + QStringLiteral("/outside");
        writeBytes(outside + QStringLiteral("/theirs.pdf"), "not the data folder's");
        // "live" alone is the folder as it was; beside the one set aside it was made again
        // after the crash and holds a file added since.
        if (c.folders.contains(QStringLiteral("live")))
            writeBytes(data(QStringLiteral("documents/")) + (c.folders.contains(QStringLiteral("aside")) ? "added.pdf" : "old.pdf"), "live");
        if (c.folders.contains(QStringLiteral("aside")))
            writeBytes(data(replaced + QStringLiteral("/old.pdf")), "old");
        if (c.folders.contains(QStringLiteral("new")))
            writeBytes(data(restoring + QStringLiteral("/new.pdf")), "new");
        {
            RestoreJournal journal = RestoreJournal::begin(data(), {{QStringLiteral("documents"), c.prepared, replaced}}, std::nullopt);
            if (c.committed) {
                sqlite3* db = nullptr;
                ASSERT_EQ(sqlite3_open(QFile::encodeName(data(QStringLiteral("Corvallen.store"))).constData(), &db), SQLITE_OK);
                ASSERT_EQ(sqlite3_exec(db, journal.commitSql().toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
                sqlite3_close(db);
            }
        }  // the restoring process is gone
        if (c.store == Store::damaged)
            writeBytes(data(QStringLiteral("Corvallen.store")), noise(8192, 3));
        sqlite3* holder = nullptr;
        if (c.store == Store::locked) {
            ASSERT_EQ(sqlite3_open(QFile::encodeName(data(QStringLiteral("Corvallen.store"))).constData(), &holder), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(holder, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
        }

        StagedRestore::applyPendingRestoreIfNeeded();
        if (holder) {
            sqlite3_exec(holder, "ROLLBACK;", nullptr, nullptr, nullptr);
            sqlite3_close(holder);
        }
        QStringList documents = folderContents(data(QStringLiteral("documents"))).keys();
        EXPECT_EQ(documents, c.documents);
        EXPECT_EQ(dataFolderLeftovers(data()), c.leftovers);
        EXPECT_EQ(folderContents(outside), (QMap<QString, QByteArray>{{QStringLiteral("theirs.pdf"), "not the data folder's"}}));
        QDir(outside).removeRecursively();
    }
}

}  // namespace
