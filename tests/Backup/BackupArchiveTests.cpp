#include "BackupTestKit.h"

#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/BackupExport.h"
#include "Corvallen/Backup/StagedRestore.h"
#include "Corvallen/Backup/ZipReader.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Store/ModelContext.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <zip.h>

using namespace backuptest;

namespace {

const QByteArray kManifest = R"({"schemaVersion":1,"createdAt":"2025-03-01T09:30:00Z","appVersion":"1.0","counts":{"settings":1}})";

class BackupArchive : public BackupTest {
protected:
    // A folder with the given files (relative path -> bytes), zipped with the archive writer.
    QString zipOf(const QMap<QString, QByteArray>& files)
    {
        const QString folder = corvallen::test::freshFolder(QStringLiteral("src"));
        for (auto it = files.constBegin(); it != files.constEnd(); ++it) {
            if (it.key().endsWith(QLatin1Char('/')))
                QDir().mkpath(folder + QLatin1Char('/') + it.key());
            else
                writeBytes(folder + QLatin1Char('/') + it.key(), it.value());
        }
        return BackupBundle::zipFolder(folder);
    }
    QString fileWith(const QByteArray& bytes)
    {
        const QString p = corvallen::test::freshFolder(QStringLiteral("in")) + QStringLiteral("/picked.zip");
        writeBytes(p, bytes);
        return p;
    }
};

int compressionOf(const QString& archive, const char* name)
{
    zip_t* z = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, nullptr);
    if (!z)
        return -1;
    zip_stat_t st;
    const int method = zip_stat(z, name, 0, &st) == 0 ? int(st.comp_method) : -1;
    zip_discard(z);
    return method;
}

TEST_F(BackupArchive, WritesAnArchiveThatUnzipAcceptsWithCompressedDataStored)
{
    const QByteArray json = QByteArray("{\"key\": \"value\"}\n").repeated(500);
    const QString archive = zipOf({{QStringLiteral("captures/a.png"), noise(20000, 1)},
                                   {QStringLiteral("documents/b.PDF"), noise(9000, 2)},
                                   {QStringLiteral("inventory.json"), json},
                                   {QStringLiteral("documents/empty folder/"), {}},
                                   {QStringLiteral("Ünïcode name.json"), "[]"}});
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^CorvallenBackup-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.zip$"))
                    .match(QFileInfo(archive).fileName())
                    .hasMatch())
        << archive.toStdString();
    EXPECT_EQ(QFileInfo(archive).absolutePath(), QDir(tmp).absolutePath());

    QString out;
    EXPECT_TRUE(run(QStringLiteral("unzip"), {QStringLiteral("-t"), archive}, &out)) << out.toStdString();
    EXPECT_EQ(compressionOf(archive, "captures/a.png"), ZIP_CM_STORE);
    EXPECT_EQ(compressionOf(archive, "documents/b.PDF"), ZIP_CM_STORE);
    EXPECT_EQ(compressionOf(archive, "inventory.json"), ZIP_CM_DEFLATE);

    const QString unpacked = corvallen::test::freshFolder(QStringLiteral("unzip"));
    ASSERT_TRUE(run(QStringLiteral("unzip"), {QStringLiteral("-q"), archive, QStringLiteral("-d"), unpacked}, &out)) << out.toStdString();
    EXPECT_EQ(readBytes(unpacked + QStringLiteral("/captures/a.png")), noise(20000, 1));
    EXPECT_EQ(readBytes(unpacked + QStringLiteral("/inventory.json")), json);
    EXPECT_TRUE(QFileInfo(unpacked + QStringLiteral("/documents/empty folder")).isDir());
    EXPECT_TRUE(QFileInfo(unpacked + QStringLiteral("/Ünïcode name.json")).isFile());
}

TEST_F(BackupArchive, AnEmptyFolderMakesAValidArchiveThatIsNoBackup)
{
    const QString archive = zipOf({});
    ZipReader reader(archive);
    EXPECT_TRUE(reader.entries().isEmpty());
    try {
        BackupBundle::inspect(archive);
        FAIL() << "an empty archive was accepted";
    } catch (const BackupError& e) {
        EXPECT_EQ(e.domain(), QStringLiteral("Corvallen.Backup"));
        EXPECT_EQ(e.code(), 1);
        EXPECT_EQ(e.localizedDescription(), QStringLiteral("That doesn't look like a Corvallen backup."));
    }
}

TEST_F(BackupArchive, InspectionTellsTheKindWhereverTheFilesLie)
{
    const BackupBundle::Info deep = BackupBundle::inspect(zipOf({{QStringLiteral("a/b/manifest.json"), kManifest}}));
    ASSERT_TRUE(deep.manifest);
    EXPECT_FALSE(deep.isLegacy);
    EXPECT_EQ(deep.manifest->counts.value(QStringLiteral("settings")), 1);

    const BackupBundle::Info legacy = BackupBundle::inspect(zipOf({{QStringLiteral("x/y/Corvallen.store"), "opaque"}}));
    EXPECT_FALSE(legacy.manifest);
    EXPECT_TRUE(legacy.isLegacy);

    const BackupBundle::Info both = BackupBundle::inspect(
        zipOf({{QStringLiteral("manifest.json"), kManifest}, {QStringLiteral("Corvallen.store"), "opaque"}}));
    EXPECT_TRUE(both.manifest);
    EXPECT_FALSE(both.isLegacy);

    // A layout newer than this program's is refused, whatever else the archive holds.
    QByteArray newer = kManifest;
    newer.replace("\"schemaVersion\":1", "\"schemaVersion\":2");
    try {
        BackupBundle::inspect(zipOf({{QStringLiteral("manifest.json"), newer}, {QStringLiteral("Corvallen.store"), "opaque"}}));
        ADD_FAILURE() << "a newer layout was accepted";
    } catch (const BackupError& e) {
        EXPECT_EQ(e.localizedDescription().toStdString(),
                  "That backup was made by a newer version of Corvallen (archive layout 2). Update Corvallen to restore it.");
    }

    const BackupBundle::Info badManifestWithStore = BackupBundle::inspect(
        zipOf({{QStringLiteral("manifest.json"), "{\"schemaVersion\":1}"}, {QStringLiteral("d/Corvallen.store"), "opaque"}}));
    EXPECT_TRUE(badManifestWithStore.isLegacy);

    for (const QMap<QString, QByteArray>& files :
         {QMap<QString, QByteArray>{{QStringLiteral("manifest.json"), "{\"schemaVersion\":1}"}},
          QMap<QString, QByteArray>{{QStringLiteral("Manifest.json"), kManifest}, {QStringLiteral("corvallen.store"), "x"}},
          QMap<QString, QByteArray>{{QStringLiteral("manifest.json/"), {}}, {QStringLiteral("notes.txt"), "hello"}}}) {
        EXPECT_THROW(
            {
                try {
                    BackupBundle::inspect(zipOf(files));
                } catch (const BackupError& e) {
                    EXPECT_EQ(e.localizedDescription(), QStringLiteral("That doesn't look like a Corvallen backup."));
                    throw;
                }
            },
            BackupError);
    }
    // Inspection reads the ZIP directory only: it leaves nothing in the temporary folder but
    // the archives this test made.
    for (const QString& n : temporaryLeftovers(tmp))
        EXPECT_TRUE(n.startsWith(QStringLiteral("CorvallenBackup-"))) << n.toStdString();
}

// An archive that must be refused before anything is written, by inspection, by the selective
// restore and by the staging of a whole-store restore alike, each for the reason it gives.
struct Hostile {
    const char* what;
    QList<RawEntry> entries;
    QString reason;
};

class HostileArchives : public BackupArchive, public ::testing::WithParamInterface<int> {};

QList<Hostile> hostileArchives(const QString& outside)
{
    const QByteArray out = QFile::encodeName(outside);
    const RawEntry manifest{"manifest.json", kManifest};
    const RawEntry store{"Corvallen.store", "x"};
    RawEntry zeros{"captures/a.png", {}, 0100644u << 16, {}, {}, true, -1, QByteArray(4096, '\0'), 256};
    RawEntry again = zeros;
    again.name = "captures/b.png";
    again.sameDataAs = 2;
    const QString unsafe = QStringLiteral("The backup archive holds an unsafe entry “%1”: %2. The archive was not used.");
    return {
        {"zip-slip", {manifest, store, {"captures/../../../../escaped.png", "evil"}},
         unsafe.arg(QStringLiteral("captures/../../../../escaped.png"), QStringLiteral("its path leads out of the folder (\"..\")"))},
        {"leading dot-dot", {manifest, store, {"../escaped.png", "evil"}},
         unsafe.arg(QStringLiteral("../escaped.png"), QStringLiteral("its path leads out of the folder (\"..\")"))},
        {"absolute path", {manifest, store, {out + "/absolute.png", "evil"}},
         unsafe.arg(outside + QStringLiteral("/absolute.png"), QStringLiteral("it has an absolute path"))},
        {"symbolic link", {manifest, store, {"captures/link", out, 0120777u << 16}, {"captures/link/through.png", "evil"}},
         QStringLiteral("The backup archive holds a symbolic link “captures/link”. The archive was not used.")},
        {"lone symbolic link", {manifest, store, {"documents", out, 0120777u << 16}},
         QStringLiteral("The backup archive holds a symbolic link “documents”. The archive was not used.")},
        {"backslashes", {manifest, store, {"..\\..\\escaped.png", "evil"}},
         unsafe.arg(QStringLiteral("..\\..\\escaped.png"), QStringLiteral("its path uses backslashes"))},
        {"huge declared size", {manifest, store, {"captures/huge.png", "small", 0100644u << 16, quint64(1) << 50}},
         QStringLiteral("The backup archive claims to unpack to more than 256.0 GB, which is more than is accepted.")},
        {"name given twice", {manifest, store, {"settings.json", "{}"}, {"settings.json", "{}"}},
         QStringLiteral("The backup archive names “settings.json” twice. The archive was not used.")},
        {"file and folder of one name", {manifest, store, {"captures", "x"}, {"captures/a.png", "y"}},
         QStringLiteral("The backup archive uses “captures” both as a file and as a folder.")},
        {"device file", {manifest, store, {"captures/dev", "", 0020644u << 16}},
         QStringLiteral("The backup archive holds a special file “captures/dev”. The archive was not used.")},
        // Two names for one compressed block: a few kilobytes could unpack to gigabytes.
        {"entries sharing their data", {manifest, store, zeros, again},
         QStringLiteral("The backup archive holds entries that share their data (“captures/a.png” and “captures/b.png”). The archive was not used.")},
    };
}

TEST_P(HostileArchives, AreRefusedWithoutWritingAnything)
{
    const QString outside = corvallen::test::freshFolder(QStringLiteral("outside"));
    const Hostile h = hostileArchives(outside).at(GetParam());
    SCOPED_TRACE(h.what);
    const QString archive = fileWith(rawZip(h.entries));
    populate(context(), data());
    const QStringList before = describeStore(context());
    const auto folders = folderContents(data());

    auto expectRefusal = [&](const std::function<void()>& f) {
        try {
            f();
            ADD_FAILURE() << h.what << " was accepted";
        } catch (const BackupError& e) {
            EXPECT_EQ(e.domain(), QStringLiteral("Corvallen.Backup")) << e.what();
            EXPECT_EQ(e.localizedDescription().toStdString(), h.reason.toStdString());
        }
    };
    expectRefusal([&] { BackupBundle::inspect(archive); });
    expectRefusal([&] { restoreAsTheApplicationDoes(archive, BackupSelection::all(), context()); });
    expectRefusal([&] { StagedRestore::stageLegacyRestore(archive); });

    EXPECT_TRUE(folderContents(outside).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(tmp).absolutePath() + QStringLiteral("/escaped.png")));
    EXPECT_TRUE(temporaryLeftovers(tmp).isEmpty()) << temporaryLeftovers(tmp).join(u' ').toStdString();
    EXPECT_EQ(describeStore(context()), before);
    EXPECT_EQ(folderContents(data()), folders);  // no snapshot, no staging, nothing
}

INSTANTIATE_TEST_SUITE_P(Backup, HostileArchives, ::testing::Range(0, 11));

TEST_F(BackupArchive, DamagedAndForeignFilesAreRefusedClearly)
{
    populate(context(), data());
    const QString staging = BackupExport::exportBackup(BackupSelection::all(), context(), QStringLiteral("1"), QStringLiteral("1"));
    const QString good = BackupBundle::zipFolder(staging);
    BackupBundle::removeQuietly(staging);
    const QByteArray bytes = readBytes(good);
    BackupBundle::removeQuietly(good);

    QByteArray corrupted = bytes;
    // Flip bytes inside the first stored capture image: the directory is intact, the CRC is not.
    const qsizetype at = corrupted.indexOf("captures/scope_0001.png");
    ASSERT_GT(at, 0);
    for (int i = 100; i < 140; ++i)
        corrupted[at + 30 + i] = char(~corrupted[at + 30 + i]);

    RawEntry zeros{"captures/zeros.png", {}, 0100644u << 16, {}, {}, true, -1, QByteArray(4096, '\0'), 100 * 256};  // 100 MiB in 100 KB

    // The reason the selective restore gives, and the staging of a whole-store restore.
    struct Case {
        const char* what;
        QByteArray content;
        QString reason;
        QString stagingReason;
    };
    const QString notAZip = QStringLiteral("That file is not a ZIP archive, or it is incomplete.");
    const QString noStore = QStringLiteral("That doesn't look like a Corvallen backup (no data store inside).");
    const QString bombed = QStringLiteral("The backup archive unpacks to 100.0 MB from 99.4 kB of compressed data, far more than a backup does. "
                                          "The archive was not used.");
    const QList<Case> cases{
        {"truncated", bytes.left(bytes.size() / 2), notAZip, notAZip},
        {"not a ZIP", QByteArray("just some text, no archive at all\n").repeated(20), notAZip, notAZip},
        {"empty file", QByteArray(), notAZip, notAZip},
        {"damaged data", corrupted, QStringLiteral("“captures/scope_0001.png” in the backup archive is damaged (CRC error)."), noStore},
        // An empty entry is checked like any other: the CRC of no bytes is 0.
        {"empty entry with a wrong CRC", rawZip({{"manifest.json", kManifest}, {"settings.json", "", 0100644u << 16, {}, 0x1234u}}),
         QStringLiteral("“settings.json” in the backup archive is damaged (CRC error)."), noStore},
        {"far more unpacked than packed", rawZip({{"manifest.json", kManifest}, {"Corvallen.store", "x"}, zeros}), bombed, bombed},
    };
    const QStringList before = describeStore(context());
    const auto folders = folderContents(data());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString archive = fileWith(c.content);
        const QList<std::pair<std::function<void()>, QString>> restores{
            {[&] { restoreAsTheApplicationDoes(archive, BackupSelection::all(), context()); }, c.reason},
            {[&] { StagedRestore::stageLegacyRestore(archive); }, c.stagingReason}};
        for (const auto& [restore, reason] : restores) {
            try {
                restore();
                ADD_FAILURE() << c.what << " was restored";
            } catch (const BackupError& e) {
                EXPECT_EQ(e.domain(), QStringLiteral("Corvallen.Backup"));
                EXPECT_EQ(e.localizedDescription().toStdString(), reason.toStdString());
            }
        }
        EXPECT_TRUE(temporaryLeftovers(tmp).isEmpty());
    }
    EXPECT_EQ(describeStore(context()), before);
    EXPECT_EQ(folderContents(data()), folders);
}

TEST_F(BackupArchive, CapsOnEntriesAndSizeAreCheckedBeforeExtraction)
{
    QList<RawEntry> many;
    for (int i = 0; i < 12; ++i)
        many.append({QByteArray("f") + QByteArray::number(i), "x"});
    const QString archive = fileWith(rawZip(many));
    const qint64 limit = (qint64(3) << 29) + 5;  // 1.5 GiB and a little
    const QString big = fileWith(rawZip({{"big", "x", 0100644u << 16, quint64(limit + 1)}}));
    // Sizes are written as the user's locale writes them.
    struct Case {
        QString archive;
        ZipLimits limits;
        QLocale locale;
        QString reason;
    };
    const QList<Case> cases{
        {archive, ZipLimits{10, 1 << 20}, QLocale::c(), QStringLiteral("The backup archive holds too many entries (12; at most 10 are accepted).")},
        {archive, ZipLimits{100, 11}, QLocale::c(),
         QStringLiteral("The backup archive claims to unpack to more than 11 bytes, which is more than is accepted.")},
        {big, ZipLimits{100, limit}, QLocale(QLocale::German, QLocale::Germany),
         QStringLiteral("The backup archive claims to unpack to more than 1,5 GB, which is more than is accepted.")},
        {big, ZipLimits{100, limit}, QLocale(QLocale::English, QLocale::UnitedKingdom),
         QStringLiteral("The backup archive claims to unpack to more than 1.5 GB, which is more than is accepted.")},
    };
    for (const Case& c : cases) {
        QLocale::setDefault(c.locale);
        try {
            ZipReader(c.archive, c.limits);
            ADD_FAILURE() << "accepted: " << c.reason.toStdString();
        } catch (const BackupError& e) {
            EXPECT_EQ(e.localizedDescription().toStdString(), c.reason.toStdString());
        }
    }
    QLocale::setDefault(QLocale::c());
    ZipReader fine(archive, ZipLimits{12, 12});
    EXPECT_EQ(fine.entries().size(), 12);
    EXPECT_EQ(fine.totalSize(), 12);
    // Some tools count more than 65,535 entries modulo 65,536 instead of writing a ZIP64 end
    // record (as rawZip does): every entry is read all the same.
    QList<RawEntry> lots;
    for (int i = 0; i < 70'000; ++i)
        lots.append({"f" + QByteArray::number(i), {}});
    EXPECT_EQ(ZipReader(fileWith(rawZip(lots))).entries().size(), 70'000);
}

TEST_F(BackupArchive, NamesAreCheckedWithoutLettingOneNameFillTheMemoryOrTheMessage)
{
    // Deep names below the length cap, each in a folder of its own: listing every folder each
    // path implies would hold about a gigabyte here.
    QList<RawEntry> deep{{"manifest.json", kManifest}};
    const QByteArray chain = QByteArray("d/").repeated(ZipLimits::maxNameBytes / 2 - 8);
    for (int i = 0; i < 500; ++i)
        deep.append({"captures/" + QByteArray::number(i) + "/" + chain.left(ZipLimits::maxNameBytes - 21), "x"});
    EXPECT_EQ(ZipReader(fileWith(rawZip(deep))).entries().size(), 501);

    // A file that is also a folder is found whatever sorts between the two names.
    const QList<QList<QByteArray>> clashes{{"a", "a-b", "a.c", "a/x"}, {"d/e", "d/e.txt", "d/e/f/g"}, {"q/r/s", "q/r/s/t/"}};
    for (const QList<QByteArray>& names : clashes) {
        QList<RawEntry> entries;
        for (const QByteArray& n : names)
            entries.append({n, n.endsWith('/') ? QByteArray() : QByteArray("x"), n.endsWith('/') ? (040755u << 16) : (0100644u << 16)});
        EXPECT_THROW(ZipReader{fileWith(rawZip(entries))}, BackupError) << names.join(' ').toStdString();
    }
    EXPECT_NO_THROW(ZipReader(fileWith(rawZip({{"a", "x"}, {"ab/c", "x"}, {"a-b/c", "x"}, {"e/", {}, 040755u << 16}, {"e/f", "x"}}))));

    // One name over the cap is refused with a reason, and the message stays short.
    const QByteArray tooLong = "captures/" + QByteArray("n/").repeated(ZipLimits::maxNameBytes) + "x.png";
    try {
        BackupBundle::inspect(fileWith(rawZip({{"manifest.json", kManifest}, {tooLong, "x"}})));
        ADD_FAILURE() << "a name over the length cap was accepted";
    } catch (const BackupError& e) {
        const QString message = e.localizedDescription();
        EXPECT_TRUE(message.contains(QStringLiteral("its path is too long"))) << message.toStdString();
        EXPECT_LT(message.size(), 300);
    }
}

TEST(ZipEntryNames, OnlyRelativePathsOfPlainComponentsAreSafe)
{
    for (const char* ok : {"a", "a/b.png", "folder/", "with space/ü.json", "..hidden", "a/.dot"})
        EXPECT_TRUE(ZipReader::unsafeNameReason(QString::fromUtf8(ok)).isEmpty()) << ok;
    for (const char* bad : {"", "/etc/passwd", "../x", "a/../../x", "a/..", "a//b", "./a", "a\\b", "C:/x", "a/./b"})
        EXPECT_FALSE(ZipReader::unsafeNameReason(QString::fromUtf8(bad)).isEmpty()) << bad;
    // The cap counts bytes: a name of two-byte letters reaches it at half the letters.
    const QString wide = (QString(100, QChar(0xFC)) + QLatin1Char('/')).repeated(10) + QString(19, QChar(0xFC));
    ASSERT_EQ(wide.toUtf8().size(), ZipLimits::maxNameBytes);
    EXPECT_TRUE(ZipReader::unsafeNameReason(wide).isEmpty());
    EXPECT_EQ(ZipReader::unsafeNameReason(wide + QLatin1Char('x')), QStringLiteral("its path is too long"));
}

}  // namespace
