// The user's settings: values keep their types on disk, every change is announced, and a store
// re-reading its file announces what another writer changed.
#include "Corvallen/Platform/SettingsStore.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <limits>

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

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class UnreadableSettingsFile : public ::testing::TestWithParam<QByteArray> {};

TEST_P(UnreadableSettingsFile, IsKeptAsideAndNeverWrittenOver)
{
    const QString file = freshSettingsFile();
    const QByteArray damaged = GetParam();
    writeFile(file, damaged);

    SettingsStore s(file);
    EXPECT_TRUE(s.keys().isEmpty()) << "the defaults apply";
    const QString kept = s.unreadableFileKeptAs();
    ASSERT_FALSE(kept.isEmpty());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/settings-unreadable-\\d{8}-\\d{6}(-\\d+)?\\.json$")).match(kept).hasMatch())
        << kept.toStdString();
    EXPECT_EQ(readFile(kept), damaged);

    s.setBool(QStringLiteral("windowTranslucency"), false);
    EXPECT_EQ(readFile(kept), damaged) << "the next write starts a new file beside it";
    SettingsStore again(file);
    EXPECT_FALSE(again.boolValue(QStringLiteral("windowTranslucency"), true));
    EXPECT_TRUE(again.unreadableFileKeptAs().isEmpty()) << "the user is told once";

    // Damaged again while running: the file is kept, and the values of this run go back in.
    writeFile(file, damaged);
    again.reload();
    EXPECT_FALSE(again.unreadableFileKeptAs().isEmpty());
    EXPECT_NE(again.unreadableFileKeptAs(), kept);
    EXPECT_EQ(readFile(again.unreadableFileKeptAs()), damaged);
    EXPECT_FALSE(again.boolValue(QStringLiteral("windowTranslucency"), true));
    EXPECT_FALSE(SettingsStore(file).boolValue(QStringLiteral("windowTranslucency"), true));
}

INSTANTIATE_TEST_SUITE_P(SettingsStoreTest, UnreadableSettingsFile,
                         ::testing::Values(
                             // Cut short by a crash half-way through a write.
                             QByteArray(R"({"appTheme": {"type": "text", "value": "dark"}, "business.name": {"type": "te)"),
                             QByteArray("\x00\x00\x00", 3),
                             // Valid JSON, but no settings object.
                             QByteArray("[]"), QByteArray("\"dark\""), QByteArray("null")));

TEST(SettingsStoreTest, EntriesThatCantBeReadAreAbsentButKept)
{
    const QString file = freshSettingsFile();
    writeFile(file, R"({
        "huge": {"type": "integer", "value": 1e300},
        "hugeNegative": {"type": "integer", "value": -1e19},
        "hugeText": {"type": "integer", "value": "99999999999999999999"},
        "notANumber": {"type": "integer", "value": "12abc"},
        "newerType": {"type": "colour", "value": {"r": 1, "g": 0.5}},
        "notAnEntry": 5,
        "flagAsText": {"type": "bool", "value": "yes"},
        "listOfNumbers": {"type": "textList", "value": [1, 2]},
        "fine": {"type": "integer", "value": 4096},
        "fineText": {"type": "integer", "value": "-9223372036854775808"},
        "bigDouble": {"type": "double", "value": 1e300}
    })");
    const QJsonObject before = QJsonDocument::fromJson(readFile(file)).object();
    const QStringList unread{QStringLiteral("huge"),      QStringLiteral("hugeNegative"), QStringLiteral("hugeText"),
                             QStringLiteral("notANumber"), QStringLiteral("newerType"),   QStringLiteral("notAnEntry"),
                             QStringLiteral("flagAsText"), QStringLiteral("listOfNumbers")};
    SettingsStore s(file);
    EXPECT_TRUE(s.unreadableFileKeptAs().isEmpty());
    for (const QString& key : unread) {
        EXPECT_FALSE(s.contains(key)) << key.toStdString();
        EXPECT_EQ(s.integerValue(key, 7), 7) << key.toStdString();
    }
    EXPECT_EQ(s.integerValue(QStringLiteral("fine")), 4096);
    EXPECT_EQ(s.integerValue(QStringLiteral("fineText")), std::numeric_limits<qint64>::min());
    // A double read as an integer: too large for one, so the reader's default.
    EXPECT_DOUBLE_EQ(s.doubleValue(QStringLiteral("bigDouble")), 1e300);
    EXPECT_EQ(s.integerValue(QStringLiteral("bigDouble"), 3), 3);

    // Writing another key keeps them as they were; setting or removing one of them replaces it.
    s.setBool(QStringLiteral("windowTranslucency"), true);
    s.setInteger(QStringLiteral("huge"), 5);
    s.remove(QStringLiteral("notAnEntry"));
    s.reload();
    const QJsonObject after = QJsonDocument::fromJson(readFile(file)).object();
    for (const QString& key : unread.mid(1, 4) + unread.mid(6))
        EXPECT_EQ(after.value(key), before.value(key)) << key.toStdString();
    EXPECT_FALSE(after.contains(QStringLiteral("notAnEntry")));
    EXPECT_EQ(SettingsStore(file).integerValue(QStringLiteral("huge")), 5);
}

}  // namespace
