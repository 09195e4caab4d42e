#include "BackupTestKit.h"

#include "Corvallen/Backup/BackupExport.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <csignal>
#include <cmath>
#include <limits>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace backuptest;

namespace {

const QRegularExpression kUuid(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));

QJsonArray arrayIn(const QString& file) { return QJsonDocument::fromJson(readBytes(file)).array(); }
QJsonObject objectIn(const QString& file) { return QJsonDocument::fromJson(readBytes(file)).object(); }

QJsonObject findBy(const QJsonArray& records, const char* key, const QString& value)
{
    for (const QJsonValue& v : records)
        if (v.toObject().value(QLatin1String(key)).toString() == value)
            return v.toObject();
    ADD_FAILURE() << "no record with " << key << " = " << value.toStdString();
    return {};
}

class BackupExportTest : public BackupTest {
protected:
    void SetUp() override
    {
        BackupTest::SetUp();
        SettingsStore& s = SettingsStore::shared();
        for (const QString& k : s.keys())
            s.remove(k);
    }
    QString exportOf(const BackupSelection& selection)
    {
        return BackupExport::exportBackup(selection, context(), QStringLiteral("2.1"), QStringLiteral("210"));
    }
};

TEST_F(BackupExportTest, OnlySettingsGivesTwoFilesAndAManifestThatDescribesTheExport)
{
    populate(context(), data());
    BackupSelection settingsOnly;
    settingsOnly.settings = true;
    const QDateTime started = QDateTime::currentDateTimeUtc().addSecs(-1);
    const QString staging = exportOf(settingsOnly);

    EXPECT_EQ(QFileInfo(staging).absolutePath(), QDir(tmp).absolutePath());
    EXPECT_TRUE(QFileInfo(staging).fileName().startsWith(QStringLiteral("CorvallenBackup-")));
    EXPECT_TRUE(kUuid.match(QFileInfo(staging).fileName().mid(16)).hasMatch());
    EXPECT_EQ(QDir(staging).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), (QStringList{"manifest.json", "settings.json"}));

    const auto manifest = BackupManifest::fromJson(readBytes(staging + QStringLiteral("/manifest.json")));
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->schemaVersion, 1);
    EXPECT_EQ(manifest->appVersion, QStringLiteral("2.1"));
    EXPECT_EQ(manifest->appBuild, QStringLiteral("210"));
    EXPECT_EQ(manifest->exportedBy, QStringLiteral("Corvallen for Linux"));
    EXPECT_EQ(manifest->buildChannel, QStringLiteral("release"));
    ASSERT_TRUE(manifest->osVersion);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Linux \\d+\\.\\d+(\\.[1-9]\\d*)?$")).match(*manifest->osVersion).hasMatch())
        << manifest->osVersion->toStdString();
    EXPECT_EQ(manifest->counts, (QMap<QString, qint64>{{QStringLiteral("settings"), 1}}));
    EXPECT_GE(manifest->createdAt, started);
    EXPECT_EQ(objectIn(staging + QStringLiteral("/settings.json")), QJsonObject());
}

TEST_F(BackupExportTest, RecordsCarryFreshIdsAndLinkFromOneSide)
{
    populate(context(), data());
    const QString staging = exportOf(BackupSelection::all());
    const QString second = exportOf(BackupSelection::all());

    const auto manifest = BackupManifest::fromJson(readBytes(staging + QStringLiteral("/manifest.json")));
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->counts, (QMap<QString, qint64>{{QStringLiteral("inventory"), 2}, {QStringLiteral("files"), 2},
                                                         {QStringLiteral("captures"), 3}, {QStringLiteral("projects"), 2},
                                                         {QStringLiteral("settings"), 1}}));

    const QJsonArray inventory = arrayIn(staging + QStringLiteral("/inventory.json"));
    const QJsonObject bare = findBy(inventory, "name", QStringLiteral("Resistor 10k"));
    QStringList keys = bare.keys();
    EXPECT_EQ(keys, (QStringList{"createdAt", "id", "minQty", "name", "qty", "unit", "updatedAt"}));
    EXPECT_EQ(bare.value(QStringLiteral("qty")).toInteger(), -3);
    EXPECT_EQ(bare.value(QStringLiteral("createdAt")).toString(), QStringLiteral("2024-05-06T07:08:19Z"));
    const QJsonObject full = findBy(inventory, "name", QStringLiteral("NE555 timer"));
    EXPECT_EQ(full.keys().size(), 33);
    EXPECT_EQ(full.value(QStringLiteral("resellPrice")).toDouble(), 1e-7);

    QSet<QString> ids;
    for (const char* file : {"inventory.json", "documents.json", "tags.json", "captures.json", "projects.json"})
        for (const QJsonValue& v : arrayIn(staging + QLatin1Char('/') + QLatin1String(file))) {
            const QString id = v.toObject().value(QStringLiteral("id")).toString();
            EXPECT_TRUE(kUuid.match(id).hasMatch()) << id.toStdString();
            ids.insert(id);
        }
    EXPECT_EQ(ids.size(), 2 + 2 + 3 + 3 + 2);
    EXPECT_NE(findBy(arrayIn(second + QStringLiteral("/inventory.json")), "name", QStringLiteral("Resistor 10k")).value(QStringLiteral("id")),
              bare.value(QStringLiteral("id")));

    const QJsonArray projects = arrayIn(staging + QStringLiteral("/projects.json"));
    const QJsonArray tags = arrayIn(staging + QStringLiteral("/tags.json"));
    const QJsonObject amp = findBy(projects, "name", QStringLiteral("Amp repair"));
    const QJsonObject capture = findBy(arrayIn(staging + QStringLiteral("/captures.json")), "fileName", QStringLiteral("scope_0001.png"));
    EXPECT_EQ(capture.value(QStringLiteral("project")), amp.value(QStringLiteral("id")));
    EXPECT_EQ(capture.value(QStringLiteral("tags")).toArray(),
              (QJsonArray{findBy(tags, "name", QStringLiteral("bench ✓")).value(QStringLiteral("id")),
                          findBy(tags, "name", QStringLiteral("ripple")).value(QStringLiteral("id"))}));
    findBy(tags, "name", QStringLiteral("unused"));
    const QJsonObject plain = findBy(arrayIn(staging + QStringLiteral("/captures.json")), "fileName", QStringLiteral("scope_0003.png"));
    EXPECT_FALSE(plain.contains(QStringLiteral("project")));
    EXPECT_EQ(plain.value(QStringLiteral("tags")), QJsonArray());

    const QJsonArray bom = amp.value(QStringLiteral("bom")).toArray();
    ASSERT_EQ(bom.size(), 2);
    QSet<QString> lineTargets{bom[0].toObject().value(QStringLiteral("component")).toString(), bom[1].toObject().value(QStringLiteral("component")).toString()};
    EXPECT_TRUE(lineTargets.contains(bare.value(QStringLiteral("id")).toString()));
    EXPECT_TRUE(lineTargets.contains(full.value(QStringLiteral("id")).toString()));
    const QJsonObject psu = findBy(projects, "name", QStringLiteral("PSU build"));
    EXPECT_FALSE(psu.contains(QStringLiteral("labourHours")));
    EXPECT_EQ(psu.value(QStringLiteral("quoteCombined")), QJsonValue(false));
    EXPECT_EQ(psu.value(QStringLiteral("labourFlat")).toDouble(), 99.99);

    // The data folders travel whole, beside the records.
    EXPECT_EQ(folderContents(staging + QStringLiteral("/captures")), folderContents(data(QStringLiteral("captures"))));
    EXPECT_EQ(folderContents(staging + QStringLiteral("/components")), folderContents(data(QStringLiteral("components"))));
    EXPECT_EQ(folderContents(staging + QStringLiteral("/documents")), folderContents(data(QStringLiteral("documents"))));
}

TEST_F(BackupExportTest, EmptySectionsAreWrittenAndMissingFoldersSkipped)
{
    BackupSelection s;
    s.inventory = true;
    s.captures = true;
    writeBytes(data(QStringLiteral("components/orphan.pdf")), "kept");
    const QString staging = exportOf(s);
    EXPECT_TRUE(readBytes(staging + QStringLiteral("/inventory.json")).trimmed().startsWith('['));
    EXPECT_EQ(arrayIn(staging + QStringLiteral("/inventory.json")), QJsonArray());
    EXPECT_EQ(arrayIn(staging + QStringLiteral("/captures.json")), QJsonArray());
    EXPECT_EQ(readBytes(staging + QStringLiteral("/components/orphan.pdf")), QByteArray("kept"));
    EXPECT_FALSE(QFileInfo::exists(staging + QStringLiteral("/captures")));
    const auto manifest = BackupManifest::fromJson(readBytes(staging + QStringLiteral("/manifest.json")));
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->counts, (QMap<QString, qint64>{{QStringLiteral("inventory"), 0}, {QStringLiteral("captures"), 0}}));
}

TEST_F(BackupExportTest, ANumberThatIsNotFiniteIsLeftOutInsteadOfBlockingTheBackup)
{
    Capture* c = context().insert(new Capture(QStringLiteral("odd.png")));
    c->setValue(std::numeric_limits<double>::quiet_NaN());
    c->setMinValue(-std::numeric_limits<double>::infinity());
    c->setMaxValue(2.5);
    Component* part = context().insert(new Component(QStringLiteral("odd part")));
    part->setConfidence(std::numeric_limits<double>::infinity());
    ASSERT_TRUE(context().save());
    const QString staging = exportOf(BackupSelection::all());
    const QJsonObject record = arrayIn(staging + QStringLiteral("/captures.json")).at(0).toObject();
    EXPECT_FALSE(record.contains(QStringLiteral("value")));
    EXPECT_FALSE(record.contains(QStringLiteral("minValue")));
    EXPECT_EQ(record.value(QStringLiteral("maxValue")).toDouble(), 2.5);
    EXPECT_FALSE(arrayIn(staging + QStringLiteral("/inventory.json")).at(0).toObject().contains(QStringLiteral("confidence")));
}

TEST_F(BackupExportTest, SettingsRecordTakesTextsFlagsAndNonEmptyBusinessKeys)
{
    SettingsStore& s = SettingsStore::shared();
    s.setText(QStringLiteral("appTheme"), QStringLiteral("dark"));
    s.setText(QStringLiteral("installedFirmware_2D15P"), QStringLiteral("1.0.3"));
    s.setText(QStringLiteral("autoEjectAfterSync"), QStringLiteral("yes"));  // not a flag: left out
    s.setText(QStringLiteral("business.name"), QString());                   // empty: left out
    s.setDouble(QStringLiteral("business.vatRate"), 20);
    s.setText(QStringLiteral("business.logoWide"), QStringLiteral("logo-1.png"));  // never carried
    BackupSelection sel;
    sel.settings = true;
    QJsonObject o = objectIn(exportOf(sel) + QStringLiteral("/settings.json"));
    EXPECT_EQ(o, (QJsonObject{{"appTheme", "dark"}, {"installedFirmware_2D15P", "1.0.3"}, {"business", QJsonObject{{"business.vatRate", "20"}}}}));

    s.setBool(QStringLiteral("autoEjectAfterSync"), false);
    s.remove(QStringLiteral("business.vatRate"));
    o = objectIn(exportOf(sel) + QStringLiteral("/settings.json"));
    EXPECT_EQ(o.value(QStringLiteral("autoEjectAfterSync")), QJsonValue(false));
    EXPECT_FALSE(o.contains(QStringLiteral("business")));
}

TEST_F(BackupExportTest, AFolderThatCannotBeCopiedFailsTheExportAndLeavesNothing)
{
    // A file size limit makes copying fail for real, on a temporary folder on another file
    // system (so the staging copy cannot use links).
    struct stat shm {};
    struct stat here {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(QFile::encodeName(data()).constData(), &here) != 0 || shm.st_dev == here.st_dev)
        GTEST_SKIP() << "needs /dev/shm on a file system of its own";
    const QString otherTmp = QStringLiteral("/dev/shm/corvallen-backup-test-%1").arg(::getpid());
    QDir().mkpath(otherTmp);
    qputenv("TMPDIR", otherTmp.toUtf8());
    writeBytes(data(QStringLiteral("captures/big.png")), noise(300000, 3));

    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 100000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool threw = false;
    try {
        exportOf(BackupSelection::all());
    } catch (const BackupError& e) {
        threw = true;
        EXPECT_TRUE(e.localizedDescription().contains(QStringLiteral("big.png"))) << e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_TRUE(threw);
    EXPECT_TRUE(temporaryLeftovers(otherTmp).isEmpty());
    QDir(otherTmp).removeRecursively();
}

}  // namespace
