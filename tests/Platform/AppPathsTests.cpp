// Names read from records become paths only when they are one plain file name.
#include "Corvallen/Platform/AppPaths.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(AppPathsTest, OnlyOnePlainComponentIsAFileName)
{
    for (const QString& ok : {QStringLiteral("A1B2.pdf"), QStringLiteral("x"), QStringLiteral("...pdf"), QStringLiteral("a b.markup.pdf"),
                              QStringLiteral(".hidden")})
        EXPECT_TRUE(AppPaths::isPlainFileName(ok)) << ok.toStdString();
    for (const QString& bad : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../x"), QStringLiteral("a/b"),
                               QStringLiteral("/etc/passwd"), QStringLiteral("x/"), QString(QStringLiteral("a")) + QChar(u'\0') + QStringLiteral("b")})
        EXPECT_FALSE(AppPaths::isPlainFileName(bad)) << bad.toStdString();
}

TEST(AppPathsTest, FoldersFollowTheXdgVariables)
{
    EXPECT_EQ(AppPaths::dataFolder(), qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Corvallen"));
    EXPECT_EQ(AppPaths::configFolder(), qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Corvallen"));
}

TEST(AppPathsTest, ProposedNamesAreSafeAndSaveDialogsAddTheSuffix)
{
    EXPECT_EQ(AppPaths::safeFileName(QStringLiteral("Amp / PSU\tv2?"), QStringLiteral("Project")), QStringLiteral("Amp - PSU-v2-"));
    EXPECT_EQ(AppPaths::safeFileName(QStringLiteral("..."), QStringLiteral("Project")), QStringLiteral("Project"));
    EXPECT_EQ(AppPaths::safeFileName(QString(), QStringLiteral("Project")), QStringLiteral("Project"));
    EXPECT_EQ(AppPaths::safeFileName(QStringLiteral(" Bench supply "), QStringLiteral("Project")), QStringLiteral(" Bench supply "));
    const QString longName = AppPaths::safeFileName(QString(300, QChar(0x00E9)), QStringLiteral("P"));
    EXPECT_LE(longName.toUtf8().size(), 200);

    EXPECT_EQ(AppPaths::withSuffix(QStringLiteral("/home/u/Amp quote"), QStringLiteral(".pdf")), QStringLiteral("/home/u/Amp quote.pdf"));
    EXPECT_EQ(AppPaths::withSuffix(QStringLiteral("/home/u/Amp.PDF"), QStringLiteral(".pdf")), QStringLiteral("/home/u/Amp.PDF"));
    EXPECT_EQ(AppPaths::withSuffix(QStringLiteral("/home/u/parts.csv.txt"), QStringLiteral(".csv")), QStringLiteral("/home/u/parts.csv.txt.csv"));
    EXPECT_EQ(AppPaths::withSuffix(QString(), QStringLiteral(".pdf")), QString());  // a cancelled dialog stays cancelled
}

TEST(AppPathsTest, SaveDialogsStartInDocumentsOrElseAtHome)
{
    // A home folder of its own, with no user-dirs file naming another documents folder.
    const QByteArray home = qgetenv("HOME");
    const QString fresh = corvallen::test::freshFolder(QStringLiteral("home"));
    qputenv("HOME", fresh.toUtf8());
    ASSERT_FALSE(QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/user-dirs.dirs")));
    EXPECT_EQ(AppPaths::saveFolder(), fresh);  // no Documents folder: never the working folder
    ASSERT_TRUE(QDir(fresh).mkdir(QStringLiteral("Documents")));
    EXPECT_EQ(AppPaths::saveFolder(), fresh + QStringLiteral("/Documents"));
    qputenv("HOME", home);
}

}  // namespace
