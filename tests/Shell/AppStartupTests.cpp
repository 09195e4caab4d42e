#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Shell/AppStartup.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

#include <sqlite3.h>

namespace {

QString executable() { return QCoreApplication::applicationDirPath() + QStringLiteral("/../corvallen"); }

// The real program in its own fresh data and settings folders (or another launch's), drawing
// offscreen.
struct Launch {
    QString root = corvallen::test::freshFolder(QStringLiteral("launch"));
    // Short, as a local socket's path must be; another login session has another one.
    QString runtime = corvallen::test::isolatedRoot() + QStringLiteral("/run");
    QString dataFolder() const { return root + QStringLiteral("/data/Corvallen"); }
    QProcess process;
    bool quitAfterFirstPaint = false;

    Launch() = default;
    // Another launch of the same user on the same folders.
    explicit Launch(const Launch& same) : root(same.root) {}

    void start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        if (quitAfterFirstPaint)
            env.insert(QStringLiteral("CORVALLEN_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        process.start(executable(), {});
    }
    bool running() const { return process.state() == QProcess::Running; }
    // Ends the program as the session would and expects a clean exit.
    void terminate()
    {
        ::kill(pid_t(process.processId()), SIGTERM);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }
    // Waits (bounded, only so a broken build fails instead of hanging) for a condition.
    template <class F>
    bool waitFor(F condition)
    {
        QDeadlineTimer deadline(60000);
        while (!condition() && !deadline.hasExpired() && process.state() != QProcess::NotRunning)
            if (!process.waitForReadyRead(20))
                QThread::msleep(5);
        return condition();
    }
};

}  // namespace

TEST(AppStartup, TheProgramCreatesTheStoreAndQuitsCleanlyOnTerminate)
{
    ASSERT_TRUE(QFileInfo(executable()).isExecutable()) << "build the corvallen target first: " << executable().toStdString();
    Launch launch;
    launch.start();
    ASSERT_TRUE(launch.process.waitForStarted(30000));
    const QString store = launch.dataFolder() + QStringLiteral("/Corvallen.store");
    // The welcome check writes the settings file once the main window shows.
    const QString settings = launch.root + QStringLiteral("/config/Corvallen/settings.json");
    ASSERT_TRUE(launch.waitFor([&] { return QFileInfo::exists(store) && QFileInfo::exists(settings); }))
        << launch.process.readAllStandardError().toStdString();

    ::kill(pid_t(launch.process.processId()), SIGTERM);
    ASSERT_TRUE(launch.process.waitForFinished(60000));
    EXPECT_EQ(launch.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(launch.process.exitCode(), 0) << launch.process.readAllStandardError().toStdString();

    // Closed properly: the write-ahead log was folded in and removed, and the file is sound.
    EXPECT_FALSE(QFileInfo::exists(store + QStringLiteral("-wal")));
    QString error;
    EXPECT_TRUE(ModelContainer::verifyStoreFile(store, &error)) << error.toStdString();
    // A first launch has nothing to snapshot.
    EXPECT_FALSE(QFileInfo::exists(launch.dataFolder() + QStringLiteral("/backups")));
}

TEST(AppStartup, AStoreThatWontOpenStopsWithTheMessageAndKeepsASnapshot)
{
    ASSERT_TRUE(QFileInfo(executable()).isExecutable());
    Launch launch;
    QDir().mkpath(launch.dataFolder());
    QFile broken(launch.dataFolder() + QStringLiteral("/Corvallen.store"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(8192, 'x'));
    broken.close();

    launch.start();
    ASSERT_TRUE(launch.process.waitForStarted(30000));
    QByteArray err;
    ASSERT_TRUE(launch.waitFor([&] {
        err += launch.process.readAllStandardError();
        return err.contains("Failed to create ModelContainer: ");
    })) << err.toStdString();
    // The message box waits for the user; a terminate ends it with the failure status.
    ::kill(pid_t(launch.process.processId()), SIGTERM);
    ASSERT_TRUE(launch.process.waitForFinished(60000));
    EXPECT_EQ(launch.process.exitCode(), 1);
    // The launch snapshot kept a copy of the store that failed.
    const QStringList snapshots = QDir(launch.dataFolder() + QStringLiteral("/backups")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(snapshots.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(launch.dataFolder() + QStringLiteral("/backups/") + snapshots.first() + QStringLiteral("/Corvallen.store")));
}

// A whole-store restore whose store can't be used once it is in place is undone at that launch:
// the program starts on the data of the "pre-restore" snapshot and says so. Two ways a staged
// store fails: another layout (as a staging of an earlier version would have left it), and a
// table whose pages can't be read (found only when the records are read, after the store opened).
class RestoredStoreThatFails : public ::testing::TestWithParam<bool> {};

static void stageForeignLayout(const QString& staged)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(staged).constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE Capture (pk INTEGER PRIMARY KEY, note TEXT); PRAGMA user_version = 1", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

static void stageDamagedStore(const QString& staged)
{
    {
        QString error;
        auto store = ModelContainer::open(staged, corvallenSchema(), &error);
        ASSERT_TRUE(store) << error.toStdString();
        for (int i = 0; i < 200; ++i)
            store->mainContext().insert(new Component(QStringLiteral("Restored part %1").arg(i)));
        ASSERT_TRUE(store->mainContext().save());
    }
    ASSERT_TRUE(corvallen::test::damageTable(staged, QStringLiteral("Component")));
}

TEST_P(RestoredStoreThatFails, IsUndoneAndTheProgramStarts)
{
    ASSERT_TRUE(QFileInfo(executable()).isExecutable());
    Launch launch;
    launch.quitAfterFirstPaint = true;
    const QString data = launch.dataFolder();
    const QString snapshot = data + QStringLiteral("/backups/pre-restore-20250101-120000");
    QDir().mkpath(snapshot);
    {
        QString error;
        auto store = ModelContainer::open(data + QStringLiteral("/Corvallen.store"), corvallenSchema(), &error);
        ASSERT_TRUE(store) << error.toStdString();
        store->mainContext().insert(new Component(QStringLiteral("Kept part")));
        ASSERT_TRUE(store->mainContext().save());
        ASSERT_TRUE(store->copyTo(snapshot + QStringLiteral("/Corvallen.store")));
        // Work done after the staging took its snapshot is part of what the undo puts back.
        store->mainContext().insert(new Component(QStringLiteral("Later part")));
        ASSERT_TRUE(store->mainContext().save());
    }
    auto write = [](const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write(data + QStringLiteral("/captures/old.png"), "old");
    write(snapshot + QStringLiteral("/captures/old.png"), "old");
    write(data + QStringLiteral("/captures/later.png"), "later");
    const QString staged = data + QStringLiteral("/pending-restore/Corvallen.store");
    QDir().mkpath(QFileInfo(staged).absolutePath());
    if (GetParam())
        stageDamagedStore(staged);
    else
        stageForeignLayout(staged);
    write(data + QStringLiteral("/pending-restore/captures/new.png"), "new");

    launch.process.setProcessChannelMode(QProcess::SeparateChannels);
    launch.start();
    ASSERT_TRUE(launch.process.waitForStarted(30000));
    QByteArray out;
    ASSERT_TRUE(launch.waitFor([&] {
        out += launch.process.readAllStandardOutput();
        return out.contains("first-paint");
    })) << launch.process.readAllStandardError().toStdString();
    ASSERT_TRUE(launch.process.waitForFinished(60000));
    EXPECT_EQ(launch.process.exitCode(), 0);
    EXPECT_TRUE(launch.process.readAllStandardError().contains("The restore from the older full backup was undone"));

    QString error;
    auto store = ModelContainer::open(data + QStringLiteral("/Corvallen.store"), corvallenSchema(), &error);
    ASSERT_TRUE(store) << error.toStdString();
    QStringList parts;
    for (const Component* c : store->mainContext().fetch<Component>())
        parts << c->name();
    parts.sort();
    EXPECT_EQ(parts, (QStringList{QStringLiteral("Kept part"), QStringLiteral("Later part")}));
    EXPECT_EQ(QDir(data + QStringLiteral("/captures")).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("later.png"), QStringLiteral("old.png")}));
    EXPECT_FALSE(QFileInfo::exists(data + QStringLiteral("/pending-restore")));
    EXPECT_FALSE(QFileInfo::exists(data + QStringLiteral("/restore-swap.json")));
}

INSTANTIATE_TEST_SUITE_P(AppStartup, RestoredStoreThatFails, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "DamagedTable" : "ForeignLayout"; });

TEST(AppStartup, OpenStoreReportsTheFixedPrefix)
{
    const corvallen::test::FreshProcessStore fresh;
    EXPECT_EQ(AppStartup::storeFailurePrefix(), QStringLiteral("Failed to create ModelContainer: "));
    // In this process's isolated data folder: a first launch creates the store.
    QString error;
    auto container = AppStartup::openStore(&error);
    ASSERT_TRUE(container) << error.toStdString();
    EXPECT_TRUE(QFileInfo::exists(container->path()));
    EXPECT_TRUE(container->path().endsWith(QStringLiteral("/Corvallen/Corvallen.store")));
}

TEST(AppStartup, LaunchesThatFailKeepEveryEarlierSnapshot)
{
    const corvallen::test::FreshProcessStore fresh;
    // Eight good snapshots from earlier launches, then a store that won't open.
    const QString backups = StoreLocation::snapshotFolder();
    for (int day = 1; day <= 8; ++day) {
        const QString folder = backups + QStringLiteral("/202401%1-120000").arg(day, 2, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        QFile store(folder + QStringLiteral("/Corvallen.store"));
        ASSERT_TRUE(store.open(QIODevice::WriteOnly));
    }
    QFile broken(StoreLocation::storeURL());
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(8192, 'x'));
    broken.close();

    QString error;
    EXPECT_FALSE(AppStartup::openStore(&error));
    const auto stamps = [&] { return QDir(backups).entryList(QDir::Dirs | QDir::NoDotAndDotDot); };
    ASSERT_EQ(stamps().size(), 9) << "the failed launch's copy joins the good ones, none is pruned";

    // Once the store opens, the launch prunes back to eight, its own snapshot among them.
    ASSERT_TRUE(QFile::remove(StoreLocation::storeURL()));
    ASSERT_TRUE(AppStartup::openStore(&error)) << error.toStdString();
    ASSERT_TRUE(AppStartup::openStore(&error)) << error.toStdString();
    EXPECT_EQ(stamps().size(), 8);
    EXPECT_FALSE(stamps().contains(QStringLiteral("20240101-120000")));
}

TEST(AppStartup, TwoLaunchesAtTheSameInstantLeaveOneRunningCopy)
{
    ASSERT_TRUE(QFileInfo(executable()).isExecutable());
    Launch a;
    Launch b(a);
    a.start();
    b.start();
    ASSERT_TRUE(a.process.waitForStarted(30000));
    ASSERT_TRUE(b.process.waitForStarted(30000));
    // One of them hands over to the other and ends; the other keeps running.
    QDeadlineTimer deadline(60000);
    while (a.running() && b.running() && !deadline.hasExpired()) {
        a.process.waitForFinished(10);
        b.process.waitForFinished(10);
    }
    Launch& ended = a.running() ? b : a;
    Launch& survivor = a.running() ? a : b;
    ASSERT_EQ(ended.process.state(), QProcess::NotRunning) << "both still running";
    EXPECT_EQ(ended.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ended.process.exitCode(), 0) << ended.process.readAllStandardError().toStdString();
    survivor.process.waitForFinished(300);
    ASSERT_TRUE(survivor.running()) << survivor.process.readAllStandardError().toStdString();
    survivor.terminate();
    EXPECT_FALSE(QFileInfo::exists(a.dataFolder() + QStringLiteral("/Corvallen.lock")));
}

// A second launch from another login session can't reach the running copy: it says so in a
// window at once, which stays until the user (here the session's end) closes it.
TEST(AppStartup, ALaunchFromAnotherSessionSaysInAWindowThatCorvallenRuns)
{
    ASSERT_TRUE(QFileInfo(executable()).isExecutable());
    Launch first;
    first.start();
    ASSERT_TRUE(first.process.waitForStarted(30000));
    ASSERT_TRUE(first.waitFor([&] { return QFileInfo::exists(first.dataFolder() + QStringLiteral("/Corvallen.instance")); }));
    Launch second(first);
    second.runtime = corvallen::test::isolatedRoot() + QStringLiteral("/run2");
    second.process.setProcessChannelMode(QProcess::SeparateChannels);
    second.start();
    ASSERT_TRUE(second.process.waitForStarted(30000));
    QByteArray err;
    ASSERT_TRUE(second.waitFor([&] {
        err += second.process.readAllStandardError();
        return err.contains("Corvallen is already running for this data folder in another session.");
    })) << err.toStdString();
    second.process.waitForFinished(300);
    EXPECT_TRUE(second.running()) << "the window waits for the user";
    second.terminate();
    EXPECT_TRUE(first.running());
    first.terminate();
}

TEST(AppStartup, ALockLeftByACrashedCopyIsTakenOver)
{
    ASSERT_TRUE(QFileInfo(executable()).isExecutable());
    Launch crashed;
    crashed.start();
    ASSERT_TRUE(crashed.process.waitForStarted(30000));
    const QString store = crashed.dataFolder() + QStringLiteral("/Corvallen.store");
    const QString lock = crashed.dataFolder() + QStringLiteral("/Corvallen.lock");
    ASSERT_TRUE(crashed.waitFor([&] { return QFileInfo::exists(store) && QFileInfo::exists(lock); }));
    crashed.process.kill();  // no chance to clean up
    ASSERT_TRUE(crashed.process.waitForFinished(30000));
    ASSERT_TRUE(QFileInfo::exists(lock));

    // The next launch runs: it opens the store, which shows in its launch snapshot.
    Launch next(crashed);
    next.start();
    ASSERT_TRUE(next.process.waitForStarted(30000));
    ASSERT_TRUE(next.waitFor([&] {
        return !QDir(next.dataFolder() + QStringLiteral("/backups")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty();
    })) << next.process.readAllStandardError().toStdString();
    next.process.waitForFinished(300);
    ASSERT_TRUE(next.running());
    next.terminate();
}
