// The user's settings: values keep their types on disk, every change is announced, and a store
// re-reading its file announces what another writer changed.
#include "Corvallen/Platform/SettingsStore.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvallen::test;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace {

QString freshSettingsFile() { return freshFolder(QStringLiteral("settings")) + QStringLiteral("/settings.json"); }

TEST(SettingsStoreTest, TypedValuesSurviveANewStoreOverTheSameFile)
{
    const QString file = freshSettingsFile();
    {
        SettingsStore s(file);
        s.setBool(QStringLiteral("windowTranslucency"), false);
        s.setInteger(QStringLiteral("big"), (qint64(1) << 62) + 1);
        s.setInteger(QStringLiteral("negative"), -7);
        s.setDouble(QStringLiteral("business.vatRate"), 0.19);
        s.setText(QStringLiteral("appTheme"), QStringLiteral("dark"));
        s.setText(QStringLiteral("empty"), QString());
        s.setTextList(QStringLiteral("AppleLanguages"), {QStringLiteral("de"), QStringLiteral("en")});
        s.setBytes(QStringLiteral("deviceBookmark.X"), QByteArray("\x00\x01\xff", 3));
    }
    SettingsStore s(file);
    EXPECT_EQ(s.typeOf(QStringLiteral("windowTranslucency")), SettingsStore::Type::Bool);
    EXPECT_FALSE(s.boolValue(QStringLiteral("windowTranslucency"), true));
    EXPECT_EQ(s.integerValue(QStringLiteral("big")), (qint64(1) << 62) + 1);
    EXPECT_EQ(s.integerValue(QStringLiteral("negative")), -7);
    EXPECT_EQ(s.typeOf(QStringLiteral("business.vatRate")), SettingsStore::Type::Double);
    EXPECT_DOUBLE_EQ(s.doubleValue(QStringLiteral("business.vatRate")), 0.19);
    EXPECT_EQ(s.textValue(QStringLiteral("appTheme"), QStringLiteral("system")), QStringLiteral("dark"));
    EXPECT_TRUE(s.contains(QStringLiteral("empty")));
    EXPECT_EQ(s.textValue(QStringLiteral("empty"), QStringLiteral("default")), QString());
    EXPECT_THAT(s.textListValue(QStringLiteral("AppleLanguages")), ElementsAre(QStringLiteral("de"), QStringLiteral("en")));
    EXPECT_EQ(s.bytesValue(QStringLiteral("deviceBookmark.X")), QByteArray("\x00\x01\xff", 3));
}

TEST(SettingsStoreTest, AbsentKeysGiveTheReadersDefault)
{
    SettingsStore s(freshSettingsFile());
    EXPECT_TRUE(s.boolValue(QStringLiteral("windowTranslucency"), true));
    EXPECT_EQ(s.textValue(QStringLiteral("appTheme"), QStringLiteral("system")), QStringLiteral("system"));
    EXPECT_EQ(s.integerValue(QStringLiteral("n"), 5), 5);
    EXPECT_FALSE(s.contains(QStringLiteral("appTheme"))) << "reading a default writes nothing";
    EXPECT_FALSE(QFile::exists(s.filePath()));
    // A value of another type does not pass for text lists.
    s.setText(QStringLiteral("list"), QStringLiteral("a"));
    EXPECT_THAT(s.textListValue(QStringLiteral("list"), {QStringLiteral("d")}), ElementsAre(QStringLiteral("d")));
}

TEST(SettingsStoreTest, EachRealChangeIsAnnouncedOnce)
{
    SettingsStore s(freshSettingsFile());
    QStringList keys;
    QObject::connect(&s, &SettingsStore::changed, [&](const QString& k) { keys << k; });
    s.setBool(QStringLiteral("a"), true);
    s.setBool(QStringLiteral("a"), true);  // unchanged
    s.setText(QStringLiteral("b"), QStringLiteral("x"));
    s.setInteger(QStringLiteral("a"), 1);  // same key, other type: a change
    s.remove(QStringLiteral("b"));
    s.remove(QStringLiteral("missing"));
    EXPECT_THAT(keys, ElementsAre(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("b")));
}

TEST(SettingsStoreTest, ReloadTakesAnotherWritersValuesAndAnnouncesThem)
{
    const QString file = freshSettingsFile();
    SettingsStore mine(file);
    mine.setText(QStringLiteral("appTheme"), QStringLiteral("light"));
    mine.setBool(QStringLiteral("stays"), true);
    mine.setBool(QStringLiteral("goes"), true);

    SettingsStore other(file);
    other.setText(QStringLiteral("appTheme"), QStringLiteral("dark"));
    other.remove(QStringLiteral("goes"));
    other.setInteger(QStringLiteral("new"), 3);

    QStringList keys;
    QObject::connect(&mine, &SettingsStore::changed, [&](const QString& k) { keys << k; });
    mine.reload();
    EXPECT_THAT(keys, UnorderedElementsAre(QStringLiteral("appTheme"), QStringLiteral("goes"), QStringLiteral("new")));
    EXPECT_EQ(mine.textValue(QStringLiteral("appTheme")), QStringLiteral("dark"));
    EXPECT_FALSE(mine.contains(QStringLiteral("goes")));
    EXPECT_EQ(mine.integerValue(QStringLiteral("new")), 3);
}

TEST(SettingsStoreTest, ADamagedFileReadsAsNoSettings)
{
    const QString file = freshSettingsFile();
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{ not json");
    }
    SettingsStore s(file);
    EXPECT_TRUE(s.keys().isEmpty());
    s.setBool(QStringLiteral("k"), true);
    SettingsStore again(file);
    EXPECT_TRUE(again.boolValue(QStringLiteral("k")));
}

}  // namespace
