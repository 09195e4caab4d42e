// Where the store lives and the launch snapshots: what is copied, what is kept, how folders
// are named and ordered.
#include "Corvallen/Model/StoreLocation.h"
#include "support/ChildRun.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>

#include <sys/resource.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvallen::test;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

class StoreLocationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", freshFolder(QStringLiteral("xdg")).toUtf8());
    }
    void TearDown() override
    {
        qputenv("XDG_DATA_HOME", m_saved);
        QLocale::setDefault(QLocale::c());
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static QStringList entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    // A whole launch snapshot as an earlier launch left it.
    static void launchSnapshot(const QString& folder)
    {
        QDir().mkpath(folder);
        write(folder + QStringLiteral("/Corvallen.store"), "older");
    }
    static QDateTime at(int y, int mo, int d, int h, int mi, int s) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s)); }

    QByteArray m_saved;
};

TEST_F(StoreLocationTest, TheStoreLivesInTheDataFolderWhichIsCreatedOnDemand)
{
    const QString data = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Corvallen");
    EXPECT_FALSE(QDir(data).exists());
    EXPECT_EQ(StoreLocation::storeURL(), data + QStringLiteral("/Corvallen.store"));
    EXPECT_TRUE(QDir(data).exists());
}

TEST_F(StoreLocationTest, AFirstLaunchTakesNoSnapshot)
{
    EXPECT_TRUE(StoreLocation::snapshotStore().isEmpty());
    EXPECT_TRUE(QDir(StoreLocation::dataFolder()).exists());
    EXPECT_FALSE(QDir(StoreLocation::snapshotFolder()).exists());
}

TEST_F(StoreLocationTest, TheStoreAndTheCompanionsThatExistAreCopiedByteForByte)
{
    const QString store = StoreLocation::storeURL();
    write(store, "main bytes");
    StoreLocation::snapshotStore(at(2025, 3, 4, 5, 6, 7));
    const QString only = StoreLocation::snapshotFolder() + QStringLiteral("/20250304-050607");
    EXPECT_THAT(entries(only), ElementsAre(QStringLiteral("Corvallen.store")));

    write(store + QStringLiteral("-wal"), "wal bytes");
    write(store + QStringLiteral("-shm"), "shm bytes");
    StoreLocation::snapshotStore(at(2025, 3, 4, 5, 6, 8));
    const QString all = StoreLocation::snapshotFolder() + QStringLiteral("/20250304-050608");
    EXPECT_THAT(entries(all), ElementsAre(QStringLiteral("Corvallen.store"), QStringLiteral("Corvallen.store-shm"),
                                          QStringLiteral("Corvallen.store-wal")));
    EXPECT_EQ(read(all + QStringLiteral("/Corvallen.store")), "main bytes");
    EXPECT_EQ(read(all + QStringLiteral("/Corvallen.store-wal")), "wal bytes");
    EXPECT_EQ(read(all + QStringLiteral("/Corvallen.store-shm")), "shm bytes");
}

TEST_F(StoreLocationTest, ASecondLaunchInTheSameSecondKeepsTheFirstCopies)
{
    const QString store = StoreLocation::storeURL();
    write(store, "first");
    StoreLocation::snapshotStore(at(2025, 1, 1, 0, 0, 0));
    write(store, "second");
    write(store + QStringLiteral("-wal"), "wal");
    StoreLocation::snapshotStore(at(2025, 1, 1, 0, 0, 0));
    const QString folder = StoreLocation::snapshotFolder() + QStringLiteral("/20250101-000000");
    EXPECT_EQ(read(folder + QStringLiteral("/Corvallen.store")), "first");
    EXPECT_EQ(read(folder + QStringLiteral("/Corvallen.store-wal")), "wal") << "a file not yet there is still copied";
    EXPECT_EQ(entries(StoreLocation::snapshotFolder()).size(), 1);
}

TEST_F(StoreLocationTest, ASnapshotTakenWhileTheStoreOpensIsWholeOnceDoneAndCompanionsAreCopiedAtOnce)
{
    EXPECT_TRUE(StoreLocation::snapshotStoreWhileOpening().name.isEmpty()) << "no store yet";
    const QString store = StoreLocation::storeURL();
    write(store, QByteArray(4 << 20, 's'));
    // A store closed cleanly: its file is copied in the background; `done` says when it is whole.
    const StoreLocation::PendingSnapshot background = StoreLocation::snapshotStoreWhileOpening();
    ASSERT_FALSE(background.name.isEmpty());
    ASSERT_TRUE(background.done.valid());
    background.done.wait();
    const QString folder = StoreLocation::snapshotFolder() + QLatin1Char('/') + background.name;
    EXPECT_THAT(entries(folder), ElementsAre(QStringLiteral("Corvallen.store")));
    EXPECT_EQ(read(folder + QStringLiteral("/Corvallen.store")), QByteArray(4 << 20, 's'));

    // A store the last run left open: it goes with its companions, and is done at once.
    QDir(StoreLocation::snapshotFolder()).removeRecursively();
    write(store + QStringLiteral("-wal"), "wal bytes");
    const StoreLocation::PendingSnapshot atOnce = StoreLocation::snapshotStoreWhileOpening();
    EXPECT_EQ(atOnce.done.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    EXPECT_THAT(entries(StoreLocation::snapshotFolder() + QLatin1Char('/') + atOnce.name),
                ElementsAre(QStringLiteral("Corvallen.store"), QStringLiteral("Corvallen.store-wal")));
}

TEST_F(StoreLocationTest, PruningKeepsEightOfEachKindAndNeverTouchesTheUsersOwnFiles)
{
    write(StoreLocation::storeURL(), "s");
    const QString backups = StoreLocation::snapshotFolder();
    QStringList launches, preRestores;
    for (int day = 1; day <= 10; ++day) {
        launches << QStringLiteral("202401%1-120000").arg(day, 2, 10, QLatin1Char('0'));
        preRestores << QStringLiteral("pre-restore-202301%1-080000").arg(day, 2, 10, QLatin1Char('0'));
    }
    // What the user put there: folders whose names sort above, between and below the stamps,
    // one that only looks like a stamp, and loose files.
    const QStringList users = {QStringLiteral("0000"), QStringLiteral("Old laptop"), QStringLiteral("zz keep"),
                               QStringLiteral("20240101-120000 copy"), QStringLiteral("pre-restore-mine")};
    for (const QString& name : preRestores + users)
        QDir().mkpath(backups + QLatin1Char('/') + name);
    for (const QString& name : launches)
        launchSnapshot(backups + QLatin1Char('/') + name);
    write(backups + QStringLiteral("/.hidden"), "x");
    write(backups + QStringLiteral("/notes.txt"), "x");

    const QString taken = StoreLocation::snapshotStore(at(2024, 2, 1, 9, 0, 0));
    EXPECT_EQ(taken, QStringLiteral("20240201-090000"));
    StoreLocation::pruneSnapshots(backups, 8, taken);

    QStringList expected = launches.mid(3) + preRestores.mid(2) + users;
    expected << taken << QStringLiteral(".hidden") << QStringLiteral("notes.txt");
    EXPECT_THAT(entries(backups), ::testing::UnorderedElementsAreArray(expected));
    EXPECT_EQ(read(backups + QLatin1Char('/') + taken + QStringLiteral("/Corvallen.store")), "s");
}

const char* const kCutShortDataHome = "CORVALLEN_SNAPSHOT_CRASH_DATA_HOME";

// The child's side: a launch that dies part way through copying the store into its snapshot.
// A cap on the size of the files it may write stops it there, as a kill or a crash would.
TEST(SnapshotCrashChild, DiesWhileCopying)
{
    if (!qEnvironmentVariableIsSet(kCutShortDataHome))
        GTEST_SKIP() << "started by the snapshot crash test";
    qputenv("XDG_DATA_HOME", qgetenv(kCutShortDataHome));
    std::signal(SIGXFSZ, SIG_DFL);
    const rlimit cap{64 * 1024, 64 * 1024};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &cap), 0);
    StoreLocation::snapshotStore(QDateTime(QDate(2024, 3, 1), QTime(8, 0, 0)));
    FAIL() << "the copy was not cut short";
}

TEST_F(StoreLocationTest, ASnapshotCutShortByACrashGoesAtTheNextLaunchAndPushesNoGoodOneOut)
{
    write(StoreLocation::storeURL(), QByteArray(1024 * 1024, 's'));
    const QString backups = StoreLocation::snapshotFolder();
    QStringList good;
    for (int day = 1; day <= 8; ++day) {
        good << QStringLiteral("202402%1-120000").arg(day, 2, 10, QLatin1Char('0'));
        launchSnapshot(backups + QLatin1Char('/') + good.last());
    }

    QProcess child;
    startSelf(child, QStringLiteral("SnapshotCrashChild.*"), {{QString::fromLatin1(kCutShortDataHome), qEnvironmentVariable("XDG_DATA_HOME")}});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardOutput().toStdString();
    const QString cut = QStringLiteral("20240301-080000");
    ASSERT_FALSE(QFileInfo::exists(backups + QLatin1Char('/') + cut + QStringLiteral("/Corvallen.store")));

    // The next launch.
    const QString taken = StoreLocation::snapshotStore(at(2024, 3, 2, 8, 0, 0));
    StoreLocation::pruneSnapshots(backups, 8, taken);
    EXPECT_THAT(entries(backups), ::testing::UnorderedElementsAreArray(good.mid(1) << taken));
    EXPECT_EQ(read(backups + QLatin1Char('/') + taken + QStringLiteral("/Corvallen.store")), QByteArray(1024 * 1024, 's'));
}

TEST_F(StoreLocationTest, TheSnapshotJustTakenStaysWhenTheClockWentBack)
{
    write(StoreLocation::storeURL(), "s");
    const QString backups = StoreLocation::snapshotFolder();
    for (int day = 1; day <= 9; ++day)
        launchSnapshot(backups + QStringLiteral("/203001%1-120000").arg(day, 2, 10, QLatin1Char('0')));
    for (int i = 0; i < 8; ++i)
        QDir().mkpath(backups + QStringLiteral("/pre-restore-20240101-00000%1").arg(i));
    const QString taken = StoreLocation::snapshotStore(at(2024, 6, 1, 9, 0, 0));
    StoreLocation::pruneSnapshots(backups, 8, taken);

    const QStringList left = entries(backups);
    EXPECT_TRUE(left.contains(taken));
    EXPECT_EQ(left.filter(QRegularExpression(QStringLiteral("^2030"))).size(), 7);
    EXPECT_EQ(left.filter(QStringLiteral("pre-restore-")).size(), 8) << "pre-restore snapshots take no launch's place";
    // The one being taken right now has no store file yet while its copy runs: it is not a
    // snapshot cut short, and it stays too.
    const QString copying = QStringLiteral("20240602-090000");
    QDir().mkpath(backups + QLatin1Char('/') + copying);
    StoreLocation::pruneSnapshots(backups, 8, copying);
    EXPECT_TRUE(entries(backups).contains(copying));
    EXPECT_FALSE(entries(backups).contains(taken)) << "an older launch's gives way instead";
    StoreLocation::pruneSnapshots(backups, 0);
    EXPECT_TRUE(entries(backups).isEmpty());
}

TEST_F(StoreLocationTest, OnlyExactStampsAreSnapshots)
{
    EXPECT_TRUE(StoreLocation::isLaunchStamp(QStringLiteral("20250101-000000")));
    EXPECT_TRUE(StoreLocation::isPreRestoreStamp(QStringLiteral("pre-restore-20250101-000000")));
    for (const char* name : {"2025010-1000000", "20250101-00000", "20250101-0000000", "2025O101-000000", "20250101_000000",
                             "\u0662\u0660\u0662\u0665\u0660\u0661\u0660\u0661-000000", "pre-restore-20250101-000000"})
        EXPECT_FALSE(StoreLocation::isLaunchStamp(QString::fromUtf8(name))) << name;
    for (const char* name : {"pre-restore-", "pre-restore-2025", "Pre-restore-20250101-000000", "pre-restore-20250101-000000x"})
        EXPECT_FALSE(StoreLocation::isPreRestoreStamp(QString::fromUtf8(name))) << name;
}

TEST_F(StoreLocationTest, ASymbolicLinkIsNeitherCountedNorFollowed)
{
    const QString backups = StoreLocation::snapshotFolder();
    const QString outside = freshFolder(QStringLiteral("outside"));
    write(outside + QStringLiteral("/precious"), "keep me");
    launchSnapshot(backups + QStringLiteral("/20200101-000000"));
    // Named like a snapshot, yet a link: it may point anywhere, so it is not ours to remove.
    ASSERT_TRUE(QFile::link(outside, backups + QStringLiteral("/20190101-000000")));
    StoreLocation::pruneSnapshots(backups, 0);
    EXPECT_EQ(read(outside + QStringLiteral("/precious")), "keep me");
    EXPECT_THAT(entries(backups), ElementsAre(QStringLiteral("20190101-000000")));
}

TEST_F(StoreLocationTest, TheStampUsesAsciiDigitsAndTheGregorianCalendarInAnyLocale)
{
    const QDateTime t = at(2025, 7, 9, 14, 3, 5);
    for (const char* locale : {"en_US", "ar_EG", "th_TH", "fa_IR", "hi_IN@numbers=deva", "ja_JP@calendar=japanese"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        EXPECT_EQ(StoreLocation::stamp(t), QStringLiteral("20250709-140305")) << locale;
    }
    // Local time, 24-hour clock.
    EXPECT_EQ(StoreLocation::stamp(at(2024, 12, 31, 23, 59, 59)), QStringLiteral("20241231-235959"));
}

}  // namespace
