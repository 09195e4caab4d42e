// Where the store lives and the launch snapshots: what is copied, what is kept, how folders
// are named and ordered.
#include "Corvallen/Model/StoreLocation.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLocale>

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
    StoreLocation::snapshotStore(8);
    EXPECT_TRUE(QDir(StoreLocation::dataFolder()).exists());
    EXPECT_FALSE(QDir(StoreLocation::snapshotFolder()).exists());
}

TEST_F(StoreLocationTest, TheStoreAndTheCompanionsThatExistAreCopiedByteForByte)
{
    const QString store = StoreLocation::storeURL();
    write(store, "main bytes");
    StoreLocation::snapshotStore(8, at(2025, 3, 4, 5, 6, 7));
    const QString only = StoreLocation::snapshotFolder() + QStringLiteral("/20250304-050607");
    EXPECT_THAT(entries(only), ElementsAre(QStringLiteral("Corvallen.store")));

    write(store + QStringLiteral("-wal"), "wal bytes");
    write(store + QStringLiteral("-shm"), "shm bytes");
    StoreLocation::snapshotStore(8, at(2025, 3, 4, 5, 6, 8));
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
    StoreLocation::snapshotStore(8, at(2025, 1, 1, 0, 0, 0));
    write(store, "second");
    write(store + QStringLiteral("-wal"), "wal");
    StoreLocation::snapshotStore(8, at(2025, 1, 1, 0, 0, 0));
    const QString folder = StoreLocation::snapshotFolder() + QStringLiteral("/20250101-000000");
    EXPECT_EQ(read(folder + QStringLiteral("/Corvallen.store")), "first");
    EXPECT_EQ(read(folder + QStringLiteral("/Corvallen.store-wal")), "wal") << "a file not yet there is still copied";
    EXPECT_EQ(entries(StoreLocation::snapshotFolder()).size(), 1);
}

TEST_F(StoreLocationTest, TheEightHighestNamesAreKept)
{
    write(StoreLocation::storeURL(), "s");
    const QString backups = StoreLocation::snapshotFolder();
    QStringList old;
    for (int day = 1; day <= 10; ++day) {
        old << QStringLiteral("202401%1-120000").arg(day, 2, 10, QLatin1Char('0'));
        QDir().mkpath(backups + QLatin1Char('/') + old.last());
    }
    StoreLocation::snapshotStore(8, at(2024, 2, 1, 9, 0, 0));
    QStringList expected = old.mid(3);
    expected << QStringLiteral("20240201-090000");
    EXPECT_THAT(entries(backups), ElementsAreArray(expected));
}

TEST_F(StoreLocationTest, PruningComparesNamesAsPlainTextAndCountsOnlyFolders)
{
    const QString backups = StoreLocation::snapshotFolder();
    for (const char* name : {"20241231-235959", "20250101-000000", "pre-restore-20200101-000000", "Zeta", "0000", "20240101-000000"})
        QDir().mkpath(backups + QLatin1Char('/') + QLatin1String(name));
    write(backups + QStringLiteral("/.DS_Store"), "x");
    write(backups + QStringLiteral("/stray.txt"), "x");

    StoreLocation::pruneSnapshots(backups, 3);
    // Descending code-point order: "pre-restore-..." > "Zeta" > "2025..." > "2024..." > "0000".
    EXPECT_THAT(entries(backups), ElementsAre(QStringLiteral(".DS_Store"), QStringLiteral("20250101-000000"),
                                              QStringLiteral("Zeta"), QStringLiteral("pre-restore-20200101-000000"),
                                              QStringLiteral("stray.txt")));
    StoreLocation::pruneSnapshots(backups, 0);
    EXPECT_THAT(entries(backups), ElementsAre(QStringLiteral(".DS_Store"), QStringLiteral("stray.txt")));
}

TEST_F(StoreLocationTest, ASymbolicLinkIsNeitherCountedNorFollowed)
{
    const QString backups = StoreLocation::snapshotFolder();
    const QString outside = freshFolder(QStringLiteral("outside"));
    write(outside + QStringLiteral("/precious"), "keep me");
    QDir().mkpath(backups + QStringLiteral("/20200101-000000"));
    ASSERT_TRUE(QFile::link(outside, backups + QStringLiteral("/link")));
    StoreLocation::pruneSnapshots(backups, 0);
    EXPECT_EQ(read(outside + QStringLiteral("/precious")), "keep me");
    EXPECT_THAT(entries(backups), ElementsAre(QStringLiteral("link")));
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
