#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Sync/SyncLocation.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<SettingsStore> freshSettings()
{
    return std::make_unique<SettingsStore>(corvallen::test::freshFolder(QStringLiteral("settings")) + QStringLiteral("/settings.json"));
}

SyncLocation sample(const QString& id, const QString& name)
{
    SyncLocation l;
    l.id = id;
    l.name = name;
    return l;
}

}  // namespace

TEST(SyncLocation, SavedListKeepsOrderAndEveryField)
{
    auto settings = freshSettings();
    EXPECT_TRUE(SyncLocation::loadAll(*settings).isEmpty());

    SyncLocation scope = sample(QStringLiteral("A"), QStringLiteral("Scope"));
    scope.scanWholeDrive = false;
    scope.subfolder = QStringLiteral("DCIM");
    scope.imageExtensions = {QStringLiteral("png"), QStringLiteral("bmp")};
    scope.autoSync = false;
    scope.ejectAfterSync = true;
    scope.volumeName = QStringLiteral("2D15P");
    scope.deviceID = QStringLiteral("usb-1");
    SyncLocation folder = sample(QStringLiteral("B"), QString());

    SyncLocation::upsert(scope, *settings);
    SyncLocation::upsert(folder, *settings);
    // An update keeps its place in the list.
    scope.name = QStringLiteral("Bench scope");
    SyncLocation::upsert(scope, *settings);

    SettingsStore reread(settings->filePath());
    const QList<SyncLocation> loaded = SyncLocation::loadAll(reread);
    ASSERT_EQ(loaded.size(), 2);
    EXPECT_EQ(loaded[0], scope);
    EXPECT_EQ(loaded[1], folder);
    EXPECT_EQ(reread.typeOf(QStringLiteral("customDevices")), SettingsStore::Type::Bytes);
}

TEST(SyncLocation, JsonWritesFieldsInOrderAndOmitsAbsentOptionals)
{
    SyncLocation l = sample(QStringLiteral("ID-1"), QStringLiteral("Scope \"A\""));
    const QByteArray json = l.toJson();
    EXPECT_TRUE(json.startsWith("{\"id\":\"ID-1\",\"name\":\"Scope \\\"A\\\"\",\"symbol\":\"externaldrive\",\"scanWholeDrive\":true"));
    EXPECT_FALSE(json.contains("volumeName"));
    EXPECT_FALSE(json.contains("deviceID"));
    const auto back = SyncLocation::fromJson(QJsonDocument::fromJson(json).object());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, l);
}

TEST(SyncLocation, OneUndecodableElementIsSkippedAndKeptAsideBeforeTheListIsWritten)
{
    auto settings = freshSettings();
    const QByteArray stored = R"([{"id":"A","name":"","symbol":"externaldrive","scanWholeDrive":true,"subfolder":"",)"
                              R"("imageExtensions":["png"],"autoSync":true,"ejectAfterSync":false},)"
                              R"({"id":"B","name":"","symbol":"x","scanWholeDrive":true,"subfolder":"",)"
                              R"("autoSync":true,"ejectAfterSync":false}])";
    settings->setBytes(QStringLiteral("customDevices"), stored);
    const QList<SyncLocation> loaded = SyncLocation::loadAll(*settings);
    ASSERT_EQ(loaded.size(), 1);  // B lacks its extensions; A still works
    EXPECT_EQ(loaded[0].id, QStringLiteral("A"));
    EXPECT_EQ(settings->bytesValue(QStringLiteral("customDevices")), stored);  // loading changes nothing

    // The first change writes the list again, but only after keeping the old value beside the
    // settings file.
    const QDir folder = QFileInfo(settings->filePath()).absoluteDir();
    auto keptAside = [&] { return folder.entryList({QStringLiteral("customDevices.unreadable-*.json")}, QDir::Files); };
    EXPECT_TRUE(keptAside().isEmpty());
    SyncLocation::upsert(sample(QStringLiteral("C"), QStringLiteral("Card")), *settings);
    ASSERT_EQ(keptAside().size(), 1);
    QFile copy(folder.filePath(keptAside().first()));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), stored);
    ASSERT_EQ(SyncLocation::loadAll(*settings).size(), 2);
    // A list that decodes whole is written over without a copy.
    SyncLocation::remove(QStringLiteral("C"), *settings);
    EXPECT_EQ(keptAside().size(), 1);

    // Bytes that aren't a JSON array load as nothing, and are kept too before being replaced.
    settings->setBytes(QStringLiteral("customDevices"), "[{\"id\":");
    EXPECT_TRUE(SyncLocation::loadAll(*settings).isEmpty());
    SyncLocation::upsert(sample(QStringLiteral("D"), QStringLiteral("Desk")), *settings);
    EXPECT_EQ(keptAside().size(), 2);

    // Null and missing optionals read as absent, unknown keys are ignored, a wrong type fails.
    QJsonObject o = QJsonDocument::fromJson(SyncLocation::makeNew().toJson()).object();
    o.insert(QStringLiteral("volumeName"), QJsonValue::Null);
    o.insert(QStringLiteral("somethingNew"), 3);
    const auto l = SyncLocation::fromJson(o);
    ASSERT_TRUE(l);
    EXPECT_FALSE(l->volumeName);
    o.insert(QStringLiteral("deviceID"), 12);
    EXPECT_FALSE(SyncLocation::fromJson(o));

    // A text value under the key is not the saved list.
    settings->setText(QStringLiteral("customDevices"), QStringLiteral("[]"));
    EXPECT_TRUE(SyncLocation::loadAll(*settings).isEmpty());
}

TEST(SyncLocation, NewLocationDefaults)
{
    const SyncLocation l = SyncLocation::makeNew();
    EXPECT_EQ(l.id.size(), 36);
    EXPECT_EQ(l.id, l.id.toUpper());
    EXPECT_EQ(l.symbol, QStringLiteral("externaldrive"));
    EXPECT_TRUE(l.scanWholeDrive);
    EXPECT_TRUE(l.autoSync);
    EXPECT_FALSE(l.ejectAfterSync);
    EXPECT_EQ(l.imageExtensions, SyncLocation::defaultImageExtensions());
    EXPECT_EQ(l.displayName(), QStringLiteral("Location"));
}

TEST(SyncLocation, ScanOptionsTrimTheSubfolderAndFallBackToTheDefaultExtensions)
{
    SyncLocation l = sample(QStringLiteral("A"), QStringLiteral("Scope"));
    l.subfolder = QStringLiteral("DCIM");
    EXPECT_FALSE(l.scanOptions().subfolder);  // whole drive
    l.scanWholeDrive = false;
    l.subfolder = QStringLiteral(" \tDCIM\u00a0 ");
    EXPECT_EQ(l.scanOptions().subfolder, QStringLiteral("DCIM"));
    l.subfolder = QStringLiteral("DCIM\n");  // line breaks are part of the name
    EXPECT_EQ(l.scanOptions().subfolder, QStringLiteral("DCIM\n"));
    l.subfolder = QStringLiteral("   ");
    EXPECT_FALSE(l.scanOptions().subfolder);

    l.imageExtensions.clear();
    const QStringList defaults = SyncLocation::defaultImageExtensions();
    EXPECT_EQ(l.scanOptions().extensions, QSet<QString>(defaults.begin(), defaults.end()));
    l.imageExtensions = {QStringLiteral("png"), QStringLiteral("png"), QStringLiteral("JPG")};
    EXPECT_EQ(l.scanOptions().extensions, (QSet<QString>{QStringLiteral("png"), QStringLiteral("JPG")}));

    SyncLocation reordered = l;
    reordered.imageExtensions = {QStringLiteral("JPG"), QStringLiteral("png"), QStringLiteral("png")};
    EXPECT_NE(l, reordered);
}

TEST(SyncLocation, RemoveKeepsTheOthersInOrder)
{
    auto settings = freshSettings();
    SyncLocation::saveAll({sample(QStringLiteral("A"), {}), sample(QStringLiteral("B"), {}), sample(QStringLiteral("C"), {})}, *settings);
    SyncLocation::remove(QStringLiteral("B"), *settings);
    const QList<SyncLocation> left = SyncLocation::loadAll(*settings);
    ASSERT_EQ(left.size(), 2);
    EXPECT_EQ(left[0].id, QStringLiteral("A"));
    EXPECT_EQ(left[1].id, QStringLiteral("C"));
}
