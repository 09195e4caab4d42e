// The file work of a sync against real folders of real images: what a scan takes, PNG
// conversion and the content hash, de-duplication, names that never overwrite another capture,
// stopping part way, and the progress reports.
#include "Corvallen/Sync/DeviceStorage.h"
#include "Sync/SyncTestKit.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

using namespace synctest;

namespace {

QStringList names(const QStringList& paths)
{
    QStringList out;
    for (const QString& p : paths)
        out << QFileInfo(p).fileName();
    out.sort();
    return out;
}

const QSet<QString> kDefaults{QStringLiteral("png"), QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                              QStringLiteral("gif"), QStringLiteral("tiff"), QStringLiteral("tif")};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(Scan, WholeDriveWalksVisibleFoldersAndFiltersByExtension)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    QDir().mkpath(drive + QStringLiteral("/DCIM/100"));
    QDir().mkpath(drive + QStringLiteral("/.Trash-1000/files"));
    writeImage(drive + QStringLiteral("/top.png"), Qt::red);
    writeImage(drive + QStringLiteral("/DCIM/IMG.PNG"), Qt::red);
    writeImage(drive + QStringLiteral("/DCIM/100/deep.jpg"), Qt::red, "JPG");
    writeFile(drive + QStringLiteral("/DCIM/._IMG.png"), "fork");
    writeFile(drive + QStringLiteral("/DCIM/notes.txt"), "x");
    writeFile(drive + QStringLiteral("/.hidden.png"), "x");
    writeFile(drive + QStringLiteral("/.Trash-1000/files/old.png"), "x");
    writeFile(drive + QStringLiteral("/.png"), "x");  // a hidden file, not a PNG
    // A link back up the tree must not trap the walk.
    QFile::link(drive, drive + QStringLiteral("/DCIM/loop"));

    EXPECT_EQ(names(DeviceStorage::scanImageFiles(drive, std::nullopt, kDefaults)),
              (QStringList{QStringLiteral("IMG.PNG"), QStringLiteral("deep.jpg"), QStringLiteral("top.png")}));
    // Only the extensions asked for, compared in lower case; an upper-case entry matches nothing.
    EXPECT_EQ(names(DeviceStorage::scanImageFiles(drive, std::nullopt, {QStringLiteral("jpg")})),
              QStringList{QStringLiteral("deep.jpg")});
    EXPECT_TRUE(DeviceStorage::scanImageFiles(drive, std::nullopt, {QStringLiteral("PNG")}).isEmpty());

    // A subfolder is listed alone, without its subfolders, hidden files included.
    writeFile(drive + QStringLiteral("/DCIM/.dot.png"), "x");
    EXPECT_EQ(names(DeviceStorage::scanImageFiles(drive, QStringLiteral("DCIM"), kDefaults)),
              (QStringList{QStringLiteral(".dot.png"), QStringLiteral("IMG.PNG")}));
    EXPECT_TRUE(DeviceStorage::scanImageFiles(drive, QStringLiteral("Missing"), kDefaults).isEmpty());
}

TEST(Scan, WholeDriveStopsAt5000FilesOrWhenCancelled)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("big"));
    for (int i = 0; i < 5010; ++i)
        writeFile(drive + QStringLiteral("/f%1.png").arg(i), {});
    EXPECT_EQ(DeviceStorage::scanImageFiles(drive, std::nullopt, kDefaults).size(), 5000);
    int asked = 0;
    const QStringList partial = DeviceStorage::scanImageFiles(drive, std::nullopt, kDefaults, [&] { return ++asked > 10; });
    EXPECT_EQ(partial.size(), 10);
}

TEST(ContentHash, IsTheFirstEightBytesOfSha256InLowerCaseHex)
{
    const QByteArray data("capture bytes");
    const QString hash = DeviceStorage::contentHash(data);
    EXPECT_EQ(hash.size(), 16);
    EXPECT_EQ(hash, QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex().left(16)));
    EXPECT_EQ(hash, hash.toLower());
}

TEST(Import, ConvertsEveryFormatToPngAndSkipsWhatWasImportedBefore)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    clearCaptures();
    const QString folder = DeviceStorage::capturesFolder();
    writeImage(drive + QStringLiteral("/A.png"), Qt::red);
    writeImage(drive + QStringLiteral("/B.jpg"), Qt::green, "JPG");
    writeImage(drive + QStringLiteral("/C.bmp"), Qt::blue, "BMP");
    writeFile(drive + QStringLiteral("/D.png"), "not an image");
    const QStringList files{drive + QStringLiteral("/A.png"), drive + QStringLiteral("/B.jpg"), drive + QStringLiteral("/C.bmp"),
                            drive + QStringLiteral("/D.png")};

    const auto first = DeviceStorage::importCaptures(files, false, {}, folder);
    EXPECT_EQ(first.imported, 3);  // the unreadable file is neither counted nor remembered
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("A.png"), QStringLiteral("B.png"), QStringLiteral("C.png")}));
    EXPECT_EQ(first.knownHashes.size(), 3);
    for (const QString& name : captureFiles()) {
        const QByteArray bytes = readAll(folder + QLatin1Char('/') + name);
        EXPECT_TRUE(bytes.startsWith("\x89PNG")) << name.toStdString();
        EXPECT_TRUE(first.knownHashes.contains(DeviceStorage::contentHash(bytes)));
    }
    EXPECT_EQ(QImage(folder + QStringLiteral("/C.png")).pixelColor(3, 3), QColor(Qt::blue));

    // Everything known: nothing is written, even after the files were deleted from the folder.
    QFile::remove(folder + QStringLiteral("/A.png"));
    const auto second = DeviceStorage::importCaptures(files, false, first.knownHashes, folder);
    EXPECT_EQ(second.imported, 0);
    EXPECT_EQ(second.knownHashes, first.knownHashes);
    // A full resync writes what is missing and leaves what is present alone.
    const auto full = DeviceStorage::importCaptures(files, true, first.knownHashes, folder);
    EXPECT_EQ(full.imported, 1);
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("A.png"), QStringLiteral("B.png"), QStringLiteral("C.png")}));
}

TEST(Import, SamePictureUnderTwoNamesIsImportedOnceUnlessFull)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    clearCaptures();
    writeImage(drive + QStringLiteral("/one.png"), Qt::yellow);
    writeImage(drive + QStringLiteral("/two.bmp"), Qt::yellow, "BMP");
    const QStringList files{drive + QStringLiteral("/one.png"), drive + QStringLiteral("/two.bmp")};
    EXPECT_EQ(DeviceStorage::importCaptures(files, false, {}, DeviceStorage::capturesFolder()).imported, 1);
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("one.png")});
    clearCaptures();
    EXPECT_EQ(DeviceStorage::importCaptures(files, true, {}, DeviceStorage::capturesFolder()).imported, 2);
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("one.png"), QStringLiteral("two.png")}));
}

TEST(Import, NamesNeverOverwriteAnotherCapture)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    clearCaptures();
    const QString folder = DeviceStorage::capturesFolder();
    writeImage(folder + QStringLiteral("/IMG.png"), Qt::black);
    const QByteArray before = readAll(folder + QStringLiteral("/IMG.png"));
    writeImage(drive + QStringLiteral("/IMG.bmp"), Qt::cyan, "BMP");
    EXPECT_EQ(DeviceStorage::importCaptures({drive + QStringLiteral("/IMG.bmp")}, false, {}, folder).imported, 1);
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("IMG (2).png"), QStringLiteral("IMG.png")}));
    EXPECT_EQ(readAll(folder + QStringLiteral("/IMG.png")), before);

    // With every numbered name taken by other pictures, the hash goes into the name; a file
    // already there under that name is kept too.
    clearCaptures();
    writeFile(folder + QStringLiteral("/S.png"), "other");
    for (int n = 2; n <= 999; ++n)
        writeFile(folder + QStringLiteral("/S (%1).png").arg(n), "other");
    writeImage(drive + QStringLiteral("/S.png"), Qt::magenta);
    const QString hash = DeviceStorage::contentHash(DeviceStorage::pngData(drive + QStringLiteral("/S.png")));
    const QString hashName = QStringLiteral("S-") + hash.left(8) + QStringLiteral(".png");
    writeFile(folder + QLatin1Char('/') + hashName, "also other");
    EXPECT_EQ(DeviceStorage::importCaptures({drive + QStringLiteral("/S.png")}, false, {}, folder).imported, 1);
    EXPECT_EQ(readAll(folder + QLatin1Char('/') + hashName), QByteArray("also other"));
    const QString written = folder + QStringLiteral("/S-") + hash.left(8) + QStringLiteral(" (2).png");
    EXPECT_EQ(DeviceStorage::contentHash(readAll(written)), hash);
    // The same picture found under one of its names is not written again.
    EXPECT_EQ(DeviceStorage::importCaptures({drive + QStringLiteral("/S.png")}, true, {}, folder).imported, 0);
}

TEST(Import, AFailedWriteIsNotCountedAndIsTriedAgainNextTime)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    // A captures folder that can't be written to (here: one that isn't there).
    const QString folder = corvallen::test::freshFolder(QStringLiteral("captures")) + QStringLiteral("/missing");
    writeImage(drive + QStringLiteral("/A.png"), Qt::red);
    const auto result = DeviceStorage::importCaptures({drive + QStringLiteral("/A.png")}, false, {}, folder);
    EXPECT_EQ(result.imported, 0);
    EXPECT_TRUE(result.knownHashes.isEmpty());
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(DeviceStorage::importCaptures({drive + QStringLiteral("/A.png")}, false, result.knownHashes, folder).imported, 1);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("A.png")});
}

TEST(Import, StopsBeforeTheNextFileAndReportsEveryTwentiethFile)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    clearCaptures();
    QStringList files;
    for (int i = 0; i < 45; ++i) {
        const QString path = drive + QStringLiteral("/f%1.png").arg(i);
        writeImage(path, QColor::fromRgb(i * 5, 10, 10), "PNG", QSize(4, 4));
        files << path;
    }
    QList<qint64> reports;
    const auto all = DeviceStorage::importCaptures(files, false, {}, DeviceStorage::capturesFolder(), {},
                                                   [&](qint64 n) { reports << n; });
    EXPECT_EQ(all.imported, 45);
    EXPECT_EQ(reports, (QList<qint64>{0, 20, 40, 45}));

    clearCaptures();
    int checks = 0;
    const auto stopped = DeviceStorage::importCaptures(files, false, {}, DeviceStorage::capturesFolder(),
                                                       [&] { return ++checks > 3; });
    EXPECT_EQ(stopped.imported, 3);
    EXPECT_EQ(stopped.knownHashes.size(), 3);  // kept, so they are not imported again
    EXPECT_EQ(captureFiles().size(), 3);

    // An empty list imports nothing and still reports.
    reports.clear();
    EXPECT_EQ(DeviceStorage::importCaptures({}, false, {}, DeviceStorage::capturesFolder(), {}, [&](qint64 n) { reports << n; }).imported, 0);
    EXPECT_EQ(reports, QList<qint64>{0});
}

TEST(Import, KnownHashesRoundTripThroughTheSettings)
{
    Bench bench;
    EXPECT_TRUE(DeviceStorage::knownHashes(*bench.settings).isEmpty());
    DeviceStorage::storeKnownHashes({QStringLiteral("00112233aabbccdd"), QStringLiteral("ffeeddccbbaa9988")}, *bench.settings);
    SettingsStore reread(bench.settings->filePath());
    EXPECT_EQ(reread.typeOf(QStringLiteral("syncedContentHashes")), SettingsStore::Type::TextList);
    EXPECT_EQ(DeviceStorage::knownHashes(reread),
              (QSet<QString>{QStringLiteral("00112233aabbccdd"), QStringLiteral("ffeeddccbbaa9988")}));
}
